#include "printing/SheetText.h"

#include "records/RecordFormat.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QTextLayout>

namespace printing {
namespace {

constexpr double HeaderPoints = 11;
constexpr double SmallPoints = 7;

}  // namespace

double mm(const QPaintDevice& device, double millimetres) {
    return millimetres * device.logicalDpiY() / 25.4;
}

QFont sheetFont(double points, bool bold) {
    QFont font(QStringLiteral("IPAGothic"));
    font.setFamilies({QStringLiteral("IPAGothic"), QStringLiteral("IPAPGothic"),
                      QStringLiteral("Noto Sans CJK JP"), QStringLiteral("VL Gothic")});
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QStringList wrapText(const QString& text, const QFont& font, const QPaintDevice& device,
                     double width) {
    QStringList lines;
    for (const QString& paragraph : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        QTextLayout layout(paragraph, font, const_cast<QPaintDevice*>(&device));
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            lines.append(paragraph.mid(line.textStart(), line.textLength()));
        }
        layout.endLayout();
    }
    return lines;
}

void FlowingLines::addEntry(const QStringList& lines) {
    for (qsizetype i = 0; i < lines.size(); ++i) {
        lines_.append(lines.at(i));
        startsEntry_.append(i == 0);
    }
}

QStringList FlowingLines::take(qsizetype room) {
    qsizetype end = std::min(lines_.size(), next_ + std::max<qsizetype>(room, 1));
    if (end < lines_.size()) {
        qsizetype entryStart = end;
        while (entryStart > next_ && !startsEntry_.at(entryStart)) {
            --entryStart;
        }
        if (entryStart > next_) {
            end = entryStart;
        }
    }
    const QStringList taken = lines_.mid(next_, end - next_);
    next_ = end;
    return taken;
}

void drawLines(QPainter& painter, const QRectF& area, const QStringList& lines) {
    const QFontMetricsF metrics(painter.font(), painter.device());
    double baseline = area.top() + metrics.ascent();
    for (const QString& line : lines) {
        painter.drawText(QPointF(area.left(), baseline), line);
        baseline += metrics.lineSpacing();
    }
}

QString longDate(const QDate& date) {
    return date.toString(QStringLiteral("yyyy年MM月dd日(")) + records::weekdayName(date) +
           QLatin1Char(')');
}

QString shortDate(const QDate& date) {
    return date.toString(QStringLiteral("MM/dd(")) + records::weekdayName(date) + QLatin1Char(')');
}

double drawPageHeader(QPainter& painter, const QPaintDevice& device, const QString& title,
                      const QDateTime& printedAt) {
    painter.setFont(sheetFont(HeaderPoints, true));
    const QFontMetricsF metrics(painter.font(), &device);
    painter.drawText(QPointF(0, metrics.ascent()), title);
    painter.setFont(sheetFont(SmallPoints));
    const QString printed =
        QStringLiteral("印刷日 ") + printedAt.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    const QFontMetricsF small(painter.font(), &device);
    painter.drawText(QPointF(device.width() - small.horizontalAdvance(printed), metrics.ascent()),
                     printed);
    return metrics.height() + mm(device, 3);
}

double footerHeight(const QPaintDevice& device) {
    return QFontMetricsF(sheetFont(SmallPoints), &device).height() + mm(device, 2);
}

void drawPageFooter(QPainter& painter, const QPaintDevice& device, int page, int pages,
                    const QString& note) {
    painter.setFont(sheetFont(SmallPoints));
    const QFontMetricsF metrics(painter.font(), &device);
    const double baseline = device.height() - metrics.descent();
    const QString number = QStringLiteral("%1 / %2").arg(page).arg(pages);
    painter.drawText(QPointF(device.width() - metrics.horizontalAdvance(number), baseline), number);
    painter.drawText(QPointF(0, baseline), note);
}

}  // namespace printing
