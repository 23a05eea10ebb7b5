#include "salon/uYoyakuShousai.h"

#include "records/Clock.h"
#include "records/Kaikei.h"
#include "records/OverlapCheck.h"
#include "records/RecordFormat.h"
#include "records/ReservationRecord.h"
#include "records/Sjis.h"
#include "widgets/Appearance.h"
#include "widgets/ErrorGuard.h"
#include "widgets/MessageBox.h"
#include "widgets/YenEdit.h"

#include <QAction>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace booking = records::booking;

TfmYoyakuShousai::TfmYoyakuShousai(QWidget* owner, const QString& booking,
                                   const booking::BookingDetails& details,
                                   const booking::SalonSettings& settings, int usualMinutes)
    : QDialog(owner), shown_(details), usualMinutes_(usualMinutes) {
    setObjectName(QStringLiteral("fmYoyakuShousai"));
    setWindowTitle(salon::YoyakuShousaiCaption);
    widgets::applyFormLook(*this);
    buildControls();
    lbShousaiYoyaku->setText(booking);
    fill(settings);
}

void TfmYoyakuShousai::buildControls() {
    lbShousaiYoyaku = new QLabel(this);
    lbShousaiYoyaku->setObjectName(QStringLiteral("lbShousaiYoyaku"));
    lbShousaiYoyaku->setTextFormat(Qt::PlainText);
    cbTantousha = new QComboBox(this);
    cbTantousha->setObjectName(QStringLiteral("cbTantousha"));
    edtShoyouJikan = new QSpinBox(this);
    edtShoyouJikan->setObjectName(QStringLiteral("edtShoyouJikan"));
    edtShoyouJikan->setRange(booking::LeastMinutes, booking::MostMinutes);
    edtShoyouJikan->setSingleStep(5);
    edtShoyouJikan->setSuffix(QStringLiteral(" 分"));
    cbJoutai = new QComboBox(this);
    cbJoutai->setObjectName(QStringLiteral("cbJoutai"));
    edtRyoukin = new widgets::YenEdit(this, "edtRyoukin");
    actKaikei = new QAction(QStringLiteral("会計..."), this);
    actKaikei->setObjectName(QStringLiteral("actKaikei"));
    actKaikei->setToolTip(QStringLiteral("この予約の会計をします"));
    btnShousaiKaikei = widgets::plainButton(this, "btnShousaiKaikei", actKaikei->text());
    btnShousaiKaikei->hide();
    connect(btnShousaiKaikei, &QPushButton::clicked, actKaikei, &QAction::trigger);
    connect(actKaikei, &QAction::triggered, this, [this] {
        if (checkPrice()) {
            done(PaymentRequested);
        }
    });
    btnShousaiOK = new QPushButton(QStringLiteral("OK"), this);
    btnShousaiOK->setObjectName(QStringLiteral("btnShousaiOK"));
    btnShousaiOK->setDefault(true);
    btnShousaiCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    btnShousaiCancel->setObjectName(QStringLiteral("btnShousaiCancel"));
    connect(btnShousaiOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnShousaiCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("担当"), cbTantousha);
    form->addRow(QStringLiteral("所要時間"), edtShoyouJikan);
    form->addRow(QStringLiteral("状態"), cbJoutai);
    form->addRow(QStringLiteral("料金 (円)"), edtRyoukin);
    auto* bar = new QHBoxLayout;
    bar->addWidget(btnShousaiKaikei);
    bar->addStretch();
    bar->addWidget(btnShousaiOK);
    bar->addWidget(btnShousaiCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbShousaiYoyaku);
    layout->addLayout(form);
    layout->addLayout(bar);
}

void TfmYoyakuShousai::fill(const booking::SalonSettings& settings) {
    cbTantousha->addItem(booking::UndecidedGroomer);
    cbTantousha->addItems(settings.groomers);
    // A groomer taken off the salon's list since stays the booking's groomer by name.
    if (!shown_.groomer.isEmpty() && !settings.groomers.contains(shown_.groomer)) {
        cbTantousha->addItem(shown_.groomer);
    }
    cbTantousha->setCurrentIndex(shown_.groomer.isEmpty() ? 0
                                                          : cbTantousha->findText(shown_.groomer));
    edtShoyouJikan->setValue(shown_.minutes.value_or(usualMinutes_));
    for (const booking::Status status : booking::AllStatuses) {
        cbJoutai->addItem(booking::statusCaption(status));
    }
    cbJoutai->setCurrentIndex(static_cast<int>(shown_.status));
}

booking::BookingDetails TfmYoyakuShousai::details() const {
    booking::BookingDetails chosen;
    chosen.groomer = cbTantousha->currentIndex() > 0 ? cbTantousha->currentText() : QString();
    const int minutes = edtShoyouJikan->value();
    if (shown_.minutes || minutes != usualMinutes_) {
        chosen.minutes = minutes;
    }
    chosen.status = booking::AllStatuses.at(static_cast<std::size_t>(cbJoutai->currentIndex()));
    return chosen;
}

void TfmYoyakuShousai::showPrice(std::optional<qint64> own, qint64 usual) {
    ownPrice_ = own;
    usualPrice_ = usual;
    edtRyoukin->setYen(own.value_or(usual));
}

std::optional<qint64> TfmYoyakuShousai::price() const {
    const std::optional<qint64> typed = edtRyoukin->yen();
    if (!typed || (!ownPrice_ && *typed == usualPrice_)) {
        return ownPrice_;
    }
    return typed;
}

void TfmYoyakuShousai::offerPayment() {
    btnShousaiKaikei->show();
}

bool TfmYoyakuShousai::checkPrice() {
    const std::optional<qint64> typed = edtRyoukin->yen();
    if (typed && *typed >= 0) {
        return true;
    }
    widgets::showMessage(
        this, QMessageBox::Warning, salon::YoyakuShousaiCaption,
        QStringLiteral("料金は 0 から %1 までの円の数で入れてください。")
            .arg(records::kaikei::yenText(records::kaikei::PriceSettings::MostYen)));
    edtRyoukin->setFocus();
    edtRyoukin->selectAll();
    return false;
}

void TfmYoyakuShousai::accept() {
    if (checkPrice()) {
        QDialog::accept();
    }
}

namespace salon {
namespace {

// "2026/12/08 09:00  山田/ポチ  (バリカン・犬)".
QString bookingText(const records::RecordLists& lists, qsizetype position,
                    const booking::BookedTime& time) {
    const QByteArrayList fields =
        records::splitFields(lists.lines(records::RecordFile::Yoyaku).at(position));
    return QStringLiteral("%1 %2  %3  (%4・%5)")
        .arg(time.day.toString(QStringLiteral("yyyy/MM/dd")), booking::clockText(time.start),
             records::sjis::toUnicode(lists.yoyakuIndex().tableEntry(position)),
             booking::styleCaption(
                 booking::styleOf(records::fieldAt(fields, records::reservation_record::Style))),
             booking::kindCaption(
                 booking::kindOf(records::fieldAt(fields, records::reservation_record::Shu))));
}

}  // namespace

void runYoyakuShousai(QWidget* owner, records::RecordLists& lists, qsizetype position,
                      const std::function<void(qsizetype position)>& openPayment) {
    const QByteArrayList& lines = lists.lines(records::RecordFile::Yoyaku);
    if (position < 0 || position >= lines.size()) {
        return;
    }
    const QByteArray line = lines.at(position);
    const records::LineDetails stored = lists.detailsAt(records::RecordFile::Yoyaku, position);
    const booking::BookingDetails details = booking::BookingDetails::of(stored);
    const booking::SalonSettings settings =
        booking::SalonSettings::fromBytes(lists.setting(booking::SalonSettings::SettingName));
    const booking::BookedTime usual = booking::bookedTimeOf(
        line, booking::BookingDetails{}, settings, records::clock_source::now().date());
    TfmYoyakuShousai dialog(owner, bookingText(lists, position, usual), details, settings,
                            usual.minutes);
    const records::kaikei::PriceSettings prices = records::kaikei::PriceSettings::fromBytes(
        lists.setting(records::kaikei::PriceSettings::SettingName));
    dialog.showPrice(records::kaikei::ownPriceOf(stored), prices.usualPriceOf(line));
    if (openPayment) {
        dialog.offerPayment();
    }
    const int result = dialog.exec();
    if (result != QDialog::Accepted && result != TfmYoyakuShousai::PaymentRequested) {
        return;
    }
    // Only the values this window shows change; whatever else the line's details hold stays.
    const records::LineDetails chosen =
        records::kaikei::withOwnPrice(dialog.details().into(stored), dialog.price());
    const bool kept = chosen == stored || widgets::runGuarded(owner, [&] {
                          lists.setDetails(records::RecordFile::Yoyaku, position, line, chosen);
                      });
    if (kept && result == TfmYoyakuShousai::PaymentRequested) {
        openPayment(position);
    }
}

}  // namespace salon
