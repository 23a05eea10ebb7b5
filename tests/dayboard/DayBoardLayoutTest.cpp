#include "records/DayBoardLayout.h"

#include <gtest/gtest.h>

namespace {

using records::dayboard::Block;
using records::dayboard::DayBooking;
using records::dayboard::layOut;

constexpr int at(int hour, int minute) {
    return hour * 60 + minute;
}

// What a block should be, as a row of the table: where it stands and whether it is marked.
struct Placed {
    int column, startMinute, endMinute, lane, laneCount;
    bool overlapping;
    friend bool operator==(const Placed&, const Placed&) = default;
};

void PrintTo(const Placed& p, std::ostream* out) {
    *out << "column " << p.column << ' ' << p.startMinute << '-' << p.endMinute << " lane "
         << p.lane << '/' << p.laneCount << (p.overlapping ? " overlapping" : "");
}

struct Case {
    const char* name;
    QStringList groomers;
    QList<DayBooking> bookings;  // positions are their order
    QStringList columns;
    int firstMinute, endMinute;
    QList<Placed> blocks;
};

DayBooking booked(int start, int minutes, const char* groomer = "", bool cancelled = false) {
    return {-1, start, minutes, QString::fromUtf8(groomer), cancelled};
}

const QString Undecided = QStringLiteral("未定");
const QString Sato = QStringLiteral("佐藤");
const QString Suzuki = QStringLiteral("鈴木");

QList<Case> cases() {
    const QStringList two{Sato, Suzuki};
    const QStringList columns{Undecided, Sato, Suzuki};
    return {
        {"an empty day shows 9 to 19 with the undecided column",
         {},
         {},
         {Undecided},
         at(9, 0),
         at(19, 0),
         {}},
        {"an undecided booking",
         two,
         {booked(at(10, 30), 60)},
         columns,
         at(9, 0),
         at(19, 0),
         {{0, at(10, 30), at(11, 30), 0, 1, false}}},
        {"the same time for two groomers does not overlap",
         two,
         {booked(at(10, 0), 60, "佐藤"), booked(at(10, 0), 60, "鈴木")},
         columns,
         at(9, 0),
         at(19, 0),
         {{1, at(10, 0), at(11, 0), 0, 1, false}, {2, at(10, 0), at(11, 0), 0, 1, false}}},
        {"one groomer's two bookings at once stand side by side, marked",
         two,
         {booked(at(10, 30), 60, "佐藤"), booked(at(10, 0), 60, "佐藤")},
         columns,
         at(9, 0),
         at(19, 0),
         {{1, at(10, 30), at(11, 30), 1, 2, true}, {1, at(10, 0), at(11, 0), 0, 2, true}}},
        {"a booking that starts as another ends is no overlap",
         two,
         {booked(at(10, 0), 60, "佐藤"), booked(at(11, 0), 60, "佐藤")},
         columns,
         at(9, 0),
         at(19, 0),
         {{1, at(10, 0), at(11, 0), 0, 1, false}, {1, at(11, 0), at(12, 0), 0, 1, false}}},
        {"a chain of overlaps shares two lanes, the third booking taking the freed one",
         two,
         {booked(at(10, 0), 60, "鈴木"), booked(at(10, 30), 60, "鈴木"),
          booked(at(11, 0), 60, "鈴木"), booked(at(13, 0), 30, "鈴木")},
         columns,
         at(9, 0),
         at(19, 0),
         {{2, at(10, 0), at(11, 0), 0, 2, true},
          {2, at(10, 30), at(11, 30), 1, 2, true},
          {2, at(11, 0), at(12, 0), 0, 2, true},
          {2, at(13, 0), at(13, 30), 0, 1, false}}},
        {"a cancelled booking stands beside another but is no overlap",
         two,
         {booked(at(10, 0), 60, "", true), booked(at(10, 0), 60)},
         columns,
         at(9, 0),
         at(19, 0),
         {{0, at(10, 0), at(11, 0), 0, 2, false}, {0, at(10, 0), at(11, 0), 1, 2, false}}},
        {"bookings before 9 and after 19 widen the rows to whole quarters",
         {},
         {booked(at(8, 10), 30), booked(at(18, 50), 45)},
         {Undecided},
         at(8, 0),
         at(19, 45),
         {{0, at(8, 10), at(8, 40), 0, 1, false}, {0, at(18, 50), at(19, 35), 0, 1, false}}},
        {"a booking running past midnight ends with the day",
         {},
         {booked(at(23, 30), 90)},
         {Undecided},
         at(9, 0),
         at(24, 0),
         {{0, at(23, 30), at(24, 0), 0, 1, false}}},
        {"a groomer no longer in the list gets a column of the name",
         two,
         {booked(at(10, 0), 60, "田中"), booked(at(12, 0), 60, "佐藤"),
          booked(at(14, 0), 60, "田中")},
         {Undecided, Sato, Suzuki, QStringLiteral("田中")},
         at(9, 0),
         at(19, 0),
         {{3, at(10, 0), at(11, 0), 0, 1, false},
          {1, at(12, 0), at(13, 0), 0, 1, false},
          {3, at(14, 0), at(15, 0), 0, 1, false}}},
    };
}

TEST(DayBoardLayout, PlacesEachBooking) {
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.name);
        QList<DayBooking> bookings = c.bookings;
        for (qsizetype i = 0; i < bookings.size(); ++i) {
            bookings[i].position = i;
        }
        const records::dayboard::Layout layout = layOut(bookings, c.groomers);
        EXPECT_EQ(layout.columns, c.columns);
        EXPECT_EQ(layout.firstMinute, c.firstMinute);
        EXPECT_EQ(layout.endMinute, c.endMinute);
        EXPECT_EQ(layout.rowCount(), (c.endMinute - c.firstMinute) / 15);
        QList<Placed> placed;
        for (qsizetype i = 0; i < layout.blocks.size(); ++i) {
            const Block& b = layout.blocks.at(i);
            EXPECT_EQ(b.position, i);
            placed.append(
                {b.column, b.startMinute, b.endMinute, b.lane, b.laneCount, b.overlapping});
        }
        EXPECT_EQ(placed, c.blocks);
    }
}

}  // namespace
