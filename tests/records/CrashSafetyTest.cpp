#include "records/Backup.h"
#include "records/RecordLists.h"
#include "records/UndoHistory.h"
#include "records/uLib.h"
#include "tests/records/CrashChanges.h"
#include "tests/support/Files.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <numeric>
#include <thread>
#include <vector>

using crash_test::fileContent;
using testing_support::readBytes;

namespace {

constexpr int Kills = 300;
constexpr qint64 TimeLimitMs = 30'000;
constexpr int LeastKills = 100;
// The scratch file of one write: hidden, named after the file, the writer and a random part.
const QRegularExpression Scratch("^\\." + QRegularExpression::escape(YoyakuFileName) +
                                 "\\.\\d+-[0-9a-f]{16}\\.saving$");
const QString LockFile = QStringLiteral(".trimbook.lock");

// A writer program, running until it is killed; its reports come through a pipe.
class Writer {
public:
    Writer(const char* program, const QByteArrayList& arguments) {
        int ends[2];
        if (::pipe(ends) != 0) {
            return;
        }
        std::vector<char*> argv{const_cast<char*>(program)};
        for (const QByteArray& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.constData()));
        }
        argv.push_back(nullptr);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(ends[1], STDOUT_FILENO);
            ::close(ends[0]);
            ::close(ends[1]);
            ::execv(program, argv.data());
            ::_exit(127);
        }
        ::close(ends[1]);
        reports_ = ends[0];
    }
    ~Writer() {
        if (pid_ > 0) {
            stop();
        }
        if (reports_ >= 0) {
            ::close(reports_);
        }
    }
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    // True once the writer has loaded the file and begun changing it.
    bool started() {
        char report = 0;
        return pid_ > 0 && ::read(reports_, &report, 1) == 1 && report == 'S';
    }

    // Kills the writer and tells how many changes it reported complete.
    int killAndCountChanges() {
        stop();
        int changes = 0;
        char buffer[4096];
        for (ssize_t got; (got = ::read(reports_, buffer, sizeof buffer)) > 0;) {
            changes += static_cast<int>(std::count(buffer, buffer + got, '.'));
        }
        return changes;
    }

private:
    void stop() {
        ::kill(pid_, SIGKILL);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
    }

    pid_t pid_ = -1;
    int reports_ = -1;
};

// What the folder holds besides the record file and the lock file that writes share.
QStringList leftBeside(const QString& folder) {
    QStringList others =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    others.removeOne(LockFile);
    others.removeOne(YoyakuFileName);
    return others;
}

bool isOneScratchFile(const QStringList& names) {
    return names.size() == 1 && Scratch.match(names.first()).hasMatch();
}

// The lines after the first `count` changes the writer seeded with `seed` makes to `lines`.
QByteArrayList replay(QByteArrayList lines, unsigned seed, int count, bool appendOnly = false) {
    std::mt19937 random(seed);
    for (int i = 0; i < count; ++i) {
        const crash_test::Change change =
            appendOnly ? crash_test::drawAppend(random) : crash_test::drawChange(random, lines);
        if (change.append) {
            lines.append(change.line);
        }
    }
    return lines;
}

TEST(CrashSafety, AKilledWriterLeavesTheOldOrTheNewFileAndNoPartialLine) {
    QTemporaryDir dir;
    const QString path = dir.filePath(YoyakuFileName);
    std::mt19937 random(20261208);
    QByteArrayList lines = crash_test::initialLines(random, 3'000'000);
    testing_support::writeBytes(path, fileContent(lines));

    std::uniform_int_distribution<int> pauseUs(0, 40'000);
    QElapsedTimer elapsed;
    elapsed.start();
    int kills = 0, changesSeen = 0, newContentSeen = 0, scratchLeft = 0;
    for (; kills < Kills && elapsed.elapsed() < TimeLimitMs; ++kills) {
        const unsigned seed = static_cast<unsigned>(kills);
        Writer writer(RECORD_WRITER, {QFile::encodeName(path), QByteArray::number(seed)});
        ASSERT_TRUE(writer.started()) << "the writer did not start";
        std::this_thread::sleep_for(std::chrono::microseconds(pauseUs(random)));
        const int changes = writer.killAndCountChanges();

        const QByteArrayList before = replay(lines, seed, changes);
        const QByteArrayList after = replay(lines, seed, changes + 1);
        const QByteArray content = readBytes(path);
        if (content == fileContent(after)) {
            lines = after;
            ++newContentSeen;
        } else {
            ASSERT_EQ(content.size(), fileContent(before).size()) << "kill " << kills;
            ASSERT_TRUE(content == fileContent(before)) << "kill " << kills;
            lines = before;
        }
        changesSeen += changes;
        // An interrupted rewrite may leave its one scratch file, never a pile of them.
        const QStringList others = leftBeside(dir.path());
        ASSERT_TRUE(others.isEmpty() || isOneScratchFile(others))
            << "kill " << kills << " left " << others.join(' ').toStdString();
        scratchLeft += others.size();
    }
    std::cout << kills << " kills in " << elapsed.elapsed() << " ms; " << changesSeen
              << " changes completed, " << newContentSeen << " caught between write and report, "
              << scratchLeft << " times a scratch file was left" << std::endl;
    EXPECT_GE(kills, LeastKills);
}

// The backups and restores of the backup crash test, in a record folder of their own.
class BackupCrash : public ::testing::Test {
protected:
    static constexpr int Kills = 120;
    static constexpr qint64 TimeLimitMs = 20'000;
    static constexpr int LeastKills = 40;

    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    QString folder() const { return dir_.path(); }
    QString customers() const { return recordFilePath(folder(), UserFileName); }
    QString reservations() const { return recordFilePath(folder(), YoyakuFileName); }
    QString backup(const QString& name) const {
        return records::backup::backupRoot(folder()) + "/" + name;
    }
    // Kills the writer started with `arguments` after a random pause; the number of operations
    // it reported complete.
    int runAndKill(const QByteArrayList& arguments, int longestPauseUs) {
        Writer writer(BACKUP_WRITER, QByteArrayList{QFile::encodeName(folder())} + arguments);
        EXPECT_TRUE(writer.started()) << "the writer did not start";
        std::uniform_int_distribution<int> pauseUs(0, longestPauseUs);
        std::this_thread::sleep_for(std::chrono::microseconds(pauseUs(random_)));
        return writer.killAndCountChanges();
    }
    // What the folder shows but a record file, the backup folder or a hidden scratch file.
    QStringList strangers() const {
        QStringList visible = QDir(folder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        visible.removeOne(UserFileName);
        visible.removeOne(YoyakuFileName);
        visible.removeOne(records::backup::FolderName);
        return visible;
    }
    // Deletes the backups but those named, so that the disk does not fill up.
    void keepOnly(const QStringList& names) const {
        for (const auto& entry : records::backup::listBackups(folder())) {
            if (!names.contains(entry.name)) {
                QDir(backup(entry.name)).removeRecursively();
            }
        }
    }

    QTemporaryDir dir_;
    std::mt19937 random_{20261214};
};

// After every kill, each backup folder that can be seen is whole (both files, as the reservation
// file was at one moment), the record file is one of the states written, and the next start's
// backup works and holds the files.
TEST_F(BackupCrash, AKilledBackupLeavesWholeBackupsOrNone) {
    testing_support::writeBytes(customers(), crash_test::numberedState(0));
    testing_support::writeBytes(reservations(), crash_test::numberedState(1));
    QElapsedTimer elapsed;
    elapsed.start();
    int kills = 0, backupsSeen = 0, state = 1;
    for (; kills < Kills && elapsed.elapsed() < TimeLimitMs; ++kills) {
        const int completed = runAndKill({"backup", QByteArray::number(state + 1)}, 60'000);
        const int now = crash_test::stateNumber(testing_support::readBytes(reservations()));
        ASSERT_TRUE(now == state || (now > state && now <= state + completed + 1))
            << "kill " << kills << ": reservation file of state " << now;
        const auto entries = records::backup::listBackups(folder());
        for (const auto& entry : entries) {
            ASSERT_TRUE(entry.complete) << "kill " << kills << ": " << entry.name.toStdString();
            ASSERT_EQ(testing_support::readBytes(backup(entry.name) + "/" + UserFileName),
                      crash_test::numberedState(0));
            const int held = crash_test::stateNumber(
                testing_support::readBytes(backup(entry.name) + "/" + YoyakuFileName));
            ASSERT_TRUE(held >= 1 && held <= now) << "kill " << kills << ": state " << held;
        }
        ASSERT_TRUE(strangers().isEmpty()) << strangers().join(' ').toStdString();
        backupsSeen += entries.size();
        // The next start: its backup is made whatever the killed one left, and holds the files.
        records::backup::backUpIfChanged(folder());
        const QString newest = records::backup::listBackups(folder()).first().name;
        ASSERT_EQ(testing_support::readBytes(backup(newest) + "/" + YoyakuFileName),
                  crash_test::numberedState(now));
        keepOnly({newest});
        state = now;
    }
    std::cout << kills << " kills in " << elapsed.elapsed() << " ms; " << backupsSeen
              << " backups checked" << std::endl;
    EXPECT_GE(kills, LeastKills);
}

// The two states the restores switch between: the customers and the reservations of each.
struct RecordState {
    QByteArray customers, reservations;
    bool operator==(const RecordState&) const = default;
};

// After every kill and the next start, both record files come from one state: the one before the
// restore that was cut off or the one it restores, and in that case the newest backup holds the
// state it replaced.
TEST_F(BackupCrash, AKilledRestoreLeavesTheOldOrTheNewStateAndTheOldOneBackedUp) {
    const RecordState states[] = {{crash_test::numberedState(1), crash_test::numberedState(2)},
                                  {crash_test::numberedState(3), crash_test::numberedState(4)}};
    const auto write = [this](const RecordState& state) {
        testing_support::writeBytes(customers(), state.customers);
        testing_support::writeBytes(reservations(), state.reservations);
    };
    const auto stateIn = [](const QString& where) {
        return RecordState{testing_support::readBytes(recordFilePath(where, UserFileName)),
                           testing_support::readBytes(recordFilePath(where, YoyakuFileName))};
    };
    write(states[0]);
    const QString first = *records::backup::backUpIfChanged(folder());
    write(states[1]);
    const QString second = *records::backup::backUpIfChanged(folder());
    const QString names[] = {first, second};

    QElapsedTimer elapsed;
    elapsed.start();
    int kills = 0, restores = 0, current = 1;
    for (; kills < Kills && elapsed.elapsed() < TimeLimitMs; ++kills) {
        const int other = 1 - current;
        const int completed =
            runAndKill({"restore", names[other].toUtf8(), names[current].toUtf8()}, 250'000);
        // Before the restore that was cut off, the files held the state that restore replaces.
        const int before = completed % 2 == 0 ? current : other;
        const int after = 1 - before;
        records::backup::finishInterruptedRestore(folder());
        const RecordState now = stateIn(folder());
        if (now == states[before]) {
            current = before;
        } else {
            ASSERT_TRUE(now == states[after]) << "kill " << kills << ": files of two states";
            const QString newest = records::backup::listBackups(folder()).first().name;
            ASSERT_TRUE(stateIn(backup(newest)) == states[before])
                << "kill " << kills << ": the replaced files were not backed up";
            current = after;
        }
        for (const auto& entry : records::backup::listBackups(folder())) {
            ASSERT_TRUE(entry.complete) << "kill " << kills << ": " << entry.name.toStdString();
        }
        ASSERT_TRUE(strangers().isEmpty()) << strangers().join(' ').toStdString();
        restores += completed;
        keepOnly({first, second});
    }
    std::cout << kills << " kills in " << elapsed.elapsed() << " ms; " << restores
              << " restores completed" << std::endl;
    EXPECT_GE(kills, LeastKills);
}

// Appends of long lines to a decade of reservations (20 MB), each killed at a random moment:
// the file is the old one or the old one with the whole new line, never part of a line.
TEST(CrashSafety, AKilledAppendToALargeFileLeavesTheOldFileOrTheWholeLine) {
    constexpr int Appends = 200;
    QTemporaryDir dir;
    const QString path = dir.filePath(YoyakuFileName);
    std::mt19937 random(20261209);
    QByteArrayList lines = crash_test::initialLines(random, 20'000'000);
    testing_support::writeBytes(path, fileContent(lines));

    std::uniform_int_distribution<int> pauseUs(0, 120'000);
    const qsizetype initialCount = lines.size();
    for (int kill = 0; kill < Appends; ++kill) {
        const unsigned seed = static_cast<unsigned>(kill);
        Writer writer(RECORD_WRITER,
                      {QFile::encodeName(path), QByteArray::number(seed), QByteArray("append")});
        ASSERT_TRUE(writer.started()) << "the writer did not start";
        std::this_thread::sleep_for(std::chrono::microseconds(pauseUs(random)));
        const int changes = writer.killAndCountChanges();

        const QByteArray content = readBytes(path);
        const QByteArrayList after = replay(lines, seed, changes + 1, true);
        const QByteArrayList before = replay(lines, seed, changes, true);
        if (content == fileContent(after)) {
            lines = after;
        } else {
            ASSERT_EQ(content.size(), fileContent(before).size()) << "kill " << kill;
            ASSERT_TRUE(content == fileContent(before)) << "kill " << kill;
            lines = before;
        }
        const QStringList others = leftBeside(dir.path());
        ASSERT_TRUE(others.isEmpty() || isOneScratchFile(others))
            << "kill " << kill << " left " << others.join(' ').toStdString();
    }
    std::cout << Appends << " kills, " << lines.size() - initialCount << " appends completed"
              << std::endl;
    // Some appends completed and some were cut off, or the kills missed the writes.
    EXPECT_GT(lines.size(), initialCount);
    EXPECT_LT(lines.size(), initialCount + Appends * 4);
}

// A reservation file of some 200 KB drawn from `random` written at `path`; its lines.
QByteArrayList writeInitialFile(const QString& path, std::mt19937& random) {
    const QByteArrayList initial = crash_test::initialLines(random, 200'000);
    testing_support::writeBytes(path, fileContent(initial));
    return initial;
}

// Changes that bring details, each killed at a random moment, also between the record file's
// write and the store's: once the next start has settled the store, every line the writer wrote
// has its own details and no line shows another line's.
TEST(CrashSafety, AKilledWriterNeverLeavesDetailsOnAnotherLine) {
    constexpr int DetailKills = 120;
    QTemporaryDir dir;
    const QString path = dir.filePath(YoyakuFileName);
    std::mt19937 random(20261210);
    const QByteArrayList initial = writeInitialFile(path, random);
    const QSet<QByteArray> withoutDetails(initial.cbegin(), initial.cend());

    std::uniform_int_distribution<int> pauseUs(0, 100'000);
    QElapsedTimer elapsed;
    elapsed.start();
    int kills = 0, changesSeen = 0;
    for (; kills < DetailKills && elapsed.elapsed() < TimeLimitMs; ++kills) {
        Writer writer(RECORD_WRITER,
                      {QFile::encodeName(path), QByteArray::number(kills), QByteArray("details")});
        ASSERT_TRUE(writer.started()) << "the writer did not start";
        std::this_thread::sleep_for(std::chrono::microseconds(pauseUs(random)));
        changesSeen += writer.killAndCountChanges();

        THonjitu honjitu;
        records::RecordLists lists(honjitu, dir.path());
        ASSERT_TRUE(lists.YoyakuFileLoad());
        lists.openStoreIfPresent();
        ASSERT_EQ(lists.takeStoreProblem(), QString()) << "kill " << kills;
        QList<qsizetype> positions(honjitu.YoyakuList.size());
        std::iota(positions.begin(), positions.end(), 0);
        const QHash<qsizetype, records::LineDetails> details =
            lists.detailsAt(records::RecordFile::Yoyaku, positions);
        for (const qsizetype at : positions) {
            const QByteArray& line = honjitu.YoyakuList.at(at);
            if (details.contains(at)) {
                ASSERT_EQ(details.value(at).value("line").toString(),
                          QString::fromLatin1(line.toBase64()))
                    << "kill " << kills << ", line " << at;
            } else {
                ASSERT_TRUE(withoutDetails.contains(line)) << "kill " << kills << ", line " << at;
            }
        }
    }
    std::cout << kills << " kills in " << elapsed.elapsed() << " ms; " << changesSeen
              << " changes with details completed" << std::endl;
    EXPECT_GE(kills, LeastKills);
    EXPECT_GT(changesSeen, kills);
}

// Changes each followed by its undo, killed at random moments: the file is always the one before
// the change or the one after it, as a normal save leaves it, and the history the next start
// finds either takes the change back exactly or was dropped.
TEST(CrashSafety, AKilledUndoLeavesTheOldOrTheNewFile) {
    constexpr int UndoKills = 120;
    constexpr int LeastUndoKills = 40;
    QTemporaryDir dir;
    const QString path = dir.filePath(YoyakuFileName);
    std::mt19937 random(20261211);
    const QByteArrayList initial = writeInitialFile(path, random);

    std::uniform_int_distribution<int> pauseUs(0, 100'000);
    QElapsedTimer elapsed;
    elapsed.start();
    int kills = 0, undosSeen = 0;
    for (; kills < UndoKills && elapsed.elapsed() < TimeLimitMs; ++kills) {
        const unsigned seed = static_cast<unsigned>(kills);
        Writer writer(RECORD_WRITER,
                      {QFile::encodeName(path), QByteArray::number(seed), QByteArray("undo")});
        ASSERT_TRUE(writer.started()) << "the writer did not start";
        std::this_thread::sleep_for(std::chrono::microseconds(pauseUs(random)));
        const int reports = writer.killAndCountChanges();
        undosSeen += reports / 2;

        // Every change is made on the initial lines and undone: the next one is drawn there too.
        std::mt19937 replayed(seed);
        QByteArrayList changed;
        for (int change = 0; change <= reports / 2; ++change) {
            changed = initial;
            if (const crash_test::Change drawn = crash_test::drawChange(replayed, changed);
                drawn.append) {
                changed.append(drawn.line);
            }
        }
        const QByteArray content = readBytes(path);
        ASSERT_TRUE(content == fileContent(initial) || content == fileContent(changed))
            << "kill " << kills << " after " << reports << " reports";

        THonjitu honjitu;
        records::RecordLists lists(honjitu, dir.path());
        ASSERT_TRUE(lists.YoyakuFileLoad());
        lists.openStoreIfPresent();
        records::UndoHistory history(lists);
        history.load();
        if (history.canUndo()) {
            ASSERT_EQ(content, fileContent(changed)) << "kill " << kills;
            ASSERT_TRUE(history.undo()) << "kill " << kills;
        } else if (content != fileContent(initial)) {
            // Killed before the history noted the change: it is not offered, and the next
            // writer starts again from the initial lines.
            testing_support::writeBytes(path, fileContent(initial));
        }
        ASSERT_EQ(readBytes(path), fileContent(initial)) << "kill " << kills;
    }
    std::cout << kills << " kills in " << elapsed.elapsed() << " ms; " << undosSeen
              << " undos completed" << std::endl;
    EXPECT_GE(kills, LeastUndoKills);
    // Most kills fall after some undos: the history's own write to the store takes its time.
    EXPECT_GT(undosSeen, kills / 4);
}

}  // namespace
