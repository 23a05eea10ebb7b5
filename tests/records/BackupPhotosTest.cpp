#include "records/Backup.h"
#include "records/Clock.h"
#include "records/VisitPhotos.h"
#include "records/uLib.h"
#include "tests/support/Files.h"
#include "tests/support/FixedClock.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QTemporaryDir>

#include <sys/stat.h>

using namespace records::backup;
using testing_support::readBytes;
using testing_support::standClockAt;
using testing_support::writeBytes;

namespace {

const QDateTime Monday(QDate(2026, 12, 7), QTime(9, 15, 30));

class BackupPhotosTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        standClockAt(Monday);
        writeReservations("2026\t12\t09\t10\r\n");
        writeBytes(recordFilePath(appDir(), UserFileName), "Pochi\tinu\r\n");
        ASSERT_TRUE(QDir().mkpath(photoFolder() + "/.thumbs"));
    }
    void TearDown() override { records::clock_source::set({}); }

    QString appDir() const { return dir_.path(); }
    QString photoFolder() const { return records::photos::folderOf(appDir()); }
    void writeReservations(const QByteArray& bytes) const {
        writeBytes(recordFilePath(appDir(), YoyakuFileName), bytes);
    }
    void writePhoto(const QString& name, const QByteArray& bytes) const {
        writeBytes(photoFolder() + "/" + name, bytes);
    }
    // A backup made a minute later than the one before.
    QString backUp() {
        standClockAt(now_ = now_.addSecs(60));
        const std::optional<QString> made = backUpIfChanged(appDir());
        EXPECT_TRUE(made.has_value());
        return made.value_or(QString());
    }
    QString backupPhotos(const QString& name) const {
        return backupRoot(appDir()) + "/" + name + "/" + records::photos::FolderName;
    }
    static ino_t inodeOf(const QString& path) {
        struct stat info {};
        EXPECT_EQ(::lstat(QFile::encodeName(path).constData(), &info), 0) << path.toStdString();
        return info.st_ino;
    }

    QTemporaryDir dir_;
    QDateTime now_ = Monday;
};

TEST_F(BackupPhotosTest, EachPhotoIsHeldOnceAcrossBackups) {
    writePhoto("a.jpg", "photo a");
    writePhoto("b.png", "photo b");
    writeBytes(photoFolder() + "/.thumbs/a.jpg.jpg", "thumb");
    writeBytes(photoFolder() + "/.import-x.jpg", "half written");
    ASSERT_TRUE(QFile::link(photoFolder() + "/a.jpg", photoFolder() + "/link.jpg"));
    const QString first = backUp();
    EXPECT_EQ(QDir(backupPhotos(first))
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
              QStringList({"a.jpg", "b.png"}));
    EXPECT_EQ(readBytes(backupPhotos(first) + "/a.jpg"), "photo a");
    EXPECT_EQ(listBackups(appDir()).first().bytes,
              QByteArray("Pochi\tinu\r\n2026\t12\t09\t10\r\nphoto aphoto b").size());

    // The records change and a photo comes: the old photos are the first backup's files.
    writeReservations("2026\t12\t09\t10\r\n2026\t12\t10\t11\r\n");
    writePhoto("c.jpg", "photo c");
    const QString second = backUp();
    for (const char* name : {"a.jpg", "b.png"}) {
        EXPECT_EQ(inodeOf(backupPhotos(second) + "/" + name),
                  inodeOf(backupPhotos(first) + "/" + name))
            << name;
    }
    EXPECT_NE(inodeOf(backupPhotos(second) + "/c.jpg"), inodeOf(photoFolder() + "/c.jpg"));
    EXPECT_EQ(readBytes(backupPhotos(second) + "/c.jpg"), "photo c");

    // A new photo alone is a change worth a backup; nothing new is none.
    writePhoto("d.jpg", "photo d");
    const QString third = backUp();
    EXPECT_EQ(inodeOf(backupPhotos(third) + "/c.jpg"), inodeOf(backupPhotos(second) + "/c.jpg"));
    EXPECT_FALSE(backUpIfChanged(appDir()).has_value());

    // A photo of the same name whose size differs is copied, not linked.
    writePhoto("d.jpg", "photo d, another");
    const QString fourth = backUp();
    EXPECT_NE(inodeOf(backupPhotos(fourth) + "/d.jpg"), inodeOf(backupPhotos(third) + "/d.jpg"));
    EXPECT_EQ(readBytes(backupPhotos(fourth) + "/d.jpg"), "photo d, another");
}

TEST_F(BackupPhotosTest, ARestoreBringsBackMissingPhotosAndDeletesNone) {
    writePhoto("a.jpg", "photo a");
    const QString kept = backUp();
    ASSERT_TRUE(QFile::remove(photoFolder() + "/a.jpg"));
    writePhoto("b.jpg", "photo b");
    writeReservations("2026\t12\t11\t12\r\n");

    restoreBackup(appDir(), kept);

    EXPECT_EQ(readBytes(recordFilePath(appDir(), YoyakuFileName)), "2026\t12\t09\t10\r\n");
    EXPECT_EQ(readBytes(photoFolder() + "/a.jpg"), "photo a");
    EXPECT_EQ(readBytes(photoFolder() + "/b.jpg"), "photo b");
    // The backup of the state before holds b, so restoring that one again loses nothing.
    const QList<Entry> entries = listBackups(appDir());
    ASSERT_EQ(entries.size(), 2);
    EXPECT_TRUE(entries.first().beforeRestore);
    EXPECT_EQ(readBytes(backupPhotos(entries.first().name) + "/b.jpg"), "photo b");
}

TEST_F(BackupPhotosTest, ARestoreMakesThePhotoFolderWhenItIsGone) {
    writePhoto("a.jpg", "photo a");
    const QString kept = backUp();
    ASSERT_TRUE(QDir(photoFolder()).removeRecursively());
    restoreBackup(appDir(), kept);
    EXPECT_EQ(readBytes(photoFolder() + "/a.jpg"), "photo a");
}

}  // namespace
