#include "records/RecordFormat.h"
#include "records/ReservationRecord.h"
#include "tests/support/Files.h"

#include <gtest/gtest.h>

using namespace records;
using namespace records::reservation_record;
using testing_support::sjisOf;

namespace {

const QByteArray Mark = QByteArrayLiteral("\xF9\xD3");

QByteArrayList sampleValues() {
    return {"2026",
            "12",
            "08",
            "10",
            "30",
            sjisOf("やまだ"),
            sjisOf("山田"),
            "",
            "",
            "",
            "",
            "",
            sjisOf("ポチ"),
            sjisOf("犬"),
            "",
            sjisOf("その他"),
            sjisOf("バリカン"),
            "",
            "",
            ""};
}

TEST(ReservationLine, EndsWithThreeMarksWithoutServicesOrRemarks) {
    const QByteArray line = buildLine(sampleValues());
    EXPECT_TRUE(line.endsWith("\t" + Mark + "\t" + Mark + "\t" + Mark));
    EXPECT_EQ(line.count('\t'), 19);
    EXPECT_EQ(splitFields(line).size(), 20);
    EXPECT_TRUE(line.startsWith("2026\t12\t08\t10\t30\t"));
}

TEST(ReservationLine, RemarksOnThreeLinesBecomeOneField) {
    QByteArrayList values = sampleValues();
    values[SonotaBikou] = sjisOf("耳 掃除\r\n爪\n短め\rに");
    values[YoyakuNen] = "20 26";  // the date texts are sanitized too
    const QByteArrayList fields = splitFields(buildLine(values));
    ASSERT_EQ(fields.size(), 20);
    EXPECT_EQ(fields[SonotaBikou], sjisOf("耳　掃除爪短めに"));
    EXPECT_EQ(fields[YoyakuNen], sjisOf("20　26"));
}

TEST(TimeSlot, MatchesTheFirstFourFieldsExactly) {
    const QByteArray line = buildLine(sampleValues());
    EXPECT_TRUE(isInSlot(line, {"2026", "12", "08", "10"}));
    EXPECT_FALSE(isInSlot(line, {"2026", "12", "8", "10"}));
    EXPECT_FALSE(isInSlot(line, {"26", "12", "08", "10"}));
    EXPECT_FALSE(isInSlot("2026\t12\t08", {"2026", "12", "08", ""}));
    EXPECT_FALSE(isInSlot("", {"", "", "", ""}));
}

TEST(BookedDate, ReadsYearMonthDayOrFallsBackToToday) {
    const QDate today(2026, 12, 8);
    struct Case {
        QByteArrayList fields;
        QDate expected;
    } cases[] = {
        {{"2026", "12", "24"}, QDate(2026, 12, 24)},
        {{"2027", "1", "5"}, QDate(2027, 1, 5)},
        {{"26", "02", "28"}, QDate(2026, 2, 28)},
        {{"2026", "13", "01"}, today},
        {{"2026", "02", "30"}, today},
        {{"2026", "xx", "01"}, today},
        {{"2026/01", "02", "03"}, today},
        {{"2026", "-1", "03"}, today},
        {{"0", "01", "03"}, QDate(2000, 1, 3)},
        {{"0000", "01", "03"}, today},
        {{"2026"}, today},
        {{}, today},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(bookedDate(c.fields, today), c.expected) << c.fields.join('/').constData();
    }
}

TEST(BookedHour, ReadsADecimalNumberOrZero) {
    EXPECT_EQ(bookedHour({"", "", "", "08"}), 8);
    EXPECT_EQ(bookedHour({"", "", "", "24"}), 24);
    EXPECT_EQ(bookedHour({"", "", "", "+9"}), 9);
    EXPECT_EQ(bookedHour({"", "", "", "-3"}), -3);
    EXPECT_EQ(bookedHour({"", "", "", "1O"}), 0);
    EXPECT_EQ(bookedHour({"", "", "", "99999999999"}), 0);
    EXPECT_EQ(bookedHour({"", "", ""}), 0);
}

TEST(TableEntry, ShowsOwnerAndPetAsStored) {
    QByteArrayList values = sampleValues();
    values[Shimei] = "";
    const QByteArrayList fields = splitFields(buildLine(values));
    EXPECT_EQ(tableEntry(fields), Mark + "/" + sjisOf("ポチ"));
    EXPECT_EQ(tableEntry({}), QByteArray("/"));
}

}  // namespace
