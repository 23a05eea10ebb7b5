// Which bookings a new one is warned about: more sharing its time than the salon has groomers,
// cancelled ones and the ones leaving with the change left out, and time ranges that only touch
// not overlapping.
#include "records/OverlapCheck.h"
#include "records/ReservationRecord.h"
#include "records/uLib.h"
#include "tests/support/Files.h"
#include "tests/support/RecordLines.h"

#include <gtest/gtest.h>
#include <QTemporaryDir>

#include <optional>

namespace {

using namespace records::booking;
using records::RecordFile;

const QDate Day(2026, 12, 8);

// A booking on `day` at hh:mm by `owner`, a dog with the clipper (バリカン) style.
struct Given {
    const char* time;  // "hh:mm"
    const char* owner;
    std::optional<int> minutes = std::nullopt;
    Status status = Status::Yoyaku;
    const char* day = "08";
    const char* style = "バリカン";
};

QByteArray lineOf(const Given& given) {
    namespace rsv = records::reservation_record;
    const std::string time(given.time);
    const std::string hour = time.substr(0, 2);
    const std::string minute = time.substr(3, 2);
    return testing_support::recordLine(rsv::FieldCount, {{rsv::YoyakuNen, "2026"},
                                                         {rsv::YoyakuTuki, "12"},
                                                         {rsv::YoyakuNiti, given.day},
                                                         {rsv::YoyakuJikan, hour.c_str()},
                                                         {rsv::YoyakuHun, minute.c_str()},
                                                         {rsv::Shimei, given.owner},
                                                         {rsv::PetName, "ポチ"},
                                                         {rsv::Shu, "犬"},
                                                         {rsv::Style, given.style}});
}

struct Case {
    const char* name;
    int groomers;
    std::vector<Given> booked;
    Given booking;
    QList<qsizetype> leaving;
    QStringList warned;  // owners, in time order
};

class OverlapCheck : public ::testing::TestWithParam<Case> {};

TEST_P(OverlapCheck, WarnsOfTheBookingsSharingTheTime) {
    const Case& row = GetParam();
    QTemporaryDir folder;
    THonjitu honjitu;
    records::RecordLists lists(honjitu, folder.path());
    QByteArrayList lines;
    for (const Given& given : row.booked) {
        lines.append(lineOf(given));
    }
    testing_support::writeBytes(lists.yoyakuFilePath(), testing_support::fileOf(lines));
    ASSERT_TRUE(lists.YoyakuFileLoad());
    for (qsizetype at = 0; at < lines.size(); ++at) {
        const Given& given = row.booked.at(static_cast<std::size_t>(at));
        if (given.minutes || given.status != Status::Yoyaku) {
            lists.setDetails(RecordFile::Yoyaku, at, lines.at(at),
                             BookingDetails{{}, given.minutes, given.status}.into({}));
        }
    }
    SalonSettings settings;
    for (int groomer = 0; groomer < row.groomers; ++groomer) {
        settings.groomers.append(QStringLiteral("担当%1").arg(groomer + 1));
    }
    settings.usualMinutes[static_cast<std::size_t>(Style::Poodle)]
                         [static_cast<std::size_t>(Kind::Dog)] = 120;

    const BookedTime time =
        bookedTimeOf(lineOf(row.booking), BookingDetails{{}, row.booking.minutes, Status::Yoyaku},
                     settings, Day);
    QStringList warned;
    for (const OverlappingBooking& found :
         overlapsToWarnOf(lists, settings, time, row.leaving, Day)) {
        warned.append(
            QString::fromUtf8(row.booked.at(static_cast<std::size_t>(found.position)).owner));
    }
    EXPECT_EQ(warned, row.warned);
}

const Status Cancel = Status::Cancel;

INSTANTIATE_TEST_SUITE_P(
    Rules, OverlapCheck,
    ::testing::Values(
        Case{"NoGroomerNeverWarns", 0, {{"10:00", "A"}, {"10:00", "B"}}, {"10:00", "N"}, {}, {}},
        Case{"OneGroomerOneOtherBooking", 1, {{"10:00", "A"}}, {"10:30", "N"}, {}, {}},
        Case{"OneGroomerTwoOthers",
             1,
             {{"10:30", "B"}, {"09:30", "A"}},
             {"10:00", "N"},
             {},
             {"A", "B"}},
        Case{"TwoGroomersTwoOthers", 2, {{"10:00", "A"}, {"10:00", "B"}}, {"10:00", "N"}, {}, {}},
        Case{"TwoGroomersThreeOthers",
             2,
             {{"10:00", "A"}, {"10:15", "B"}, {"10:59", "C"}},
             {"10:00", "N"},
             {},
             {"A", "B", "C"}},
        Case{"CancelledBookingsTakeNoTime",
             1,
             {{"10:00", "A"},
              {"10:00", "B", std::nullopt, Cancel},
              {"10:00", "C", std::nullopt, Status::TouzitsuCancel},
              {"10:00", "D", std::nullopt, Status::MudanCancel}},
             {"10:00", "N"},
             {},
             {}},
        Case{"OtherStatusesStillTakeTime",
             1,
             {{"10:00", "A", std::nullopt, Status::Kakuninzumi},
              {"10:00", "B", std::nullopt, Status::Raiten}},
             {"10:00", "N"},
             {},
             {"A", "B"}},
        Case{"EndingWhenTheNextStartsDoesNotOverlap",
             1,
             {{"09:00", "A"}, {"09:30", "B", 30}, {"11:00", "C"}, {"11:00", "D"}},
             {"10:00", "N"},
             {},
             {}},
        Case{"OwnMinutesReachIntoTheBooking",
             1,
             {{"09:00", "A", 61}, {"10:59", "B"}},
             {"10:00", "N"},
             {},
             {"A", "B"}},
        Case{"UsualTimeOfTheStyle",
             1,
             {{"08:30", "A", std::nullopt, Status::Yoyaku, "08", "プードル"}, {"10:45", "B"}},
             {"10:00", "N"},
             {},
             {"A", "B"}},
        Case{"TheBookingsOwnMinutes",
             1,
             {{"10:00", "A"}, {"11:00", "B"}},
             {"10:30", "N", 60},
             {},
             {"A", "B"}},
        Case{"OtherDaysDoNotCount",
             1,
             {{"10:00", "A"}, {"10:00", "B", std::nullopt, Status::Yoyaku, "09"}},
             {"10:00", "N"},
             {},
             {}},
        Case{"TheReplacedBookingIsNotCounted",
             1,
             {{"10:00", "A"}, {"10:00", "Old"}},
             {"10:00", "N"},
             {1},
             {}}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
