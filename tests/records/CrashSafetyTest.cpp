#include "records/uLib.h"
#include "tests/records/CrashChanges.h"
#include "tests/support/Files.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <thread>

using crash_test::fileContent;
using testing_support::readBytes;

namespace {

constexpr int Kills = 300;
constexpr qint64 TimeLimitMs = 30'000;
constexpr int LeastKills = 100;
const QString Scratch = "." + YoyakuFileName + ".saving";
const QString LockFile = QStringLiteral(".trimbook.lock");

// The writer, running until it is killed; its reports come through a pipe.
class Writer {
public:
    Writer(const QString& path, unsigned seed, const char* mode = nullptr) {
        int ends[2];
        if (::pipe(ends) != 0) {
            return;
        }
        const QByteArray file = QFile::encodeName(path);
        const QByteArray seedText = QByteArray::number(seed);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(ends[1], STDOUT_FILENO);
            ::close(ends[0]);
            ::close(ends[1]);
            ::execl(RECORD_WRITER, RECORD_WRITER, file.constData(), seedText.constData(), mode,
                    static_cast<char*>(nullptr));
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
        Writer writer(path, seed);
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
        ASSERT_TRUE(others.isEmpty() || others == QStringList{Scratch})
            << "kill " << kills << " left " << others.join(' ').toStdString();
        scratchLeft += others.size();
    }
    std::cout << kills << " kills in " << elapsed.elapsed() << " ms; " << changesSeen
              << " changes completed, " << newContentSeen << " caught between write and report, "
              << scratchLeft << " times a scratch file was left" << std::endl;
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
        Writer writer(path, seed, "append");
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
        ASSERT_TRUE(others.isEmpty() || others == QStringList{Scratch})
            << "kill " << kill << " left " << others.join(' ').toStdString();
    }
    std::cout << Appends << " kills, " << lines.size() - initialCount << " appends completed"
              << std::endl;
    // Some appends completed and some were cut off, or the kills missed the writes.
    EXPECT_GT(lines.size(), initialCount);
    EXPECT_LT(lines.size(), initialCount + Appends * 4);
}

}  // namespace
