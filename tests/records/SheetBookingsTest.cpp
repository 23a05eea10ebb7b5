#include "records/ReservationRecord.h"
#include "records/SheetBookings.h"
#include "tests/support/Files.h"

#include <gtest/gtest.h>

using namespace records;
using records::sheets::bookingsBetween;
using testing_support::sjisOf;

namespace {

const QDate Monday(2026, 12, 7);
const QDate Sunday(2026, 12, 6);
const QDate Saturday(2026, 12, 12);

QByteArray line(const char* niti, const char* jikan, const char* hun, const char* shimei,
                const QByteArray& nen = "2026", const QByteArray& tuki = "12") {
    QByteArrayList values(reservation_record::FieldCount);
    values[reservation_record::YoyakuNen] = nen;
    values[reservation_record::YoyakuTuki] = tuki;
    values[reservation_record::YoyakuNiti] = niti;
    values[reservation_record::YoyakuJikan] = jikan;
    values[reservation_record::YoyakuHun] = hun;
    values[reservation_record::Shimei] = sjisOf(shimei);
    values[reservation_record::PetName] = sjisOf("モモ");
    values[reservation_record::Shu] = sjisOf("犬");
    values[reservation_record::SonotaBikou] = sjisOf("長い備考");
    return reservation_record::buildLine(values);
}

QStringList owners(const QList<sheets::Booking>& bookings) {
    QStringList names;
    for (const sheets::Booking& booking : bookings) {
        names.append(booking.shimei);
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
        bookingsBetween({line("07", "9", "5", "山田 花子")}, Sunday, Saturday, Monday);
    ASSERT_EQ(bookings.size(), 1);
    const sheets::Booking& booking = bookings.first();
    EXPECT_EQ(booking.time, "09:05");
    EXPECT_EQ(booking.hour, 9);
    EXPECT_EQ(booking.shimei, "山田　花子");
    EXPECT_EQ(booking.petName, "モモ");
    EXPECT_EQ(booking.furigana, "");  // stored as the mark
    EXPECT_EQ(booking.higeCut, "");
    EXPECT_EQ(booking.shamp, "");  // no shampoo given: the mark
    EXPECT_EQ(booking.bikou, "長い備考");
}

TEST(SheetBookings, OnlyHoursEightToTwentyFourHaveATableRow) {
    const QByteArrayList lines = {line("07", "07", "00", "7"), line("07", "08", "00", "8"),
                                  line("07", "24", "00", "24"), line("07", "25", "00", "25"),
                                  line("07", "xx", "00", "word")};
    QStringList withRow;
    for (const sheets::Booking& booking : bookingsBetween(lines, Sunday, Saturday, Monday)) {
        if (booking.hasTableRow()) {
            withRow.append(booking.shimei);
        }
    }
    EXPECT_EQ(withRow, (QStringList{"8", "24"}));
    const auto all = bookingsBetween(lines, Sunday, Saturday, Monday);
    EXPECT_EQ(all.first().time, "xx:00");
}

}  // namespace
