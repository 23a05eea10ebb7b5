#include "records/DayBoardLayout.h"

#include "records/BookingDetails.h"

#include <algorithm>
#include <numeric>

namespace records::dayboard {
namespace {

int rowStartBefore(int minute) {
    return minute / RowMinutes * RowMinutes;
}

int rowEndAfter(int minute) {
    return (minute + RowMinutes - 1) / RowMinutes * RowMinutes;
}

QStringList columnsOf(const QList<DayBooking>& bookings, const QStringList& groomers) {
    QStringList columns{booking::UndecidedGroomer};
    columns.append(groomers);
    for (const DayBooking& booking : bookings) {
        if (!booking.groomer.isEmpty() && !columns.sliced(1).contains(booking.groomer)) {
            columns.append(booking.groomer);
        }
    }
    return columns;
}

bool overlap(const Block& a, const Block& b) {
    return a.startMinute < b.endMinute && b.startMinute < a.endMinute;
}

// Gives the blocks of one column (indexes into `blocks`, in time order) their lanes: blocks that
// overlap, directly or through others, form a group whose lanes share the column's width, and
// each block takes the first lane free at its start.
void placeInLanes(QList<Block>& blocks, const QList<qsizetype>& column) {
    qsizetype groupBegin = 0;
    QList<int> laneEnds;  // where the last block of each lane of the group ends
    const auto closeGroup = [&](qsizetype groupEnd) {
        for (qsizetype i = groupBegin; i < groupEnd; ++i) {
            blocks[column.at(i)].laneCount = static_cast<int>(laneEnds.size());
        }
        laneEnds.clear();
        groupBegin = groupEnd;
    };
    for (qsizetype i = 0; i < column.size(); ++i) {
        Block& block = blocks[column.at(i)];
        if (!laneEnds.isEmpty() &&
            block.startMinute >= *std::max_element(laneEnds.cbegin(), laneEnds.cend())) {
            closeGroup(i);
        }
        const auto freeLane = std::find_if(laneEnds.begin(), laneEnds.end(),
                                           [&](int end) { return end <= block.startMinute; });
        block.lane = static_cast<int>(freeLane - laneEnds.begin());
        if (freeLane == laneEnds.end()) {
            laneEnds.append(block.endMinute);
        } else {
            *freeLane = block.endMinute;
        }
    }
    closeGroup(column.size());
}

// Cancelled bookings take no groomer's time, so they neither are nor make an overlap.
void markOverlaps(QList<Block>& blocks, const QList<DayBooking>& bookings,
                  const QList<qsizetype>& column) {
    for (qsizetype i = 0; i < column.size(); ++i) {
        for (qsizetype j = i + 1; j < column.size(); ++j) {
            const qsizetype a = column.at(i);
            const qsizetype b = column.at(j);
            if (!bookings.at(a).cancelled && !bookings.at(b).cancelled &&
                overlap(blocks.at(a), blocks.at(b))) {
                blocks[a].overlapping = blocks[b].overlapping = true;
            }
        }
    }
}

}  // namespace

int Layout::columnOf(const QString& groomer) const {
    return groomer.isEmpty() ? 0 : static_cast<int>(columns.indexOf(groomer, 1));
}

QString groomerOfColumn(const Layout& layout, int column) {
    return column <= 0 ? QString() : layout.columns.at(column);
}

Layout layOut(const QList<DayBooking>& bookings, const QStringList& groomers) {
    Layout layout;
    layout.columns = columnsOf(bookings, groomers);
    for (const DayBooking& booking : bookings) {
        Block block;
        block.position = booking.position;
        block.column = layout.columnOf(booking.groomer);
        block.startMinute = std::clamp(booking.startMinute, 0, MinutesOfDay - 1);
        block.endMinute =
            std::clamp(block.startMinute + std::max(booking.minutes, 1), 1, MinutesOfDay);
        layout.firstMinute = std::min(layout.firstMinute, rowStartBefore(block.startMinute));
        layout.endMinute = std::max(layout.endMinute, rowEndAfter(block.endMinute));
        layout.blocks.append(block);
    }
    QList<qsizetype> order(layout.blocks.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        return layout.blocks.at(a).startMinute < layout.blocks.at(b).startMinute;
    });
    for (int column = 0; column < layout.columns.size(); ++column) {
        QList<qsizetype> inColumn;
        for (const qsizetype i : order) {
            if (layout.blocks.at(i).column == column) {
                inColumn.append(i);
            }
        }
        placeInLanes(layout.blocks, inColumn);
        markOverlaps(layout.blocks, bookings, inColumn);
    }
    return layout;
}

}  // namespace records::dayboard
