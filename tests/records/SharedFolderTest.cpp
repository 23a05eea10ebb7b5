// A record folder shared by two accounts of one group, and by two copies of the program: every
// file the program makes there is as open to the group as the record files and no more, writes
// and restores hold the folder's lock, so that no change reported as saved is ever lost.

#include "records/Backup.h"
#include "records/FileChecks.h"
#include "records/FolderAccess.h"
#include "records/RecordLists.h"
#include "records/uLib.h"
#include "tests/support/Files.h"
#include "tests/support/ListChanges.h"
#include "tests/support/Unprivileged.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <optional>
#include <random>

using testing_support::readBytes;
using testing_support::writeBytes;

namespace {

struct stat statusOf(const QString& path) {
    struct stat info {};
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info;
}

mode_t modeOf(const QString& path) {
    return statusOf(path).st_mode & 07777;
}

void setMode(const QString& path, mode_t mode) {
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0) << path.toStdString();
}

// A group no file of the test's user is in by itself; root can give it to any file.
constexpr gid_t SalonGroup = 64100;

// How a folder is set up, and what the program must then make in it.
struct AccessCase {
    const char* name;
    mode_t folderMode;
    mode_t recordMode;  // 0: no record files yet, the program makes them
    bool otherGroup;    // the folder belongs to SalonGroup (root only)
    mode_t madeFile;
    mode_t madeFolder;
};

const AccessCase AccessCases[] = {
    {"PrivateFolderNewFiles", 0700, 0, false, 0600, 0700},
    {"OpenFolderNewFilesStayPrivate", 0755, 0, false, 0600, 0700},
    {"SharedFolderNewFiles", 02770, 0, true, 0660, 02770},
    {"SharedFolderSharedFiles", 02770, 0660, true, 0660, 02770},
    {"SharedFolderButPrivateFiles", 02770, 0600, true, 0600, 0700},
    {"GroupMayOnlyRead", 0750, 0640, true, 0640, 02750},
    {"OthersNeverGetAnything", 0777, 0666, false, 0660, 02770},
};

void PrintTo(const AccessCase& access, std::ostream* out) {
    *out << access.name;
}

class MadeFiles : public ::testing::TestWithParam<AccessCase> {
protected:
    QString folder() const { return dir_.path(); }
    QString file(const QString& name) const { return recordFilePath(folder(), name); }
    QTemporaryDir dir_;
};

// The lock, record files, backups and their folders the program makes in the folder.
TEST_P(MadeFiles, GetTheRecordFilesGroupBitsAndTheFoldersGroup) {
    const AccessCase& access = GetParam();
    if (access.otherGroup && ::getuid() != 0) {
        GTEST_SKIP() << "giving a folder another group needs root";
    }
    const QByteArray path = QFile::encodeName(folder());
    if (access.otherGroup) {
        ASSERT_EQ(::chown(path.constData(), static_cast<uid_t>(-1), SalonGroup), 0);
    }
    setMode(folder(), access.folderMode);
    // A lock file left owner-only by an older version: its owner gives it the access again.
    writeBytes(records::FolderLock::lockFilePath(folder()), {});
    setMode(records::FolderLock::lockFilePath(folder()), 0600);
    if (access.recordMode != 0) {
        for (const QString& name : {UserFileName, YoyakuFileName}) {
            writeBytes(file(name), "line\r\n");
            setMode(file(name), access.recordMode);
        }
    } else {
        EXPECT_FALSE(DataFileCheck(file(UserFileName)));
        EXPECT_FALSE(DataFileCheck(file(YoyakuFileName)));
    }
    THonjitu honjitu;
    records::RecordLists lists(honjitu, folder());
    ASSERT_TRUE(lists.YoyakuFileLoad());
    lists.YoyakuFileSave("booked", 'A');
    const std::optional<QString> backup = records::backup::backUpIfChanged(folder());
    ASSERT_TRUE(backup.has_value());
    const QString root = records::backup::backupRoot(folder());

    QStringList madeFiles{records::FolderLock::lockFilePath(folder()),
                          root + "/" + *backup + "/" + UserFileName,
                          root + "/" + *backup + "/" + YoyakuFileName};
    if (access.recordMode == 0) {
        madeFiles << file(UserFileName) << file(YoyakuFileName);
    }
    const gid_t group = statusOf(folder()).st_gid;
    for (const QString& made : madeFiles) {
        EXPECT_EQ(modeOf(made), access.madeFile) << made.toStdString();
        EXPECT_EQ(statusOf(made).st_gid, group) << made.toStdString();
    }
    for (const QString& made : {root, root + "/" + *backup}) {
        EXPECT_EQ(modeOf(made), access.madeFolder) << made.toStdString();
        EXPECT_EQ(statusOf(made).st_gid, group) << made.toStdString();
    }
    EXPECT_TRUE(readBytes(file(YoyakuFileName)).endsWith("booked\r\n"));
}

INSTANTIATE_TEST_SUITE_P(, MadeFiles, ::testing::ValuesIn(AccessCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ScratchFiles, LeftoversOfOtherWritersAreClearedUnderTheLockAndNeverRead) {
    QTemporaryDir dir;
    const QString path = recordFilePath(dir.path(), YoyakuFileName);
    writeBytes(path, "a\r\n");
    // Writers killed before: one of an older version (one fixed name), one of another process.
    const QString prefix = dir.filePath("." + YoyakuFileName);
    writeBytes(prefix + ".saving", "half\r\n");
    writeBytes(prefix + ".4242-0123456789abcdef.saving", "a\r\nhalf");
    ASSERT_EQ(::mkfifo(QFile::encodeName(prefix + ".1-fifo.saving").constData(), 0600), 0);
    THonjitu honjitu;
    records::RecordLists lists(honjitu, dir.path());
    ASSERT_TRUE(lists.YoyakuFileLoad());
    EXPECT_EQ(honjitu.YoyakuList, QByteArrayList{"a"});
    lists.YoyakuFileSave("b", 'A');
    EXPECT_EQ(readBytes(path), QByteArray("a\r\nb\r\n"));
    // Only regular files are taken for leftovers: a FIFO under such a name is left alone.
    EXPECT_EQ(
        QDir(dir.path()).entryList({"." + YoyakuFileName + ".*"}, QDir::System | QDir::Hidden),
        QStringList{"." + YoyakuFileName + ".1-fifo.saving"});
}

// One desk: books, updates and deletes its own reservations at random, and reports each change
// saved: "+line" for a line that went in, "-line" for one that went out, "!" for a refusal.
bool runDesk(const QString& folder, const QByteArray& desk, int changes, int reports) {
    THonjitu honjitu;
    records::RecordLists lists(honjitu, folder);
    std::mt19937 random(static_cast<unsigned>(desk.at(0)));
    QByteArrayList own;
    QByteArray told;
    try {
        lists.YoyakuFileLoad();
        for (int change = 0; change < changes; ++change) {
            const QByteArray line = desk + "\t" + QByteArray::number(change);
            const int kind = own.isEmpty() ? 0 : static_cast<int>(random() % 3);
            QByteArrayList lines = honjitu.YoyakuList;
            if (kind != 0) {
                const QByteArray gone = own.takeAt(static_cast<qsizetype>(random() % own.size()));
                lines.removeOne(gone);
                told = "-" + gone + "\n";
            }
            if (kind != 2) {  // a booking, or an update: the changed line goes to the end
                lines.append(line);
                own.append(line);
                told += "+" + line + "\n";
            }
            testing_support::changeListTo(lists, records::RecordFile::Yoyaku, lines);
            if (::write(reports, told.constData(), told.size()) != told.size()) {
                return false;
            }
            told.clear();
        }
    } catch (const FileError&) {
        return ::write(reports, "!\n", 2) == 2;
    }
    return true;
}

// Two accounts of one group, each with its own uid, sharing one record folder.
TEST(TwoAccounts, OnOneFolderLoseNoChangeEitherWasToldWasSaved) {
    constexpr uid_t Desks[] = {64101, 64102};
    constexpr int Changes = 60;
    if (::getuid() != 0) {
        GTEST_SKIP() << "two accounts need root to become them";
    }
    QTemporaryDir dir;
    testing_support::openUpForOthers(dir.path());
    const QString folder = dir.path();
    const QString path = recordFilePath(folder, YoyakuFileName);
    QByteArrayList initial;
    for (int i = 0; i < 3000; ++i) {  // some 100 KB, so that a rewrite takes a moment
        initial.append("2026\t12\t09\t10\tinitial " + QByteArray::number(i));
    }
    writeBytes(path, initial.join("\r\n") + "\r\n");
    ASSERT_EQ(::chown(QFile::encodeName(folder).constData(), 0, SalonGroup), 0);
    ASSERT_EQ(::chown(QFile::encodeName(path).constData(), Desks[0], SalonGroup), 0);
    setMode(folder, 02770);
    setMode(path, 0660);

    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    std::optional<bool> done[2];
    {
        testing_support::ChildAs first(Desks[0], SalonGroup,
                                       [&] { return runDesk(folder, "A", Changes, ends[1]); });
        testing_support::ChildAs second(Desks[1], SalonGroup,
                                        [&] { return runDesk(folder, "B", Changes, ends[1]); });
        ::close(ends[1]);
        done[0] = first.wait();
        done[1] = second.wait();
    }
    if (!done[0] || !done[1]) {
        GTEST_SKIP() << "could not run as two accounts";
    }
    QFile reports;
    ASSERT_TRUE(reports.open(ends[0], QIODevice::ReadOnly, QFileDevice::AutoCloseHandle));
    QSet<QByteArray> expected(initial.begin(), initial.end());
    for (const QByteArray& told : reports.readAll().split('\n')) {
        ASSERT_FALSE(told.startsWith('!')) << "a desk's change was refused";
        if (told.startsWith('+')) {
            expected.insert(told.mid(1));
        } else if (told.startsWith('-')) {
            expected.remove(told.mid(1));
        }
    }
    const QByteArrayList lines = splitReservationFile(readBytes(path));
    EXPECT_EQ(QSet<QByteArray>(lines.begin(), lines.end()), expected);
    EXPECT_EQ(lines.size(), expected.size());
    EXPECT_EQ(modeOf(records::FolderLock::lockFilePath(folder)), 0660u);
}

// A restore started while another copy of the program is in the middle of saving a customer:
// that copy read the file under the folder's lock and writes it back a moment later, as every
// save does. The restore waits for it, so the customer is in the backup of the files it replaced
// and the restored files are the backup's, not overwritten by the save.
TEST(RestoreUnderTheLock, WaitsForASaveOfAnotherCopyAndKeepsItsCustomer) {
    QTemporaryDir dir;
    const QString folder = dir.path();
    const QString customers = recordFilePath(folder, UserFileName);
    writeBytes(customers, "first\r\n");
    writeBytes(recordFilePath(folder, YoyakuFileName), "2026\t12\t09\t10\r\n");
    const QString first = *records::backup::backUpIfChanged(folder);
    writeBytes(customers, "second\r\n");

    int saving[2];
    ASSERT_EQ(::pipe(saving), 0);
    const pid_t otherCopy = ::fork();
    if (otherCopy == 0) {
        const records::FolderLock lock(folder);
        const QByteArray before = readBytes(customers);
        const bool told = ::write(saving[1], "S", 1) == 1;
        ::usleep(300'000);
        replaceRecordFile(customers, before + "saved meanwhile\r\n");
        ::_exit(told ? 0 : 1);
    }
    char started = 0;
    ASSERT_EQ(::read(saving[0], &started, 1), 1);
    records::backup::restoreBackup(folder, first);
    int status = 0;
    ::waitpid(otherCopy, &status, 0);
    ::close(saving[0]);
    ::close(saving[1]);

    EXPECT_EQ(readBytes(customers), QByteArray("first\r\n"));
    const QString replaced = records::backup::listBackups(folder).first().name;
    EXPECT_EQ(readBytes(recordFilePath(records::backup::backupRoot(folder) + "/" + replaced,
                                       UserFileName)),
              QByteArray("second\r\nsaved meanwhile\r\n"));
}

}  // namespace
