#pragma once

#include <QString>

#include <sys/types.h>

// What the program needs of every file it reads or replaces: a regular file of a sensible size,
// reasons in the user's language, and one lock shared by every copy of the program on a folder.

namespace records {

// Record files beyond this are refused: a salon's decade of records is some 20 MB.
inline constexpr qint64 LargestRecordFile = 512LL * 1024 * 1024;

// Why a file operation failed, in Japanese, from the errno value it set. `writing` tells
// whether the operation wrote, so that a permission fault reads as the one the user met.
QString japaneseReason(int error, bool writing);

// Throws FileError naming `path` when something other than a regular file (a FIFO, a socket, a
// device, a folder, or a link to one) is there; nothing there, or a regular file, passes.
void refuseUnlessRegularOrMissing(const QString& path);

// Opens `path` without ever waiting on it (a FIFO or a device would hang a blocking open) and
// keeps it open only when it is a regular file; throws FileError naming it otherwise.
int openRegularFile(const QString& path, int flags, bool writing);

// The advisory lock of one folder, on the file ".trimbook.lock" there, made with the folder's
// access (FolderAccess) so that every account that shares the folder can take it. A write of a
// record folder holds it alone, from the moment it checks the file on disk to the end of the
// write; a read of a record file holds it shared with other readers. So two copies of the program
// never interleave, and nothing is read while it is being replaced. When it cannot be had (the
// lock file cannot be made or opened, the file system has no locks, another holder keeps it for
// more than a few seconds) the constructor throws FileError naming `subject` (the folder when
// empty) and the reason: nothing is then read or written unlocked. Only a read where there is
// no lock file and it cannot make one (a read-only medium, a folder it may not write) goes on
// without it: no copy of the program has written there since.
class FolderLock {
public:
    enum class Use { Reading, Writing };
    explicit FolderLock(const QString& folder, Use use = Use::Writing, const QString& subject = {});
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    static QString lockFilePath(const QString& folder);

private:
    int fd_ = -1;
};

}  // namespace records
