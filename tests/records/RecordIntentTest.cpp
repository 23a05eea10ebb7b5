#include "records/IntentPlan.h"

#include <gtest/gtest.h>

namespace {

using records::IntentPlan;
using records::RecordFile;
using records::RecordIntent;
using Step = records::KeyChange::Step;
using Placement = RecordIntent::Placement;

// A key step written shortly: "-a@1/2" is line "a" leaving as its second of two identical lines,
// "+a@0" is "a" entering as the first.
QString stepText(const Step& step) {
    if (step.kind == Step::Kind::Leave) {
        return QStringLiteral("-%1@%2/%3")
            .arg(QString::fromLatin1(step.line))
            .arg(step.occurrence)
            .arg(step.identicalBefore);
    }
    return QStringLiteral("+%1@%2").arg(QString::fromLatin1(step.line)).arg(step.occurrence);
}

QStringList stepsOf(const IntentPlan& plan) {
    QStringList steps;
    for (const Step& step : plan.keys.steps) {
        steps.append(stepText(step));
    }
    return steps;
}

QStringList countsOf(const IntentPlan& plan) {
    QStringList counts;
    for (const auto& [line, count] : plan.keys.identicalAfter) {
        counts.append(QStringLiteral("%1=%2").arg(QString::fromLatin1(line)).arg(count));
    }
    return counts;
}

QList<qsizetype> positionsOf(const IntentPlan& plan) {
    QList<qsizetype> positions;
    for (const RecordIntent& made : plan.made) {
        positions.append(made.position);
    }
    return positions;
}

struct PlanCase {
    const char* what;
    QByteArrayList before;
    QList<RecordIntent> intents;
    QByteArrayList after;
    QList<qsizetype> madeAt;
    QStringList steps;
    QStringList identicalAfter;
};

TEST(IntentPlan, LinesAndKeysOfEachKindOfIntent) {
    const PlanCase cases[] = {
        {"an addition enters after the identical lines",
         {"a", "b", "a"},
         {RecordIntent::add("a")},
         {"a", "b", "a", "a"},
         {3},
         {"+a@2"},
         {"a=3"}},
        {"removing the first of identical lines",
         {"a", "b", "a"},
         {RecordIntent::remove(0, "a")},
         {"b", "a"},
         {0},
         {"-a@0/2"},
         {"a=1"}},
        {"an update moves to the end and counts among the lines there",
         {"a", "x", "b", "x"},
         {RecordIntent::replace(0, "a", "x", Placement::AtEnd)},
         {"x", "b", "x", "x"},
         {0},
         {"-a@0/1", "+x@2"},
         {"a=0", "x=3"}},
        {"a correction in place comes before the identical lines after it",
         {"a", "b", "x"},
         {RecordIntent::replace(1, "b", "x")},
         {"a", "x", "x"},
         {1},
         {"-b@0/1", "+x@0"},
         {"b=0", "x=2"}},
        {"a line that moved (the file was read again) is found by its bytes",
         {"z", "a", "b"},
         {RecordIntent::remove(0, "a")},
         {"z", "b"},
         {1},
         {"-a@0/1"},
         {"a=0"}},
        {"identical lines named twice are two lines",
         {"a", "a", "b"},
         {RecordIntent::remove(1, "a"), RecordIntent::remove(1, "a")},
         {"b"},
         {1, 0},
         {"-a@1/2", "-a@0/1"},
         {"a=0"}},
        {"positions are those of the list before every intent",
         {"a", "b", "c", "d"},
         {RecordIntent::remove(1, "b"), RecordIntent::replace(3, "d", "e", Placement::AtEnd)},
         {"a", "c", "e"},
         {1, 2},
         {"-b@0/1", "-d@0/1", "+e@0"},
         {"b=0", "d=0", "e=1"}},
        {"a gone line is not removed, and its update is still added",
         {"a"},
         {RecordIntent::remove(0, "q"), RecordIntent::replace(0, "r", "s", Placement::AtEnd),
          RecordIntent::replace(0, "t", "u")},
         {"a", "s"},
         {1},
         {"+s@0"},
         {"s=1"}},
        {"no intent rewrites the list as it is", {"a"}, {}, {"a"}, {}, {}, {}},
    };
    for (const PlanCase& c : cases) {
        const IntentPlan plan = records::planIntents(c.before, RecordFile::Yoyaku, c.intents, true);
        const QByteArrayList lines =
            plan.appendsOnly ? c.before + QByteArrayList{plan.made.first().line} : plan.lines;
        EXPECT_EQ(lines, c.after) << c.what;
        EXPECT_EQ(positionsOf(plan), c.madeAt) << c.what;
        EXPECT_EQ(stepsOf(plan), c.steps) << c.what;
        EXPECT_EQ(countsOf(plan), c.identicalAfter) << c.what;
        const IntentPlan withoutKeys =
            records::planIntents(c.before, RecordFile::Yoyaku, c.intents, false);
        EXPECT_TRUE(withoutKeys.keys.steps.isEmpty()) << c.what;
        EXPECT_EQ(withoutKeys.made.size(), plan.made.size()) << c.what;
    }
}

TEST(IntentPlan, DetailsGoWithTheNewLine) {
    const records::LineDetails given{{"status", "来店"}};
    const IntentPlan plan =
        records::planIntents({"a", "b"}, RecordFile::User,
                             {RecordIntent::replace(0, "a", "A", Placement::AtEnd),
                              RecordIntent::add("c", given), RecordIntent::add("d")},
                             true);
    ASSERT_EQ(plan.keys.steps.size(), 4);
    // A replacement carries the old line's details, an addition takes what it brings or none.
    EXPECT_FALSE(plan.keys.steps.at(1).details.has_value());
    EXPECT_EQ(plan.keys.steps.at(2).details, given);
    EXPECT_EQ(plan.keys.steps.at(3).details, records::LineDetails());
    EXPECT_EQ(plan.keys.file, RecordFile::User);
}

}  // namespace
