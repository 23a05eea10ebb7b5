// The installed program in a Wayland session without XWayland: a headless weston compositor,
// WAYLAND_DISPLAY set and no DISPLAY. The program runs from a folder of its own, as installed.

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

namespace {

const QString SocketName = QStringLiteral("trimbook-test");

bool waitFor(const std::function<bool()>& condition, int ms) {
    QDeadlineTimer deadline(ms);
    while (!condition()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QThread::msleep(20);
    }
    return true;
}

class WaylandSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        const QString weston = QStandardPaths::findExecutable(QStringLiteral("weston"));
        if (weston.isEmpty()) {
            // The test command installs weston; only a bare developer build may lack it.
            if (qEnvironmentVariableIsSet("CI")) {
                FAIL() << "weston is not installed";
            }
            GTEST_SKIP() << "weston is not installed (scripts/install-deps --test installs it)";
        }
        ASSERT_TRUE(runtime_.isValid() && folder_.isValid());
        QFile::setPermissions(runtime_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
        compositor_.setProcessEnvironment(environment);
        compositor_.setProcessChannelMode(QProcess::MergedChannels);
        compositor_.start(weston, {QStringLiteral("--backend=headless-backend.so"),
                                   QStringLiteral("--socket=") + SocketName,
                                   QStringLiteral("--idle-time=0")});
        const QString socket = runtime_.filePath(SocketName);
        ASSERT_TRUE(waitFor([&socket] { return QFileInfo::exists(socket); }, 10000))
            << "weston did not start: " << compositor_.readAll().toStdString();

        program_ = folder_.filePath(QStringLiteral("trimbook"));
        ASSERT_TRUE(QFile::copy(QStringLiteral(TRIMBOOK_PROGRAM), program_));
    }

    void TearDown() override {
        compositor_.terminate();
        compositor_.waitForFinished(5000);
    }

    // The program's environment in that session: no X11 display and no platform chosen.
    QProcessEnvironment sessionEnvironment() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE"}) {
            environment.remove(QString::fromLatin1(name));
        }
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
        environment.insert(QStringLiteral("WAYLAND_DISPLAY"), SocketName);
        // In the checked build, the Wayland client libraries' own allocations, still held at
        // exit, would fail the program's exit code; the program's leaks are checked in-process.
        environment.insert(QStringLiteral("ASAN_OPTIONS"),
                           environment.value(QStringLiteral("ASAN_OPTIONS")) +
                               QStringLiteral(":detect_leaks=0"));
        return environment;
    }

    // Starts the program; with `measured`, it ends by itself once its window has painted.
    void start(QProcess& process, bool measured) const {
        QProcessEnvironment environment = sessionEnvironment();
        if (measured) {
            environment.insert(QStringLiteral("TRIMBOOK_MEASURE_STARTUP"), QStringLiteral("1"));
        }
        process.setProcessEnvironment(environment);
        process.start(program_, {});
    }

    QString recordFile(const char* name) const { return folder_.filePath(QString::fromUtf8(name)); }

    QTemporaryDir runtime_;
    QTemporaryDir folder_;
    QProcess compositor_;
    QString program_;
};

TEST_F(WaylandSessionTest, TheProgramRunsAsAWaylandClientAndEndsCleanly) {
    QProcess program;
    start(program, true);
    ASSERT_TRUE(program.waitForFinished(30000));
    const QByteArray output = program.readAllStandardOutput();
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << program.readAllStandardError().toStdString();
    EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
    EXPECT_TRUE(output.contains("painted-at-ns")) << "the window never painted";
    EXPECT_TRUE(output.contains("platform wayland")) << output.toStdString();
    EXPECT_TRUE(QFileInfo(recordFile("お客様登録.csv")).isFile());
    EXPECT_TRUE(QFileInfo(recordFile("カット予約.csv")).isFile());
    EXPECT_TRUE(QFileInfo(folder_.filePath(QStringLiteral("trimbook.ini"))).isFile())
        << "the placement is written when the window closes";
}

TEST_F(WaylandSessionTest, ASecondStartDefersToTheRunningInstance) {
    QProcess first;
    start(first, false);
    ASSERT_TRUE(first.waitForStarted());
    // The record files are created after the instance has claimed its name.
    ASSERT_TRUE(waitFor([this] { return QFileInfo::exists(recordFile("カット予約.csv")); }, 30000))
        << first.readAllStandardError().toStdString();

    QProcess second;
    start(second, true);
    ASSERT_TRUE(second.waitForFinished(30000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_FALSE(second.readAllStandardOutput().contains("painted-at-ns"))
        << "the second start opened a window of its own";
    EXPECT_FALSE(first.waitForFinished(300)) << "the running instance ended";

    first.terminate();
    EXPECT_TRUE(first.waitForFinished(10000));
}

}  // namespace
