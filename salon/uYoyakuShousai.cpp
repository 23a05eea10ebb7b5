#include "salon/uYoyakuShousai.h"

#include "records/Clock.h"
#include "records/OverlapCheck.h"
#include "records/RecordFormat.h"
#include "records/ReservationRecord.h"
#include "records/Sjis.h"
#include "widgets/Appearance.h"
#include "widgets/ErrorGuard.h"

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
    auto* bar = new QHBoxLayout;
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

void runYoyakuShousai(QWidget* owner, records::RecordLists& lists, qsizetype position) {
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
    if (dialog.exec() != QDialog::Accepted || dialog.details() == details) {
        return;
    }
    // Only the values this window shows change; whatever else the line's details hold stays.
    widgets::runGuarded(owner, [&] {
        lists.setDetails(records::RecordFile::Yoyaku, position, line,
                         dialog.details().into(stored));
    });
}

}  // namespace salon
