// What may be stored as a reservation's date and time, which lines no cell of the weekly table
// leads to, and how such a line is given a date and time again.
#include "records/RecordFormat.h"
#include "records/RecordLists.h"
#include "records/ReservationChecks.h"
#include "records/uLib.h"
#include "tests/support/Files.h"
#include "tests/support/RecordLines.h"

#include <gtest/gtest.h>
#include <QTemporaryDir>

#include <optional>

using namespace records::reservation_record;
using testing_support::readBytes;
using testing_support::recordLine;
using testing_support::writeBytes;

namespace {

const QDate Today(2026, 12, 9);

struct SlotCase {
    SlotTexts slot;
    std::optional<Field> wrong;
};

void PrintTo(const SlotCase& slotCase, std::ostream* out) {
    *out << (QByteArrayList{slotCase.slot.nen, slotCase.slot.tuki, slotCase.slot.niti,
                            slotCase.slot.jikan, slotCase.slot.hun}
                 .join('|')
                 .toStdString());
}

class ImpossibleSlot : public ::testing::TestWithParam<SlotCase> {};

TEST_P(ImpossibleSlot, NamesTheFirstFieldThatCannotBeStored) {
    EXPECT_EQ(impossibleSlotField(GetParam().slot, Today), GetParam().wrong);
}

INSTANTIATE_TEST_SUITE_P(
    DateHourMinute, ImpossibleSlot,
    ::testing::Values(
        SlotCase{{"2026", "12", "09", "10", "30"}, std::nullopt},
        // Read as the table reads them: a short year, a month or day without its zero.
        SlotCase{{"26", "5", "9", "8", "5"}, std::nullopt},
        SlotCase{{"2028", "02", "29", "00", "00"}, std::nullopt},
        SlotCase{{"2026", "12", "31", "24", "59"}, std::nullopt},
        SlotCase{{"2026", "11", "31", "10", "30"}, YoyakuNiti},
        SlotCase{{"2026", "02", "29", "10", "30"}, YoyakuNiti},
        SlotCase{{"2026", "13", "01", "10", "30"}, YoyakuTuki},
        SlotCase{{"2026", "ab", "01", "10", "30"}, YoyakuTuki},
        SlotCase{{"２０２６", "12", "09", "10", "30"}, YoyakuNen},
        SlotCase{{"10000", "12", "09", "10", "30"}, YoyakuNen},
        SlotCase{{"2026", "12", "09", "25", "30"}, YoyakuJikan},
        SlotCase{{"2026", "12", "09", "+8", "30"}, YoyakuJikan},
        SlotCase{{"2026", "12", "09", "ab", "30"}, YoyakuJikan},
        SlotCase{{"2026", "12", "09", "10", "60"}, YoyakuHun},
        SlotCase{{"2026", "12", "09", "10", "ab"}, YoyakuHun},
        // The date is named before the hour and the minute.
        SlotCase{{"2026", "11", "31", "ab", "75"}, YoyakuNiti},
        SlotCase{{"2026", "12", "09", "ab", "75"}, YoyakuJikan}));

// A reservation line with the given slot, the owner 山田 and the pet ポチ, cut after
// `fieldCount` fields.
QByteArray lineAt(const char* nen, const char* tuki, const char* niti, const char* jikan,
                  int fieldCount = FieldCount) {
    const QByteArrayList fields = recordLine(FieldCount, {{YoyakuNen, nen},
                                                          {YoyakuTuki, tuki},
                                                          {YoyakuNiti, niti},
                                                          {YoyakuJikan, jikan},
                                                          {YoyakuHun, "30"},
                                                          {Shimei, "山田"},
                                                          {PetName, "ポチ"}})
                                      .split('\t');
    return fields.mid(0, fieldCount).join('\t');
}

// The lines are built in the test: the empty-field mark they hold is not there before main.
struct LineCase {
    const char* jikan;
    const char* tuki;
    const char* niti;
    int fieldCount;
    std::optional<Unreachable> reason;
};

void PrintTo(const LineCase& lineCase, std::ostream* out) {
    *out << "2026/" << lineCase.tuki << '/' << lineCase.niti << ' ' << lineCase.jikan << ", "
         << lineCase.fieldCount << " fields";
}

class NeedsChecking : public ::testing::TestWithParam<LineCase> {};

TEST_P(NeedsChecking, WhenNoCellOfTheTableLeadsToTheLine) {
    const LineCase& lineCase = GetParam();
    const QByteArray line =
        lineAt("2026", lineCase.tuki, lineCase.niti, lineCase.jikan, lineCase.fieldCount);
    EXPECT_EQ(whyUnreachable(line, Today), lineCase.reason);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, NeedsChecking,
    ::testing::Values(LineCase{"10", "12", "09", FieldCount, std::nullopt},
                      LineCase{"08", "12", "09", FieldCount, std::nullopt},
                      LineCase{"24", "12", "09", FieldCount, std::nullopt},
                      LineCase{"07", "12", "09", FieldCount, Unreachable::HourWithoutRow},
                      LineCase{"25", "12", "09", FieldCount, Unreachable::HourWithoutRow},
                      LineCase{"ab", "12", "09", FieldCount, Unreachable::HourWithoutRow},
                      LineCase{"10", "11", "31", FieldCount, Unreachable::NoDate},
                      LineCase{"10", "13", "01", FieldCount, Unreachable::NoDate},
                      LineCase{"10", "12", "09", FieldCount - 1, Unreachable::TooFewFields},
                      LineCase{"ab", "13", "01", 3, Unreachable::TooFewFields},
                      LineCase{"10", "12", "09", 0, Unreachable::TooFewFields}));

const SlotTexts Corrected{"2026", "12", "01", "10", "15"};

TEST(WithSlot, ReplacesTheFirstFiveFieldsAndKeepsTheRestByteForByte) {
    // A quoted field and a run of separators after the minute stay as they are.
    const QByteArray rest = "\"quoted \"\"name\"\"\"\t\t" + QByteArray(14, 'x').replace("x", "y\t");
    const QByteArray line = "2026\t11\t31\t25\tab\t" + rest;
    EXPECT_EQ(withSlot(line, Corrected), "2026\t12\t01\t10\t15\t" + rest);
}

TEST(WithSlot, FillsALineCutShortUpToTwentyFieldsWithMarks) {
    const testing_support::FieldTexts slot = {{YoyakuNen, "2026"},
                                              {YoyakuTuki, "12"},
                                              {YoyakuNiti, "01"},
                                              {YoyakuJikan, "10"},
                                              {YoyakuHun, "15"}};
    EXPECT_EQ(withSlot("2026\t11\t31", Corrected), recordLine(FieldCount, slot));
    testing_support::FieldTexts kept = slot;
    kept.insert(kept.end(), {{Shimei, "山田"}, {PetName, "ポチ"}});
    const QByteArray corrected = withSlot(lineAt("2026", "13", "01", "10", 13), Corrected);
    EXPECT_EQ(corrected, recordLine(FieldCount, kept));
    EXPECT_EQ(whyUnreachable(corrected, Today), std::nullopt);
}

class ReplaceLine : public ::testing::Test {
protected:
    QString path() const { return dir_.filePath(YoyakuFileName); }
    void replaceInPlace(qsizetype position, const QByteArray& old, const QByteArray& line) {
        lists_.change(records::RecordFile::Yoyaku,
                      {records::RecordIntent::replace(position, old, line)});
    }

    QTemporaryDir dir_;
    THonjitu honjitu_;
    records::RecordLists lists_{honjitu_, dir_.path()};
};

TEST_F(ReplaceLine, TakesThePlaceOfTheLineWhereItStands) {
    writeBytes(path(), "a\r\nb\r\nc\r\nb\r\n");
    ASSERT_TRUE(lists_.YoyakuFileLoad());
    replaceInPlace(3, "b", "B");
    EXPECT_EQ(readBytes(path()), QByteArray("a\r\nb\r\nc\r\nB\r\n"));
    EXPECT_EQ(honjitu_.YoyakuList, (QByteArrayList{"a", "b", "c", "B"}));
    // Changed elsewhere: the first line equal to the old one is replaced in place.
    writeBytes(path(), "z\r\na\r\nb\r\nc\r\nB\r\nd\r\n");
    replaceInPlace(2, "c", "C");
    EXPECT_EQ(readBytes(path()), QByteArray("z\r\na\r\nb\r\nC\r\nB\r\nd\r\n"));
    EXPECT_EQ(lists_.takeFilesReloaded(), QStringList{path()});
}

}  // namespace
