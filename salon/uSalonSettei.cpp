#include "salon/uSalonSettei.h"

#include "salon/KarteSettingsBox.h"
#include "salon/PriceSettingsPanel.h"
#include "salon/StyleKindGrid.h"

#include "widgets/Appearance.h"
#include "widgets/ErrorGuard.h"
#include "widgets/MessageBox.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace booking = records::booking;

TfmSalonSettei::TfmSalonSettei(QWidget* owner, const booking::SalonSettings& settings)
    : QDialog(owner) {
    setObjectName(QStringLiteral("fmSalonSettei"));
    setWindowTitle(salon::SalonSetteiCaption);
    widgets::applyFormLook(*this);
    buildControls();
    fill(settings);
    showButtonStates();
}

void TfmSalonSettei::buildControls() {
    ListBoxTantousha = new QListWidget(this);
    ListBoxTantousha->setObjectName(QStringLiteral("ListBoxTantousha"));
    edtTantousha = new QLineEdit(this);
    edtTantousha->setObjectName(QStringLiteral("edtTantousha"));
    // Enter in the groomer's name adds it rather than closing the dialog: no button takes it.
    btnTantoushaAdd = widgets::plainButton(this, "btnTantoushaAdd", QStringLiteral("追加"));
    btnTantoushaDelete = widgets::plainButton(this, "btnTantoushaDelete", QStringLiteral("削除"));
    connect(btnTantoushaAdd, &QPushButton::clicked, this, &TfmSalonSettei::btnTantoushaAddClick);
    connect(edtTantousha, &QLineEdit::returnPressed, this, &TfmSalonSettei::btnTantoushaAddClick);
    connect(btnTantoushaDelete, &QPushButton::clicked, this,
            &TfmSalonSettei::btnTantoushaDeleteClick);
    connect(edtTantousha, &QLineEdit::textChanged, this, &TfmSalonSettei::showButtonStates);
    connect(ListBoxTantousha, &QListWidget::currentRowChanged, this,
            &TfmSalonSettei::showButtonStates);

    StringGridShoyouJikan = salon::styleKindGrid(this, QStringLiteral("StringGridShoyouJikan"));

    gbRyoukin = new salon::PriceSettingsPanel(this);

    btnSetteiOK = widgets::plainButton(this, "btnSetteiOK", QStringLiteral("OK"));
    btnSetteiCancel = widgets::plainButton(this, "btnSetteiCancel", QStringLiteral("キャンセル"));
    connect(btnSetteiOK, &QPushButton::clicked, this, &TfmSalonSettei::accept);
    connect(btnSetteiCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* groomers = new QGridLayout;
    groomers->addWidget(new QLabel(QStringLiteral("担当者"), this), 0, 0, 1, 2);
    groomers->addWidget(ListBoxTantousha, 1, 0, 1, 2);
    groomers->addWidget(edtTantousha, 2, 0);
    groomers->addWidget(btnTantoushaAdd, 2, 1);
    groomers->addWidget(btnTantoushaDelete, 3, 1);
    auto* minutes = new QVBoxLayout;
    minutes->addWidget(new QLabel(QStringLiteral("いつもの所要時間 (分)"), this));
    minutes->addWidget(StringGridShoyouJikan);
    auto* panes = new QHBoxLayout;
    panes->addLayout(groomers);
    panes->addLayout(minutes, 1);
    auto* bar = new QHBoxLayout;
    bar->addStretch();
    bar->addWidget(btnSetteiOK);
    bar->addWidget(btnSetteiCancel);
    grpKarteSettei = new salon::KarteSettingsBox(this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(panes);
    layout->addWidget(grpKarteSettei);
    layout->addWidget(gbRyoukin);
    layout->addLayout(bar);
    resize(900, 640);
}

void TfmSalonSettei::fill(const booking::SalonSettings& settings) {
    ListBoxTantousha->addItems(settings.groomers);
    for (std::size_t style = 0; style < booking::AllStyles.size(); ++style) {
        for (std::size_t kind = 0; kind < booking::AllKinds.size(); ++kind) {
            auto* cell = new QTableWidgetItem(QString::number(settings.usualMinutes[style][kind]));
            cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            StringGridShoyouJikan->setItem(static_cast<int>(style), static_cast<int>(kind), cell);
        }
    }
}

booking::SalonSettings TfmSalonSettei::settings() const {
    booking::SalonSettings settings;
    for (int row = 0; row < ListBoxTantousha->count(); ++row) {
        settings.groomers.append(ListBoxTantousha->item(row)->text());
    }
    for (std::size_t style = 0; style < booking::AllStyles.size(); ++style) {
        for (std::size_t kind = 0; kind < booking::AllKinds.size(); ++kind) {
            settings.usualMinutes[style][kind] =
                minutesAt(static_cast<int>(style), static_cast<int>(kind))
                    .value_or(booking::SalonSettings::DefaultMinutes);
        }
    }
    return settings;
}

std::optional<int> TfmSalonSettei::minutesAt(int row, int column) const {
    const QTableWidgetItem* cell = StringGridShoyouJikan->item(row, column);
    bool isNumber = false;
    const int minutes = cell != nullptr ? cell->text().trimmed().toInt(&isNumber) : 0;
    if (!isNumber || minutes < booking::LeastMinutes || minutes > booking::MostMinutes) {
        return std::nullopt;
    }
    return minutes;
}

void TfmSalonSettei::showPrices(const records::kaikei::PriceSettings& prices) {
    gbRyoukin->fill(prices);
}

records::kaikei::PriceSettings TfmSalonSettei::prices() const {
    return gbRyoukin->prices();
}

void TfmSalonSettei::accept() {
    for (int row = 0; row < StringGridShoyouJikan->rowCount(); ++row) {
        for (int column = 0; column < StringGridShoyouJikan->columnCount(); ++column) {
            if (minutesAt(row, column)) {
                continue;
            }
            widgets::showMessage(
                this, QMessageBox::Warning, salon::SalonSetteiCaption,
                QStringLiteral("%1・%2 の所要時間は %3 から %4 までの分の数で入れてください。")
                    .arg(booking::styleCaption(booking::AllStyles.at(row)),
                         booking::kindCaption(booking::AllKinds.at(column)))
                    .arg(booking::LeastMinutes)
                    .arg(booking::MostMinutes));
            StringGridShoyouJikan->setCurrentCell(row, column);
            StringGridShoyouJikan->setFocus();
            return;
        }
    }
    if (const QString wrong = gbRyoukin->problem(); !wrong.isEmpty()) {
        widgets::showMessage(this, QMessageBox::Warning, salon::SalonSetteiCaption, wrong);
        return;
    }
    QDialog::accept();
}

void TfmSalonSettei::btnTantoushaAddClick() {
    const QString name = edtTantousha->text().trimmed();
    if (name.isEmpty()) {
        return;
    }
    // A name already on the list is only shown selected, so no groomer is there twice.
    const QList<QListWidgetItem*> same = ListBoxTantousha->findItems(name, Qt::MatchExactly);
    if (same.isEmpty()) {
        ListBoxTantousha->addItem(name);
    }
    ListBoxTantousha->setCurrentRow(same.isEmpty() ? ListBoxTantousha->count() - 1
                                                   : ListBoxTantousha->row(same.first()));
    edtTantousha->clear();
}

void TfmSalonSettei::btnTantoushaDeleteClick() {
    delete ListBoxTantousha->takeItem(ListBoxTantousha->currentRow());
}

void TfmSalonSettei::showButtonStates() {
    btnTantoushaAdd->setEnabled(!edtTantousha->text().trimmed().isEmpty());
    btnTantoushaDelete->setEnabled(ListBoxTantousha->currentRow() >= 0);
}

namespace salon {
namespace {

// The カルテ settings as the store has them, shown in `box`; written back only when changed,
// so that a salon that never set them up still has none stored.
class KarteSettingsKept {
public:
    KarteSettingsKept(records::RecordLists& lists, KarteSettingsBox& box)
        : lists_(lists),
          box_(box),
          stored_(records::karte::KarteSettings::fromBytes(
              lists.setting(records::karte::KarteSettings::SettingName))) {
        box_.fill(stored_);
    }
    void save() const {
        if (const records::karte::KarteSettings shown = box_.settings(); shown != stored_) {
            lists_.setSetting(records::karte::KarteSettings::SettingName, shown.toBytes());
        }
    }

private:
    records::RecordLists& lists_;
    KarteSettingsBox& box_;
    records::karte::KarteSettings stored_;
};

}  // namespace

void runSalonSettei(QWidget* owner, records::RecordLists& lists) {
    TfmSalonSettei dialog(owner, booking::SalonSettings::fromBytes(
                                     lists.setting(booking::SalonSettings::SettingName)));
    const KarteSettingsKept karte(lists, dialog.karteSettings());
    const std::optional<QByteArray> storedPrices =
        lists.setting(records::kaikei::PriceSettings::SettingName);
    const records::kaikei::PriceSettings prices =
        records::kaikei::PriceSettings::fromBytes(storedPrices);
    dialog.showPrices(prices);
    while (dialog.exec() == QDialog::Accepted) {
        if (widgets::runGuarded(owner, [&] {
                lists.setSetting(booking::SalonSettings::SettingName, dialog.settings().toBytes());
                karte.save();
                // A salon that never set prices keeps no price setting.
                if (storedPrices || dialog.prices() != prices) {
                    lists.setSetting(records::kaikei::PriceSettings::SettingName,
                                     dialog.prices().toBytes());
                }
            })) {
            return;
        }
    }
}

}  // namespace salon
