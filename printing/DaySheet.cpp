#include "printing/DaySheet.h"

#include "printing/SheetText.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>
#include <array>

namespace printing {
namespace {

using records::sheets::Booking;
using namespace records::reservation_record;

constexpr double TextPoints = 8;
constexpr double CellPaddingMm = 1;
constexpr qsizetype LeastRowLines = 2;  // room to write in the notes column

struct Column {
    QString caption;
    double widthMm;
    // The texts of a booking in this column, one under the other.
    QStringList (*texts)(const Booking&);
};

QString joined(const QString& a, const QString& b) {
    return a.isEmpty() || b.isEmpty() ? a + b : a + QStringLiteral("・") + b;
}

// A column of one field, or of two fields one under the other.
template <Field field>
QStringList fieldText(const Booking& b) {
    return {b.text(field)};
}

template <Field upper, Field lower>
QStringList fieldTexts(const Booking& b) {
    return {b.text(upper), b.text(lower)};
}

const std::array<Column, 8> Columns = {{
    {QStringLiteral("時刻"), 13, [](const Booking& b) { return QStringList{b.time}; }},
    {QStringLiteral("お名前\nふりがな"), 30, fieldTexts<Shimei, Furigana>},
    {QStringLiteral("電話番号\n携帯電話"), 27, fieldTexts<TelephoneNo, MobilPhoneNo>},
    {QStringLiteral("ペット名\n種類・種 等"), 28,
     [](const Booking& b) {
         return QStringList{b.text(PetName), joined(b.text(Shu), b.text(ShuNado))};
     }},
    {QStringLiteral("シャンプー\nスタイル"), 20, fieldTexts<Shamp, Style>},
    {QStringLiteral("ヒゲカット\n爪切り"), 16, fieldTexts<SonotaHigeCut, SonotaTumekiri>},
    {QStringLiteral("備考"), 32, fieldText<SonotaBikou>},
    {QStringLiteral("メモ"), 24, [](const Booking&) { return QStringList{}; }},
}};

// A row's lines, column by column.
using RowLines = std::array<QStringList, Columns.size()>;

// A stretch of one row on one page: lines `from` to `from + count` of every column.
struct Slice {
    qsizetype row;
    qsizetype from;
    qsizetype count;
};

class DayLayout {
public:
    explicit DayLayout(const QPaintDevice& device)
        : device_(device),
          font_(sheetFont(TextPoints)),
          lineHeight_(QFontMetricsF(font_, &device).lineSpacing()),
          padding_(mm(device, CellPaddingMm)) {
        double totalMm = 0;
        for (const Column& column : Columns) {
            totalMm += column.widthMm;
        }
        // The columns share the page's width in their proportions.
        for (const Column& column : Columns) {
            widths_.append(device.width() * column.widthMm / totalMm);
        }
    }

    QFont font() const { return font_; }
    double width(std::size_t column) const { return widths_.at(column); }
    double height(qsizetype lines) const { return lines * lineHeight_ + 2 * padding_; }
    double padding() const { return padding_; }

    RowLines wrap(const std::array<QStringList, Columns.size()>& texts) const {
        RowLines lines;
        for (std::size_t column = 0; column < Columns.size(); ++column) {
            for (const QString& text : texts[column]) {
                lines[column] += wrapText(text, font_, device_, widths_.at(column) - 2 * padding_);
            }
        }
        return lines;
    }

    static qsizetype lineCount(const RowLines& lines) {
        qsizetype most = LeastRowLines;
        for (const QStringList& column : lines) {
            most = std::max(most, column.size());
        }
        return most;
    }

    // The rows' slices, page by page, in `room` lines' worth of height below each header.
    QList<QList<Slice>> pages(const QList<RowLines>& rows, double room) const {
        const qsizetype linesPerPage =
            std::max<qsizetype>(static_cast<qsizetype>((room - 2 * padding_) / lineHeight_), 1);
        QList<QList<Slice>> pages(1);
        double left = room;
        for (qsizetype row = 0; row < rows.size(); ++row) {
            const qsizetype lines = lineCount(rows.at(row));
            if (height(lines) > left && !pages.last().isEmpty()) {
                pages.emplace_back();
                left = room;
            }
            for (qsizetype from = 0; from < lines;) {
                if (from > 0) {
                    pages.emplace_back();
                    left = room;
                }
                const qsizetype count = std::min(lines - from, linesPerPage);
                pages.last().append({row, from, count});
                left -= height(count);
                from += count;
            }
        }
        return pages;
    }

private:
    const QPaintDevice& device_;
    QFont font_;
    double lineHeight_;
    double padding_;
    QList<double> widths_;
};

// The column captions on a grey band; returns its bottom.
double paintColumnHeader(QPainter& painter, const DayLayout& layout, double top) {
    RowLines captions;
    for (std::size_t column = 0; column < Columns.size(); ++column) {
        captions[column] = Columns[column].caption.split(QLatin1Char('\n'));
    }
    const double height = layout.height(LeastRowLines);
    painter.setFont(sheetFont(TextPoints, true));
    double left = 0;
    for (std::size_t column = 0; column < Columns.size(); ++column) {
        const QRectF cell(left, top, layout.width(column), height);
        painter.fillRect(cell, QColor(230, 230, 230));
        painter.drawRect(cell);
        drawLines(painter, cell.adjusted(layout.padding(), layout.padding(), 0, 0),
                  captions[column]);
        left += layout.width(column);
    }
    return top + height;
}

double paintSlice(QPainter& painter, const DayLayout& layout, const RowLines& row,
                  const Slice& slice, double top) {
    const double height = layout.height(slice.count);
    painter.setFont(layout.font());
    double left = 0;
    for (std::size_t column = 0; column < Columns.size(); ++column) {
        const QRectF cell(left, top, layout.width(column), height);
        painter.drawRect(cell);
        drawLines(painter, cell.adjusted(layout.padding(), layout.padding(), 0, 0),
                  row[column].mid(slice.from, slice.count));
        left += layout.width(column);
    }
    return top + height;
}

}  // namespace

DaySheet::DaySheet(const QDate& day, const QDateTime& printedAt,
                   QList<records::sheets::Booking> bookings)
    : BookingSheet(QPageLayout::Portrait, day, printedAt, std::move(bookings)) {}

void DaySheet::paint(QPainter& painter, QPagedPaintDevice& device) const {
    const QString title = QStringLiteral("日の予約表　") + longDate(firstDay()) +
                          QStringLiteral("　%1 件").arg(bookings().size());
    const DayLayout layout(device);
    QList<RowLines> rows;
    rows.reserve(bookings().size());
    for (const Booking& booking : bookings()) {
        std::array<QStringList, Columns.size()> texts;
        for (std::size_t column = 0; column < Columns.size(); ++column) {
            texts[column] = Columns[column].texts(booking);
        }
        rows.append(layout.wrap(texts));
    }
    const double tableTop = drawPageHeader(painter, device, title, printedAt());
    const double rowsTop = tableTop + layout.height(LeastRowLines);
    const QList<QList<Slice>> pages =
        layout.pages(rows, device.height() - rowsTop - footerHeight(device));
    for (qsizetype page = 0; page < pages.size(); ++page) {
        if (page > 0) {
            device.newPage();
            drawPageHeader(painter, device, title, printedAt());
        }
        double top = paintColumnHeader(painter, layout, tableTop);
        for (const Slice& slice : pages.at(page)) {
            top = paintSlice(painter, layout, rows.at(slice.row), slice, top);
        }
        drawPageFooter(painter, device, static_cast<int>(page + 1), static_cast<int>(pages.size()));
    }
}

}  // namespace printing
