#include "records/CustomerRecord.h"
#include "records/RecordFormat.h"
#include "records/ReservationRecord.h"
#include "records/VisitHistory.h"
#include "tests/support/Files.h"

#include <gtest/gtest.h>

using namespace records::history;
using testing_support::sjisOf;
namespace rsv = records::reservation_record;

namespace {

const QByteArray Mark = QByteArrayLiteral("\xF9\xD3");
// Wednesday 9 December 2026, 10:30.
const QDateTime Now(QDate(2026, 12, 9), QTime(10, 30));

struct Booking {
    const char* date = "2026/11/11";  // yyyy/mm/dd
    const char* hour = "10";
    const char* minute = "00";
    const char* shimei = "山田　花子";
    const char* petName = "モモ";
    const char* telephone = "";
    const char* mobil = "";
    const char* remarks = "";
};

QByteArray lineOf(const Booking& booking) {
    const QList<QByteArray> date = QByteArray(booking.date).split('/');
    QByteArrayList values(rsv::FieldCount);
    values[rsv::YoyakuNen] = date.at(0);
    values[rsv::YoyakuTuki] = date.at(1);
    values[rsv::YoyakuNiti] = date.at(2);
    values[rsv::YoyakuJikan] = booking.hour;
    values[rsv::YoyakuHun] = booking.minute;
    values[rsv::Shimei] = sjisOf(booking.shimei);
    values[rsv::TelephoneNo] = sjisOf(booking.telephone);
    values[rsv::MobilPhoneNo] = sjisOf(booking.mobil);
    values[rsv::PetName] = sjisOf(booking.petName);
    values[rsv::Shu] = sjisOf("犬");
    values[rsv::Shamp] = sjisOf("レギュラー");
    values[rsv::Style] = sjisOf("プードル");
    values[rsv::SonotaBikou] = sjisOf(booking.remarks);
    return rsv::buildLine(values);
}

QByteArray customerOf(const char* petName, const char* shimei, const char* telephone = "",
                      const char* mobil = "") {
    QByteArrayList values(records::customer_record::FieldCount);
    values[records::customer_record::PetName] = sjisOf(petName);
    values[records::customer_record::Shu] = sjisOf("犬");
    values[records::customer_record::Shimei] = sjisOf(shimei);
    values[records::customer_record::TelephoneNo] = sjisOf(telephone);
    values[records::customer_record::MobilPhoneNo] = sjisOf(mobil);
    return records::customer_record::buildLine(values);
}

// Made on first use: the empty-field mark the line needs is not there before main.
const Subject& momo() {
    static const Subject subject =
        subjectOfCustomer(customerOf("モモ", "山田　花子", "03-1111-2222"));
    return subject;
}

QList<QDate> datesOf(const QList<Visit>& visits) {
    QList<QDate> dates;
    for (const Visit& visit : visits) {
        dates.append(visit.date);
    }
    return dates;
}

QList<Visit> visitsOn(const QList<const char*>& dates) {
    QByteArrayList lines;
    for (const char* date : dates) {
        lines.append(lineOf({.date = date}));
    }
    return visitsOf(momo(), lines, Now);
}

}  // namespace

TEST(VisitMatching, SamePetAndOwnerNamesAreTheCustomersVisits) {
    EXPECT_TRUE(isVisitOf(momo(), lineOf({})));
    EXPECT_FALSE(isVisitOf(momo(), lineOf({.petName = "ポチ"})));
    EXPECT_FALSE(isVisitOf(momo(), lineOf({.shimei = "山田　太郎"})));
    // Byte for byte: a half-width form or a missing full-width space is another name.
    EXPECT_FALSE(isVisitOf(momo(), lineOf({.shimei = "山田花子"})));
    EXPECT_FALSE(isVisitOf(momo(), lineOf({.petName = "ﾓﾓ"})));
}

// モモ's household shares her number; a number stands in for the owner's name only.
TEST(VisitMatching, ANumberFindsThePetUnderAnotherSpellingButNotTheHouseholdsOtherPets) {
    constexpr const char* Tel = "03-1111-2222";
    const struct {
        const char* what;
        bool isHers;
        Booking booking;
    } cases[] = {
        {"owner spelt otherwise, her telephone", true, {.shimei = "山田", .telephone = Tel}},
        {"owner spelt otherwise, her mobile", true, {.shimei = "やまだ", .mobil = Tel}},
        {"owner spelt otherwise, another number", false, {.shimei = "山田", .telephone = "03-9"}},
        {"her household's other pet", false, {.petName = "ポチ", .telephone = Tel}},
        {"the other pet, owner spelt otherwise",
         false,
         {.shimei = "山田", .petName = "ポチ", .mobil = Tel}},
        {"her name in other letters",
         false,
         {.shimei = "山田", .petName = "もも", .telephone = Tel}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isVisitOf(momo(), lineOf(c.booking)), c.isHers) << c.what;
    }

    // A customer without numbers matches nobody by telephone, not even bookings without one.
    const Subject noNumber = subjectOfCustomer(customerOf("モモ", "山田　花子"));
    EXPECT_FALSE(isVisitOf(noNumber, lineOf({.shimei = "山田"})));
    const Subject mobilOnly = subjectOfCustomer(customerOf("チビ", "佐藤", "", "090-1"));
    EXPECT_TRUE(isVisitOf(mobilOnly, lineOf({.petName = "チビ", .telephone = "090-1"})));
}

TEST(VisitMatching, EmptyFieldMarksAreRemovedOnBothSidesBeforeComparing) {
    // A mark typed inside a stored name, at its start and at its end.
    for (const QByteArray& stored : {sjisOf("モ") + Mark + sjisOf("モ"), Mark + sjisOf("モモ"),
                                     sjisOf("モモ") + Mark + Mark}) {
        QByteArrayList fields = records::splitFields(lineOf({}));
        fields[rsv::PetName] = stored;
        EXPECT_TRUE(isVisitOf(momo(), fields.join('\t'))) << stored.toHex().constData();
    }
    // Marks in the customer's own fields, and its empty telephone stored as the mark.
    const Subject marked = subjectOfCustomer(
        customerOf("モモ", "山田　花子").replace(sjisOf("モモ"), Mark + sjisOf("モモ")));
    EXPECT_EQ(marked.petName, sjisOf("モモ"));
    EXPECT_TRUE(marked.telephoneNo.isEmpty());
    EXPECT_TRUE(isVisitOf(marked, lineOf({})));
    // A mark is removed only where a character begins: here its bytes end one character and
    // begin the next, so the name stays another one.
    QByteArrayList fields = records::splitFields(lineOf({}));
    fields[rsv::PetName] = sjisOf("モモ") + QByteArray("\x81\xF9\xD3");
    EXPECT_FALSE(isVisitOf(momo(), fields.join('\t')));
}

TEST(VisitMatching, QuotedFieldsCompareByTheirText) {
    const Subject quoted = subjectOfCustomer(
        customerOf("モモ", "山田　花子").replace(sjisOf("モモ"), "\"" + sjisOf("モ\"\"モ") + "\""));
    EXPECT_EQ(quoted.petName, sjisOf("モ\"モ"));
    QByteArrayList fields = records::splitFields(lineOf({}));
    fields[rsv::PetName] = "\"" + sjisOf("モ\"\"モ") + "\"";
    EXPECT_TRUE(isVisitOf(quoted, fields.join('\t')));
    fields[rsv::PetName] = "\"" + sjisOf("モモ") + "\"";
    EXPECT_TRUE(isVisitOf(momo(), fields.join('\t')));
    EXPECT_FALSE(isVisitOf(quoted, fields.join('\t')));
}

// A list scan looks for each compared text by the byte that is rarest in the list; the visits
// it finds are those the line-by-line rule finds, wherever the texts stand.
TEST(VisitMatching, AScanOfManyLinesFindsExactlyTheVisitsTheRuleFinds) {
    QByteArrayList lines;
    for (int i = 0; i < 300; ++i) {
        lines.append(lineOf({.shimei = "山田　太郎",
                             .petName = "モカ",
                             .telephone = "03-1111-2223",
                             .remarks = "モ山田花子03-1111-222"}));
    }
    lines.insert(17, lineOf({.date = "2026/10/01"}));
    lines.insert(150, lineOf({.date = "2026/09/01", .shimei = "山田", .mobil = "03-1111-2222"}));
    QByteArrayList markedName = records::splitFields(lineOf({.date = "2026/08/01"}));
    markedName[rsv::PetName] = sjisOf("モ") + Mark + sjisOf("モ");
    lines.insert(260, markedName.join('\t'));
    lines.append(lineOf({.date = "2026/07/01", .remarks = "モモ"}));
    // Her household's other pet, with her name in its remarks.
    lines.insert(90, lineOf({.date = "2026/06/01",
                             .petName = "ポチ",
                             .telephone = "03-1111-2222",
                             .remarks = "モモ"}));
    const QList<Visit> visits = visitsOf(momo(), lines, Now);
    int byRule = 0;
    for (const QByteArray& line : lines) {
        byRule += isVisitOf(momo(), line) ? 1 : 0;
    }
    EXPECT_EQ(visits.size(), byRule);
    EXPECT_EQ(datesOf(visits), QList<QDate>({QDate(2026, 10, 1), QDate(2026, 9, 1),
                                             QDate(2026, 8, 1), QDate(2026, 7, 1)}));
}

TEST(VisitMatching, ShortLinesAndInvalidDatesBelongToNoHistory) {
    QByteArrayList fields = records::splitFields(lineOf({.telephone = "03-1111-2222"}));
    // Up to the telephone numbers, but without the pet name.
    EXPECT_FALSE(isVisitOf(momo(), fields.mid(0, rsv::PetName).join('\t')));
    EXPECT_TRUE(isVisitOf(momo(), fields.mid(0, rsv::PetName + 1).join('\t')));
    EXPECT_FALSE(isVisitOf(momo(), QByteArray()));

    const QByteArrayList lines = {lineOf({.date = "2026/13/01"}), lineOf({.date = "2026/02/30"}),
                                  lineOf({.date = "2026/1a/01"}), lineOf({.date = "2026/11/11"}),
                                  fields.mid(0, rsv::PetName).join('\t')};
    EXPECT_EQ(datesOf(visitsOf(momo(), lines, Now)), QList<QDate>({QDate(2026, 11, 11)}));
}

TEST(VisitOrder, NewestFirstWithTheBookingsAfterNowAsPlannedOnTop) {
    const QByteArrayList lines = {
        lineOf({.date = "2026/10/14", .hour = "10"}),
        lineOf({.date = "2026/12/09", .hour = "10", .minute = "45"}),  // later today
        lineOf({.date = "2027/01/06", .hour = "9"}),
        lineOf({.date = "2026/12/09", .hour = "10", .minute = "15"}),  // earlier today
        lineOf({.date = "2026/10/14", .hour = "15"}),
    };
    const QList<Visit> visits = visitsOf(momo(), lines, Now);
    ASSERT_EQ(visits.size(), 5);
    EXPECT_EQ(visits[0].line, lines[2]);
    EXPECT_EQ(visits[1].line, lines[1]);
    EXPECT_EQ(visits[2].line, lines[3]);
    EXPECT_EQ(visits[3].line, lines[4]);
    EXPECT_EQ(visits[4].line, lines[0]);
    EXPECT_TRUE(visits[0].planned);
    EXPECT_TRUE(visits[1].planned);
    EXPECT_FALSE(visits[2].planned);
    EXPECT_FALSE(visits[4].planned);
}

TEST(VisitOrder, OfTwoBookingsAtTheSameMomentTheLaterLineComesFirst) {
    const QByteArrayList lines = {lineOf({.remarks = "一"}), lineOf({.remarks = "二"})};
    const QList<Visit> visits = visitsOf(momo(), lines, Now);
    ASSERT_EQ(visits.size(), 2);
    EXPECT_EQ(visits[0].line, lines[1]);
}

TEST(VisitSummary, CountsPastVisitsAndNamesTheLastAndTheSoonestPlanned) {
    const Summary summary =
        summarize(visitsOn({"2026/10/14", "2027/02/03", "2026/11/11", "2027/01/06", "2026/12/09"}));
    EXPECT_EQ(summary.pastVisits, 3);
    EXPECT_EQ(summary.lastVisit, QDate(2026, 12, 9));
    EXPECT_EQ(summary.nextBooked, QDate(2027, 1, 6));

    const Summary none = summarize({});
    EXPECT_EQ(none.pastVisits, 0);
    EXPECT_FALSE(none.lastVisit);
    EXPECT_FALSE(none.nextBooked);
    EXPECT_FALSE(none.usualIntervalWeeks);
}

// Each booking's status comes from the details of its own line (another pet's line and its
// details are not taken in), and only the two cancellations that leave the groomer waiting are
// counted, booking by booking.
TEST(VisitSummary, CountsTheNoShowsAndTheCancellationsOfTheDay) {
    using records::booking::Status;
    const struct {
        QList<Status> statuses;
        int mudan;
        int touzitsu;
    } cases[] = {
        {{}, 0, 0},
        {{Status::Yoyaku, Status::Kanryou, Status::Cancel, Status::Kakuninzumi}, 0, 0},
        {{Status::MudanCancel, Status::Raiten, Status::MudanCancel}, 2, 0},
        {{Status::TouzitsuCancel, Status::MudanCancel, Status::Cancel}, 1, 1},
    };
    for (const auto& c : cases) {
        QByteArrayList lines;
        QHash<qsizetype, records::LineDetails> details;
        for (qsizetype n = 0; n < c.statuses.size(); ++n) {
            // Two lines a visit: Momo's booking, then another pet's, whose details say no-show.
            const QByteArray date = QByteArray("2026/11/1") + QByteArray::number(n);
            details.insert(lines.size(),
                           records::booking::BookingDetails{{}, {}, c.statuses.at(n)}.into({}));
            lines.append(lineOf({.date = date.constData()}));
            details.insert(lines.size(),
                           records::booking::BookingDetails{{}, {}, Status::MudanCancel}.into({}));
            lines.append(lineOf({.date = date.constData(), .petName = "ハナ"}));
        }
        QList<Visit> visits = visitsOf(momo(), lines, Now);
        noteStatuses(visits, details);
        ASSERT_EQ(visits.size(), c.statuses.size());
        if (!visits.isEmpty()) {
            EXPECT_EQ(visits.last().status, c.statuses.first());  // the oldest, the first line
        }
        const Summary summary = summarize(visits);
        EXPECT_EQ(summary.mudanCancels, c.mudan);
        EXPECT_EQ(summary.touzitsuCancels, c.touzitsu);
    }
}

TEST(VisitSummary, TheUsualIntervalIsTheMedianGapOfPastVisitsInWeeks) {
    EXPECT_FALSE(summarize(visitsOn({"2026/11/11"})).usualIntervalWeeks);
    // Gaps of 5, 4 and 6 weeks, listed out of order; the planned visit does not count.
    const auto odd =
        summarize(visitsOn({"2026/08/05", "2026/09/02", "2026/10/14", "2026/12/23", "2026/07/01"}));
    ASSERT_TRUE(odd.usualIntervalWeeks);
    EXPECT_DOUBLE_EQ(*odd.usualIntervalWeeks, 5.0);
    // Gaps of 1 and 3 weeks: the mean of the middle two.
    const auto even = summarize(visitsOn({"2026/10/28", "2026/11/04", "2026/11/25"}));
    EXPECT_DOUBLE_EQ(even.usualIntervalWeeks.value_or(0), 2.0);
    EXPECT_DOUBLE_EQ(
        summarize(visitsOn({"2026/11/01", "2026/11/11"})).usualIntervalWeeks.value_or(0), 10.0 / 7);
}

TEST(VisitSummary, TheBookingsOfOneDayAreOneVisit) {
    const struct {
        const char* what;
        QList<Booking> bookings;
        int visits;
        std::optional<double> intervalWeeks;
    } cases[] = {
        {"three bookings on one day",
         {{.date = "2026/12/05", .hour = "9"},
          {.date = "2026/12/05", .hour = "11"},
          {.date = "2026/12/05", .hour = "15"}},
         1,
         std::nullopt},
        {"gaps between distinct days, however many bookings each holds",
         {{.date = "2026/10/24"},
          {.date = "2026/11/21", .hour = "9"},
          {.date = "2026/11/21", .hour = "11"},
          {.date = "2026/12/05"},
          {.date = "2026/12/05", .hour = "8"}},
         3,
         3.0},
    };
    for (const auto& c : cases) {
        QByteArrayList lines;
        for (const Booking& booking : c.bookings) {
            lines.append(lineOf(booking));
        }
        const Summary summary = summarize(visitsOf(momo(), lines, Now));
        EXPECT_EQ(summary.pastVisits, c.visits) << c.what;
        EXPECT_EQ(summary.usualIntervalWeeks, c.intervalWeeks) << c.what;
        EXPECT_EQ(summary.lastVisit,
                  QDate::fromString(QString::fromLatin1(c.bookings.last().date), u"yyyy/MM/dd"))
            << c.what;
    }
}

// Counted from her latest booking, planned or past, on its weekday and at its hour.
TEST(NextVisitSlot, NWeeksAfterTheLatestBookingWhichMayBePlanned) {
    const struct {
        const char* what;
        QList<Booking> bookings;
        QDate date;
        int hour;
        int countedFrom;  // the booking whose minute and services are taken over
    } cases[] = {
        {"four weeks after the planned booking, at its hour",
         {{.date = "2026/11/18", .hour = "9", .minute = "40"},
          {.date = "2026/12/30", .hour = "11"}},
         QDate(2027, 1, 27),
         11,
         1},
        {"the interval of two weeks after the planned booking",
         {{.date = "2026/11/11"}, {.date = "2026/11/25"}, {.date = "2026/12/23", .hour = "14"}},
         QDate(2027, 1, 6),
         14,
         2},
        // From the soonest planned booking the slot would be 01/06, which she already holds.
        {"after the latest of several planned bookings, which she already holds",
         {{.date = "2026/11/11"},
          {.date = "2026/11/25"},
          {.date = "2027/01/06", .hour = "14"},
          {.date = "2026/12/23", .hour = "14"}},
         QDate(2027, 1, 20),
         14,
         2},
        {"a planned booking later today",
         {{.date = "2026/11/25"}, {.date = "2026/12/09", .hour = "16"}},
         QDate(2027, 1, 6),
         16,
         1},
    };
    for (const auto& c : cases) {
        QByteArrayList lines;
        for (const Booking& booking : c.bookings) {
            lines.append(lineOf(booking));
        }
        const std::optional<NextVisit> next = nextVisit(momo(), visitsOf(momo(), lines, Now));
        ASSERT_TRUE(next) << c.what;
        EXPECT_EQ(next->date, c.date) << c.what;
        EXPECT_EQ(next->hour, c.hour) << c.what;
        EXPECT_EQ(next->lastVisitLine, lines.at(c.countedFrom)) << c.what;
        EXPECT_EQ(next->customerLine, momo().customerLine) << c.what;
    }
}

TEST(NextVisitSlot, TheRoundedUsualIntervalCarriesOverTheYearEnd) {
    // Gaps of 4 and 5 weeks: 4.5 rounds to 5; the last visit was this morning.
    const auto next = nextVisit(momo(), visitsOn({"2026/10/07", "2026/11/04", "2026/12/09"}));
    ASSERT_TRUE(next);
    EXPECT_EQ(next->date, QDate(2027, 1, 13));
    EXPECT_EQ(next->hour, 10);
    // Without an interval, four weeks from the same morning: also in the new year.
    EXPECT_EQ(nextVisit(momo(), visitsOn({"2026/12/09"}))->date, QDate(2027, 1, 6));
}

TEST(NextVisitSlot, AtLeastOneWeekAndNothingWithoutAPastVisit) {
    const auto sameDay = nextVisit(momo(), visitsOn({"2026/12/02", "2026/12/02", "2026/12/03"}));
    ASSERT_TRUE(sameDay);
    EXPECT_EQ(sameDay->date, QDate(2026, 12, 10));
    EXPECT_FALSE(nextVisit(momo(), visitsOn({"2026/12/23"})));
    EXPECT_FALSE(nextVisit(momo(), {}));
}

TEST(BookingSubject, TheCustomerOfABookingIsRebuiltFromItsOwnFields) {
    QByteArrayList values = records::splitFields(lineOf({.telephone = "03-9"}));
    values[rsv::Furigana] = sjisOf("やまだ");
    const Subject subject = subjectOfReservation(values.join('\t'));
    EXPECT_EQ(subject.petName, sjisOf("モモ"));
    EXPECT_EQ(subject.shimei, sjisOf("山田　花子"));
    EXPECT_EQ(subject.telephoneNo, "03-9");
    EXPECT_TRUE(subject.mobilPhoneNo.isEmpty());
    EXPECT_EQ(subject.customerLine, sjisOf("モモ") + '\t' + sjisOf("犬") + '\t' + Mark + '\t' +
                                        sjisOf("やまだ") + '\t' + sjisOf("山田　花子") + '\t' +
                                        Mark + '\t' + Mark + '\t' + Mark + "\t03-9\t" + Mark);
    // The same rule then finds the other bookings of that customer.
    EXPECT_TRUE(isVisitOf(subject, lineOf({.shimei = "山田", .telephone = "03-9"})));
}
