#pragma once

#include "records/Karte.h"
#include "records/KarteCheck.h"
#include "records/SheetBookings.h"

#include <QByteArrayView>
#include <QDate>
#include <QHash>
#include <QList>

#include <optional>

namespace records {
class RecordLists;
}

// Finding the カルテ of the pet a booking is for, through the customer index and the store.
namespace records::karte {

// The カルテ of the first customer of the booking (customersOfBooking) that has one; nothing when
// none of them has one, or the salon keeps no store.
std::optional<Karte> karteOfBooking(const RecordLists& lists, QByteArrayView reservationLine);

// What the booking `reservationLine` would be asked about, read against the salon's settings;
// nothing when its pet has no カルテ. A line without a valid date counts as booked on `today`.
std::optional<BookingCheck> checkOfBooking(const RecordLists& lists, QByteArrayView reservationLine,
                                           const QDate& today);

// The same for the reservation lines at `positions`, with one query of the store for all of
// them; bookings whose pet has no カルテ are left out.
QHash<qsizetype, Karte> kartenOfBookings(const RecordLists& lists,
                                         const QList<qsizetype>& positions);

// Each booking's caution: cautionText() of its pet's カルテ on its day, with one query for all.
void noteCautions(const RecordLists& lists, QList<sheets::Booking>& bookings);

}  // namespace records::karte
