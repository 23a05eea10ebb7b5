#include "salon/PriceSettingsPanel.h"

#include "salon/StyleKindGrid.h"

#include "widgets/YenEdit.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QVBoxLayout>

namespace booking = records::booking;
namespace kaikei = records::kaikei;

namespace salon {
namespace {

QLineEdit* namedEdit(QWidget* parent, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

// A price is whole yen from 0 up (a discount is a line of the bill, not a price); left empty, it
// is nothing.
std::optional<qint64> priceTyped(const QString& text) {
    if (text.trimmed().isEmpty()) {
        return 0;
    }
    const std::optional<qint64> yen = kaikei::yenOf(text);
    return yen && *yen >= 0 ? yen : std::nullopt;
}

}  // namespace

PriceSettingsPanel::PriceSettingsPanel(QWidget* parent)
    : QGroupBox(QStringLiteral("料金と領収書"), parent) {
    setObjectName(QStringLiteral("gbRyoukin"));
    StringGridRyoukin = styleKindGrid(this, QStringLiteral("StringGridRyoukin"));

    const char* const shampooNames[] = {"edtRyoukinShampMotikomi", "edtRyoukinShampRegyura",
                                        "edtRyoukinShampSonota"};
    const char* const extraNames[] = {"edtRyoukinHigeCut", "edtRyoukinTumekiri"};
    auto* additions = new QFormLayout;
    for (const kaikei::Shampoo shampoo : kaikei::AllShampoos) {
        const auto at = static_cast<std::size_t>(shampoo);
        shampooEdits_[at] = new widgets::YenEdit(this, shampooNames[at]);
        additions->addRow(QStringLiteral("シャンプー（%1）").arg(kaikei::shampooCaption(shampoo)),
                          shampooEdits_[at]);
    }
    for (const kaikei::Extra extra : kaikei::AllExtras) {
        const auto at = static_cast<std::size_t>(extra);
        extraEdits_[at] = new widgets::YenEdit(this, extraNames[at]);
        additions->addRow(kaikei::extraCaption(extra), extraEdits_[at]);
    }

    edtSalonMei = namedEdit(this, "edtSalonMei");
    edtSalonJusho = namedEdit(this, "edtSalonJusho");
    edtSalonDenwa = namedEdit(this, "edtSalonDenwa");
    edtTourokuBangou = namedEdit(this, "edtTourokuBangou");
    edtTourokuBangou->setPlaceholderText(QStringLiteral("T1234567890123"));
    edtTourokuBangou->setMaxLength(14);
    chbZeikomi = new QCheckBox(QStringLiteral("料金は税込み（消費税 10%）"), this);
    chbZeikomi->setObjectName(QStringLiteral("chbZeikomi"));
    auto* salon = new QFormLayout;
    salon->addRow(QStringLiteral("サロン名"), edtSalonMei);
    salon->addRow(QStringLiteral("住所"), edtSalonJusho);
    salon->addRow(QStringLiteral("電話番号"), edtSalonDenwa);
    salon->addRow(QStringLiteral("登録番号"), edtTourokuBangou);
    salon->addRow(chbZeikomi);

    auto* grid = new QVBoxLayout;
    grid->addWidget(new QLabel(QStringLiteral("料金 (円)"), this));
    grid->addWidget(StringGridRyoukin);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addLayout(additions);
    layout->addLayout(salon, 1);
    fill({});
}

void PriceSettingsPanel::fill(const kaikei::PriceSettings& prices) {
    for (std::size_t style = 0; style < booking::AllStyles.size(); ++style) {
        for (std::size_t kind = 0; kind < booking::AllKinds.size(); ++kind) {
            auto* cell = new QTableWidgetItem(kaikei::yenText(prices.prices[style][kind]));
            cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            StringGridRyoukin->setItem(static_cast<int>(style), static_cast<int>(kind), cell);
        }
    }
    for (std::size_t at = 0; at < shampooEdits_.size(); ++at) {
        shampooEdits_[at]->setYen(prices.shampooPrices[at]);
    }
    for (std::size_t at = 0; at < extraEdits_.size(); ++at) {
        extraEdits_[at]->setYen(prices.extraPrices[at]);
    }
    edtSalonMei->setText(prices.salonName);
    edtSalonJusho->setText(prices.address);
    edtSalonDenwa->setText(prices.telephone);
    edtTourokuBangou->setText(prices.registrationNumber);
    chbZeikomi->setChecked(prices.taxIncluded);
}

std::optional<qint64> PriceSettingsPanel::priceAt(int row, int column) const {
    const QTableWidgetItem* cell = StringGridRyoukin->item(row, column);
    return priceTyped(cell != nullptr ? cell->text() : QString());
}

kaikei::PriceSettings PriceSettingsPanel::prices() const {
    kaikei::PriceSettings prices;
    for (std::size_t style = 0; style < booking::AllStyles.size(); ++style) {
        for (std::size_t kind = 0; kind < booking::AllKinds.size(); ++kind) {
            prices.prices[style][kind] =
                priceAt(static_cast<int>(style), static_cast<int>(kind)).value_or(0);
        }
    }
    for (std::size_t at = 0; at < shampooEdits_.size(); ++at) {
        prices.shampooPrices[at] = priceTyped(shampooEdits_[at]->text()).value_or(0);
    }
    for (std::size_t at = 0; at < extraEdits_.size(); ++at) {
        prices.extraPrices[at] = priceTyped(extraEdits_[at]->text()).value_or(0);
    }
    prices.salonName = edtSalonMei->text().trimmed();
    prices.address = edtSalonJusho->text().trimmed();
    prices.telephone = edtSalonDenwa->text().trimmed();
    prices.registrationNumber = edtTourokuBangou->text().trimmed();
    prices.taxIncluded = chbZeikomi->isChecked();
    return prices;
}

QString PriceSettingsPanel::problem() {
    const QString range = QStringLiteral("0 から %1 までの円の数で入れてください。")
                              .arg(kaikei::yenText(kaikei::PriceSettings::MostYen));
    for (int row = 0; row < StringGridRyoukin->rowCount(); ++row) {
        for (int column = 0; column < StringGridRyoukin->columnCount(); ++column) {
            if (!priceAt(row, column)) {
                StringGridRyoukin->setCurrentCell(row, column);
                StringGridRyoukin->setFocus();
                return QStringLiteral("%1・%2 の料金は ")
                           .arg(booking::styleCaption(booking::AllStyles.at(row)),
                                booking::kindCaption(booking::AllKinds.at(column))) +
                       range;
            }
        }
    }
    const auto wrongAmount = [&](widgets::YenEdit* edit, const QString& caption) {
        if (priceTyped(edit->text())) {
            return QString();
        }
        edit->setFocus();
        return caption + QStringLiteral(" の料金は ") + range;
    };
    for (const kaikei::Shampoo shampoo : kaikei::AllShampoos) {
        if (const QString wrong = wrongAmount(
                shampooEdits_[static_cast<std::size_t>(shampoo)],
                QStringLiteral("シャンプー（%1）").arg(kaikei::shampooCaption(shampoo)));
            !wrong.isEmpty()) {
            return wrong;
        }
    }
    for (const kaikei::Extra extra : kaikei::AllExtras) {
        if (const QString wrong = wrongAmount(extraEdits_[static_cast<std::size_t>(extra)],
                                              kaikei::extraCaption(extra));
            !wrong.isEmpty()) {
            return wrong;
        }
    }
    const QString number = edtTourokuBangou->text().trimmed();
    if (!number.isEmpty() && !kaikei::isRegistrationNumber(number)) {
        edtTourokuBangou->setFocus();
        return QStringLiteral(
            "登録番号は「T」と13桁の数字で入れてください（例: T1234567890123）。"
            "登録していないときは空けておいてください。");
    }
    return {};
}

}  // namespace salon
