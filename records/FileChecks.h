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

// The advisory lock of one folder, on the file ".trimbook.lock" there (owner-only). In a record
// folder it is held from the moment a write checks the file on disk to the end of the write, so
// that two copies of the program on one folder never interleave. A folder where the lock file
// cannot be made (a read-only one) is written unlocked, and the write then reports why it failed.
// Waits a few seconds for another holder and then throws FileError, so nobody can stop the program
// for good.
class FolderLock {
public:
    explicit FolderLock(const QString& folder);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    static QString lockFilePath(const QString& folder);

private:
    int fd_ = -1;
};

}  // namespace records
