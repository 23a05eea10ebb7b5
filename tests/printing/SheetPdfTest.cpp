#include "printing/DaySheet.h"
#include "printing/WeekSheet.h"
#include "records/SheetBookings.h"
#include "tests/support/PdfText.h"

#include <gtest/gtest.h>

using records::sheets::Booking;
namespace rsv = records::reservation_record;
using testing_support::pdfPages;
using testing_support::withoutSpaces;

namespace {

const QDate WeekStart(2026, 12, 6);
const QDateTime PrintedAt(QDate(2026, 12, 9), QTime(10, 30));

Booking booking(int day, int hour, int minute, const QString& owner) {
    Booking b;
    b.date = WeekStart.addDays(day);
    b.hour = hour;
    b.time = QStringLiteral("%1:%2").arg(hour, 2, 10, QChar('0')).arg(minute, 2, 10, QChar('0'));
    b.texts[rsv::Shimei] = owner;
    b.texts[rsv::PetName] = QStringLiteral("ポチ");
    b.texts[rsv::Furigana] = QStringLiteral("よみ") + owner.right(4);
    b.texts[rsv::TelephoneNo] = QStringLiteral("03-1111-") + owner.right(4);
    b.texts[rsv::MobilPhoneNo] = QStringLiteral("090-2222-") + owner.right(4);
    b.texts[rsv::Shu] = QStringLiteral("犬");
    b.texts[rsv::ShuNado] = QStringLiteral("柴犬");
    b.texts[rsv::Shamp] = QStringLiteral("レギュラー");
    b.texts[rsv::Style] = QStringLiteral("バリカン");
    b.texts[rsv::SonotaTumekiri] = QStringLiteral("爪切り");
    return b;
}

// Unique owner names that no other text on a sheet contains.
QString owner(int n) {
    return QStringLiteral("客%1").arg(n, 4, 10, QChar('0'));
}

// Where each name first stands in `text`; -1 when it is missing, and a failure when it stands
// there more than once.
QList<qsizetype> positionsOnce(const QString& text, const QStringList& names) {
    QList<qsizetype> positions;
    for (const QString& name : names) {
        EXPECT_EQ(text.count(name), 1) << name.toStdString();
        positions.append(text.indexOf(name));
    }
    return positions;
}

bool ascending(const QList<qsizetype>& positions) {
    return std::is_sorted(positions.begin(), positions.end()) && !positions.contains(-1);
}

// Bookings spread over the week, several in some hours; the list in time order.
QList<Booking> busyWeek() {
    QList<Booking> bookings;
    int n = 0;
    for (int day = 0; day < 7; ++day) {
        for (int hour : {8, 10, 10, 13, 17, 17, 17, 24}) {
            bookings.append(booking(day, hour, (n * 7) % 60, owner(n)));
            ++n;
        }
    }
    std::stable_sort(bookings.begin(), bookings.end(), [](const Booking& a, const Booking& b) {
        return std::tuple(a.date, a.hour, a.time) < std::tuple(b.date, b.hour, b.time);
    });
    return bookings;
}

// The sheet is drawn hour row by hour row, each row day by day, each cell in time order.
QStringList drawingOrder(QList<Booking> bookings) {
    std::stable_sort(bookings.begin(), bookings.end(), [](const Booking& a, const Booking& b) {
        return std::tuple(a.hour, a.date, a.time) < std::tuple(b.hour, b.date, b.time);
    });
    QStringList names;
    for (const Booking& b : bookings) {
        names.append(b.text(rsv::Shimei));
    }
    return names;
}

TEST(WeekSheet, EveryBookingOnceInItsPlaceOnOnePage) {
    const QList<Booking> bookings = busyWeek();
    const QStringList pages =
        pdfPages(printing::pdfOf(printing::WeekSheet(WeekStart, PrintedAt, bookings)));
    ASSERT_EQ(pages.size(), 1);
    const QString text = withoutSpaces(pages.first());
    EXPECT_TRUE(ascending(positionsOnce(text, drawingOrder(bookings))));
    EXPECT_TRUE(text.contains(withoutSpaces("2026年12月06日(日)〜2026年12月12日(土)")));
    EXPECT_TRUE(text.contains("印刷日2026-12-0910:30"));
    EXPECT_TRUE(text.contains("12/06(日)") && text.contains("12/12(土)"));
    // Each booking reads as time, owner/pet and its services in short form.
    EXPECT_TRUE(text.contains("08:00客0000/ポチレ・バ・爪"));
}

TEST(WeekSheet, HoursWithoutARowAreListedBelowTheTable) {
    QList<Booking> bookings = {booking(1, 7, 30, owner(1)), booking(2, 10, 0, owner(2)),
                               booking(3, 25, 0, owner(3))};
    bookings[2].time = QStringLiteral("25:00");
    Booking wordHour = booking(4, 0, 0, owner(4));
    wordHour.time = QStringLiteral("朝:00");
    bookings.append(wordHour);
    const QStringList pages =
        pdfPages(printing::pdfOf(printing::WeekSheet(WeekStart, PrintedAt, bookings)));
    ASSERT_EQ(pages.size(), 1);
    const QString text = withoutSpaces(pages.first());
    const auto positions = positionsOnce(text, {owner(2), owner(1), owner(3), owner(4)});
    EXPECT_TRUE(ascending(positions));
    const qsizetype title = text.indexOf(withoutSpaces("表の時間（8〜24 時）にない予約"));
    EXPECT_GT(title, positions[0]);
    EXPECT_LT(title, positions[1]);
    EXPECT_TRUE(text.contains("12/07(月)07:30客0001/ポチ"));
    EXPECT_TRUE(text.contains("12/10(木)朝:00客0004/ポチ"));
}

TEST(WeekSheet, ThirtyBookingsInOneHourGoOnAFurtherPage) {
    QList<Booking> bookings = busyWeek();
    for (int n = 0; n < 30; ++n) {
        bookings.append(booking(3, 11, n, owner(100 + n)));
    }
    bookings.append(booking(5, 15, 0, owner(99)));
    const QStringList pages =
        pdfPages(printing::pdfOf(printing::WeekSheet(WeekStart, PrintedAt, bookings)));
    ASSERT_GE(pages.size(), 2);
    EXPECT_TRUE(pages.at(1).contains("（続き）"));
    EXPECT_TRUE(pages.at(1).contains(QStringLiteral("2 / %1").arg(pages.size())));
    const QString text = withoutSpaces(pages.join(QString()));
    QStringList names;
    for (int n = 0; n < 30; ++n) {
        names.append(owner(100 + n));
    }
    EXPECT_TRUE(ascending(positionsOnce(text, names)));
    EXPECT_TRUE(withoutSpaces(pages.first()).contains(owner(99)));
    EXPECT_FALSE(withoutSpaces(pages.first()).contains(owner(129)));
}

TEST(WeekSheet, AnEntryLongerThanAPageIsNotCut) {
    Booking longName = booking(
        2, 12, 0, QStringLiteral("始") + QString(3000, QChar(u'長')) + QStringLiteral("終"));
    const QStringList pages =
        pdfPages(printing::pdfOf(printing::WeekSheet(WeekStart, PrintedAt, {longName})));
    ASSERT_GE(pages.size(), 2);
    // Headers and footers stand between the pages' parts; every character must be there.
    const QString text = withoutSpaces(pages.join(QString()));
    EXPECT_EQ(text.count(QChar(u'長')), 3000);
    EXPECT_LT(text.indexOf("始"), text.indexOf("終"));
    EXPECT_EQ(text.count("終/ポチ"), 1);
}

TEST(Sheets, EmbedTheirFonts) {
    const QByteArray pdf =
        printing::pdfOf(printing::WeekSheet(WeekStart, PrintedAt, {booking(0, 9, 0, "山田")}));
    EXPECT_TRUE(pdf.contains("/FontFile2"));
}

TEST(DaySheet, EveryBookingOnceInTimeOrderWithItsDetails) {
    QList<Booking> bookings;
    for (int n = 0; n < 40; ++n) {
        bookings.append(booking(3, 8 + n / 4, (n % 4) * 15, owner(n)));
    }
    bookings[5].texts[rsv::SonotaBikou] = QStringLiteral("備考の始まり") +
                                          QString(300, QChar(u'注')) +
                                          QStringLiteral("備考の終わり");
    bookings[6].texts[rsv::SonotaHigeCut] = QStringLiteral("ヒゲカット");
    const QStringList pages =
        pdfPages(printing::pdfOf(printing::DaySheet(WeekStart.addDays(3), PrintedAt, bookings)));
    ASSERT_GE(pages.size(), 2);
    const QString text = withoutSpaces(pages.join(QString()));
    QStringList names;
    for (const Booking& b : bookings) {
        names.append(b.text(rsv::Shimei));
    }
    EXPECT_TRUE(ascending(positionsOnce(text, names)));
    EXPECT_TRUE(text.contains(bookings[5].text(rsv::SonotaBikou)));
    EXPECT_TRUE(text.contains("ヒゲカット"));
    EXPECT_TRUE(text.contains(withoutSpaces("2026年12月09日(水)　40 件")));
    for (const char* detail : {"03-1111-0007", "090-2222-0007", "よみ0007", "犬・柴犬",
                               "レギュラー", "バリカン", "爪切り", "10:45"}) {
        EXPECT_TRUE(text.contains(detail)) << detail;
    }
    EXPECT_TRUE(pages.first().contains("メモ") && pages.last().contains("メモ"));
}

TEST(DaySheet, RemarksLongerThanAPageContinueOnTheNext) {
    Booking b = booking(3, 10, 0, owner(1));
    b.texts[rsv::SonotaBikou] =
        QStringLiteral("始") + QString(8000, QChar(u'注')) + QStringLiteral("終");
    const QStringList pages = pdfPages(printing::pdfOf(
        printing::DaySheet(WeekStart.addDays(3), PrintedAt,
                           {booking(3, 9, 0, owner(0)), b, booking(3, 11, 0, owner(2))})));
    ASSERT_GE(pages.size(), 2);
    const QString text = withoutSpaces(pages.join(QString()));
    EXPECT_EQ(text.count(QChar(u'注')), 8000);
    EXPECT_LT(text.indexOf("始"), text.indexOf("終"));
    EXPECT_TRUE(ascending(positionsOnce(text, {owner(0), owner(1), owner(2)})));
}

// The salon's facts stand beside the booking that has them, and the sheet of a salon that keeps
// none has no column for them; the call sheet shows who was already confirmed.
TEST(DaySheet, SalonFactsShowOnlyWhenTheBookingsCarryThem) {
    const QList<Booking> plain = {booking(3, 9, 0, owner(0)), booking(3, 10, 0, owner(1))};
    QList<Booking> kept = plain;
    kept[0].salonFacts = {QStringLiteral("田中"), QStringLiteral("90"), QStringLiteral("確認済")};
    kept[1].salonFacts = {QStringLiteral("未定"), QStringLiteral("60"), QStringLiteral("予約")};
    const auto textOf = [](const printing::DaySheet& sheet) {
        return withoutSpaces(pdfPages(printing::pdfOf(sheet)).join(QString()));
    };

    const QString without = textOf(printing::DaySheet(WeekStart.addDays(3), PrintedAt, plain));
    EXPECT_FALSE(without.contains("担当"));
    EXPECT_FALSE(without.contains("60分"));

    const QString with = textOf(printing::DaySheet(WeekStart.addDays(3), PrintedAt, kept));
    EXPECT_TRUE(with.contains("担当時間・状態"));
    EXPECT_TRUE(ascending(
        positionsOnce(with, {owner(0), "田中", "90分・確認済", owner(1), "未定", "60分・予約"})));
    EXPECT_TRUE(with.contains("備考") && with.contains("メモ"));

    const QString calls = textOf(printing::DaySheet(WeekStart.addDays(3), PrintedAt, kept,
                                                    printing::DaySheet::Purpose::Calls));
    EXPECT_TRUE(calls.contains(withoutSpaces("確認の電話　2026年12月09日(水)　2 件")));
    EXPECT_TRUE(ascending(positionsOnce(calls, {"確認済", owner(0), owner(1)})));
    EXPECT_FALSE(calls.contains("備考"));
    EXPECT_FALSE(calls.contains("田中"));
}

// A pet's カルテ stands in its own column beside the services, on both sheets of the day, and a
// day without any has no such column.
TEST(DaySheet, CautionsHaveAColumnOnlyWhenABookingCarriesThem) {
    const QList<Booking> plain = {booking(3, 9, 0, owner(0)), booking(3, 10, 0, owner(1))};
    QList<Booking> flagged = plain;
    flagged[1].caution = QStringLiteral("噛む・高齢 期限 狂犬病 12/20");
    const auto textOf = [](const printing::DaySheet& sheet) {
        return withoutSpaces(pdfPages(printing::pdfOf(sheet)).join(QString()));
    };
    EXPECT_FALSE(
        textOf(printing::DaySheet(WeekStart.addDays(3), PrintedAt, plain)).contains("注意"));
    for (const auto purpose :
         {printing::DaySheet::Purpose::Bookings, printing::DaySheet::Purpose::Calls}) {
        const QString text =
            textOf(printing::DaySheet(WeekStart.addDays(3), PrintedAt, flagged, purpose));
        EXPECT_TRUE(ascending(positionsOnce(
            text, {"ヒゲカット爪切り注意", owner(0), owner(1), "噛む・高齢期限狂犬病12/20"})))
            << text.toStdString();
    }
}

TEST(DaySheet, ADayWithoutBookingsIsOnePage) {
    const QStringList pages =
        pdfPages(printing::pdfOf(printing::DaySheet(WeekStart, PrintedAt, {})));
    ASSERT_EQ(pages.size(), 1);
    EXPECT_TRUE(withoutSpaces(pages.first()).contains("0件"));
}

}  // namespace
