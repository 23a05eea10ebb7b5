#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QDate>
#include <QList>

#include <limits>

namespace records {

// The booked date and hour of every reservation line, read once when the line enters the list, so
// that showing a week does not split the whole history again.
class ReservationIndex {
public:
    // Brings the index in step with `lines`; only lines that changed since the last call are
    // read again (an append, a removal or a replacement of a few lines costs a few lines).
    void sync(const QByteArrayList& lines);

    // Positions in the list, in list order, of the reservations booked on a day from `first` to
    // `last`; a reservation without a valid date counts as booked on `today`.
    QList<qsizetype> bookedBetween(const QDate& first, const QDate& last, const QDate& today) const;

    QDate bookedDate(qsizetype position, const QDate& today) const;
    int bookedHour(qsizetype position) const;
    QByteArray tableEntry(qsizetype position) const;

private:
    struct Booking {
        QByteArray line;      // shares the list's bytes: an untouched line keeps the same data
        qint64 day;           // Julian day; NoDay when the date is invalid or depends on today
        bool dependsOnToday;  // invalid date, or a two-digit year (the century of today)
        QByteArrayList dateFields;  // kept only when the date depends on today
        int hour;
    };
    static constexpr qint64 NoDay = std::numeric_limits<qint64>::min();

    static Booking read(const QByteArray& line);

    QList<Booking> bookings_;
};

}  // namespace records
