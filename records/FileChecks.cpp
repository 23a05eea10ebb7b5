#include "records/FileChecks.h"

#include "records/FolderAccess.h"
#include "records/uLib.h"

#include <QDir>
#include <QFile>
#include <QThread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <initializer_list>

namespace records {
namespace {

// Some five seconds in all; looked at often, so that a busy holder's short pauses are caught.
constexpr int LockAttempts = 500;
constexpr int LockPauseMs = 10;

// What the user is told of a failed system call, beside the file's name; several numbers that
// mean the same to the user share one text.
struct ErrorText {
    std::initializer_list<int> errors;
    const char* text;
};

const ErrorText ErrorTexts[] = {
    {{EROFS}, "書き込みが禁止されています（読み取り専用の場所です）"},
    {{ENOSPC, EDQUOT}, "ディスクの空きがありません"},
    {{ENOENT}, "ファイルがありません"},
    {{EISDIR}, "フォルダーです"},
    {{ENOTDIR}, "フォルダーがありません"},
    {{EIO}, "装置の読み書きでエラーが起きました"},
    {{EBUSY, ETXTBSY}, "ほかで使用中です"},
    {{EFBIG}, "ファイルが大きすぎます"},
    {{ENAMETOOLONG}, "名前が長すぎます"},
    {{ELOOP}, "リンクがたどれません"},
    {{EMFILE, ENFILE}, "開いているファイルが多すぎます"},
    {{ENOMEM}, "メモリが足りません"},
    {{ENXIO, ENODEV}, "通常のファイルではありません"},
};

FileError notRegular(const QString& path) {
    return FileError(QStringLiteral("通常のファイルではありません: \"%1\"\n"
                                    "名前付きパイプ、装置、フォルダーなどは読み書きに使えません")
                         .arg(QDir::toNativeSeparators(path)));
}

}  // namespace

QString japaneseReason(int error, bool writing) {
    if (error == EACCES || error == EPERM) {
        return writing ? QStringLiteral("書き込みが禁止されています")
                       : QStringLiteral("読み込みが禁止されています");
    }
    for (const ErrorText& known : ErrorTexts) {
        if (std::find(known.errors.begin(), known.errors.end(), error) != known.errors.end()) {
            return QString::fromUtf8(known.text);
        }
    }
    return QStringLiteral("システムのエラーです（番号 %1）").arg(error);
}

void refuseUnlessRegularOrMissing(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) == 0 && !S_ISREG(info.st_mode)) {
        throw notRegular(path);
    }
}

int openRegularFile(const QString& path, int flags, bool writing) {
    refuseUnlessRegularOrMissing(path);
    // O_NONBLOCK: a FIFO or device slipped in after the look still cannot make the open wait.
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_NONBLOCK | O_CLOEXEC,
                          S_IRUSR | S_IWUSR);
    if (fd < 0) {
        const int error = errno;
        throw FileError(QStringLiteral("ファイルを開けません: \"%1\"\n%2")
                            .arg(QDir::toNativeSeparators(path), japaneseReason(error, writing)));
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        throw notRegular(path);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

QString FolderLock::lockFilePath(const QString& folder) {
    return folder + QStringLiteral("/.trimbook.lock");
}

namespace {

// The lock file, made with the folder's access; one made narrower before (or by an older
// version) is given it again by its owner, so that the other accounts can open it once more.
int openLockFile(const QString& folder) {
    const FolderAccess access = FolderAccess::of(folder);
    const int fd =
        ::open(QFile::encodeName(FolderLock::lockFilePath(folder)).constData(),
               O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, access.fileMode);
    struct stat info {};
    if (fd >= 0 && (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
        ::close(fd);
        errno = ENXIO;
        return -1;
    }
    if (fd >= 0 && info.st_uid == ::geteuid() &&
        ((info.st_mode & 07777) != access.fileMode || info.st_gid != access.group)) {
        access.applyTo(fd);
    }
    return fd;
}

FileError lockRefused(const QString& subject, FolderLock::Use use, const QString& reason) {
    const bool writing = use == FolderLock::Use::Writing;
    return FileError(QStringLiteral("%1: \"%2\"\n記録フォルダーのロックを取れません（%3）")
                         .arg(writing ? QStringLiteral("ファイルに書き込めません")
                                      : QStringLiteral("ファイルを読み込めません"),
                              QDir::toNativeSeparators(subject), reason));
}

}  // namespace

FolderLock::FolderLock(const QString& folder, Use use, const QString& subject) {
    const QString named = subject.isEmpty() ? folder : subject;
    fd_ = openLockFile(folder);
    if (fd_ < 0) {
        const int error = errno;
        struct stat lockFile {};
        // No lock file that this reader may make (a read-only medium, a folder it may not
        // write): no copy of the program has written there since locks exist, so nothing is
        // being written that the read could catch.
        if (use == Use::Reading &&
            ::lstat(QFile::encodeName(lockFilePath(folder)).constData(), &lockFile) != 0 &&
            errno == ENOENT) {
            return;
        }
        throw lockRefused(named, use, japaneseReason(error, use == Use::Writing));
    }
    const int kind = use == Use::Writing ? LOCK_EX : LOCK_SH;
    for (int attempt = 0; ::flock(fd_, kind | LOCK_NB) != 0; ++attempt) {
        const int error = errno;
        if (error != EWOULDBLOCK && error != EINTR) {
            ::close(fd_);
            fd_ = -1;
            throw lockRefused(named, use,
                              QStringLiteral("このフォルダーではファイルのロックが使えません"));
        }
        if (attempt == LockAttempts) {
            ::close(fd_);
            fd_ = -1;
            throw FileError(
                QStringLiteral("記録ファイルはほかのプログラムが書き込み中です: \"%1\"\n"
                               "しばらくしてからもう一度お試しください")
                    .arg(QDir::toNativeSeparators(named)));
        }
        QThread::msleep(LockPauseMs);
    }
}

FolderLock::~FolderLock() {
    if (fd_ >= 0) {
        ::close(fd_);  // releases the lock
    }
}

}  // namespace records
