#include "records/RecordFormat.h"
#include "records/ReservationIndex.h"
#include "records/ReservationRecord.h"
#include "tests/support/PlainWeek.h"

#include <gtest/gtest.h>
#include <QRandomGenerator>

using namespace records;
using testing_support::Placed;
using testing_support::plainWeek;

namespace {

QList<Placed> indexedWeek(const ReservationIndex& index, const QDate& first, const QDate& today) {
    QList<Placed> placed;
    for (const qsizetype i : index.bookedBetween(first, first.addDays(6), today)) {
        placed.append({i, index.bookedDate(i, today), index.bookedHour(i), index.tableEntry(i)});
    }
    return placed;
}

QByteArray randomLine(QRandomGenerator& random) {
    const QByteArray odd[] = {"",
                              "2026\t13\t01\t10\tx",
                              "26\t12\t09\t09",
                              "2026\t12",
                              "2026\t12\t10\t7\t0\ta\tb",
                              "\"2026\"\t12\t11\t25",
                              "\"20\"\"26\"\t12\t11\t10\tx",
                              "\"2026\"12\t11\t12\tx",
                              "2000\t01\t01\t10\tx",
                              "26/\t12\t11\t10\tx"};
    if (random.bounded(10) == 0) {
        return odd[random.bounded(int(std::size(odd)))];
    }
    const int day = random.bounded(1, 32);
    QByteArrayList fields{"2026", "12", QByteArray::number(day).rightJustified(2, '0'),
                          QByteArray::number(random.bounded(6, 26)).rightJustified(2, '0'), "00"};
    fields << "k" << ("owner" + QByteArray::number(random.bounded(1000)));
    for (int i = 0; i < 5; ++i)
        fields << EmptyMark;
    fields << ("pet" + QByteArray::number(random.bounded(1000)));
    return reservation_record::buildLine(fields);
}

TEST(ReservationIndex, GivesWhatAPlainReadingGivesThroughRandomChanges) {
    QRandomGenerator random(20261208);
    QByteArrayList lines;
    ReservationIndex index;
    const QDate weeks[] = {QDate(2026, 11, 29), QDate(2026, 12, 6), QDate(2026, 12, 13),
                           QDate(2026, 12, 20), QDate(2026, 12, 27)};
    for (int step = 0; step < 400; ++step) {
        switch (random.bounded(5)) {
            case 0:  // a new booking
            case 1:
                lines.append(randomLine(random));
                break;
            case 2:  // an update: the first equal line leaves, the new one goes to the end
                if (!lines.isEmpty()) {
                    QByteArrayList copy = lines;
                    removeFirstEqual(copy, copy.at(random.bounded(int(copy.size()))));
                    copy.append(randomLine(random));
                    lines = copy;
                }
                break;
            case 3:  // a deletion through a copy
                if (!lines.isEmpty())
                    lines.removeAt(random.bounded(int(lines.size())));
                break;
            case 4:  // a line changed in place, as a hand edit reloaded would be
                if (!lines.isEmpty())
                    lines[random.bounded(int(lines.size()))] = randomLine(random);
                break;
        }
        index.sync(lines);
        const QDate today(2026, 12, random.bounded(1, 32));
        const QDate week = weeks[random.bounded(5)];
        ASSERT_EQ(indexedWeek(index, week, today), plainWeek(lines, week, today))
            << "step " << step;
    }
}

TEST(ReservationIndex, LinesReadWhileTheListIsFilledStayInStepAfterwards) {
    QRandomGenerator random(4052026);
    QByteArrayList lines;
    ReservationIndex index;
    for (int i = 0; i < 300; ++i) {
        lines.append(randomLine(random));
        index.append(lines.last());
    }
    const QDate week(2026, 12, 6);
    const QDate today(2026, 12, 9);
    index.sync(lines);
    EXPECT_EQ(indexedWeek(index, week, today), plainWeek(lines, week, today));

    removeFirstEqual(lines, lines.at(17));
    lines.append(randomLine(random));
    lines[3] = randomLine(random);
    index.sync(lines);
    EXPECT_EQ(indexedWeek(index, week, today), plainWeek(lines, week, today));
}

TEST(ReservationIndex, TwoDigitYearsAndInvalidDatesFollowToday) {
    ReservationIndex index;
    index.sync({"26\t01\t05\t10", "2026\t02\t30\t10"});
    EXPECT_EQ(index.bookedDate(0, QDate(2026, 3, 1)), QDate(2026, 1, 5));
    EXPECT_EQ(index.bookedDate(0, QDate(2126, 3, 1)), QDate(2126, 1, 5));
    EXPECT_EQ(index.bookedDate(1, QDate(2026, 3, 1)), QDate(2026, 3, 1));
    EXPECT_EQ(index.bookedBetween(QDate(2026, 3, 1), QDate(2026, 3, 7), QDate(2026, 3, 4)),
              QList<qsizetype>{1});
}

}  // namespace
