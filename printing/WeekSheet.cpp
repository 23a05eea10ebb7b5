#include "printing/WeekSheet.h"

#include "printing/SheetText.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>
#include <array>
#include <numeric>

namespace printing {
namespace {

using records::sheets::Booking;

constexpr int Days = 7;
constexpr int Hours = records::sheets::LastTableHour - records::sheets::FirstTableHour + 1;
constexpr double EntryPoints = 7;
constexpr double HourColumnMm = 12;
constexpr double DayHeaderMm = 6;
constexpr double CellPaddingMm = 0.8;
constexpr double RowPaddingMm = 1.2;
constexpr qsizetype MostOffTableLinesPerPage = 6;
// No hour takes more than this share of the table's lines, so that the table keeps its shape
// and a crowded hour continues on the next page instead.
constexpr qsizetype MostLinesShareOfOneRow = 4;

const QString Legend = QStringLiteral(
    "シャンプー レ:レギュラー 持:持込み 他:その他 ／ スタイル バ:バリカン プ:プードル "
    "モ:モンペ 他:その他 ／ ヒ:ヒゲカット 爪:爪切り");
const QString OffTableTitle = QStringLiteral("表の時間（8〜24 時）にない予約");

// The first character of a stored choice stands for it; "その他" is 他.
QString shortForm(const QString& value) {
    if (value == QStringLiteral("その他")) {
        return QStringLiteral("他");
    }
    return value.left(1);
}

using Cells = std::array<std::array<FlowingLines, Hours>, Days>;

struct Page {
    std::array<qsizetype, Hours> rowLines{};
    std::array<std::array<QStringList, Hours>, Days> cells;
    QStringList offTable;
};

// Shares `budget` lines among the rows: every row one line at least, then each row what it
// needs up to a quarter of the budget, the busiest rows cut back to one common height when
// there is not room for all.
std::array<qsizetype, Hours> shareLines(const std::array<qsizetype, Hours>& needs,
                                        qsizetype budget) {
    std::array<qsizetype, Hours> lines{};
    qsizetype cap =
        std::min(*std::max_element(needs.begin(), needs.end()), budget / MostLinesShareOfOneRow);
    const auto total = [&](qsizetype limit) {
        qsizetype sum = 0;
        for (const qsizetype need : needs) {
            sum += std::clamp<qsizetype>(need, 1, std::max<qsizetype>(limit, 1));
        }
        return sum;
    };
    while (cap > 1 && total(cap) > budget) {
        --cap;
    }
    for (int row = 0; row < Hours; ++row) {
        lines[row] = std::clamp<qsizetype>(needs[row], 1, std::max<qsizetype>(cap, 1));
    }
    // Lines left over make the rows taller alike, so that the table fills its page.
    const qsizetype spare = std::max<qsizetype>(budget - total(cap), 0) / Hours;
    for (qsizetype& row : lines) {
        row += spare;
    }
    return lines;
}

class WeekLayout {
public:
    WeekLayout(const QPaintDevice& device, const QDate& weekStart, const QList<Booking>& bookings)
        : device_(device),
          font_(sheetFont(EntryPoints)),
          lineHeight_(QFontMetricsF(font_, &device).lineSpacing()),
          dayWidth_((device.width() - mm(device, HourColumnMm)) / Days) {
        const double textWidth = dayWidth_ - 2 * mm(device, CellPaddingMm);
        for (const Booking& booking : bookings) {
            if (booking.hasTableRow()) {
                const auto day = std::clamp<qint64>(weekStart.daysTo(booking.date), 0, Days - 1);
                const int row = booking.hour - records::sheets::FirstTableHour;
                cells_[day][row].addEntry(
                    wrapText(WeekSheet::entryText(booking), font_, device, textWidth));
            } else {
                offTable_.addEntry(wrapText(
                    shortDate(booking.date) + QLatin1Char(' ') + WeekSheet::entryText(booking),
                    font_, device, device.width()));
            }
        }
    }

    double lineHeight() const { return lineHeight_; }
    double dayWidth() const { return dayWidth_; }
    QFont font() const { return font_; }

    // Fills the pages in the room `tableTop` leaves, until every line has a place.
    QList<Page> pages(double tableTop) {
        QList<Page> pages;
        do {
            pages.append(nextPage(tableTop));
        } while (anyLeft());
        return pages;
    }

    double rowHeight(qsizetype lines) const {
        return lines * lineHeight_ + mm(device_, RowPaddingMm);
    }
    double offTableHeight(qsizetype lines) const {
        return lines == 0 ? 0 : (lines + 1) * lineHeight_ + mm(device_, 2);
    }

private:
    bool anyLeft() const {
        for (const auto& day : cells_) {
            for (const FlowingLines& cell : day) {
                if (cell.remaining() > 0) {
                    return true;
                }
            }
        }
        return offTable_.remaining() > 0;
    }

    Page nextPage(double tableTop) {
        Page page;
        const qsizetype offTableRoom = std::min(offTable_.remaining(), MostOffTableLinesPerPage);
        const double tableHeight = device_.height() - tableTop - mm(device_, DayHeaderMm) -
                                   footerHeight(device_) - offTableHeight(offTableRoom);
        const qsizetype budget =
            static_cast<qsizetype>((tableHeight - Hours * mm(device_, RowPaddingMm)) / lineHeight_);
        std::array<qsizetype, Hours> needs{};
        for (int row = 0; row < Hours; ++row) {
            for (int day = 0; day < Days; ++day) {
                needs[row] = std::max(needs[row], cells_[day][row].remaining());
            }
        }
        page.rowLines = shareLines(needs, budget);
        for (int day = 0; day < Days; ++day) {
            for (int row = 0; row < Hours; ++row) {
                if (cells_[day][row].remaining() > 0) {
                    page.cells[day][row] = cells_[day][row].take(page.rowLines[row]);
                }
            }
        }
        if (offTableRoom > 0) {
            page.offTable = offTable_.take(offTableRoom);
        }
        return page;
    }

    const QPaintDevice& device_;
    QFont font_;
    double lineHeight_;
    double dayWidth_;
    Cells cells_;
    FlowingLines offTable_;
};

QString hourLabel(int row) {
    return QStringLiteral("%1 時").arg(row + records::sheets::FirstTableHour, 2, 10,
                                       QLatin1Char('0'));
}

void paintPage(QPainter& painter, const QPaintDevice& device, const WeekLayout& layout,
               const Page& page, double tableTop, const QDate& weekStart) {
    const double hourWidth = mm(device, HourColumnMm);
    const double padding = mm(device, CellPaddingMm);
    const double headerHeight = mm(device, DayHeaderMm);
    painter.setFont(sheetFont(EntryPoints + 1, true));
    for (int day = 0; day < Days; ++day) {
        const QRectF header(hourWidth + day * layout.dayWidth(), tableTop, layout.dayWidth(),
                            headerHeight);
        painter.fillRect(header, QColor(230, 230, 230));
        painter.drawRect(header);
        painter.drawText(header, Qt::AlignCenter, shortDate(weekStart.addDays(day)));
    }
    double top = tableTop + headerHeight;
    for (int row = 0; row < Hours; ++row) {
        const double height = layout.rowHeight(page.rowLines[row]);
        const QRectF hourCell(0, top, hourWidth, height);
        painter.setFont(sheetFont(EntryPoints + 1, true));
        painter.fillRect(hourCell, QColor(230, 230, 230));
        painter.drawRect(hourCell);
        painter.drawText(hourCell.adjusted(padding, padding, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                         hourLabel(row));
        painter.setFont(layout.font());
        for (int day = 0; day < Days; ++day) {
            const QRectF cell(hourWidth + day * layout.dayWidth(), top, layout.dayWidth(), height);
            painter.drawRect(cell);
            drawLines(painter, cell.adjusted(padding, padding / 2, -padding, 0),
                      page.cells[day][row]);
        }
        top += height;
    }
    if (!page.offTable.isEmpty()) {
        top += mm(device, 2);
        painter.setFont(sheetFont(EntryPoints, true));
        drawLines(painter, QRectF(0, top, device.width(), layout.lineHeight()), {OffTableTitle});
        painter.setFont(layout.font());
        drawLines(painter, QRectF(0, top + layout.lineHeight(), device.width(), 0), page.offTable);
    }
}

}  // namespace

WeekSheet::WeekSheet(const QDate& weekStart, const QDateTime& printedAt,
                     QList<records::sheets::Booking> bookings)
    : BookingSheet(QPageLayout::Landscape, weekStart, printedAt, std::move(bookings)) {}

QString WeekSheet::entryText(const Booking& booking) {
    using namespace records::reservation_record;
    QStringList services = {shortForm(booking.text(Shamp)), shortForm(booking.text(Style))};
    for (const QString& extra : {booking.text(SonotaHigeCut), booking.text(SonotaTumekiri)}) {
        if (!extra.isEmpty()) {
            services.append(shortForm(extra));
        }
    }
    services.removeAll(QString());
    QString text = booking.time + QLatin1Char(' ') + booking.text(Shimei) + QLatin1Char('/') +
                   booking.text(PetName);
    if (!services.isEmpty()) {
        text += QLatin1Char(' ') + services.join(QStringLiteral("・"));
    }
    return text;
}

void WeekSheet::paint(QPainter& painter, QPagedPaintDevice& device) const {
    const QString title = QStringLiteral("週の予約表　") + longDate(firstDay()) +
                          QStringLiteral("〜") + longDate(firstDay().addDays(Days - 1));
    // The header's height is the same on every page; it is measured by drawing the first one.
    const double tableTop = drawPageHeader(painter, device, title, printedAt());
    WeekLayout layout(device, firstDay(), bookings());
    const QList<Page> pages = layout.pages(tableTop);
    for (qsizetype at = 0; at < pages.size(); ++at) {
        if (at > 0) {
            device.newPage();
            drawPageHeader(painter, device, title + QStringLiteral("（続き）"), printedAt());
        }
        paintPage(painter, device, layout, pages.at(at), tableTop, firstDay());
        drawPageFooter(painter, device, static_cast<int>(at + 1), static_cast<int>(pages.size()),
                       Legend);
    }
}

}  // namespace printing
