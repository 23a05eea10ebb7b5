#pragma once

#include "printing/Sheet.h"
#include "records/SheetBookings.h"

#include <QDate>
#include <QDateTime>
#include <QList>

namespace printing {

// A sheet of the bookings from one day on, on A4 with the same margins in either orientation;
// every page is headed with the time it was printed.
class BookingSheet : public Sheet {
public:
    QPageLayout pageLayout() const override;

protected:
    BookingSheet(QPageLayout::Orientation orientation, const QDate& firstDay,
                 const QDateTime& printedAt, QList<records::sheets::Booking> bookings);

    const QDate& firstDay() const { return firstDay_; }
    const QDateTime& printedAt() const { return printedAt_; }
    const QList<records::sheets::Booking>& bookings() const { return bookings_; }

private:
    QPageLayout::Orientation orientation_;
    QDate firstDay_;
    QDateTime printedAt_;
    QList<records::sheets::Booking> bookings_;
};

}  // namespace printing
