#pragma once

#include "printing/Sheet.h"
#include "records/Kaikei.h"

#include <QPageSize>

namespace printing {

// The receipt of one payment as a qualified simplified invoice: the salon's name and registration
// number, the date, what was done, the total for the 10% rate and its tax; on A6 or A4.
class ReceiptSheet : public Sheet {
public:
    ReceiptSheet(records::kaikei::Receipt receipt, QPageSize::PageSizeId size);

    QPageLayout pageLayout() const override;
    void paint(QPainter& painter, QPagedPaintDevice& device) const override;

private:
    records::kaikei::Receipt receipt_;
    QPageSize::PageSizeId size_;
};

}  // namespace printing
