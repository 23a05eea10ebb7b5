#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

// Copies of the two record files, and of the store beside them (trimbook.db) when the record
// folder has one, kept in the folder "バックアップ" inside the record folder, one folder per copy
// named after its moment (YYYY-MM-DD_hhmmss), and putting one back. The store is copied by SQLite
// through a read-only connection, as one consistent state with what only its -wal holds (a store
// a stop left in the middle of a write is first completed, as its next opening would). Every
// operation throws FileError naming the folder and the reason when the file system refuses it.
// Inside the backup folder nothing is followed when it is a link, nothing but a regular file is
// opened, and nothing outside it is written or deleted. Operations of one process on one record
// folder run one at a time; the listing never waits for them.
//
// The photos of the folder "写真" (regular files, its hidden entries such as the thumbnails left
// out) go into the backup's own "写真". A photo is never written again once made, so a photo of
// the same name and size as in the previous backup is that backup's copy, hard-linked rather
// than copied again (copied where linking fails, as across file systems).
namespace records::backup {

inline const QString FolderName = QStringLiteral("バックアップ");
QString backupRoot(const QString& appDir);

// Copies the store at `path` into the empty file `into` as one consistent state, what only its
// -wal holds included, without changing the store. Throws FileError: `failure`, the file, why.
void copyStore(const QString& path, const QString& into, const QString& failure);

// One backup folder as the restore window lists it.
struct Entry {
    QString name;     // the folder's name
    QDateTime taken;  // the moment its name tells
    bool complete;    // both record files (and the store it noted) are there and can be read
    bool beforeRestore = false;  // the state the record files were in just before a restore
    qsizetype customers = 0;
    qsizetype reservations = 0;
    qint64 bytes = 0;  // all its files together, the store and the photos included
};

// The backups, newest first; hidden folders (a backup being made, expired ones being deleted) and
// links are not among them. A backup deleted while it is listed is listed as incomplete.
QList<Entry> listBackups(const QString& appDir);

// Told the moment of the newest backup when it lies ahead of the clock, and the rotation
// therefore deleted nothing.
using AheadOfClock = std::function<void(const QDateTime& newest)>;

// When the record files, the store or the photos differ from the newest backup, or there is none,
// copies them into a new backup folder, the record files byte for byte, and then deletes the
// backups the rotation lets go. Returns the new folder's name, or nothing when the newest backup
// already holds these files. A folder without a store is backed up without one.
std::optional<QString> backUpIfChanged(const QString& appDir, const AheadOfClock& ahead = {});

// The moments, out of `taken`, whose backups the rotation deletes at `now`: every backup of the
// last 14 days stays, older ones stay while they are the newest of their day for 60 days and the
// newest of their month for 5 years; the ten newest always stay. Never more than half of them go
// at once, the oldest first, so that a clock run far ahead cannot take the history in one start;
// and none while the newest lies ahead of `now`: the clock ran ahead once and was set right, and
// what is old is then not known.
QList<QDateTime> expiredBackups(const QList<QDateTime>& taken, const QDateTime& now);

// How messages name a backup's moment: "2026年12月09日 10:30:00".
QString momentText(const QDateTime& taken);

// Puts the record files and the store of the backup `name` in place of the current ones, after
// making sure a backup holds the current files. First the backup's photos that the photo folder
// lacks are put back; no photo is deleted, so a photo that either the restored store or the
// current one names is there afterwards. A backup made while there was no store leaves
// the folder without one. Each file is replaced in one step, the store's -wal, -shm and -journal
// are deleted with it, and a restore cut off after any replacement is completed by
// finishInterruptedRestore, so the three files always come from the same state. Throws FileError
// for an incomplete backup too; the files are then as they were. The backup that holds the files
// as they were before is marked beforeRestore. The caller must have closed its connection to the
// store (DetailStore::close) and opens it again afterwards: a connection kept open would go on
// with the deleted -wal and -shm.
void restoreBackup(const QString& appDir, const QString& name);

// Completes a restore that was cut off (the program was killed, the computer stopped); true when
// there was one. Runs at start-up, before the record files are read and the store is opened. A
// journal this program did not write (a link, a FIFO, no backup's name) is deleted and reported,
// and nothing is restored.
bool finishInterruptedRestore(const QString& appDir);

}  // namespace records::backup
