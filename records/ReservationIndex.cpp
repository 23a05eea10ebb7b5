#include "records/ReservationIndex.h"

#include "records/RecordFormat.h"
#include "records/ReservationRecord.h"

namespace records {
namespace {

// An untouched line still shares its bytes with the index's copy, so comparing data pointers
// settles most lines without reading them.
bool sameLine(const QByteArray& a, const QByteArray& b) {
    return (a.constData() == b.constData() && a.size() == b.size()) || a == b;
}

}  // namespace

ReservationIndex::Booking ReservationIndex::read(const QByteArray& line) {
    using namespace reservation;
    const LeadingFields fields(line);
    Booking booking{line, NoDay, false, {}, reservation::bookedHour(fields.at(YoyakuJikan))};
    // A year of more than two digits does not depend on today; then only a result equal to the
    // stand-in day can still be an invalid date, which a second stand-in tells apart.
    const QDate standInA(2000, 1, 1);
    const QDate standInB(2150, 6, 15);
    const QDate a = reservation::bookedDate(fields, standInA);
    const bool fixed = fields.at(YoyakuNen).size() > 2 &&
                       (a != standInA || reservation::bookedDate(fields, standInB) == a);
    if (fixed) {
        booking.day = a.toJulianDay();
    } else {
        booking.dependsOnToday = true;
        for (int position = YoyakuNen; position <= YoyakuNiti; ++position) {
            booking.dateFields.append(fields.at(position).toByteArray());
        }
    }
    return booking;
}

void ReservationIndex::sync(const QByteArrayList& lines) {
    const qsizetype oldSize = bookings_.size();
    const qsizetype newSize = lines.size();
    qsizetype prefix = 0;
    while (prefix < oldSize && prefix < newSize &&
           sameLine(bookings_[prefix].line, lines[prefix])) {
        ++prefix;
    }
    qsizetype suffix = 0;
    while (suffix < oldSize - prefix && suffix < newSize - prefix &&
           sameLine(bookings_[oldSize - 1 - suffix].line, lines[newSize - 1 - suffix])) {
        ++suffix;
    }
    if (prefix == oldSize && prefix == newSize) {
        return;
    }
    if (prefix == oldSize) {  // lines added at the end, the whole list at the first call
        bookings_.reserve(newSize);
        for (qsizetype i = prefix; i < newSize; ++i) {
            bookings_.append(read(lines[i]));
        }
        return;
    }
    QList<Booking> changed;
    changed.reserve(newSize - prefix - suffix);
    for (qsizetype i = prefix; i < newSize - suffix; ++i) {
        changed.append(read(lines[i]));
    }
    bookings_.remove(prefix, oldSize - prefix - suffix);
    bookings_.insert(prefix, changed.size(), Booking{});
    std::move(changed.begin(), changed.end(), bookings_.begin() + prefix);
}

QList<qsizetype> ReservationIndex::bookedBetween(const QDate& first, const QDate& last,
                                                 const QDate& today) const {
    const qint64 from = first.toJulianDay();
    const qint64 to = last.toJulianDay();
    QList<qsizetype> positions;
    const qsizetype size = bookings_.size();
    for (qsizetype i = 0; i < size; ++i) {
        const Booking& booking = bookings_[i];
        const qint64 day =
            booking.dependsOnToday ? bookedDate(i, today).toJulianDay() : booking.day;
        if (day >= from && day <= to) {
            positions.append(i);
        }
    }
    return positions;
}

QDate ReservationIndex::bookedDate(qsizetype position, const QDate& today) const {
    const Booking& booking = bookings_.at(position);
    return booking.dependsOnToday ? reservation::bookedDate(booking.dateFields, today)
                                  : QDate::fromJulianDay(booking.day);
}

int ReservationIndex::bookedHour(qsizetype position) const {
    return bookings_.at(position).hour;
}

QByteArray ReservationIndex::tableEntry(qsizetype position) const {
    return reservation::tableEntry(splitFields(bookings_.at(position).line));
}

}  // namespace records
