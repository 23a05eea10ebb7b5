#include "reservation/OverlapWarning.h"

#include "records/Clock.h"
#include "records/OverlapCheck.h"
#include "records/Sjis.h"
#include "widgets/MessageBox.h"

#include <QStringList>

namespace reservation {
namespace {

using records::RecordIntent;
namespace booking = records::booking;

QString warningText(const records::RecordLists& lists, const booking::SalonSettings& settings,
                    const QList<booking::OverlappingBooking>& overlapping) {
    QStringList rows;
    for (const booking::OverlappingBooking& found : overlapping) {
        const QString groomer =
            found.details.groomer.isEmpty() ? booking::UndecidedGroomer : found.details.groomer;
        rows.append(
            QStringLiteral("%1〜%2  %3  担当: %4")
                .arg(booking::clockText(found.time.start),
                     booking::clockText(found.time.start + found.time.minutes),
                     records::sjis::toUnicode(lists.yoyakuIndex().tableEntry(found.position)),
                     groomer));
    }
    return QStringLiteral(
               "この時間には担当者の数 (%1人) より多い予約が重なっています。\n\n%2\n\n"
               "このまま保存しますか？")
        .arg(settings.groomers.size())
        .arg(rows.join(QLatin1Char('\n')));
}

}  // namespace

bool overlapAccepted(QWidget* owner, const records::RecordLists& lists,
                     const QList<RecordIntent>& intents) {
    const booking::SalonSettings settings =
        booking::SalonSettings::fromBytes(lists.setting(booking::SalonSettings::SettingName));
    if (settings.groomers.isEmpty() || intents.isEmpty()) {
        return true;
    }
    const RecordIntent& made = intents.last();
    QList<qsizetype> leaving;
    for (const RecordIntent& intent : intents) {
        if (intent.kind != RecordIntent::Kind::Add) {
            leaving.append(intent.position);
        }
    }
    const QDate today = records::clock_source::now().date();
    // An update keeps the booking's details, so its own minutes are what it will take.
    const booking::BookingDetails details = made.kind == RecordIntent::Kind::Replace
                                                ? booking::BookingDetails::of(lists.detailsAt(
                                                      records::RecordFile::Yoyaku, made.position))
                                                : booking::BookingDetails{};
    const QList<booking::OverlappingBooking> overlapping = booking::overlapsToWarnOf(
        lists, settings, booking::bookedTimeOf(made.line, details, settings, today), leaving,
        today);
    if (overlapping.isEmpty()) {
        return true;
    }
    return widgets::showMessage(owner, QMessageBox::Question, OverlapCaption,
                                warningText(lists, settings, overlapping),
                                QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace reservation
