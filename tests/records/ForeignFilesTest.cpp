// Record files that another program changed, that are not what they seem (FIFOs, devices,
// UTF-16 text, huge files) or that another copy of the program is writing: nothing the program
// did not read is overwritten, nothing hangs, nothing but a regular file is ever replaced.

#include "records/FileChecks.h"
#include "records/RecordLists.h"
#include "records/uLib.h"
#include "tests/support/Files.h"
#include "tests/support/ListChanges.h"
#include "tests/support/Unprivileged.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <thread>

using testing_support::readBytes;
using testing_support::writeBytes;

namespace {

// The text of the FileError `work` throws; empty when it throws none.
QString errorOf(const std::function<void()>& work) {
    try {
        work();
    } catch (const FileError& error) {
        return error.message();
    }
    return {};
}

struct stat statusOf(const QString& path) {
    struct stat info {};
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info;
}

class ForeignFiles : public ::testing::Test {
protected:
    QString path(const QString& name = YoyakuFileName) const { return dir_.filePath(name); }
    void load() { ASSERT_TRUE(lists_.YoyakuFileLoad()); }

    QTemporaryDir dir_;
    THonjitu honjitu_;
    records::RecordLists lists_{honjitu_, dir_.path()};
};

TEST_F(ForeignFiles, ALineAppendedElsewhereIsReadAgainAndTheChangeMadeOnWhatIsThere) {
    writeBytes(path(), "a\r\nb\r\nb\r\n");
    writeBytes(path(UserFileName), "u\r\n");
    load();
    lists_.UserListLoad();

    // Appended elsewhere, then the program removes one of the two b lines and appends c.
    writeBytes(path(), "a\r\nb\r\nb\r\nelsewhere\r\n");
    testing_support::changeListTo(lists_, records::RecordFile::Yoyaku, {"a", "b", "c"});
    EXPECT_EQ(readBytes(path()), QByteArray("a\r\nb\r\nelsewhere\r\nc\r\n"));
    EXPECT_EQ(honjitu_.YoyakuList, (QByteArrayList{"a", "b", "elsewhere", "c"}));
    EXPECT_EQ(lists_.takeFilesReloaded(), QStringList{path()});
    EXPECT_TRUE(lists_.takeFilesReloaded().isEmpty());

    // A line removed elsewhere that the program removes too: nothing more goes.
    writeBytes(path(), "b\r\nelsewhere\r\nc\r\n");
    testing_support::changeListTo(lists_, records::RecordFile::Yoyaku,
                                  {"b", "elsewhere", "c", "d"});  // "a" removed, "d" appended
    EXPECT_EQ(readBytes(path()), QByteArray("b\r\nelsewhere\r\nc\r\nd\r\n"));

    // An append after a change elsewhere keeps the change; the customer file likewise.
    writeBytes(path(), "x\r\n");
    lists_.YoyakuFileSave("e", 'A');
    EXPECT_EQ(readBytes(path()), QByteArray("x\r\ne\r\n"));
    writeBytes(path(UserFileName), "u\r\nv\r\n");
    lists_.UserFileSave("w", 'A');
    EXPECT_EQ(readBytes(path(UserFileName)), QByteArray("u\r\nv\r\nw\r\n"));
    EXPECT_EQ(honjitu_.UserList, (QByteArrayList{"u", "v", "w"}));
    EXPECT_EQ(lists_.takeFilesReloaded(), (QStringList{path(), path(), path(UserFileName)}));

    // Its own writes are not taken for changes made elsewhere.
    testing_support::changeListTo(lists_, records::RecordFile::User, {"v", "w"});
    lists_.UserFileSave("z", 'A');
    EXPECT_EQ(readBytes(path(UserFileName)), QByteArray("v\r\nw\r\nz\r\n"));
    EXPECT_TRUE(lists_.takeFilesReloaded().isEmpty());
}

TEST_F(ForeignFiles, AnUpdateOfALineThatIsGoneRemovesNothingAndKeepsTheMoveToTheEnd) {
    writeBytes(path(), "a\r\nb\r\nc\r\n");
    load();
    // Unchanged update of b: it moves to the end.
    testing_support::changeListTo(lists_, records::RecordFile::Yoyaku, {"a", "c", "b"});
    EXPECT_EQ(readBytes(path()), QByteArray("a\r\nc\r\nb\r\n"));
    writeBytes(path(), "a\r\nc\r\n");  // b deleted elsewhere
    testing_support::changeListTo(lists_, records::RecordFile::Yoyaku,
                                  {"a", "c", "b2"});  // b updated to b2
    EXPECT_EQ(readBytes(path()), QByteArray("a\r\nc\r\nb2\r\n"));
}

TEST_F(ForeignFiles, AFileNeverReadIsReadBeforeItIsWritten) {
    // A failed start-up read (say the file was UTF-16 then) leaves nothing known of the file.
    writeBytes(path(), "kept\r\n");
    lists_.YoyakuFileSave("", 'R');
    EXPECT_EQ(readBytes(path()), QByteArray("kept\r\n"));
    EXPECT_EQ(honjitu_.YoyakuList, QByteArrayList{"kept"});
}

TEST_F(ForeignFiles, ARewriteKeepsTheFilesGroupAndAppendsKeepModeAndGroup) {
    if (::getuid() != 0) {
        GTEST_SKIP() << "setting another group needs root or a second group";
    }
    constexpr gid_t OtherGroup = 65534;
    writeBytes(path(), "a\r\n");
    ASSERT_EQ(::chown(QFile::encodeName(path()).constData(), static_cast<uid_t>(-1), OtherGroup),
              0);
    ASSERT_EQ(::chmod(QFile::encodeName(path()).constData(), 0660), 0);
    load();
    testing_support::changeListTo(lists_, records::RecordFile::Yoyaku, {"b"});
    EXPECT_EQ(statusOf(path()).st_gid, OtherGroup);
    lists_.YoyakuFileSave("c", 'A');
    EXPECT_EQ(statusOf(path()).st_gid, OtherGroup);
    EXPECT_EQ(statusOf(path()).st_mode & 07777, 0660u);
    EXPECT_EQ(readBytes(path()), QByteArray("b\r\nc\r\n"));
}

TEST_F(ForeignFiles, AFifoIsNeitherWaitedForNorReplaced) {
    for (const QString& name : {YoyakuFileName, UserFileName}) {
        ASSERT_EQ(::mkfifo(QFile::encodeName(path(name)).constData(), 0600), 0);
    }
    EXPECT_TRUE(DataFileCheck(path()));
    EXPECT_TRUE(errorOf([&] {
                    lists_.YoyakuFileLoad();
                }).contains(QStringLiteral("通常のファイルではありません")));
    EXPECT_TRUE(errorOf([&] { lists_.UserListLoad(); }).contains(path(UserFileName)));
    EXPECT_TRUE(errorOf([&] { lists_.YoyakuFileSave("x", 'A'); }).contains(path()));
    EXPECT_TRUE(errorOf([&] {
                    testing_support::changeListTo(lists_, records::RecordFile::Yoyaku, {"x"});
                }).contains(path()));
    EXPECT_TRUE(errorOf([&] { lists_.UserFileSave("x", 'A'); }).contains(path(UserFileName)));
    EXPECT_TRUE(S_ISFIFO(statusOf(path()).st_mode));
    EXPECT_TRUE(S_ISFIFO(statusOf(path(UserFileName)).st_mode));
}

TEST_F(ForeignFiles, ADeviceBehindALinkIsRefusedAndNeverReplaced) {
    // /dev/zero would be read for ever. The device that must not be replaced is a copy of
    // /dev/null made here, so that a fault cannot replace the machine's own.
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), path(UserFileName)));
    const QString device = dir_.filePath(QStringLiteral("null"));
    if (::mknod(QFile::encodeName(device).constData(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
        ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), path()));
    } else {
        ASSERT_TRUE(QFile::link(device, path()));
    }
    const QString target = QFile::symLinkTarget(path());
    EXPECT_TRUE(errorOf([&] { lists_.UserListLoad(); }).contains(path(UserFileName)));
    EXPECT_TRUE(errorOf([&] { lists_.YoyakuFileLoad(); }).contains(path()));
    EXPECT_TRUE(errorOf([&] {
                    testing_support::changeListTo(lists_, records::RecordFile::Yoyaku, {"x"});
                }).contains(path()));
    EXPECT_TRUE(errorOf([&] { lists_.YoyakuFileSave("x", 'A'); }).contains(path()));
    EXPECT_TRUE(S_ISCHR(statusOf(target).st_mode));
    EXPECT_TRUE(S_ISLNK(statusOf(path()).st_mode));
}

TEST_F(ForeignFiles, Utf16TextIsRefusedAndNeverRewritten) {
    const QByteArray withMark(
        "\xFF\xFE"
        "a\0b\0\r\0\n\0",
        10);
    const QByteArray bigEndian("\xFE\xFF\0a\0b\0\r\0\n", 10);
    QByteArray withoutMark;
    for (const char c : QByteArray("2026\t12\t09\t10\tname\r\n").repeated(40)) {
        withoutMark.append(c).append('\0');
    }
    // Mostly Japanese letters, which hold no NUL in UTF-16; only the TABs, digits and line ends do.
    QByteArray japaneseWithoutMark;
    const char* japanese =
        "2026\t12\t09\t10\t30\tやまだ　はなこ\t山田　花子\t〒\t東京都世田谷区北沢一丁目\t"
        "ハイツ北沢二〇一号室\t03-1234\t090-5678\tモモ\t犬\tトイプードル\tレギュラー\t"
        "バリカン\tヒゲカット\t爪切り\t毛玉が多いので念入りにお願いします\r\n";
    for (const QChar c : QString::fromUtf8(japanese).repeated(20)) {
        japaneseWithoutMark.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
    }
    for (const QByteArray& content : {withMark, bigEndian, withoutMark, japaneseWithoutMark}) {
        writeBytes(path(UserFileName), content);
        writeBytes(path(), content);
        const QString userError = errorOf([&] { lists_.UserListLoad(); });
        EXPECT_TRUE(userError.contains(QStringLiteral("Shift-JIS"))) << userError.toStdString();
        EXPECT_TRUE(userError.contains(path(UserFileName)));
        EXPECT_TRUE(errorOf([&] { lists_.YoyakuFileLoad(); }).contains(path()));
        EXPECT_FALSE(errorOf([&] {
                         testing_support::changeListTo(lists_, records::RecordFile::User, {});
                     }).isEmpty());
        EXPECT_FALSE(errorOf([&] { lists_.UserFileSave("x", 'A'); }).isEmpty());
        EXPECT_FALSE(errorOf([&] { lists_.YoyakuFileSave("x", 'A'); }).isEmpty());
        EXPECT_EQ(readBytes(path(UserFileName)), content);
        EXPECT_EQ(readBytes(path()), content);
    }
    // A NUL in one line of Shift-JIS records, or a run of them, is no UTF-16.
    QByteArray strayNul = testing_support::sjisOf(japanese).repeated(20);
    strayNul[strayNul.indexOf('\t') + 1] = '\0';
    const QByteArray nulRun = testing_support::sjisOf(japanese) + QByteArray(600, '\0');
    for (const QByteArray& content : {strayNul, nulRun}) {
        writeBytes(path(), content);
        EXPECT_TRUE(lists_.YoyakuFileLoad());
        EXPECT_EQ(honjitu_.YoyakuList.first(), content.first(content.indexOf('\r')));
    }
}

TEST_F(ForeignFiles, AFileOverHalfAGibibyteIsRefusedUnread) {
    writeBytes(path(), "a\r\n");
    ASSERT_EQ(::truncate(QFile::encodeName(path()).constData(), records::LargestRecordFile + 1), 0);
    EXPECT_TRUE(errorOf([&] { lists_.YoyakuFileLoad(); }).contains(QStringLiteral("512 MiB")));
    EXPECT_FALSE(errorOf([&] { lists_.YoyakuFileSave("x", 'A'); }).isEmpty());
    EXPECT_EQ(statusOf(path()).st_size, records::LargestRecordFile + 1);
}

TEST_F(ForeignFiles, AWriteWaitsForTheFoldersLock) {
    writeBytes(path(), "a\r\n");
    load();
    const QString lockFile = records::FolderLock::lockFilePath(dir_.path());
    const int held = ::open(QFile::encodeName(lockFile).constData(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    std::thread writer([&] { lists_.YoyakuFileSave("b", 'A'); });
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    EXPECT_EQ(readBytes(path()), QByteArray("a\r\n"));  // not while another holds the lock
    ::close(held);
    writer.join();
    EXPECT_EQ(readBytes(path()), QByteArray("a\r\nb\r\n"));
}

TEST_F(ForeignFiles, ReasonsAreJapanese) {
    writeBytes(path(), "a\r\n");
    testing_support::openUpForOthers(dir_.path());
    ::chmod(QFile::encodeName(dir_.path()).constData(), 0777);
    ::chmod(QFile::encodeName(path()).constData(), 0444);
    QString whyNot;
    const QString folder = dir_.path();
    const std::optional<bool> japanese = testing_support::runAsNobody(
        [&folder] {
            THonjitu honjitu;
            records::RecordLists lists(honjitu, folder);
            lists.YoyakuFileLoad();
            const QString error = errorOf([&] { lists.YoyakuFileSave("x", 'A'); });
            return error.contains(QStringLiteral("書き込みが禁止されています")) &&
                   !error.contains(QStringLiteral("Permission"));
        },
        &whyNot);
    if (!japanese) {
        GTEST_SKIP() << whyNot.toStdString();
    }
    EXPECT_TRUE(*japanese);
}

TEST(FileErrorTexts, NumbersThatMeanTheSameShareATextAndAnUnknownOneIsNamed) {
    using records::japaneseReason;
    EXPECT_EQ(japaneseReason(EPERM, true), QStringLiteral("書き込みが禁止されています"));
    EXPECT_EQ(japaneseReason(EACCES, false), QStringLiteral("読み込みが禁止されています"));
    EXPECT_EQ(japaneseReason(ENOSPC, true), QStringLiteral("ディスクの空きがありません"));
    EXPECT_EQ(japaneseReason(EDQUOT, true), QStringLiteral("ディスクの空きがありません"));
    EXPECT_EQ(japaneseReason(ENOENT, false), QStringLiteral("ファイルがありません"));
    EXPECT_EQ(japaneseReason(ENODEV, false), QStringLiteral("通常のファイルではありません"));
    EXPECT_EQ(japaneseReason(32767, false), QStringLiteral("システムのエラーです（番号 32767）"));
}

}  // namespace
