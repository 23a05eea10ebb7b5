#include "printing/DaySheet.h"

#include "printing/SheetText.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>
#include <utility>

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

// The facts the salon keeps, when the sheet was given them: groomer, and minutes with status.
QStringList salonTexts(const Booking& b) {
    if (b.salonFacts.size() < 3) {
        return {};
    }
    return {b.salonFacts.at(0), b.salonFacts.at(1) + QStringLiteral("分・") + b.salonFacts.at(2)};
}

const Column Time{QStringLiteral("時刻"), 13, [](const Booking& b) { return QStringList{b.time}; }};
const Column Owner{QStringLiteral("お名前\nふりがな"), 30, fieldTexts<Shimei, Furigana>};
const Column Telephones{QStringLiteral("電話番号\n携帯電話"), 27,
                        fieldTexts<TelephoneNo, MobilPhoneNo>};
const Column Pet{QStringLiteral("ペット名\n種類・種 等"), 28, [](const Booking& b) {
                     return QStringList{b.text(PetName), joined(b.text(Shu), b.text(ShuNado))};
                 }};
const Column Services{QStringLiteral("シャンプー\nスタイル"), 20, fieldTexts<Shamp, Style>};
const Column Extras{QStringLiteral("ヒゲカット\n爪切り"), 16,
                    fieldTexts<SonotaHigeCut, SonotaTumekiri>};
const Column Salon{QStringLiteral("担当\n時間・状態"), 20, salonTexts};
const Column Caution{QStringLiteral("注意"), 20,
                     [](const Booking& b) { return QStringList{b.caution}; }};
const Column Remarks{QStringLiteral("備考"), 32, fieldText<SonotaBikou>};
const Column Notes{QStringLiteral("メモ"), 24, [](const Booking&) { return QStringList{}; }};
// A booking already confirmed shows its status; the others leave room for a tick.
const Column Called{QStringLiteral("確認"), 12, [](const Booking& b) {
                        const QString booked =
                            records::booking::statusCaption(records::booking::Status::Yoyaku);
                        return b.salonFacts.size() < 3 || b.salonFacts.at(2) == booked
                                   ? QStringList{}
                                   : QStringList{b.salonFacts.at(2)};
                    }};

using Columns = QList<const Column*>;

// The salon's facts and the カルテ's cautions each have a column only when a booking has them.
Columns columnsOf(DaySheet::Purpose purpose, bool withSalon, bool withCautions) {
    Columns columns;
    if (purpose == DaySheet::Purpose::Calls) {
        columns = {&Called, &Time, &Owner, &Telephones, &Pet, &Services, &Extras, &Notes};
    } else if (withSalon) {
        columns = {&Time, &Owner, &Telephones, &Pet, &Services, &Extras, &Salon, &Remarks, &Notes};
    } else {
        columns = {&Time, &Owner, &Telephones, &Pet, &Services, &Extras, &Remarks, &Notes};
    }
    if (withCautions) {
        // Beside the pet and its services, where the groomer reads first.
        columns.insert(columns.indexOf(&Extras) + 1, &Caution);
    }
    return columns;
}

// A row's lines, column by column.
using RowLines = QList<QStringList>;

// A stretch of one row on one page: lines `from` to `from + count` of every column.
struct Slice {
    qsizetype row;
    qsizetype from;
    qsizetype count;
};

class DayLayout {
public:
    DayLayout(const QPaintDevice& device, Columns columns)
        : device_(device),
          columns_(std::move(columns)),
          font_(sheetFont(TextPoints)),
          lineHeight_(QFontMetricsF(font_, &device).lineSpacing()),
          padding_(mm(device, CellPaddingMm)) {
        double totalMm = 0;
        for (const Column* column : columns_) {
            totalMm += column->widthMm;
        }
        // The columns share the page's width in their proportions.
        for (const Column* column : columns_) {
            widths_.append(device.width() * column->widthMm / totalMm);
        }
    }

    QFont font() const { return font_; }
    const Columns& columns() const { return columns_; }
    double width(qsizetype column) const { return widths_.at(column); }
    double height(qsizetype lines) const { return lines * lineHeight_ + 2 * padding_; }
    double padding() const { return padding_; }

    RowLines wrap(const Booking& booking) const {
        RowLines lines(columns_.size());
        for (qsizetype column = 0; column < columns_.size(); ++column) {
            for (const QString& text : columns_.at(column)->texts(booking)) {
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
    Columns columns_;
    QFont font_;
    double lineHeight_;
    double padding_;
    QList<double> widths_;
};

// The column captions on a grey band; returns its bottom.
double paintColumnHeader(QPainter& painter, const DayLayout& layout, double top) {
    const Columns& columns = layout.columns();
    RowLines captions;
    for (const Column* column : columns) {
        captions.append(column->caption.split(QLatin1Char('\n')));
    }
    const double height = layout.height(LeastRowLines);
    painter.setFont(sheetFont(TextPoints, true));
    double left = 0;
    for (qsizetype column = 0; column < columns.size(); ++column) {
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
    for (qsizetype column = 0; column < row.size(); ++column) {
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
                   QList<records::sheets::Booking> bookings, Purpose purpose)
    : BookingSheet(QPageLayout::Portrait, day, printedAt, std::move(bookings)), purpose_(purpose) {}

void DaySheet::paint(QPainter& painter, QPagedPaintDevice& device) const {
    const QString heading = purpose_ == Purpose::Calls ? QStringLiteral("確認の電話　")
                                                       : QStringLiteral("日の予約表　");
    const QString title =
        heading + longDate(firstDay()) + QStringLiteral("　%1 件").arg(bookings().size());
    const bool withSalon = std::any_of(bookings().cbegin(), bookings().cend(),
                                       [](const Booking& b) { return !b.salonFacts.isEmpty(); });
    const bool withCautions = std::any_of(bookings().cbegin(), bookings().cend(),
                                          [](const Booking& b) { return !b.caution.isEmpty(); });
    const DayLayout layout(device, columnsOf(purpose_, withSalon, withCautions));
    QList<RowLines> rows;
    rows.reserve(bookings().size());
    for (const Booking& booking : bookings()) {
        rows.append(layout.wrap(booking));
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
