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

// The writer, running until it is killed; its reports come through a pipe.
class Writer {
public:
    Writer(const QString& path, unsigned seed) {
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
            ::execl(RECORD_WRITER, RECORD_WRITER, file.constData(), seedText.constData(),
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

// The lines after the first `count` changes the writer seeded with `seed` makes to `lines`.
QByteArrayList replay(QByteArrayList lines, unsigned seed, int count) {
    std::mt19937 random(seed);
    for (int i = 0; i < count; ++i) {
        const crash_test::Change change = crash_test::drawChange(random, lines);
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
        QStringList others =
            QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        ASSERT_TRUE(others.removeOne(YoyakuFileName));
        ASSERT_TRUE(others.isEmpty() || others == QStringList{Scratch})
            << "kill " << kills << " left " << others.join(' ').toStdString();
        scratchLeft += others.size();
    }
    std::cout << kills << " kills in " << elapsed.elapsed() << " ms; " << changesSeen
              << " changes completed, " << newContentSeen << " caught between write and report, "
              << scratchLeft << " times a scratch file was left" << std::endl;
    EXPECT_GE(kills, LeastKills);
}

}  // namespace
