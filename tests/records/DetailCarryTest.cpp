// Details in the store follow their record line through every change the owner of the lists
// makes, through a file another program changed, and past lines that leave and come back.
#include "records/Backup.h"
#include "records/Clock.h"
#include "records/RecordLists.h"
#include "records/uLib.h"
#include "tests/support/Files.h"
#include "tests/support/FixedClock.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QTemporaryDir>

#include <numeric>

using records::LineDetails;
using records::RecordFile;
using records::RecordIntent;
using testing_support::readBytes;
using testing_support::writeBytes;

namespace {

LineDetails tagged(const char* tag) {
    return {{QStringLiteral("tag"), QString::fromLatin1(tag)}};
}

class DetailCarry : public ::testing::Test {
protected:
    void SetUp() override {
        writeBytes(path(YoyakuFileName), "a\r\nb\r\na\r\n");
        writeBytes(path(UserFileName), "p\nq\n");
        lists_.UserListLoad();
        ASSERT_TRUE(lists_.YoyakuFileLoad());
    }
    void TearDown() override { records::clock_source::set({}); }
    QString path(const QString& name) const { return dir_.filePath(name); }

    // Each line of the file with the tag of its details, "-" for none: "a:x b:- a:y".
    QString tags(RecordFile file = RecordFile::Yoyaku) const {
        const QByteArrayList& lines = lists_.lines(file);
        QList<qsizetype> positions(lines.size());
        std::iota(positions.begin(), positions.end(), 0);
        const QHash<qsizetype, LineDetails> details = lists_.detailsAt(file, positions);
        QStringList shown;
        for (const qsizetype at : positions) {
            const QString tag = details.value(at).value("tag").toString();
            shown.append(QString::fromLatin1(lines.at(at)) + ':' + (tag.isEmpty() ? "-" : tag));
        }
        return shown.join(' ');
    }
    void tag(qsizetype position, const char* tag, RecordFile file = RecordFile::Yoyaku) {
        lists_.setDetails(file, position, lists_.lines(file).at(position), tagged(tag));
    }

    QTemporaryDir dir_;
    THonjitu honjitu_;
    records::RecordLists lists_{honjitu_, dir_.path()};
};

TEST_F(DetailCarry, DetailsFollowTheirLineThroughEveryIntent) {
    // No store until details are first written: the folder stays as it was.
    EXPECT_FALSE(QFile::exists(path(records::DetailStore::FileName)));
    lists_.change(RecordFile::Yoyaku, {RecordIntent::add("c", tagged("c"))});
    EXPECT_TRUE(lists_.hasStore());
    tag(0, "x");
    tag(2, "y");
    EXPECT_EQ(tags(), "a:x b:- a:y c:c");

    // The first of two identical lines leaves: the second keeps its own details.
    lists_.change(RecordFile::Yoyaku, {RecordIntent::remove(0, "a")});
    EXPECT_EQ(tags(), "b:- a:y c:c");
    // An update moved to the end carries them; a correction in place may bring new ones.
    lists_.change(RecordFile::Yoyaku,
                  {RecordIntent::replace(1, "a", "A", RecordIntent::Placement::AtEnd)});
    EXPECT_EQ(tags(), "b:- c:c A:y");
    lists_.change(
        RecordFile::Yoyaku,
        {RecordIntent::replace(1, "c", "C", RecordIntent::Placement::InPlace, tagged("C"))});
    EXPECT_EQ(tags(), "b:- C:C A:y");
    // A line added without details has none, even where an identical line's were kept.
    lists_.change(RecordFile::Yoyaku, {RecordIntent::add("a")});
    EXPECT_EQ(tags(), "b:- C:C A:y a:-");
    EXPECT_EQ(readBytes(path(YoyakuFileName)), "b\r\nC\r\nA\r\na\r\n");

    // A customer edit carries the customer's details to the changed line at the end.
    tag(0, "p", RecordFile::User);
    lists_.change(RecordFile::User,
                  {RecordIntent::replace(0, "p", "P", RecordIntent::Placement::AtEnd)});
    EXPECT_EQ(tags(RecordFile::User), "q:- P:p");
}

TEST_F(DetailCarry, DetailsOfALineThatLeftAreKeptForWhenItComesBack) {
    tag(0, "x");
    tag(1, "b");
    lists_.change(RecordFile::Yoyaku, {RecordIntent::remove(0, "a")});
    EXPECT_EQ(tags(), "b:b a:-");
    // Another program puts the line back: read again, it shows its details again.
    writeBytes(path(YoyakuFileName), "a\r\nz\r\nb\r\na\r\n");
    lists_.change(RecordFile::Yoyaku, {RecordIntent::add("n")});
    EXPECT_EQ(lists_.takeFilesReloaded(), QStringList{path(YoyakuFileName)});
    EXPECT_EQ(tags(), "a:- z:- b:b a:x n:-");
}

TEST_F(DetailCarry, DetailsOfLinesGoneForFiveYearsArePurged) {
    testing_support::standClockAt(QDateTime(QDate(2020, 4, 1), QTime(10, 0)));
    tag(0, "x");
    tag(1, "b");
    lists_.change(RecordFile::Yoyaku, {RecordIntent::remove(0, "a")});
    // A day short of five years they are kept, and show when the line comes back.
    testing_support::standClockAt(QDateTime(QDate(2025, 3, 31), QTime(10, 0)));
    lists_.purgeOldDetails();
    writeBytes(path(YoyakuFileName), "b\r\na\r\na\r\n");
    lists_.change(RecordFile::Yoyaku, {RecordIntent::add("n")});
    EXPECT_EQ(tags(), "b:b a:- a:x n:-");
    // Gone again, and five years old: purged. The line that stayed keeps its own however old.
    lists_.change(RecordFile::Yoyaku, {RecordIntent::remove(2, "a")});
    testing_support::standClockAt(QDateTime(QDate(2025, 4, 2), QTime(10, 0)));
    lists_.purgeOldDetails();
    writeBytes(path(YoyakuFileName), "b\r\na\r\na\r\nn\r\n");
    lists_.change(RecordFile::Yoyaku, {RecordIntent::add("m")});
    EXPECT_EQ(tags(), "b:b a:- a:- n:- m:-");
}

TEST_F(DetailCarry, AFileChangedElsewhereKeepsTheDetailsOnTheLinesThatStayed) {
    tag(1, "b");
    tag(2, "y");
    writeBytes(path(YoyakuFileName), "new\r\nb\r\na\r\na\r\n");
    lists_.change(RecordFile::Yoyaku, {RecordIntent::remove(0, "new")});
    EXPECT_EQ(tags(), "b:b a:- a:y");
}

TEST_F(DetailCarry, ARestoreBringsBackTheDetailsOfItsLines) {
    tag(0, "x");
    tag(1, "b");
    const std::optional<QString> backup = records::backup::backUpIfChanged(dir_.path());
    ASSERT_TRUE(backup.has_value());
    lists_.change(RecordFile::Yoyaku, {RecordIntent::remove(1, "b")});
    tag(0, "changed");
    lists_.closeStore();
    records::backup::restoreBackup(dir_.path(), *backup);
    lists_.UserListLoad();
    ASSERT_TRUE(lists_.YoyakuFileLoad());
    lists_.openStoreIfPresent();
    EXPECT_EQ(tags(), "a:x b:b a:-");
}

TEST_F(DetailCarry, AnnouncementsTellWhatWasMadeAndWhatTheLineHad) {
    tag(2, "y");
    QList<records::RecordChange> heard;
    QObject::connect(&lists_, &records::RecordLists::changed,
                     [&](const records::RecordChange& change) {
                         heard.append(change);
                         // The lock is let go first: a follower may read the file again.
                         if (change.cause == records::RecordChange::Cause::Written) {
                             lists_.YoyakuFileLoad();
                         }
                     });
    lists_.change(RecordFile::Yoyaku, {RecordIntent::remove(2, "a")});
    ASSERT_EQ(heard.size(), 2);  // the write, then the follower's own load
    EXPECT_EQ(heard.first().cause, records::RecordChange::Cause::Written);
    ASSERT_EQ(heard.first().made.size(), 1);
    EXPECT_EQ(heard.first().made.first().position, 2);
    EXPECT_EQ(heard.first().made.first().previousDetails, tagged("y"));
    EXPECT_EQ(heard.last().cause, records::RecordChange::Cause::Loaded);
}

TEST_F(DetailCarry, AnExactChangeIsRefusedWhenTheLineMoved) {
    writeBytes(path(YoyakuFileName), "z\r\na\r\nb\r\na\r\n");
    EXPECT_FALSE(lists_.change(RecordFile::Yoyaku, {RecordIntent::remove(0, "a")},
                               records::IntentMatch::Exact));
    EXPECT_EQ(readBytes(path(YoyakuFileName)), "z\r\na\r\nb\r\na\r\n");
    // Read again meanwhile: the list is the file's.
    EXPECT_EQ(honjitu_.YoyakuList, (QByteArrayList{"z", "a", "b", "a"}));
    EXPECT_TRUE(lists_.change(RecordFile::Yoyaku,
                              {RecordIntent::remove(1, "a"), RecordIntent::insert(0, "a")},
                              records::IntentMatch::Exact));
    EXPECT_EQ(readBytes(path(YoyakuFileName)), "a\r\nz\r\nb\r\na\r\n");
}

TEST_F(DetailCarry, ADamagedStoreIsMovedAsideAndToldOnceAndTheRecordsGoOn) {
    const QByteArray damaged(4096, 'x');
    writeBytes(path(records::DetailStore::FileName), damaged);
    lists_.openStoreIfPresent();
    const QString problem = lists_.takeStoreProblem();
    EXPECT_TRUE(problem.contains(records::DetailStore::FileName)) << problem.toStdString();
    const QStringList aside =
        QDir(dir_.path()).entryList({records::DetailStore::FileName + ".damaged-*"});
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(readBytes(path(aside.first())), damaged);
    lists_.change(RecordFile::Yoyaku, {RecordIntent::add("c", tagged("c"))});
    EXPECT_EQ(readBytes(path(YoyakuFileName)), "a\r\nb\r\na\r\nc\r\n");
    EXPECT_EQ(lists_.takeStoreProblem(), QString());
    EXPECT_EQ(tags(), "a:- b:- a:- c:c");
}

}  // namespace
