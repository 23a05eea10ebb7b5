#pragma once

#include "records/BookingFacts.h"
#include "records/ReservationRecord.h"

namespace records {
class ReservationIndex;
}

#include <QByteArrayList>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>

// The reservations of a few days as the printed sheets show them: texts as stored with the
// empty-field marks removed, in time order.
namespace records::sheets {

// The hours that have a row in the week's table.
inline constexpr int FirstTableHour = 8;
inline constexpr int LastTableHour = 24;

struct Booking {
    QDate date;
    int hour = 0;  // the hour field as a number, 0 when it is not one
    QString time;  // "hh:mm": hour and minute, two digits each when they are numbers
    // Every field as stored with the empty-field mark removed, by its place in the line.
    std::array<QString, reservation_record::FieldCount> texts;
    qsizetype position = -1;  // in the reservation list
    // 担当, 所要時間, 状態 when the sheet was asked for them, else nothing.
    QStringList salonFacts;
    // What the pet's カルテ tells of the day (its flags, the shots to renew) when its customer
    // has one and it was asked for; else empty.
    QString caution;

    const QString& text(reservation_record::Field field) const { return texts.at(field); }

    // Whether the week's table has a row for the hour.
    bool hasTableRow() const { return hour >= FirstTableHour && hour <= LastTableHour; }
};

// The reservations booked from `first` to `last`, ordered by day, hour and minute (numbers, a
// minute that is not one counting as 0), equal times in list order. A reservation without a
// valid date counts as booked on `today`, as in the week's table. The index finds the days'
// lines, so that only those are read. With `facts`, each booking carries what the salon keeps of
// it.
QList<Booking> bookingsBetween(const ReservationIndex& index, const QDate& first, const QDate& last,
                               const QDate& today, const booking::BookingFacts* facts = nullptr);
// The same for lines that have no index yet.
QList<Booking> bookingsBetween(const QByteArrayList& reservationLines, const QDate& first,
                               const QDate& last, const QDate& today,
                               const booking::BookingFacts* facts = nullptr);

}  // namespace records::sheets
