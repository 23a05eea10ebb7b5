#include "records/Backup.h"
#include "records/Clock.h"
#include "records/uLib.h"
#include "tests/support/Files.h"
#include "tests/support/FixedClock.h"
#include "tests/support/Mounts.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>

#include <random>

using namespace records::backup;
using testing_support::readBytes;
using testing_support::standClockAt;
using testing_support::TestMount;
using testing_support::writeBytes;

namespace {

const QByteArray Customers = "\x83\x82\x83\x82\t\x94\x4c\r\nPochi\tinu\r\n";  // モモ 猫, Pochi
const QByteArray Reservations = "2026\t12\t09\t10\r\n2026\t12\t10\t11\r\n2026\t12\t11\t12\r\n";
const QDateTime Monday(QDate(2026, 12, 7), QTime(9, 15, 30));

class BackupTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        setNow(Monday);
        writeRecords(Customers, Reservations);
    }
    void TearDown() override { records::clock_source::set({}); }

    void setNow(const QDateTime& now) { standClockAt(now); }
    QString appDir() const { return dir_.path(); }
    QString customers() const { return recordFilePath(appDir(), UserFileName); }
    QString reservations() const { return recordFilePath(appDir(), YoyakuFileName); }
    QString backup(const QString& name) const { return backupRoot(appDir()) + "/" + name; }
    void writeRecords(const QByteArray& users, const QByteArray& bookings) const {
        writeBytes(customers(), users);
        writeBytes(reservations(), bookings);
    }
    QStringList names() const {
        QStringList all;
        for (const Entry& entry : listBackups(appDir())) {
            all.append(entry.name);
        }
        return all;
    }
    // Everything in the backup folder, hidden entries included.
    QStringList everything() const {
        return QDir(backupRoot(appDir()))
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

    QTemporaryDir dir_;
};

TEST_F(BackupTest, TheFirstBackupCopiesBothFilesByteForByteIntoAFolderNamedAfterItsMoment) {
    // Private record files: the backups are as private.
    QFile::setPermissions(customers(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QFile::setPermissions(reservations(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(backUpIfChanged(appDir()), QString("2026-12-07_091530"));
    const QString made = backup("2026-12-07_091530");
    EXPECT_EQ(readBytes(made + "/" + UserFileName), Customers);
    EXPECT_EQ(readBytes(made + "/" + YoyakuFileName), Reservations);
    EXPECT_EQ(readBytes(customers()), Customers);
    EXPECT_EQ(readBytes(reservations()), Reservations);
    const auto ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    const auto ownerFolder = ownerOnly | QFileDevice::ExeOwner;
    // Qt reports the owner's bits also as the "user" bits; only those may be set.
    const auto others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                        QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    for (const QString& folder : {backupRoot(appDir()), made}) {
        const auto permissions = QFileInfo(folder).permissions();
        EXPECT_EQ(permissions & (ownerFolder | others), ownerFolder) << folder.toStdString();
    }
    for (const QString& file : {UserFileName, YoyakuFileName}) {
        const auto permissions = QFileInfo(made + "/" + file).permissions();
        EXPECT_EQ(permissions & (ownerFolder | others), ownerOnly) << file.toStdString();
    }
}

TEST_F(BackupTest, OnlyFilesThatDifferFromTheNewestBackupAreBackedUpAgain) {
    ASSERT_TRUE(backUpIfChanged(appDir()));
    setNow(Monday.addSecs(3600));
    EXPECT_FALSE(backUpIfChanged(appDir())) << "unchanged files backed up again";

    writeBytes(reservations(), Reservations + "2026\t12\t12\t13\r\n");
    EXPECT_EQ(backUpIfChanged(appDir()), QString("2026-12-07_101530"));
    // Back to the first content: it differs from the newest backup, so it is backed up again.
    writeBytes(reservations(), Reservations);
    setNow(Monday.addSecs(7200));
    EXPECT_EQ(backUpIfChanged(appDir()), QString("2026-12-07_111530"));
    // A change of the customers alone counts too, also one of the same size.
    QByteArray sameSize = Customers;
    sameSize[sameSize.size() - 3] = 'U';
    writeBytes(customers(), sameSize);
    EXPECT_TRUE(backUpIfChanged(appDir()));
    EXPECT_EQ(names().size(), 4);
}

TEST_F(BackupTest, TwoBackupsInOneSecondGetTwoFoldersInOrder) {
    ASSERT_TRUE(backUpIfChanged(appDir()));
    writeBytes(customers(), Customers + "Tama\tneko\r\n");
    EXPECT_EQ(backUpIfChanged(appDir()), QString("2026-12-07_091531"));
    EXPECT_EQ(readBytes(backup("2026-12-07_091531") + "/" + UserFileName),
              Customers + "Tama\tneko\r\n");
}

TEST_F(BackupTest, TheListTellsCountsAndSizeNewestFirstAndMarksIncompleteBackups) {
    ASSERT_TRUE(backUpIfChanged(appDir()));
    setNow(Monday.addDays(1));
    writeRecords(Customers + "Tama\tneko\r\n", "2026\t12\t09\t10\r\n");
    ASSERT_TRUE(backUpIfChanged(appDir()));
    setNow(Monday.addDays(2));
    writeRecords("", "");
    ASSERT_TRUE(backUpIfChanged(appDir()));

    QList<Entry> entries = listBackups(appDir());
    ASSERT_EQ(entries.size(), 3);
    EXPECT_EQ(entries[0].taken, Monday.addDays(2));
    EXPECT_TRUE(entries[0].complete);
    EXPECT_EQ(entries[0].customers, 0);
    EXPECT_EQ(entries[0].bytes, 0);
    EXPECT_EQ(entries[1].customers, 3);
    EXPECT_EQ(entries[1].reservations, 1);
    EXPECT_EQ(entries[1].bytes, Customers.size() + 11 + 15);
    EXPECT_EQ(entries[2].taken, Monday);
    EXPECT_EQ(entries[2].customers, 2);
    EXPECT_EQ(entries[2].reservations, 3);
    EXPECT_EQ(entries[2].bytes, Customers.size() + Reservations.size());

    // A file gone, or cut short by another program, makes a backup incomplete.
    ASSERT_TRUE(QFile::remove(backup(entries[0].name) + "/" + YoyakuFileName));
    writeBytes(backup(entries[1].name) + "/" + UserFileName, "Tama");
    // A folder someone copied back without the notes the program keeps is read to be counted.
    ASSERT_TRUE(QFile::remove(backup(entries[2].name) + "/.summary"));
    entries = listBackups(appDir());
    EXPECT_FALSE(entries[0].complete);
    EXPECT_FALSE(entries[1].complete);
    EXPECT_TRUE(entries[2].complete);
    EXPECT_EQ(entries[2].customers, 2);
    EXPECT_EQ(entries[2].reservations, 3);
    EXPECT_THROW(restoreBackup(appDir(), entries[0].name), FileError);
    EXPECT_THROW(restoreBackup(appDir(), entries[1].name), FileError);
    EXPECT_EQ(readBytes(customers()), QByteArray());
    EXPECT_EQ(readBytes(reservations()), QByteArray());
}

TEST_F(BackupTest, RestoringPutsBackTheBytesAndFirstBacksUpTheCurrentFiles) {
    const QByteArray oddBytes = QByteArray("a\rb\n\x1A after the mark\0 and NUL", 30);
    writeRecords(oddBytes, "no line end at the end");
    const QString old = *backUpIfChanged(appDir());
    setNow(Monday.addDays(3));
    writeRecords(Customers, Reservations);
    restoreBackup(appDir(), old);
    EXPECT_EQ(readBytes(customers()), oddBytes);
    EXPECT_EQ(readBytes(reservations()), QByteArray("no line end at the end"));

    // The files the restore replaced are the newest backup, so the restore can be undone.
    const QList<Entry> entries = listBackups(appDir());
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].taken, Monday.addDays(3));
    EXPECT_EQ(readBytes(backup(entries[0].name) + "/" + UserFileName), Customers);
    restoreBackup(appDir(), entries[0].name);
    EXPECT_EQ(readBytes(customers()), Customers);
    EXPECT_EQ(readBytes(reservations()), Reservations);
    // The files this second restore replaced were backed up first as well.
    EXPECT_EQ(listBackups(appDir()).size(), 3);
    EXPECT_FALSE(everything().contains(".restoring"));
}

TEST_F(BackupTest, ARestoreCutOffAfterItsFirstFileIsCompletedAtTheNextStart) {
    const QString old = *backUpIfChanged(appDir());
    setNow(Monday.addDays(1));
    writeRecords("new customers\r\n", "new reservations\r\n");
    ASSERT_TRUE(backUpIfChanged(appDir()));
    // What a restore leaves when it is killed between its two replacements.
    writeBytes(backupRoot(appDir()) + "/.restoring", old.toUtf8());
    writeBytes(customers(), Customers);

    EXPECT_TRUE(finishInterruptedRestore(appDir()));
    EXPECT_EQ(readBytes(customers()), Customers);
    EXPECT_EQ(readBytes(reservations()), Reservations);
    EXPECT_FALSE(everything().contains(".restoring"));
    EXPECT_FALSE(finishInterruptedRestore(appDir()));
}

// The rule as a user reads it, checked backup by backup against every other one.
bool keptByTheRule(const QDateTime& moment, const QList<QDateTime>& all, const QDateTime& now) {
    const QDateTime newest = *std::max_element(all.begin(), all.end());
    bool newestOfDay = true, newestOfMonth = true;
    for (const QDateTime& other : all) {
        if (other > moment && other.date() == moment.date()) {
            newestOfDay = false;
        }
        if (other > moment && other.date().year() == moment.date().year() &&
            other.date().month() == moment.date().month()) {
            newestOfMonth = false;
        }
    }
    return moment == newest || moment.daysTo(now) < 14 ||
           (moment.daysTo(now) == 14 && moment.time() >= now.time()) ||
           (newestOfDay && moment >= now.addDays(-60)) ||
           (newestOfMonth && moment >= now.addYears(-5));
}

// Three years of start-ups on a faked calendar, some days several, some weeks none; after each
// backup the rotation runs, as the program runs it. What stays must be what the rule keeps out
// of every backup ever made.
TEST(BackupRotation, ThreeYearsOfBackupsKeepExactlyWhatTheRuleSays) {
    std::mt19937 random(1414);
    QList<QDateTime> made, kept;
    QDateTime now(QDate(2025, 1, 1), QTime(8, 0));
    const QDateTime end = now.addYears(3);
    while (now < end) {
        now = now.addSecs(std::uniform_int_distribution<int>(600, 4 * 86400)(random));
        made.append(now);
        kept.append(now);
        for (const QDateTime& expired : expiredBackups(kept, now)) {
            kept.removeOne(expired);
        }
        if (made.size() % 97 == 0 || now >= end) {
            QList<QDateTime> expected;
            for (const QDateTime& moment : made) {
                if (keptByTheRule(moment, made, now)) {
                    expected.append(moment);
                }
            }
            ASSERT_EQ(kept, expected) << "at " << now.toString().toStdString();
        }
    }
    EXPECT_GT(made.size(), 500);
    EXPECT_LT(kept.size(), 140);
}

TEST(BackupRotation, TheNewestBackupStaysHoweverOld) {
    const QDateTime old(QDate(2010, 5, 5), QTime(5, 5));
    EXPECT_TRUE(expiredBackups({old}, old.addYears(10)).isEmpty());
    EXPECT_EQ(expiredBackups({old, old.addDays(1)}, old.addYears(10)), QList{old});
}

// The same through the file system: backups made by the program on a faked calendar leave exactly
// the folders the rule keeps.
TEST_F(BackupTest, RotationOnAFakedCalendarDeletesTheFoldersTheRuleLetsGo) {
    std::mt19937 random(2718);
    QList<QDateTime> made;
    QDateTime now(QDate(2024, 3, 1), QTime(9, 0));
    for (int start = 0; start < 120; ++start) {
        now = now.addSecs(std::uniform_int_distribution<int>(3600, 18 * 86400)(random));
        setNow(now);
        writeBytes(reservations(), Reservations + QByteArray::number(start) + "\r\n");
        ASSERT_TRUE(backUpIfChanged(appDir()));
        made.append(now);
    }
    QStringList expected;
    for (const QDateTime& moment : made) {
        if (keptByTheRule(moment, made, now)) {
            expected.prepend(moment.toString("yyyy-MM-dd_HHmmss"));
        }
    }
    EXPECT_EQ(names(), expected);
    EXPECT_EQ(everything(), QStringList(expected.rbegin(), expected.rend()));
}

// Faults of the file system: the backup is refused with the folder and the reason, and the record
// files stay as they were.
TEST_F(BackupTest, AReadOnlyRecordFolderRefusesTheBackupAndKeepsTheFiles) {
    const auto view = TestMount::readOnly(appDir());
    if (!view.mounted()) {
        GTEST_SKIP() << "no read-only bind mount here";
    }
    try {
        backUpIfChanged(appDir());
        FAIL() << "a backup into a read-only folder succeeded";
    } catch (const FileError& error) {
        EXPECT_TRUE(error.message().contains(backupRoot(appDir()))) << error.what();
        EXPECT_TRUE(error.message().contains("読み取り専用")) << error.what();
    }
    EXPECT_EQ(readBytes(customers()), Customers);
    EXPECT_EQ(readBytes(reservations()), Reservations);
    EXPECT_FALSE(QFileInfo::exists(backupRoot(appDir())));
}

TEST_F(BackupTest, AFullDiskRefusesTheBackupLeavesNoPartOfItAndKeepsTheFiles) {
    const QString small = dir_.filePath("small");
    const auto disk = TestMount::smallDisk(small, "64k");
    if (!disk.mounted()) {
        GTEST_SKIP() << "cannot mount a small tmpfs here";
    }
    // Files of three pages each: the first backup fits, the second does not.
    const QByteArray users = QByteArray("customer line\r\n").repeated(700);
    const QByteArray bookings = QByteArray("reservation\r\n").repeated(800);
    writeBytes(small + "/" + UserFileName, users);
    writeBytes(small + "/" + YoyakuFileName, bookings);
    ASSERT_TRUE(backUpIfChanged(small));
    setNow(Monday.addDays(1));
    writeBytes(small + "/" + YoyakuFileName, bookings + "one more\r\n");
    try {
        backUpIfChanged(small);
        FAIL() << "a backup on a full disk succeeded";
    } catch (const FileError& error) {
        EXPECT_TRUE(error.message().contains(backupRoot(small))) << error.what();
        EXPECT_TRUE(error.message().contains("ディスクの空きがありません")) << error.what();
    }
    EXPECT_EQ(readBytes(small + "/" + UserFileName), users);
    EXPECT_EQ(readBytes(small + "/" + YoyakuFileName), bookings + "one more\r\n");
    const QStringList left =
        QDir(backupRoot(small)).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    EXPECT_EQ(left, QStringList{"2026-12-07_091530"});
    EXPECT_EQ(listBackups(small).size(), 1);
    EXPECT_TRUE(listBackups(small).first().complete);
}

}  // namespace
