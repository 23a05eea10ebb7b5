#include "records/AutoBackup.h"
#include "records/Backup.h"
#include "records/Clock.h"
#include "records/uLib.h"
#include "tests/support/Files.h"
#include "tests/support/FixedClock.h"
#include "tests/support/Mounts.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <random>
#include <thread>

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
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                       QDir::Name);
    }
    // A backup folder `to` holding what the backup `from` holds.
    void copyBackup(const QString& from, const QString& to) const {
        ASSERT_TRUE(QDir().mkdir(backup(to)));
        for (const QString& file : QDir(backup(from)).entryList(QDir::Files | QDir::Hidden)) {
            ASSERT_TRUE(QFile::copy(backup(from) + "/" + file, backup(to) + "/" + file));
        }
    }

    QTemporaryDir dir_;
};

// A connection of the test's own to a store, kept open as the program keeps its own: in WAL
// mode, and nothing moved into the main file until the test checkpoints.
class Sql {
public:
    explicit Sql(const QString& path) {
        EXPECT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db_), SQLITE_OK);
        run("PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0;"
            "CREATE TABLE IF NOT EXISTS details(line TEXT)");
    }
    ~Sql() { sqlite3_close(db_); }
    void run(const QString& sql) const {
        char* error = nullptr;
        EXPECT_EQ(sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, &error), SQLITE_OK)
            << (error ? error : "");
        sqlite3_free(error);
    }
    // Replaces the lines the store holds.
    void hold(const QStringList& lines) const {
        run("DELETE FROM details");
        for (const QString& line : lines) {
            run(QString("INSERT INTO details VALUES('%1')").arg(line));
        }
    }
    QStringList lines() const {
        sqlite3_stmt* select = nullptr;
        sqlite3_prepare_v2(db_, "SELECT line FROM details ORDER BY rowid", -1, &select, nullptr);
        QStringList all;
        while (sqlite3_step(select) == SQLITE_ROW) {
            all.append(
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(select, 0))));
        }
        sqlite3_finalize(select);
        return all;
    }

private:
    sqlite3* db_ = nullptr;
};

const QStringList Companions = {"-wal", "-shm", "-journal"};

class StoreBackupTest : public BackupTest {
public:
    QString store() const { return appDir() + "/trimbook.db"; }
    QStringList linesIn(const QString& path) const { return Sql(path).lines(); }
    QStringList companionsThere() const {
        QStringList there;
        for (const QString& companion : Companions) {
            if (QFileInfo::exists(store() + companion)) {
                there.append(companion);
            }
        }
        return there;
    }
    // What the program leaves when it is killed with its store open: the store's last writes
    // in its -wal and -shm, and (from a run on a network folder) a journal.
    void leaveCompanionsOf(const QStringList& lines) const {
        QByteArray wal, shm;
        {
            const Sql live(store());
            live.hold(lines);
            wal = readBytes(store() + "-wal");
            shm = readBytes(store() + "-shm");
        }
        writeBytes(store() + "-wal", wal);
        writeBytes(store() + "-shm", shm);
        writeBytes(store() + "-journal", "left by another run");
    }
};

TEST_F(StoreBackupTest, ABackupHoldsWhatOnlyTheStoresWalHoldsAndCountsItsBytes) {
    const Sql live(store());
    live.hold({"first", "second"});
    ASSERT_GT(QFileInfo(store() + "-wal").size(), 0);
    const QString made = backup(*backUpIfChanged(appDir()));
    EXPECT_EQ(linesIn(made + "/trimbook.db"), QStringList({"first", "second"}));
    EXPECT_EQ(QFileInfo(made + "/trimbook.db").permissions() & QFileDevice::ReadOther, 0);
    EXPECT_EQ(listBackups(appDir()).first().bytes,
              Customers.size() + Reservations.size() + QFileInfo(made + "/trimbook.db").size());
    EXPECT_EQ(everything(), QStringList{QFileInfo(made).fileName()}) << "a scratch copy stayed";

    // A backup that lost the store it noted is incomplete.
    ASSERT_TRUE(QFile::remove(made + "/trimbook.db"));
    EXPECT_FALSE(listBackups(appDir()).first().complete);
    EXPECT_THROW(restoreBackup(appDir(), QFileInfo(made).fileName()), FileError);
}

TEST_F(StoreBackupTest, AChangedStoreAloneIsBackedUpAndAStoreOnlyCheckpointedIsNot) {
    {
        const Sql live(store());
        live.hold({"first"});
        ASSERT_TRUE(backUpIfChanged(appDir()));
        setNow(Monday.addSecs(60));
        live.run("PRAGMA wal_checkpoint(TRUNCATE)");
        EXPECT_FALSE(backUpIfChanged(appDir())) << "the same content after a checkpoint";
    }
    EXPECT_FALSE(backUpIfChanged(appDir())) << "the same content once the store is closed";
    Sql(store()).hold({"first", "second"});
    EXPECT_EQ(backUpIfChanged(appDir()), QString("2026-12-07_091630"));
    EXPECT_EQ(linesIn(backup("2026-12-07_091630") + "/trimbook.db"),
              QStringList({"first", "second"}));
}

TEST_F(StoreBackupTest, TheBackupAtCloseNoticesAWriteOfTheStoreAlone) {
    const Sql live(store());
    live.hold({"first"});
    AutoBackup automatic(appDir(),
                         [](const QString& text) { ADD_FAILURE() << text.toStdString(); });
    automatic.start();
    while (names().isEmpty()) {  // the start-up backup has copied the store
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    live.hold({"first", "second"});
    automatic.atClose();
    ASSERT_EQ(names().size(), 2);
    EXPECT_EQ(linesIn(backup(names().first()) + "/trimbook.db"), QStringList({"first", "second"}));
}

TEST_F(StoreBackupTest, RestoringBringsBackTheStoreAndDeletesWhatTheOldOneLeftBesideIt) {
    Sql(store()).hold({"then"});
    const QString old = *backUpIfChanged(appDir());
    setNow(Monday.addDays(1));
    leaveCompanionsOf({"now", "and more"});
    restoreBackup(appDir(), old);
    EXPECT_EQ(companionsThere(), QStringList());
    EXPECT_EQ(linesIn(store()), QStringList{"then"});
    const Entry before = listBackups(appDir()).first();
    EXPECT_TRUE(before.beforeRestore);
    EXPECT_EQ(linesIn(backup(before.name) + "/trimbook.db"), QStringList({"now", "and more"}));
}

TEST_F(StoreBackupTest, RestoringABackupMadeBeforeTheStoreLeavesTheFolderWithoutOne) {
    const QString old = *backUpIfChanged(appDir());
    setNow(Monday.addDays(1));
    leaveCompanionsOf({"now"});
    restoreBackup(appDir(), old);
    EXPECT_FALSE(QFileInfo::exists(store()));
    EXPECT_EQ(companionsThere(), QStringList());
    EXPECT_EQ(readBytes(customers()), Customers);
    const Entry before = listBackups(appDir()).first();
    EXPECT_TRUE(before.beforeRestore);
    EXPECT_EQ(linesIn(backup(before.name) + "/trimbook.db"), QStringList{"now"});
}

// What a restore killed at each of its steps leaves, the journal naming the backup it restores.
TEST_F(StoreBackupTest, ARestoreCutOffAtAnyStepIsCompletedAtTheNextStart) {
    const std::tuple<const char*, bool, std::function<void(const StoreBackupTest&)>> cases[] = {
        {"before the store's replacement", true,
         [](const StoreBackupTest& t) { t.leaveCompanionsOf({"now"}); }},
        {"after the companions went, before the store", true,
         [](const StoreBackupTest& t) { Sql(t.store()).hold({"now"}); }},
        {"after the store's replacement", true, [](const StoreBackupTest&) {}},
        {"before a store a backup lacks is deleted", false,
         [](const StoreBackupTest& t) { t.leaveCompanionsOf({"now"}); }},
    };
    for (const auto& [step, withStore, leave] : cases) {
        QFile::remove(store());
        if (withStore) {
            Sql(store()).hold({"then"});
        }
        writeRecords(step, step);
        const QString old = *backUpIfChanged(appDir());
        setNow(records::clock_source::now().addDays(1));
        writeRecords("new customers\r\n", "new reservations\r\n");
        Sql(store()).hold({"new"});
        ASSERT_TRUE(backUpIfChanged(appDir()));
        writeBytes(backupRoot(appDir()) + "/.restoring", old.toUtf8());
        writeRecords(step, step);
        if (withStore) {
            writeBytes(store(), readBytes(backup(old) + "/trimbook.db"));
        }
        leave(*this);

        EXPECT_TRUE(finishInterruptedRestore(appDir())) << step;
        EXPECT_EQ(readBytes(reservations()), step) << step;
        EXPECT_EQ(companionsThere(), QStringList()) << step;
        EXPECT_EQ(QFileInfo::exists(store()), withStore) << step;
        if (withStore) {
            EXPECT_EQ(linesIn(store()), QStringList{"then"}) << step;
        }
        EXPECT_FALSE(everything().contains(".restoring")) << step;
    }
}

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
    const auto newer = std::count_if(all.begin(), all.end(),
                                     [&moment](const QDateTime& other) { return other > moment; });
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
    return newer < 10 || moment.daysTo(now) < 14 ||
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

// What a clock gone wrong must not take: the ten newest, more than half at once, anything while
// the newest backup lies over an hour ahead of the clock.
TEST(BackupRotation, AClockGoneWrongNeverTakesTheHistory) {
    const QDateTime now(QDate(2030, 1, 5), QTime(9, 0));
    QList<QDateTime> monthly;  // thirty old ones, a month apart
    for (int month = 0; month < 30; ++month) {
        monthly.append(QDateTime(QDate(2010, 1, 5), QTime(9, 0)).addMonths(month));
    }
    const QList<QDateTime> twelve = monthly.mid(0, 12);
    const std::tuple<const char*, QList<QDateTime>, QList<QDateTime>> cases[] = {
        {"the ten newest stay however old", twelve, twelve.mid(0, 2)},
        {"at most half go at once, the oldest first", monthly, monthly.mid(0, 15)},
        {"nothing goes while the newest lies ahead", monthly + QList{now.addDays(1)}, {}},
        {"less than an hour ahead is no clock ahead", twelve + QList{now.addSecs(3500)},
         twelve.mid(0, 3)},
        {"an hour ahead is", twelve + QList{now.addSecs(3700)}, {}},
    };
    for (const auto& [rule, taken, expected] : cases) {
        QList<QDateTime> expired = expiredBackups(taken, now);
        std::sort(expired.begin(), expired.end());
        EXPECT_EQ(expired, expected) << rule;
    }
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

// The restore window lists the backups while the start-up backup, its rotation or the deleting of
// thousands of expired ones is under way on a thread of its own; it must not wait for them. The
// backup is held in the middle by its own look at the clock.
TEST_F(BackupTest, TheListDoesNotWaitForABackupUnderWay) {
    const QString first = *backUpIfChanged(appDir());
    writeBytes(reservations(), "changed\r\n");
    std::promise<void> inside, goOn;
    const std::shared_future<void> released = goOn.get_future().share();
    records::clock_source::set([&, lister = std::this_thread::get_id(), held = false]() mutable {
        if (std::this_thread::get_id() != lister && !std::exchange(held, true)) {
            inside.set_value();
            released.wait();
        }
        return Monday.addDays(1);
    });
    std::thread backingUp([this] { backUpIfChanged(appDir()); });
    inside.get_future().wait();
    auto listing = std::async(std::launch::async, [this] { return names(); });
    EXPECT_EQ(listing.wait_for(std::chrono::seconds(5)), std::future_status::ready)
        << "the list waited for the backup";
    goOn.set_value();
    backingUp.join();
    EXPECT_EQ(listing.get(), QStringList{first});
    EXPECT_EQ(names().size(), 2);
}

// Waits for `work` on a thread of its own; when it has not ended within a few seconds, fails and
// opens every FIFO under `folder` for writing, so that whatever waits on one goes on.
void endsInTime(const QString& folder, const std::function<void()>& work) {
    std::packaged_task<void()> task(work);
    std::future<void> done = task.get_future();
    std::thread worker(std::move(task));
    for (int look = 0; done.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready;
         ++look) {
        EXPECT_NE(look, 50) << "hung on something in the backup folder";
        QDirIterator all(folder, QDir::AllEntries | QDir::System | QDir::Hidden,
                         QDirIterator::Subdirectories);
        while (look >= 50 && all.hasNext()) {
            const QByteArray path = QFile::encodeName(all.next());
            struct stat info {};
            if (::lstat(path.constData(), &info) == 0 && S_ISFIFO(info.st_mode)) {
                ::close(::open(path.constData(), O_WRONLY | O_NONBLOCK));
            }
        }
    }
    worker.join();
    done.get();
}

class PlantedTest;
// One thing put into the backup folder by hand or by another program, and whether it spoils one
// of the old backups.
using Planted = std::tuple<const char*, std::function<void(const PlantedTest&)>, bool>;

// A start, the restore window, a restore and a rotation years later must neither follow what was
// planted in the backup folder out of it nor wait on it.
class PlantedTest : public BackupTest, public ::testing::WithParamInterface<Planted> {
protected:
    void SetUp() override {
        BackupTest::SetUp();
        setNow(Monday.addDays(-30));
        good_ = *backUpIfChanged(appDir());
        for (int day = 1; day <= 10; ++day) {  // backups the rotation years later may delete
            copyBackup(good_, Monday.addDays(-30 - day).toString("yyyy-MM-dd_HHmmss"));
        }
        setNow(Monday);
        writeRecords("later", "later");
        newest_ = *backUpIfChanged(appDir());
        QDir().mkpath(outside());
        for (const QString& file : {UserFileName, YoyakuFileName, QString("customers")}) {
            writeBytes(outside() + "/" + file, Customers);  // of the size a summary expects
        }
    }
    QStringList outsideFiles() const {
        QStringList files;
        for (const QString& name : QDir(outside()).entryList(QDir::Files)) {
            files.append(name + "=" + readBytes(outside() + "/" + name));
        }
        return files;
    }

public:
    QString outside() const { return dir_.filePath("outside"); }
    QString at(const QString& name) const { return backupRoot(appDir()) + "/" + name; }
    QString newest() const { return backup(newest_); }
    static QDateTime oldMoment() { return Monday.addDays(-35); }  // kept by the late rotation
    QString oldOne() const { return backup(oldMoment().toString("yyyy-MM-dd_HHmmss")); }
    void link(const QString& target, const QString& path) const {
        QFile::remove(path);
        ASSERT_TRUE(QFile::link(target, path)) << path.toStdString();
    }
    void fifo(const QString& path) const {
        QFile::remove(path);
        ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    }

protected:
    QString good_, newest_;
};

TEST_P(PlantedTest, IsNeitherFollowedOutNorWaitedOn) {
    const QStringList outsideBefore = outsideFiles();
    std::get<1>(GetParam())(*this);
    QList<Entry> listed;
    endsInTime(backupRoot(appDir()), [&] {
        try {
            finishInterruptedRestore(appDir());
        } catch (const FileError&) {
        }
        EXPECT_EQ(readBytes(customers()), "later") << "the record files were replaced at start";
        listed = listBackups(appDir());
        restoreBackup(appDir(), good_);
        EXPECT_EQ(readBytes(reservations()), Reservations);
        setNow(Monday.addYears(7));
        writeRecords("years later", "years later");
        EXPECT_TRUE(backUpIfChanged(appDir()));
    });
    EXPECT_EQ(outsideFiles(), outsideBefore);
    ASSERT_EQ(listed.size(), 12);
    for (const Entry& entry : listed) {
        const bool spoilt = std::get<2>(GetParam()) && entry.taken == oldMoment();
        EXPECT_EQ(entry.complete, !spoilt) << entry.name.toStdString();
    }
}

const Planted Plantings[] = {
    {"LinkNamedLikeAnOldBackup",
     [](const PlantedTest& t) { t.link(t.outside(), t.at("2020-01-01_000000")); }, false},
    {"LinkAsABackupBeingMade", [](const PlantedTest& t) { t.link(t.outside(), t.at(".making")); },
     false},
    {"LinkAsABackupBeingDeleted",
     [](const PlantedTest& t) { t.link(t.outside(), t.at(".expired-2020-01-01_000000")); }, false},
    {"LinkAsTheJournal",
     [](const PlantedTest& t) { t.link(t.outside() + "/customers", t.at(".restoring")); }, false},
    {"JournalNamingAFolderOutside",
     [](const PlantedTest& t) { writeBytes(t.at(".restoring"), "../outside"); }, false},
    {"FifoAsTheJournal", [](const PlantedTest& t) { t.fifo(t.at(".restoring")); }, false},
    {"FifoAsTheNewestSummary", [](const PlantedTest& t) { t.fifo(t.newest() + "/.summary"); },
     false},
    {"LinkAsARecordFile",
     [](const PlantedTest& t) {
         t.link(t.outside() + "/customers", t.oldOne() + "/" + UserFileName);
     },
     true},
    {"LinkAsTheRestoreMark",
     [](const PlantedTest& t) {
         t.link(t.outside() + "/customers", t.newest() + "/.before-restore");
     },
     false},
};
INSTANTIATE_TEST_SUITE_P(InTheBackupFolder, PlantedTest, ::testing::ValuesIn(Plantings),
                         [](const auto& planted) { return std::get<0>(planted.param); });

}  // namespace
