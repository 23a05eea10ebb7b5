#pragma once

#include "printing/BookingSheet.h"

namespace printing {

// One day's bookings in time order on portrait A4, one row each: time, owner and reading,
// telephone and mobile, pet with kind and breed, shampoo and style, whisker cut and nail
// clipping, the remarks in full, and a blank column for the groomer's notes. A row that does not
// fit the rest of a page starts the next; one taller than a page continues over pages.
class DaySheet : public BookingSheet {
public:
    DaySheet(const QDate& day, const QDateTime& printedAt,
             QList<records::sheets::Booking> bookings);

    void paint(QPainter& painter, QPagedPaintDevice& device) const override;
};

}  // namespace printing
