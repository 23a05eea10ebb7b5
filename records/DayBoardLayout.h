#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Where the bookings of one day stand on the day board: a column for each groomer, rows of a
// quarter of an hour, and bookings that share a groomer's time side by side.
namespace records::dayboard {

inline constexpr int RowMinutes = 15;
// The hours the board always shows, from 9 時 to 19 時.
inline constexpr int UsualFirstMinute = 9 * 60;
inline constexpr int UsualEndMinute = 19 * 60;
inline constexpr int MinutesOfDay = 24 * 60;

// One booking of the day as the board needs it.
struct DayBooking {
    qsizetype position = -1;  // in the reservation list
    int startMinute = 0;      // from midnight
    int minutes = 0;
    QString groomer;  // empty: undecided
    bool cancelled = false;
};

struct Block {
    qsizetype position = -1;
    int column = 0;
    int startMinute = 0;
    int endMinute = 0;
    // The block's place among the bookings it shares its column's time with.
    int lane = 0;
    int laneCount = 1;
    // It shares a groomer's time with another booking that is not cancelled.
    bool overlapping = false;
};

struct Layout {
    // 未定 first, then the groomers, then the names of bookings whose groomer left the list.
    QStringList columns;
    int firstMinute = UsualFirstMinute;  // of the first row
    int endMinute = UsualEndMinute;      // where the last row ends
    QList<Block> blocks;                 // in the order of the bookings given

    int rowCount() const { return (endMinute - firstMinute) / RowMinutes; }
    // The column a groomer's bookings go to; -1 for a name the board has no column of.
    int columnOf(const QString& groomer) const;
};

// The groomer a column stands for: empty for 未定.
QString groomerOfColumn(const Layout& layout, int column);

Layout layOut(const QList<DayBooking>& bookings, const QStringList& groomers);

}  // namespace records::dayboard
