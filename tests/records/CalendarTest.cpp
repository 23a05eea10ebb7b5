#include "records/Clock.h"
#include "records/uLib.h"

#include <gtest/gtest.h>

namespace {

class Calendar : public ::testing::Test {
protected:
    void setNow(const QDateTime& now) {
        now_ = now;
        records::clock_source::set([this] { return now_; });
    }
    void TearDown() override { records::clock_source::set({}); }
    QDateTime now_;
};

const QDateTime Sunday(QDate(2026, 12, 6), QTime(10, 15));     // Sunday
const QDateTime Saturday(QDate(2026, 12, 12), QTime(23, 59));  // Saturday, one minute to midnight

TEST_F(Calendar, ConstructionKeepsHourOneUntilTheFirstWeekNow) {
    setNow(Sunday);
    THonjitu honjitu;
    EXPECT_EQ(honjitu.Jikan, 1);
    EXPECT_EQ(honjitu.Youbi, 1);
    EXPECT_EQ(honjitu.Kijunbi, Sunday);
    EXPECT_EQ(honjitu.WeekStart, Sunday);
    WeekNow(honjitu);
    EXPECT_EQ(honjitu.Jikan, 10);
}

TEST_F(Calendar, WeekStartsOnTheSundayOnOrBeforeToday) {
    setNow(Sunday);
    THonjitu honjitu;
    WeekNow(honjitu);
    EXPECT_EQ(honjitu.WeekStart.date(), Sunday.date());

    setNow(Saturday);
    WeekNow(honjitu);
    EXPECT_EQ(honjitu.Youbi, 7);
    EXPECT_EQ(honjitu.Jikan, 23);
    EXPECT_EQ(honjitu.WeekStart.date(), Saturday.date().addDays(-6));
    EXPECT_EQ(honjitu.WeekStart.time(), Saturday.time());
}

TEST_F(Calendar, WeekStepsKeepWeekdayAndTimeAndReturnHome) {
    setNow(QDateTime(QDate(2026, 12, 9), QTime(0, 5)));  // Wednesday just after midnight
    THonjitu honjitu;
    WeekNow(honjitu);
    const QDateTime kijunbi = honjitu.Kijunbi;
    const QDateTime weekStart = honjitu.WeekStart;

    WeekNext(honjitu);
    EXPECT_EQ(honjitu.Kijunbi, kijunbi.addDays(7));
    EXPECT_EQ(honjitu.WeekStart.date(), QDate(2026, 12, 13));
    EXPECT_EQ(honjitu.Youbi, 4);
    EXPECT_EQ(honjitu.Jikan, 0);
    WeekBack(honjitu);
    EXPECT_EQ(honjitu.Kijunbi, kijunbi);
    EXPECT_EQ(honjitu.WeekStart, weekStart);

    for (int i = 0; i < 530; ++i)
        WeekBack(honjitu);  // about ten years back
    EXPECT_EQ(honjitu.WeekStart.date().dayOfWeek(), Qt::Sunday);
    EXPECT_EQ(honjitu.WeekStart.time(), QTime(0, 5));
    WeekNow(honjitu);
    EXPECT_EQ(honjitu.WeekStart, weekStart);
}

TEST(WeekdayNumber, RunsFromSundayToSaturday) {
    EXPECT_EQ(weekdayNumber(QDate(2026, 12, 6)), 1);
    EXPECT_EQ(weekdayNumber(QDate(2026, 12, 9)), 4);
    EXPECT_EQ(weekdayNumber(QDate(2026, 12, 12)), 7);
}

}  // namespace
