#include "photos/PhotoFiles.h"

#include "records/Clock.h"
#include "records/FileChecks.h"
#include "records/FolderAccess.h"
#include "records/VisitPhotos.h"
#include "records/uLib.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QRandomGenerator>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace photos {
namespace {

const QString ThumbnailFolder = QStringLiteral(".thumbs");
// An import is written under a hidden name, which backups pass over, and then linked to its
// own name, which never replaces a file that is there.
const QString ScratchPrefix = QStringLiteral(".import-");
constexpr int JpegQuality = 90;

QString photoFolder(const QString& appDir) {
    return records::photos::folderOf(appDir);
}

QString thumbnailPath(const QString& appDir, const QString& name) {
    return photoFolder(appDir) + QLatin1Char('/') + ThumbnailFolder + QLatin1Char('/') + name +
           QStringLiteral(".jpg");
}

FileError folderError(const QString& what, const QString& folder, int error) {
    return FileError(
        QStringLiteral("%1: \"%2\"\n%3")
            .arg(what, QDir::toNativeSeparators(folder), records::japaneseReason(error, true)));
}

// Makes the folder with the record folder's access when it is missing.
void ensureFolder(const QString& folder, const records::FolderAccess& access) {
    const QByteArray path = QFile::encodeName(folder);
    if (::mkdir(path.constData(), S_IRWXU) == 0) {
        if (!access.applyTo(folder)) {
            const int error = errno;
            ::rmdir(path.constData());
            throw folderError(QStringLiteral("写真のフォルダを作れません"), folder, error);
        }
    } else if (errno != EEXIST || !QFileInfo(folder).isDir()) {
        throw folderError(QStringLiteral("写真のフォルダを作れません"), folder, errno);
    }
}

// The image made no larger than `side` on its long side.
QImage shrunk(const QImage& image, int side) {
    if (std::max(image.width(), image.height()) <= side) {
        return image;
    }
    return image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

// JPEG has no transparency: what is transparent shows white, as on a page.
QImage opaque(const QImage& image) {
    if (!image.hasAlphaChannel()) {
        return image;
    }
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, image);
    return flat;
}

QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (qstrcmp(format, "jpg") == 0) {
        writer.setQuality(JpegQuality);
    }
    if (!writer.write(qstrcmp(format, "jpg") == 0 ? opaque(image) : image)) {
        throw FileError(QStringLiteral("写真を変換できません\n%1").arg(writer.errorString()));
    }
    return bytes;
}

bool writeAll(int fd, const QByteArray& bytes) {
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t put =
            ::write(fd, bytes.constData() + written, static_cast<size_t>(bytes.size() - written));
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return false;
        }
        written += put;
    }
    return ::fsync(fd) == 0;
}

// A name no photo has had: the moment, and a random part for two imports in one second.
QString newName(const QString& suffix) {
    return QStringLiteral("%1-%2.%3")
        .arg(records::clock_source::now().toString(QStringLiteral("yyyyMMdd-HHmmss")))
        .arg(QRandomGenerator::system()->generate(), 8, 16, QLatin1Char('0'))
        .arg(suffix);
}

// Writes `bytes` into the folder under a new name and returns it. Throws naming the folder;
// the scratch file goes whatever happens.
QString writeNew(const QString& folder, const QByteArray& bytes, const QString& suffix,
                 const records::FolderAccess& access) {
    const QByteArray scratch =
        QFile::encodeName(folder + QLatin1Char('/') + ScratchPrefix + newName(suffix));
    const int fd = ::open(scratch.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          S_IRUSR | S_IWUSR);
    if (fd < 0) {
        throw folderError(QStringLiteral("写真を保存できません"), folder, errno);
    }
    const bool written = access.applyTo(fd) && writeAll(fd, bytes);
    const int writeError = errno;
    ::close(fd);
    for (int attempt = 0; written && attempt < 8; ++attempt) {
        const QString name = newName(suffix);
        if (::link(scratch.constData(),
                   QFile::encodeName(folder + QLatin1Char('/') + name).constData()) == 0) {
            ::unlink(scratch.constData());
            syncFolder(folder);
            return name;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    const int error = written ? errno : writeError;
    ::unlink(scratch.constData());
    throw folderError(QStringLiteral("写真を保存できません"), folder, error);
}

// Kept beside the photos; a thumbnail that cannot be kept is made again when next shown.
void keepThumbnail(const QString& appDir, const QString& name, const QImage& thumb) {
    try {
        const records::FolderAccess access = records::FolderAccess::of(appDir);
        ensureFolder(photoFolder(appDir) + QLatin1Char('/') + ThumbnailFolder, access);
        replaceRecordFile(thumbnailPath(appDir, name), encoded(thumb, "jpg"), access);
    } catch (const FileError&) {
    }
}

}  // namespace

QString photoPath(const QString& appDir, const QString& name) {
    return photoFolder(appDir) + QLatin1Char('/') + name;
}

QString importPhoto(const QString& appDir, const QString& source) {
    QImageReader reader(source);
    reader.setAutoTransform(true);
    const bool png = reader.format() == "png";
    const QImage image = reader.read();
    if (image.isNull()) {
        throw FileError(QStringLiteral("写真として読めません: \"%1\"\n%2")
                            .arg(QDir::toNativeSeparators(source), reader.errorString()));
    }
    const QImage photo = shrunk(image, LongestSide);
    const QByteArray bytes = encoded(photo, png ? "png" : "jpg");
    const records::FolderAccess access = records::FolderAccess::of(appDir);
    ensureFolder(photoFolder(appDir), access);
    const QString name = writeNew(photoFolder(appDir), bytes,
                                  png ? QStringLiteral("png") : QStringLiteral("jpg"), access);
    keepThumbnail(appDir, name, shrunk(photo, ThumbnailSide));
    return name;
}

QImage thumbnail(const QString& appDir, const QString& name) {
    QImage kept(thumbnailPath(appDir, name));
    if (!kept.isNull()) {
        return kept;
    }
    QImageReader reader(photoPath(appDir, name));
    reader.setAutoTransform(true);
    const QImage photo = reader.read();
    if (photo.isNull()) {
        return {};
    }
    const QImage made = shrunk(photo, ThumbnailSide);
    keepThumbnail(appDir, name, made);
    return made;
}

void removePhoto(const QString& appDir, const QString& name) {
    ::unlink(QFile::encodeName(thumbnailPath(appDir, name)).constData());
    ::unlink(QFile::encodeName(photoPath(appDir, name)).constData());
}

}  // namespace photos
