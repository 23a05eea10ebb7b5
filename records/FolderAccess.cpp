#include "records/FolderAccess.h"

#include "records/uLib.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace records {
namespace {

constexpr mode_t GroupReadWrite = S_IRGRP | S_IWGRP;

bool statOf(const QString& path, struct stat& info) {
    return ::stat(QFile::encodeName(path).constData(), &info) == 0;
}

}  // namespace

FolderAccess FolderAccess::of(const QString& recordFolder) {
    FolderAccess access;
    struct stat folder {};
    if (!statOf(recordFolder, folder)) {
        return access;
    }
    access.group = folder.st_gid;
    mode_t groupBits = (folder.st_mode & S_ISGID) != 0 ? folder.st_mode & GroupReadWrite : 0;
    for (const QString& name : {UserFileName, YoyakuFileName}) {
        struct stat file {};
        if (statOf(recordFilePath(recordFolder, name), file) && S_ISREG(file.st_mode)) {
            groupBits = file.st_mode & GroupReadWrite;
            break;
        }
    }
    access.fileMode |= groupBits;
    return access;
}

mode_t FolderAccess::folderMode() const {
    mode_t mode = S_IRWXU;
    if ((fileMode & S_IRGRP) != 0) {
        mode |= S_IRGRP | S_IXGRP;
    }
    if ((fileMode & S_IWGRP) != 0) {
        mode |= S_IWGRP;
    }
    return (mode & S_IRWXG) != 0 ? mode | S_ISGID : mode;
}

bool FolderAccess::applyTo(int fd) const {
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        return false;
    }
    const bool inGroup = group == static_cast<gid_t>(-1) || info.st_gid == group ||
                         ::fchown(fd, static_cast<uid_t>(-1), group) == 0;
    const mode_t wanted = S_ISDIR(info.st_mode) ? folderMode() : fileMode;
    return ::fchmod(fd, inGroup ? wanted : wanted & ~(S_IRWXG | S_ISGID)) == 0;
}

bool FolderAccess::applyTo(const QString& path) const {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool applied = applyTo(fd);
    ::close(fd);
    return applied;
}

}  // namespace records
