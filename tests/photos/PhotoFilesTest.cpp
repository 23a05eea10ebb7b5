#include "photos/PhotoFiles.h"
#include "records/VisitPhotos.h"
#include "records/uLib.h"
#include "tests/support/Files.h"
#include "tests/support/Mounts.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>

using testing_support::readBytes;
using testing_support::TestMount;
using testing_support::writeBytes;

namespace {

// An image file of `size` with a colour gradient, so that shrinking has something to blend.
void writeImage(const QString& path, QSize size, const char* format,
                QImageIOHandler::Transformations turn = QImageIOHandler::TransformationNone) {
    QImage image(size, QImage::Format_ARGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            image.setPixel(x, y, qRgba(x % 256, y % 256, 128, 200));
        }
    }
    QImageWriter writer(path, format);
    writer.setTransformation(turn);
    ASSERT_TRUE(writer.write(image)) << writer.errorString().toStdString();
}

class PhotoFiles : public ::testing::Test {
protected:
    QString appDir() const { return records_.path(); }
    QString source(const QString& name) const { return sources_.filePath(name); }
    QString photoFolder() const { return records::photos::folderOf(appDir()); }
    // The photo folder's entries, hidden ones included.
    QStringList photoEntries() const {
        return QDir(photoFolder())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

    QTemporaryDir records_;
    QTemporaryDir sources_;
};

TEST_F(PhotoFiles, ImportShrinksToTheLongSideKeepsPngAndTurnsAsTheCameraSaid) {
    const struct {
        const char* name;
        QSize size;
        const char* format;
        QImageIOHandler::Transformations turn;
        QByteArray expectedFormat;
        QSize expectedSize;
    } cases[] = {
        {"wide.jpg", {3200, 1200}, "jpg", QImageIOHandler::TransformationNone, "jpeg", {1600, 600}},
        {"tall.jpg", {900, 2400}, "jpg", QImageIOHandler::TransformationNone, "jpeg", {600, 1600}},
        {"edge.jpg",
         {1600, 1000},
         "jpg",
         QImageIOHandler::TransformationNone,
         "jpeg",
         {1600, 1000}},
        {"large.png", {2000, 1000}, "png", QImageIOHandler::TransformationNone, "png", {1600, 800}},
        {"small.png", {120, 80}, "png", QImageIOHandler::TransformationNone, "png", {120, 80}},
        {"bitmap.bmp",
         {2400, 2400},
         "bmp",
         QImageIOHandler::TransformationNone,
         "jpeg",
         {1600, 1600}},
        // Taken with the camera on its side: stored wide, shown tall.
        {"turned.jpg",
         {2000, 500},
         "jpg",
         QImageIOHandler::TransformationRotate90,
         "jpeg",
         {400, 1600}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeImage(source(c.name), c.size, c.format, c.turn);
        const QByteArray original = readBytes(source(c.name));

        const QString name = photos::importPhoto(appDir(), source(c.name));

        QImageReader imported(photos::photoPath(appDir(), name));
        imported.setAutoTransform(false);
        EXPECT_EQ(imported.format(), c.expectedFormat);
        EXPECT_EQ(imported.read().size(), c.expectedSize);
        EXPECT_EQ(readBytes(source(c.name)), original);
        const QImage thumb = photos::thumbnail(appDir(), name);
        EXPECT_EQ(std::max(thumb.width(), thumb.height()),
                  std::min(photos::ThumbnailSide,
                           std::max(c.expectedSize.width(), c.expectedSize.height())));
    }
    // Each import its own file, and a thumbnail each.
    EXPECT_EQ(QDir(photoFolder()).entryList(QDir::Files).size(), std::size(cases));
    EXPECT_EQ(QDir(photoFolder() + "/.thumbs").entryList(QDir::Files).size(), std::size(cases));
}

TEST_F(PhotoFiles, AFileThatIsNoImageIsRefusedByNameAndLeavesNothing) {
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"letter.jpg", "Dear customer, this is no photo."},
        {"cut-off.png", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)},
        {"empty.jpg", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeBytes(source(c.name), c.bytes);
        try {
            photos::importPhoto(appDir(), source(c.name));
            ADD_FAILURE() << "imported";
        } catch (const FileError& error) {
            EXPECT_TRUE(error.message().contains(c.name)) << error.message().toStdString();
        }
        EXPECT_EQ(photoEntries(), QStringList());
    }
    try {
        photos::importPhoto(appDir(), source("missing.jpg"));
        ADD_FAILURE() << "imported";
    } catch (const FileError& error) {
        EXPECT_TRUE(error.message().contains("missing.jpg"));
    }
}

TEST_F(PhotoFiles, AReadOnlyPhotoFolderFailsClearlyAndAReadOnlySourceImports) {
    writeImage(source("dog.jpg"), {800, 600}, "jpg");
    {
        const auto readOnlySource = TestMount::readOnly(sources_.path());
        if (!readOnlySource.mounted()) {
            GTEST_SKIP() << "no read-only mount here";
        }
        EXPECT_FALSE(photos::importPhoto(appDir(), source("dog.jpg")).isEmpty());
    }
    const QStringList before = photoEntries();
    const QStringList thumbsBefore = QDir(photoFolder() + "/.thumbs").entryList(QDir::Files);
    const auto readOnlyFolder = TestMount::readOnly(photoFolder());
    ASSERT_TRUE(readOnlyFolder.mounted());
    try {
        photos::importPhoto(appDir(), source("dog.jpg"));
        ADD_FAILURE() << "imported into a read-only folder";
    } catch (const FileError& error) {
        EXPECT_TRUE(error.message().startsWith("写真を保存できません"))
            << error.message().toStdString();
        EXPECT_TRUE(error.message().contains(QDir::toNativeSeparators(photoFolder())));
    }
    EXPECT_EQ(photoEntries(), before);
    EXPECT_EQ(QDir(photoFolder() + "/.thumbs").entryList(QDir::Files), thumbsBefore);
}

TEST_F(PhotoFiles, AMissingThumbnailIsMadeOnceAndKept) {
    writeImage(source("cat.png"), {640, 480}, "png");
    const QString name = photos::importPhoto(appDir(), source("cat.png"));
    const QString kept = photoFolder() + "/.thumbs/" + name + ".jpg";
    ASSERT_TRUE(QFile::remove(kept));
    EXPECT_EQ(photos::thumbnail(appDir(), name).size(), QSize(160, 120));
    ASSERT_TRUE(QFile::exists(kept));
    // Removing a photo takes its thumbnail along.
    photos::removePhoto(appDir(), name);
    EXPECT_FALSE(QFile::exists(kept));
    EXPECT_TRUE(photos::thumbnail(appDir(), name).isNull());
}

}  // namespace
