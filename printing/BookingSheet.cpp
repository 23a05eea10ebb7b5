#include "printing/BookingSheet.h"

#include <QPageSize>

#include <utility>

namespace printing {

BookingSheet::BookingSheet(QPageLayout::Orientation orientation, const QDate& firstDay,
                           const QDateTime& printedAt, QList<records::sheets::Booking> bookings)
    : orientation_(orientation),
      firstDay_(firstDay),
      printedAt_(printedAt),
      bookings_(std::move(bookings)) {}

QPageLayout BookingSheet::pageLayout() const {
    return QPageLayout(QPageSize(QPageSize::A4), orientation_, QMarginsF(10, 10, 10, 10),
                       QPageLayout::Millimeter);
}

}  // namespace printing
