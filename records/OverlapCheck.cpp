#include "records/OverlapCheck.h"

#include "records/RecordFormat.h"
#include "records/ReservationRecord.h"

#include <algorithm>

namespace records::booking {

bool BookedTime::overlaps(const BookedTime& other) const {
    return day == other.day && start < other.start + other.minutes && other.start < start + minutes;
}

QString clockText(int minuteOfDay) {
    return QStringLiteral("%1:%2")
        .arg(minuteOfDay / 60, 2, 10, QLatin1Char('0'))
        .arg(minuteOfDay % 60, 2, 10, QLatin1Char('0'));
}

BookedTime bookedTimeOf(const QByteArray& line, const BookingDetails& details,
                        const SalonSettings& settings, const QDate& today) {
    namespace rsv = reservation_record;
    const QByteArrayList fields = splitFields(line);
    // The minute field reads as a number the way the hour field does.
    const int minute = rsv::bookedHour(EmptyMarkDelete(fieldAt(fields, rsv::YoyakuHun)));
    return {rsv::bookedDate(fields, today), rsv::bookedHour(fields) * 60 + minute,
            settings.minutesOf(line, details)};
}

QList<OverlappingBooking> overlapsToWarnOf(const RecordLists& lists, const SalonSettings& settings,
                                           const BookedTime& booking,
                                           const QList<qsizetype>& leaving, const QDate& today) {
    if (settings.groomers.isEmpty()) {
        return {};
    }
    QList<qsizetype> sameDay = lists.yoyakuIndex().bookedBetween(booking.day, booking.day, today);
    sameDay.removeIf([&leaving](qsizetype position) { return leaving.contains(position); });
    const QHash<qsizetype, LineDetails> stored = lists.detailsAt(RecordFile::Yoyaku, sameDay);
    const QByteArrayList& lines = lists.lines(RecordFile::Yoyaku);
    QList<OverlappingBooking> overlapping;
    for (const qsizetype position : sameDay) {
        const BookingDetails details = BookingDetails::of(stored.value(position));
        if (isCancelled(details.status)) {
            continue;
        }
        const BookedTime time = bookedTimeOf(lines.at(position), details, settings, today);
        if (time.overlaps(booking)) {
            overlapping.append({position, time, details});
        }
    }
    if (overlapping.size() <= settings.groomers.size()) {
        return {};
    }
    std::stable_sort(overlapping.begin(), overlapping.end(),
                     [](const OverlappingBooking& a, const OverlappingBooking& b) {
                         return a.time.start < b.time.start;
                     });
    return overlapping;
}

}  // namespace records::booking
