#include "printing/TakingsSheet.h"

#include "printing/SheetText.h"

#include <QFontMetricsF>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>

#include <utility>

namespace printing {

TakingsSheet::TakingsSheet(QString period, records::kaikei::Takings takings, QDateTime printedAt)
    : period_(std::move(period)), takings_(takings), printedAt_(std::move(printedAt)) {}

QPageLayout TakingsSheet::pageLayout() const {
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                       QPageLayout::Millimeter);
}

void TakingsSheet::paint(QPainter& painter, QPagedPaintDevice& device) const {
    double y = drawPageHeader(painter, device, QStringLiteral("売上 ") + period_, printedAt_);
    const QList<QStringList> rows = records::kaikei::takingsRows(takings_);
    // Caption, count and amount: the numbers right-aligned in their columns.
    const double right[] = {0, mm(device, 120), mm(device, 170)};
    for (qsizetype at = 0; at < rows.size(); ++at) {
        painter.setFont(sheetFont(10, at == 0));
        const QFontMetricsF metrics(painter.font(), &device);
        const QStringList& row = rows.at(at);
        painter.drawText(QPointF(0, y + metrics.ascent()), row.at(0));
        for (int column = 1; column < 3; ++column) {
            painter.drawText(QPointF(right[column] - metrics.horizontalAdvance(row.at(column)),
                                     y + metrics.ascent()),
                             row.at(column));
        }
        y += metrics.height() * 1.4;
        if (at == 0 || at == 2) {
            painter.drawLine(QPointF(0, y - metrics.height() * 0.2),
                             QPointF(right[2], y - metrics.height() * 0.2));
        }
    }
}

}  // namespace printing
