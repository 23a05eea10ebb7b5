#include "records/SheetBookings.h"

#include "records/RecordViews.h"
#include "records/ReservationIndex.h"

#include <algorithm>
#include <tuple>

namespace records::sheets {
namespace {

// A number of one digit gets its leading zero; any other text stays as stored.
QString twoDigitText(const QString& text) {
    return text.size() == 1 && text.at(0).isDigit() ? QLatin1Char('0') + text : text;
}

int minuteOf(const records::Booking& line) {
    bool isNumber = false;
    const int minute = line.stored(reservation_record::YoyakuHun).toInt(&isNumber);
    return isNumber ? minute : 0;
}

struct Sortable {
    Booking booking;
    int minute;
};

Booking bookingOf(const records::Booking& line, const QDate& date) {
    using namespace reservation_record;
    Booking booking;
    booking.date = date;
    booking.hour = line.hour();
    for (int position = 0; position < FieldCount; ++position) {
        booking.texts[position] = line.shownText(static_cast<Field>(position));
    }
    booking.time = twoDigitText(booking.text(YoyakuJikan)) + QLatin1Char(':') +
                   twoDigitText(booking.text(YoyakuHun));
    return booking;
}

}  // namespace

QList<Booking> bookingsBetween(const ReservationIndex& index, const QDate& first, const QDate& last,
                               const QDate& today, const booking::BookingFacts* facts) {
    QList<Sortable> found;
    for (const qsizetype position : index.bookedBetween(first, last, today)) {
        const records::Booking line(index.line(position));
        found.append({bookingOf(line, index.bookedDate(position, today)), minuteOf(line)});
        found.last().booking.position = position;
        if (facts) {
            found.last().booking.salonFacts = facts->shownAt(position, line);
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

QList<Booking> bookingsBetween(const QByteArrayList& reservationLines, const QDate& first,
                               const QDate& last, const QDate& today,
                               const booking::BookingFacts* facts) {
    ReservationIndex index;
    index.sync(reservationLines);
    return bookingsBetween(index, first, last, today, facts);
}

}  // namespace records::sheets
