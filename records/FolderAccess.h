#pragma once

#include <QString>

#include <sys/stat.h>
#include <sys/types.h>

namespace records {

// Who may use what the program makes in a record folder: the lock, scratch files, backups, the
// placement file and any store to come. Accounts of one group can share a folder only when all
// of these are as open to the group as the record files are, and none may be more open than
// them. So a file gets the record files' group bits (owner read-write always, never anything
// for others) and the folder's group; a folder gets what the file bits allow it, and keeps new
// entries in the group.
struct FolderAccess {
    mode_t fileMode = S_IRUSR | S_IWUSR;
    gid_t group = static_cast<gid_t>(-1);  // -1: the group a new file gets by itself

    // The access for `recordFolder`: the group bits of its customer file, else of its
    // reservation file; with neither, those of the folder itself when it is set-group-ID (made
    // for sharing), none otherwise, so that a private folder gets owner-only files.
    static FolderAccess of(const QString& recordFolder);

    // A folder may be entered by whoever may read its files, written by whoever may write them.
    mode_t folderMode() const;

    // Gives the open file or folder `fd`, which this process owns, the group and the mode. Where
    // the group cannot be set (the owner is not in it), the group gets no access at all, as it
    // would be another group than the folder's. False when the system refused the mode.
    bool applyTo(int fd) const;
    // The same for the entry at `path`.
    bool applyTo(const QString& path) const;
};

}  // namespace records
