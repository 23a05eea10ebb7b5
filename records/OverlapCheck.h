#pragma once

#include "records/BookingDetails.h"
#include "records/RecordLists.h"

#include <QByteArray>
#include <QDate>
#include <QList>

// Whether a booking being made leaves the salon with more dogs at one time than it has hands.
namespace records::booking {

// The time a booking takes on its day, in minutes from midnight: from `start` up to, not
// including, `start + minutes`, so that one booking ending when the next begins does not overlap.
struct BookedTime {
    QDate day;
    int start = 0;
    int minutes = 0;

    bool overlaps(const BookedTime& other) const;
};

// The day and time of the booking of `line` with `details`: its own minutes, else the usual
// time of its style and kind. An hour or minute that is not a number counts as 0.
BookedTime bookedTimeOf(const QByteArray& line, const BookingDetails& details,
                        const SalonSettings& settings, const QDate& today);

// "hh:mm" of a time in minutes from midnight.
QString clockText(int minuteOfDay);

struct OverlappingBooking {
    qsizetype position = -1;  // in the reservation list
    BookedTime time;
    BookingDetails details;
};

// The bookings of the list that share their time with `booking`, in time order, when they are
// more than the salon's groomers; nothing otherwise, and never while no groomer is set. Cancelled
// bookings take nobody's time, and the lines at `leaving` (the booking an update replaces, the
// pages deleted with it) are not counted. A groomer may start one dog while another dries, so
// only more overlapping bookings than groomers are worth a warning.
QList<OverlappingBooking> overlapsToWarnOf(const RecordLists& lists, const SalonSettings& settings,
                                           const BookedTime& booking,
                                           const QList<qsizetype>& leaving, const QDate& today);

}  // namespace records::booking
