// The salon's settings and a booking's details as the store keeps them.
#include "records/BookingDetails.h"

#include <gtest/gtest.h>

namespace {

using namespace records::booking;
using records::LineDetails;

TEST(SalonSettingsBytes, ComeBackAsWrittenAndReadAsDefaultsWhenNeverWritten) {
    SalonSettings written;
    written.groomers = {QStringLiteral("佐藤"), QStringLiteral("鈴木")};
    written.usualMinutes[1][0] = 120;
    written.usualMinutes[3][2] = 5;
    EXPECT_EQ(SalonSettings::fromBytes(written.toBytes()), written);

    const SalonSettings never = SalonSettings::fromBytes(std::nullopt);
    EXPECT_TRUE(never.groomers.isEmpty());
    EXPECT_EQ(never.usualMinutesOf(Style::Monpe, Kind::Cat), 60);
    // Damaged bytes read as defaults, a stored value out of range as its nearest bound.
    EXPECT_EQ(SalonSettings::fromBytes(QByteArray("{")), never);
    EXPECT_EQ(SalonSettings::fromBytes(QByteArray(R"({"usualMinutes":[[1000]]})"))
                  .usualMinutesOf(Style::Barikan, Kind::Dog),
              MostMinutes);
}

TEST(BookingDetailsObject, KeepsOtherKeysAndLeavesDefaultsOut) {
    const LineDetails other{{QStringLiteral("calls"), 2}};
    const BookingDetails set{QStringLiteral("佐藤"), 90, Status::MudanCancel};
    const LineDetails stored = set.into(other);
    EXPECT_EQ(stored.value(QStringLiteral("calls")).toInt(), 2);
    EXPECT_EQ(BookingDetails::of(stored), set);
    EXPECT_EQ(BookingDetails{}.into(stored), other);
}

}  // namespace
