#pragma once

#include "printing/Sheet.h"
#include "records/Kaikei.h"

#include <QDateTime>
#include <QString>

namespace printing {

// The takings of a day or a month on one A4 page, as the takings window shows them.
class TakingsSheet : public Sheet {
public:
    TakingsSheet(QString period, records::kaikei::Takings takings, QDateTime printedAt);

    QPageLayout pageLayout() const override;
    void paint(QPainter& painter, QPagedPaintDevice& device) const override;

private:
    QString period_;
    records::kaikei::Takings takings_;
    QDateTime printedAt_;
};

}  // namespace printing
