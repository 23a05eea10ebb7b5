#include "records/RecordLists.h"
#include "records/uLib.h"
#include "tests/support/Files.h"
#include "tests/support/ListChanges.h"
#include "tests/support/Mounts.h"
#include "tests/support/Unprivileged.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using testing_support::readBytes;
using testing_support::writeBytes;

namespace {

const QByteArray Old = QByteArray("old line\r\n").repeated(3);
const QByteArrayList OldLines(3, "old line");

bool failsNamingTheFile(const std::function<void()>& work,
                        const QString& fileName = YoyakuFileName) {
    try {
        work();
        return false;
    } catch (const FileError& error) {
        return error.message().contains(fileName);
    }
}

class RecordFileFault : public ::testing::Test {
protected:
    QString path() const { return dir_.filePath(YoyakuFileName); }
    // What the folder holds besides the lock file that writes share.
    QStringList entries() const {
        QStringList names =
            QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        names.removeOne(QStringLiteral(".trimbook.lock"));
        return names;
    }
    QTemporaryDir dir_;
};

TEST_F(RecordFileFault, AFullDiskDuringAnAppendLeavesTheOldFileWhole) {
    const QString mountPoint = dir_.filePath("small");
    const auto disk = testing_support::TestMount::smallDisk(mountPoint, "64k");
    if (!disk.mounted()) {
        GTEST_SKIP() << "cannot mount a small tmpfs here, so a full disk is not tested";
    }
    const QString file = mountPoint + "/" + YoyakuFileName;
    // Nearly 64 KiB: an append fills the last page, then finds no room for the rest.
    const QByteArray old = QByteArray("old line\r\n").repeated(6300);
    writeBytes(file, old);
    QByteArrayList list = OldLines;
    EXPECT_TRUE(failsNamingTheFile([&] { appendRecordLine(file, QByteArray(6000, 'x'), list); }));
    EXPECT_EQ(readBytes(file), old);
    EXPECT_EQ(list, OldLines);
}

TEST_F(RecordFileFault, ARecordFileThatIsAFolderIsReportedAndKept) {
    QDir(dir_.path()).mkpath(YoyakuFileName + "/inside");
    QDir(dir_.path()).mkpath(UserFileName + "/inside");
    THonjitu honjitu;
    records::RecordLists lists(honjitu, dir_.path());
    // The reservation loader reports it as the missing file, naming it, and start-up goes on.
    EXPECT_FALSE(lists.YoyakuFileLoad());
    EXPECT_TRUE(failsNamingTheFile([&] { lists.UserListLoad(); }, UserFileName));
    EXPECT_TRUE(failsNamingTheFile([&] { lists.YoyakuFileSave("new", 'A'); }));
    EXPECT_TRUE(failsNamingTheFile([&] { lists.YoyakuFileSave("", 'R'); }));
    EXPECT_TRUE(failsNamingTheFile(
        [&] { testing_support::changeListTo(lists, records::RecordFile::Yoyaku, OldLines); }));
    EXPECT_TRUE(honjitu.YoyakuList.isEmpty());
    EXPECT_TRUE(QFileInfo(path() + "/inside").isDir());
    EXPECT_EQ(entries(), (QStringList{UserFileName, YoyakuFileName}));
}

TEST_F(RecordFileFault, ARemovedFileIsNotCreatedByAnAppendButARewriteRestoresIt) {
    writeBytes(path(), Old);
    THonjitu honjitu;
    records::RecordLists lists(honjitu, dir_.path());
    ASSERT_TRUE(lists.YoyakuFileLoad());
    QFile::remove(path());

    EXPECT_TRUE(failsNamingTheFile([&] { lists.YoyakuFileSave("new", 'A'); }));
    EXPECT_FALSE(QFileInfo::exists(path()));
    EXPECT_EQ(honjitu.YoyakuList, OldLines);
    // The list is the working copy: writing it back recreates the file, owner-only.
    lists.YoyakuFileSave("", 'R');
    EXPECT_EQ(readBytes(path()), Old);
    EXPECT_EQ(QFile::permissions(path()), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ReadUser | QFileDevice::WriteUser);
}

TEST_F(RecordFileFault, AFileMadeReadOnlyWhileInUseRefusesWritesWithoutHarm) {
    writeBytes(path(), Old);
    testing_support::openUpForOthers(dir_.path());
    // The folder stays writable, so only the file's own permission stops a write.
    QFile::setPermissions(dir_.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                           QFileDevice::WriteOther | QFileDevice::ExeOther);
    QFile::setPermissions(path(), QFileDevice::ReadOwner | QFileDevice::ReadOther);
    QString whyNot;
    const auto failed = testing_support::runAsNobody(
        [&] {
            THonjitu honjitu;
            records::RecordLists lists(honjitu, dir_.path());
            return lists.YoyakuFileLoad() && honjitu.YoyakuList == OldLines &&
                   failsNamingTheFile([&] { lists.YoyakuFileSave("new", 'A'); }) &&
                   failsNamingTheFile([&] { lists.YoyakuFileSave("", 'R'); }) &&
                   failsNamingTheFile([&] {
                       testing_support::changeListTo(lists, records::RecordFile::Yoyaku, {});
                   }) &&
                   honjitu.YoyakuList == OldLines;
        },
        &whyNot);
    if (!failed) {
        GTEST_SKIP() << "read-only file not tested: " << whyNot.toStdString();
    }
    EXPECT_TRUE(*failed);
    EXPECT_EQ(readBytes(path()), Old);
    EXPECT_EQ(entries(), QStringList{YoyakuFileName});
}

TEST_F(RecordFileFault, ARewriteThroughASymbolicLinkReplacesTheTargetAndKeepsTheLink) {
    const QString target = dir_.filePath("elsewhere.csv");
    writeBytes(target, Old);
    ASSERT_TRUE(QFile::link(target, path()));
    rewriteRecordFile(path(), {"new"});
    EXPECT_EQ(QFileInfo(path()).symLinkTarget(), target);
    EXPECT_EQ(readBytes(target), QByteArray("new\r\n"));
}

}  // namespace
