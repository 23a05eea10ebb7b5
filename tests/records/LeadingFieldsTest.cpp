#include "records/RecordFormat.h"
#include "records/ReservationRecord.h"

#include <gtest/gtest.h>
#include <QRandomGenerator>

using namespace records;

namespace {

// Lines made of the pieces that steer the splitter: separators, quotes (single and doubled),
// lead bytes that swallow the next byte, marks, slashes, signs and digits.
QByteArray randomLine(QRandomGenerator& random) {
    static const QByteArray pieces[] = {"\t",
                                        " ",
                                        "\x01",
                                        "\"",
                                        "\"\"",
                                        "\x81",
                                        "\x88\t",
                                        "\x83\x5C",
                                        "\xF9\xD3",
                                        "/",
                                        "+",
                                        "-",
                                        "0",
                                        "1",
                                        "2",
                                        "12",
                                        "08",
                                        "2026",
                                        "26",
                                        "a",
                                        "\t\t",
                                        "\"2026\"",
                                        "\"20\"\"26\"",
                                        "\"a b\"",
                                        "\xE0"};
    QByteArray line;
    const int count = random.bounded(12);
    for (int i = 0; i < count; ++i) {
        line += pieces[random.bounded(int(std::size(pieces)))];
    }
    return line;
}

TEST(LeadingFields, ReadsWhatTheSplitterGivesForRandomLines) {
    QRandomGenerator random(20261208);
    const QDate todays[] = {QDate(2026, 12, 8), QDate(2126, 2, 28)};
    for (int round = 0; round < 20000; ++round) {
        const QByteArray line = randomLine(random);
        const QByteArrayList split = splitFields(line);
        const int wanted = random.bounded(LeadingFields::MaxCount + 1);
        const LeadingFields fields(line, wanted);
        ASSERT_EQ(fields.count(), std::min<qsizetype>(split.size(), wanted)) << line.toHex().data();
        for (int position = 0; position <= LeadingFields::MaxCount; ++position) {
            const QByteArray expected = position < wanted ? fieldAt(split, position) : QByteArray();
            ASSERT_EQ(fields.at(position), expected) << line.toHex().data() << " @" << position;
        }

        const LeadingFields slotFields(line);
        for (const QDate& today : todays) {
            ASSERT_EQ(reservation_record::bookedDate(slotFields, today),
                      reservation_record::bookedDate(split, today))
                << line.toHex().data();
        }
        ASSERT_EQ(reservation_record::bookedHour(slotFields.at(reservation_record::YoyakuJikan)),
                  reservation_record::bookedHour(split))
            << line.toHex().data();
    }
}

// The slot test against the plain reading: the line's own four fields (a match unless it has
// fewer) and each of them changed in turn.
TEST(LeadingFields, SlotMatchesWhatThePlainReadingMatches) {
    QRandomGenerator random(8122026);
    int matched = 0;
    for (int round = 0; round < 20000; ++round) {
        const QByteArray line = randomLine(random);
        const QByteArrayList split = splitFields(line);
        QByteArrayList slot;
        for (int position = 0; position < 4; ++position) {
            slot.append(fieldAt(split, position));
        }
        for (int changed = -1; changed < 4; ++changed) {
            QByteArrayList texts = slot;
            if (changed >= 0) {
                texts[changed] += '0';
            }
            const bool plain = split.size() >= 4 && split.mid(0, 4) == texts;
            const bool fast = reservation_record::isInSlot(
                line, {texts.at(0), texts.at(1), texts.at(2), texts.at(3)});
            ASSERT_EQ(fast, plain) << line.toHex().data() << " changed " << changed;
            matched += fast ? 1 : 0;
        }
    }
    EXPECT_GT(matched, 1000);  // the rounds did reach the matching case
}

TEST(LeadingFields, DoubledQuotesAreReadAsOne) {
    const LeadingFields fields("\"20\"\"26\"\t\"12\"x\t\"\x88\"\"\"", 4);
    ASSERT_EQ(fields.count(), 4);
    EXPECT_EQ(fields.at(0), "20\"26");
    EXPECT_EQ(fields.at(1), "12");
    EXPECT_EQ(fields.at(2), "x");
    EXPECT_EQ(fields.at(3), "\x88\"\"");
}

}  // namespace
