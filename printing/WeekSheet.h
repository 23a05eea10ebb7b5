#pragma once

#include "printing/BookingSheet.h"

namespace printing {

// The week from `weekStart` (a Sunday) on one landscape A4 page: the days across, the hours 8 to
// 24 down, each booking in its cell as "hh:mm 飼主/ペット" with its services in short form.
// Bookings at hours without a row are listed below the table. What does not fit a cell goes on
// further pages that repeat the table with the rest.
class WeekSheet : public BookingSheet {
public:
    // The line of one booking in its cell.
    static QString entryText(const records::sheets::Booking& booking);

    WeekSheet(const QDate& weekStart, const QDateTime& printedAt,
              QList<records::sheets::Booking> bookings);

    void paint(QPainter& painter, QPagedPaintDevice& device) const override;
};

}  // namespace printing
