#include "records/RecordLists.h"
#include "records/uLib.h"
#include "tests/support/Files.h"
#include "tests/support/ListChanges.h"
#include "tests/support/Mounts.h"
#include "tests/support/RecordLines.h"
#include "tests/support/Unprivileged.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/stat.h>

using testing_support::readBytes;
using testing_support::writeBytes;

namespace {

unsigned modeOf(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 0777 : 0;
}

class RecordFile : public ::testing::Test {
protected:
    QString path(const QString& name = YoyakuFileName) const { return dir_.filePath(name); }
    QTemporaryDir dir_;
    THonjitu honjitu_;
    records::RecordLists lists_{honjitu_, dir_.path()};
};

TEST_F(RecordFile, DataFileCheckCreatesAnOwnerOnlyEmptyFileOnce) {
    EXPECT_FALSE(DataFileCheck(path()));
    EXPECT_EQ(readBytes(path()), QByteArray());
    EXPECT_EQ(modeOf(path()), 0600u);

    writeBytes(path(), "keep\r\n");
    EXPECT_TRUE(DataFileCheck(path()));
    EXPECT_EQ(readBytes(path()), QByteArray("keep\r\n"));
}

TEST_F(RecordFile, DataFileCheckOnAFolderCreatesNothing) {
    QDir(dir_.path()).mkdir(YoyakuFileName);
    EXPECT_FALSE(DataFileCheck(path()));
    EXPECT_TRUE(QFileInfo(path()).isDir());
}

TEST_F(RecordFile, AppendWritesTheLineWithCrLfAndThenGrowsTheList) {
    writeBytes(path(), "one\r\n");
    ASSERT_TRUE(lists_.YoyakuFileLoad());
    lists_.YoyakuFileSave("two", 'A');
    EXPECT_EQ(readBytes(path()), QByteArray("one\r\ntwo\r\n"));
    EXPECT_EQ(honjitu_.YoyakuList, (QByteArrayList{"one", "two"}));
}

TEST_F(RecordFile, AppendEndsACutOffLastLineFirst) {
    const struct {
        QByteArray before, after;
    } cases[] = {
        {"", "new\r\n"},
        {"cut", "cut\r\nnew\r\n"},
        {"cr\r", "cr\r\nnew\r\n"},
        {"lf\n", "lf\nnew\r\n"},
    };
    for (const auto& c : cases) {
        writeBytes(path(), c.before);
        QByteArrayList list;
        appendRecordLine(path(), "new", list);
        EXPECT_EQ(readBytes(path()), c.after) << c.before.constData();
    }
}

TEST_F(RecordFile, AppendToAMissingFileFailsAndCreatesNothing) {
    EXPECT_THROW(lists_.YoyakuFileSave("x", 'A'), FileError);
    EXPECT_FALSE(QFileInfo::exists(path()));
    EXPECT_TRUE(honjitu_.YoyakuList.isEmpty());
    try {
        lists_.YoyakuFileSave("x", 'A');
    } catch (const FileError& error) {
        EXPECT_TRUE(error.message().contains(YoyakuFileName));
    }
}

TEST_F(RecordFile, RewriteReplacesTheFileFromTheListAndKeepsPermissions) {
    writeBytes(path(), "old\r\n");
    QFile::setPermissions(
        path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
    ASSERT_TRUE(lists_.YoyakuFileLoad());
    testing_support::changeListTo(lists_, records::RecordFile::Yoyaku,
                                  {"a", "", QByteArray("\x81\x20\xFF", 3), "d"});
    EXPECT_EQ(readBytes(path()), QByteArray("a\r\n\r\n\x81\x20\xFF\r\nd\r\n"));
    EXPECT_EQ(modeOf(path()), 0640u);
    lists_.YoyakuFileSave("", 'R');
    EXPECT_EQ(readBytes(path()), QByteArray("a\r\n\r\n\x81\x20\xFF\r\nd\r\n"));

    testing_support::changeListTo(lists_, records::RecordFile::Yoyaku, {});
    EXPECT_EQ(readBytes(path()), QByteArray());
}

TEST_F(RecordFile, RewriteCreatesAMissingFileOwnerOnly) {
    rewriteRecordFile(path(), {"a"});
    EXPECT_EQ(readBytes(path()), QByteArray("a\r\n"));
    EXPECT_EQ(modeOf(path()), 0600u);
}

TEST_F(RecordFile, RewriteOnAFullDiskLeavesTheOldFileWhole) {
    const QString mountPoint = dir_.filePath("small");
    const auto disk = testing_support::TestMount::smallDisk(mountPoint, "64k");
    if (!disk.mounted()) {
        GTEST_SKIP() << "cannot mount a small tmpfs here, so the full-disk rewrite is not tested";
    }
    const QString file = mountPoint + "/" + YoyakuFileName;
    const QByteArray old = QByteArray("old line\r\n").repeated(2000);  // about 20 KiB
    writeBytes(file, old);
    const QByteArrayList tooMuch(8000, QByteArray("x").repeated(40));  // about 330 KiB
    EXPECT_THROW(rewriteRecordFile(file, tooMuch), FileError);
    EXPECT_EQ(readBytes(file), old);
    EXPECT_EQ(QDir(mountPoint).entryList(QDir::Files | QDir::Hidden), QStringList{YoyakuFileName});
}

TEST_F(RecordFile, WritesInAReadOnlyFolderFailWithoutHarm) {
    writeBytes(path(), "old\r\n");
    testing_support::openUpForOthers(dir_.path());
    QFile::setPermissions(
        path(), QFile::permissions(path()) | QFileDevice::ReadOther | QFileDevice::WriteOther);
    QFile::setPermissions(dir_.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                           QFileDevice::ExeOther);
    const QString file = path();
    QString whyNot;
    const auto rewriteFailed = testing_support::runAsNobody(
        [&] {
            try {
                rewriteRecordFile(file, {"new"});
                return false;
            } catch (const FileError&) {
                return true;
            }
        },
        &whyNot);
    if (!rewriteFailed) {
        GTEST_SKIP() << "read-only folder not tested: " << whyNot.toStdString();
    }
    EXPECT_TRUE(*rewriteFailed);
    EXPECT_EQ(readBytes(path()), QByteArray("old\r\n"));
    const auto createFailed = testing_support::runAsNobody([&] {
        return !DataFileCheck(dir_.filePath("other.csv")) &&
               !QFileInfo::exists(dir_.filePath("other.csv"));
    });
    EXPECT_TRUE(createFailed.value_or(false));
}

TEST(ReservationFileLines, CutAtCrLfOrCrLfAndKeepANulInItsLine) {
    const struct {
        QByteArray content;
        QByteArrayList lines;
    } cases[] = {
        {"", {}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb\n", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"a\n\rb", {"a", "", "b"}},
        {"\r\n", {""}},
        {QByteArray("a\r\nb\0c\r\nd", 9), {"a", QByteArray("b\0c", 3), "d"}},
        {QByteArray("a\r\0\nb", 5), {"a", QByteArray(1, '\0'), "b"}},
        {QByteArray("\0\0", 2), {QByteArray(2, '\0')}},
        {"a\r", {"a"}},
        {"a\r\r\nb\n\nc", {"a", "", "b", "", "c"}},
        {"a\x1A"
         "b",
         {"a\x1A"
          "b"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(splitReservationFile(c.content), c.lines) << c.content.toHex().constData();
    }
}

TEST(CustomerFileLines, CutAtLfDropCrAndStopAtEndOfText) {
    const struct {
        QByteArray content;
        QByteArrayList lines;
    } cases[] = {
        {"", {}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb", {"a", "b"}},
        {"a\rb\r\nc", {"ab", "c"}},
        {"a\r\n\r\nb\r\n", {"a", "", "b"}},
        {"a\r\nb\x1A"
         "c\r\nd",
         {"a", "b"}},
        {"a\r\n\x1A"
         "b",
         {"a"}},
        {"\x1A", {}},
        {"a\x1A", {"a"}},
        {QByteArray("a\0b\r\n", 5), {QByteArray("a\0b", 3)}},
        {"a\r\r\nb\rc\r", {"a", "bc"}},
        {"\r", {""}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(splitCustomerFile(c.content), c.lines) << c.content.toHex().constData();
    }
}

// The lines of a file share its bytes until one of them changes.
TEST(RecordFileLines, ChangingOneLineLeavesTheOthersAndTheFileAlone) {
    using Split = QByteArrayList (*)(const QByteArray&);
    const Split splitReservations = [](const QByteArray& content) {
        return splitReservationFile(content);
    };
    for (const Split split : {splitReservations, Split(splitCustomerFile)}) {
        const QByteArray content = "abc\r\ndef\r\nghi\r\n";
        QByteArrayList lines = split(content);
        lines[0].append("XYZ");
        lines[1][0] = 'D';
        EXPECT_EQ(lines, (QByteArrayList{"abcXYZ", "Def", "ghi"}));
        EXPECT_EQ(content, "abc\r\ndef\r\nghi\r\n");

        // The last line left holding the bytes grows over what were its neighbours.
        QByteArray last = split(QByteArray("abc\r\ndef\r\nghi")).at(1);
        last.append("123456789");
        EXPECT_EQ(last, "def123456789");
    }
}

TEST_F(RecordFile, LoadersFillTheListsInFileOrder) {
    QByteArray customers;
    for (int i = 0; i < 150; ++i)
        customers += "customer " + QByteArray::number(i) + "\r\n";
    writeBytes(path(UserFileName), customers);
    int eventRuns = 0;
    QByteArrayList taken;
    lists_.UserListLoad([&](const QByteArray& line) { taken.append(line); }, [&] { ++eventRuns; });
    ASSERT_EQ(honjitu_.UserList.size(), 150);
    EXPECT_EQ(honjitu_.UserList.at(149), QByteArray("customer 149"));
    EXPECT_GE(eventRuns, 1);
    EXPECT_EQ(taken, honjitu_.UserList);

    writeBytes(path(), "stale\r\n");
    ASSERT_TRUE(lists_.YoyakuFileLoad());
    writeBytes(path(), "x\ny\r\n");
    EXPECT_TRUE(lists_.YoyakuFileLoad());
    EXPECT_EQ(honjitu_.YoyakuList, (QByteArrayList{"x", "y"}));
}

// Files of many megabytes are read straight into a buffer of their size; they must load
// the same lines, and a rewrite must give back the same bytes.
TEST_F(RecordFile, ALargeFileLoadsEveryLineAndGoesBackByteIdentical) {
    QByteArrayList lines;
    QByteArray content;
    for (int i = 0; i < 60000; ++i) {
        lines << "2026\t12\t" + QByteArray::number(i % 28 + 1) + "\t10\t" +
                     QByteArray(i % 150, char('a' + i % 26));
        content += lines.last() + "\r\n";
    }
    ASSERT_GT(content.size(), 5 * 1024 * 1024);
    writeBytes(path(), content);
    ASSERT_TRUE(lists_.YoyakuFileLoad());
    EXPECT_EQ(honjitu_.YoyakuList, lines);
    lists_.YoyakuFileSave(QByteArray(), 'R');
    EXPECT_EQ(readBytes(path()), content);
}

TEST_F(RecordFile, MissingFilesAtLoad) {
    writeBytes(path(), "stale\r\n");
    ASSERT_TRUE(lists_.YoyakuFileLoad());
    QFile::remove(path());
    EXPECT_FALSE(lists_.YoyakuFileLoad());
    EXPECT_TRUE(honjitu_.YoyakuList.isEmpty());
    EXPECT_TRUE(lists_.isYoyakuListLoaded()) << "a missing file is an empty working copy";
    EXPECT_THROW(lists_.UserListLoad(), FileError);
}

TEST_F(RecordFile, UntouchedLinesGoBackByteIdentical) {
    const QByteArray content("\x81\x20\t\xF9\xD3\r\n\x83\x5C\xFF\xA0\r\nplain\r\n");
    writeBytes(path(), content);
    ASSERT_TRUE(lists_.YoyakuFileLoad());
    lists_.YoyakuFileSave("", 'R');
    EXPECT_EQ(readBytes(path()), content);
}

// The customer reader stops at 0x1A, also inside a line; what follows is not shown but must
// survive every write, and a line appended while it is there must land before it, where the
// next load reads it.
TEST_F(RecordFile, WritesKeepWhatFollowsTheEndMarkAndAppendBeforeIt) {
    const QString at = path(UserFileName);
    const QByteArray tail =
        "\x1A"
        "hidden\r\nrecord";
    writeBytes(at, "one\r\ntwo" + tail);
    lists_.UserListLoad();
    EXPECT_EQ(honjitu_.UserList, (QByteArrayList{"one", "two"}));

    lists_.UserFileSave("new", 'A');
    EXPECT_EQ(readBytes(at), "one\r\ntwo\r\nnew\r\n" + tail);
    testing_support::changeListTo(lists_, records::RecordFile::User, {"two", "new"});
    EXPECT_EQ(readBytes(at), "two\r\nnew\r\n" + tail);
    lists_.UserFileSave("", 'R');
    EXPECT_EQ(readBytes(at), "two\r\nnew\r\n" + tail);
    lists_.UserListLoad();
    EXPECT_EQ(honjitu_.UserList, (QByteArrayList{"two", "new"}));

    // A file loaded without a mark has no tail left over from the one before.
    writeBytes(at, "plain\r\n");
    lists_.UserListLoad();
    lists_.UserFileSave("", 'R');
    EXPECT_EQ(readBytes(at), "plain\r\n");
}

// A NUL is a byte of its line like any other: the load shows every line, an append never joins
// two records, and a rewrite gives back the same bytes.
TEST_F(RecordFile, ANulInsideALineHidesNothingAndAnAppendKeepsEveryLineWhole) {
    const QByteArray booked = QByteArray("x\r\n").repeated(9) + QByteArray("b\0c\r\n", 5) +
                              QByteArray("x\r\n").repeated(2990);
    const struct {
        QString name;
        QByteArray content;
        qsizetype linesShown;
        QByteArray appended;  // what follows the old content once "new" is appended
    } cases[] = {
        {YoyakuFileName, booked, 3000, "new\r\n"},
        {YoyakuFileName, QByteArray("a\r\nb\0c", 5), 2, "\r\nnew\r\n"},
        {YoyakuFileName, QByteArray("a\r\nb\0\r", 6), 2, "\nnew\r\n"},
        {UserFileName, QByteArray("a\r\nb\0c", 5), 2, "\r\nnew\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content.left(16).toHex().toStdString());
        const bool yoyaku = c.name == YoyakuFileName;
        const auto load = [&] { yoyaku ? (void)lists_.YoyakuFileLoad() : lists_.UserListLoad(); };
        const auto save =
            yoyaku ? &records::RecordLists::YoyakuFileSave : &records::RecordLists::UserFileSave;
        const QByteArrayList& list = yoyaku ? honjitu_.YoyakuList : honjitu_.UserList;
        writeBytes(path(c.name), c.content);
        load();
        ASSERT_EQ(list.size(), c.linesShown);
        const QByteArrayList expected = list + QByteArrayList{"new"};
        (lists_.*save)("new", 'A');
        EXPECT_EQ(readBytes(path(c.name)), c.content + c.appended);
        load();
        EXPECT_EQ(list, expected);
        (lists_.*save)("", 'R');
        EXPECT_EQ(readBytes(path(c.name)), testing_support::fileOf(expected));
    }
}

TEST_F(RecordFile, TheDayIndexFollowsEveryChangeOfTheReservationList) {
    const QDate today(2026, 12, 9);
    const auto bookedOnTheNinth = [&] {
        return lists_.yoyakuIndex().bookedBetween(today, today, today);
    };
    writeBytes(path(), "2026\t12\t09\t10\ta\r\n2026\t12\t10\t10\tb\r\n");
    ASSERT_TRUE(lists_.YoyakuFileLoad());
    EXPECT_EQ(bookedOnTheNinth(), QList<qsizetype>{0});
    lists_.YoyakuFileSave("2026\t12\t09\t11\tc", 'A');
    EXPECT_EQ(bookedOnTheNinth(), (QList<qsizetype>{0, 2}));
    testing_support::changeListTo(lists_, records::RecordFile::Yoyaku,
                                  {"2026\t12\t10\t10\tb", "2026\t12\t09\t11\tc"});
    EXPECT_EQ(bookedOnTheNinth(), QList<qsizetype>{1});
    QFile::remove(path());
    lists_.YoyakuFileLoad();
    EXPECT_TRUE(bookedOnTheNinth().isEmpty());
}

}  // namespace
