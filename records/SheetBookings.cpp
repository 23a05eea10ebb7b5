#include "records/SheetBookings.h"

#include "records/RecordFormat.h"
#include "records/ReservationRecord.h"
#include "records/Sjis.h"

#include <algorithm>
#include <tuple>

namespace records::sheets {
namespace {

QString shown(const QByteArrayList& fields, int position) {
    return records::sjis::toUnicode(EmptyMarkDelete(fieldAt(fields, position)));
}

// A number of one digit gets its leading zero; any other text stays as stored.
QString twoDigitText(const QString& text) {
    return text.size() == 1 && text.at(0).isDigit() ? QLatin1Char('0') + text : text;
}

int minuteOf(const QByteArrayList& fields) {
    bool isNumber = false;
    const int minute = fieldAt(fields, reservation_record::YoyakuHun).toInt(&isNumber);
    return isNumber ? minute : 0;
}

struct Sortable {
    Booking booking;
    int minute;
};

Booking bookingOf(const QByteArrayList& fields, const QDate& date) {
    using namespace reservation_record;
    Booking booking;
    booking.date = date;
    booking.hour = bookedHour(fields);
    for (int position = 0; position < FieldCount; ++position) {
        booking.texts[position] = shown(fields, position);
    }
    booking.time = twoDigitText(booking.text(YoyakuJikan)) + QLatin1Char(':') +
                   twoDigitText(booking.text(YoyakuHun));
    return booking;
}

}  // namespace

QList<Booking> bookingsBetween(const QByteArrayList& reservationLines, const QDate& first,
                               const QDate& last, const QDate& today,
                               const booking::BookingFacts* facts) {
    QList<Sortable> found;
    for (qsizetype position = 0; position < reservationLines.size(); ++position) {
        const QByteArray& line = reservationLines.at(position);
        // Only the few lines of the days asked for are split whole.
        const QDate date = reservation_record::bookedDate(LeadingFields(line, 3), today);
        if (date < first || date > last) {
            continue;
        }
        const QByteArrayList fields = splitFields(line);
        found.append({bookingOf(fields, date), minuteOf(fields)});
        found.last().booking.position = position;
        if (facts) {
            found.last().booking.salonFacts = facts->shownAt(position, fields);
        }
    }
    std::stable_sort(found.begin(), found.end(), [](const Sortable& a, const Sortable& b) {
        return std::tuple(a.booking.date, a.booking.hour, a.minute) <
               std::tuple(b.booking.date, b.booking.hour, b.minute);
    });
    QList<Booking> bookings;
    bookings.reserve(found.size());
    for (Sortable& entry : found) {
        bookings.append(std::move(entry.booking));
    }
    return bookings;
}

}  // namespace records::sheets
