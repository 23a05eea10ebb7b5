#include "records/FilePrefetch.h"

#include "records/uLib.h"

#include <QFile>

#include <sys/stat.h>

namespace {

qint64 nanoseconds(const timespec& time) {
    return static_cast<qint64>(time.tv_sec) * 1000000000 + time.tv_nsec;
}

}  // namespace

std::optional<FileIdentity> FileIdentity::of(const QString& path) {
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return std::nullopt;
    }
    return FileIdentity{status.st_dev, status.st_ino, status.st_size, nanoseconds(status.st_mtim),
                        nanoseconds(status.st_ctim)};
}

std::optional<std::pair<FileIdentity, QByteArray>> readSteadyFile(const QString& path) {
    const std::optional<FileIdentity> before = FileIdentity::of(path);
    if (!before) {
        return std::nullopt;
    }
    try {
        QByteArray content = readRecordFile(path);
        // A file changed while it was read may have given a mix of old and new bytes.
        if (FileIdentity::of(path) != before) {
            return std::nullopt;
        }
        return std::pair{*before, std::move(content)};
    } catch (const FileError&) {
        return std::nullopt;  // the caller reads the file again and reports what fails
    }
}
