#pragma once

#include "printing/BookingSheet.h"

namespace printing {

// One day's bookings in time order on portrait A4, one row each: time, owner and reading,
// telephone and mobile, pet with kind and breed, shampoo and style, whisker cut and nail
// clipping, the remarks in full, and a blank column for the groomer's notes. A row that does not
// fit the rest of a page starts the next; one taller than a page continues over pages. Bookings
// that carry the salon's facts show them too, groomer, minutes and status, before the remarks.
// The sheet of the confirmation calls has a column for the tick and no remarks instead. Bookings
// whose pet's カルテ has something to tell show it in a column 注意 after the services.
class DaySheet : public BookingSheet {
public:
    enum class Purpose { Bookings, Calls };

    DaySheet(const QDate& day, const QDateTime& printedAt, QList<records::sheets::Booking> bookings,
             Purpose purpose = Purpose::Bookings);

    void paint(QPainter& painter, QPagedPaintDevice& device) const override;

private:
    Purpose purpose_;
};

}  // namespace printing
