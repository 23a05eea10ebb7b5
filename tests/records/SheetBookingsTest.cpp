#include "records/ReservationRecord.h"
#include "records/SheetBookings.h"
#include "tests/support/RecordLines.h"

#include <gtest/gtest.h>

using namespace records;
using records::sheets::bookingsBetween;
using testing_support::recordLine;

namespace {

const QDate Monday(2026, 12, 7);
const QDate Sunday(2026, 12, 6);
const QDate Saturday(2026, 12, 12);

QByteArray line(const char* niti, const char* jikan, const char* hun, const char* shimei,
                const char* nen = "2026", const char* tuki = "12") {
    using namespace reservation_record;
    return recordLine(FieldCount, {{YoyakuNen, nen},
                                   {YoyakuTuki, tuki},
                                   {YoyakuNiti, niti},
                                   {YoyakuJikan, jikan},
                                   {YoyakuHun, hun},
                                   {Shimei, shimei},
                                   {PetName, "モモ"},
                                   {Shu, "犬"},
                                   {SonotaBikou, "長い備考"}});
}

QStringList owners(const QList<sheets::Booking>& bookings) {
    QStringList names;
    for (const sheets::Booking& booking : bookings) {
        names.append(booking.text(reservation_record::Shimei));
    }
    return names;
}

TEST(SheetBookings, OrderedByDayHourAndMinuteWithTiesInListOrder) {
    const QByteArrayList lines = {line("08", "10", "30", "c"), line("07", "17", "00", "b"),
                                  line("08", "10", "05", "d"), line("07", "9", "45", "a"),
                                  line("08", "10", "30", "e"), line("08", "08", "xx", "f")};
    EXPECT_EQ(owners(bookingsBetween(lines, Sunday, Saturday, Monday)),
              (QStringList{"a", "b", "f", "d", "c", "e"}));
}

TEST(SheetBookings, OnlyTheDaysAskedFor) {
    const QByteArrayList lines = {
        line("05", "10", "00", "saturday before"), line("06", "10", "00", "sunday"),
        line("12", "10", "00", "saturday"), line("13", "10", "00", "sunday after"),
        line("06", "10", "00", "next year", "2027")};
    EXPECT_EQ(owners(bookingsBetween(lines, Sunday, Saturday, Monday)),
              (QStringList{"sunday", "saturday"}));
    EXPECT_EQ(owners(bookingsBetween(lines, Saturday, Saturday, Monday)),
              (QStringList{"saturday"}));
}

TEST(SheetBookings, AnInvalidDateCountsAsToday) {
    const QByteArrayList lines = {line("32", "10", "00", "invalid")};
    EXPECT_EQ(owners(bookingsBetween(lines, Sunday, Saturday, Monday)), QStringList{"invalid"});
    EXPECT_EQ(bookingsBetween(lines, Sunday, Saturday, Monday).first().date, Monday);
    EXPECT_TRUE(bookingsBetween(lines, Sunday, Saturday, QDate(2026, 12, 13)).isEmpty());
}

TEST(SheetBookings, TextsAsStoredWithoutMarks) {
    const QList<sheets::Booking> bookings =
        bookingsBetween({line("07", "9", "5", "山田　花子")}, Sunday, Saturday, Monday);
    ASSERT_EQ(bookings.size(), 1);
    const sheets::Booking& booking = bookings.first();
    EXPECT_EQ(booking.time, "09:05");
    EXPECT_EQ(booking.hour, 9);
    EXPECT_EQ(booking.text(reservation_record::Shimei), "山田　花子");
    EXPECT_EQ(booking.text(reservation_record::PetName), "モモ");
    EXPECT_EQ(booking.text(reservation_record::Furigana), "");  // stored as the mark
    EXPECT_EQ(booking.text(reservation_record::SonotaHigeCut), "");
    EXPECT_EQ(booking.text(reservation_record::Shamp), "");  // no shampoo given: the mark
    EXPECT_EQ(booking.text(reservation_record::SonotaBikou), "長い備考");
}

TEST(SheetBookings, OnlyHoursEightToTwentyFourHaveATableRow) {
    const QByteArrayList lines = {line("07", "07", "00", "7"), line("07", "08", "00", "8"),
                                  line("07", "24", "00", "24"), line("07", "25", "00", "25"),
                                  line("07", "xx", "00", "word")};
    QStringList withRow;
    for (const sheets::Booking& booking : bookingsBetween(lines, Sunday, Saturday, Monday)) {
        if (booking.hasTableRow()) {
            withRow.append(booking.text(reservation_record::Shimei));
        }
    }
    EXPECT_EQ(withRow, (QStringList{"8", "24"}));
    const auto all = bookingsBetween(lines, Sunday, Saturday, Monday);
    EXPECT_EQ(all.first().time, "xx:00");
}

}  // namespace
