#include "records/Backup.h"
#include "records/SqliteReason.h"

#include "records/Clock.h"
#include "records/DetailStore.h"
#include "records/FileChecks.h"
#include "records/FilePrefetch.h"
#include "records/FolderAccess.h"
#include "records/VisitPhotos.h"
#include "records/uLib.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <dirent.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <utility>

namespace records::backup {
namespace {

const QString NameFormat = QStringLiteral("yyyy-MM-dd_HHmmss");
// A backup is made under this hidden name and renamed once complete, so a backup folder is
// either whole or absent; a backup cut off leaves only this folder, which the next one clears.
const QString MakingFolder = QStringLiteral(".making");
// Expired backups are renamed first, so one cut off while being deleted is hidden too.
const QString ExpiredPrefix = QStringLiteral(".expired-");
// Names the backup being restored while the record files are replaced.
const QString RestoreJournal = QStringLiteral(".restoring");
// The line counts and sizes of a backup's files, so that listing does not read every backup.
const QString SummaryFile = QStringLiteral(".summary");
// The store's consistent copy is made under this name, to be compared and kept.
const QString StoreCopy = QStringLiteral(".store-copy");
// What connections to the store leave beside it. One left beside a restored store would be read
// into it (a -wal) or rolled back onto it (a -journal), so the restore deletes them.
const QStringList StoreCompanions = {QStringLiteral("-wal"), QStringLiteral("-shm"),
                                     QStringLiteral("-journal")};
// A store that another connection holds locked for a moment is waited for this long.
constexpr int StoreWaitMs = 5000;
// In the backup that holds the record files as they were just before a restore.
const QString BeforeRestoreMark = QStringLiteral(".before-restore");
// The notes (summary, journal) are a few lines; anything larger is no note of this program's.
constexpr qint64 LargestNote = 4096;
// The ten newest backups stay whatever their age.
constexpr qsizetype AlwaysKept = 10;
// A newest backup up to this far ahead of the clock is no clock that ran ahead: backups made
// within one second are named a second apart, and a clock set back for the end of summer time
// puts the last hour's backups ahead.
constexpr qint64 AheadToleranceSecs = 3600;
// Deleting never goes deeper than a backup folder can be, whatever was put in it.
constexpr int DeepestRemoval = 8;

std::mutex& folderLock() {
    static std::mutex lock;
    return lock;
}

// Held by whoever deletes the expired backups; the others leave it to them.
std::mutex& purgeLock() {
    static std::mutex lock;
    return lock;
}

QString systemReason() {
    return records::japaneseReason(errno, true);
}

QString readingReason() {
    return records::japaneseReason(errno, false);
}

bool isBackupName(const QString& name) {
    static const QRegularExpression pattern(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}_\\d{6}$"));
    return pattern.match(name).hasMatch() && QDateTime::fromString(name, NameFormat).isValid();
}

// A descriptor of a folder or a file inside the backup folder, closed when it leaves scope.
class Handle {
public:
    explicit Handle(int fd = -1) : fd_(fd) {}
    Handle(Handle&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Handle& operator=(Handle&&) = delete;
    ~Handle() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    int get() const { return fd_; }
    bool isOpen() const { return fd_ >= 0; }

private:
    int fd_;
};

// The folder `name` in the folder open at `parent`, never through a link; not open when it is
// none (errno tells why).
Handle openFolderAt(int parent, const QString& name) {
    return Handle(::openat(parent, QFile::encodeName(name).constData(),
                           O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
}

// The regular file `name` in the folder open at `folder`, opened for reading: a link, a FIFO or a
// device is neither followed nor opened, and nothing can make the open wait. Not open when it is
// none of these (errno tells why); `info` is the file's status.
Handle openFileAt(int folder, const QString& name, struct stat& info) {
    const QByteArray entry = QFile::encodeName(name);
    if (::fstatat(folder, entry.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        return Handle();
    }
    Handle file(S_ISREG(info.st_mode) ? ::openat(folder, entry.constData(),
                                                 O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC)
                                      : -1);
    // Looked at once more through the descriptor: something else may have been put there since.
    if (!S_ISREG(info.st_mode) ||
        (file.isOpen() && (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)))) {
        errno = S_ISLNK(info.st_mode) ? ELOOP : ENXIO;
        return Handle();
    }
    return file;
}

std::optional<qint64> regularFileSize(int folder, const QString& name) {
    struct stat info {};
    const Handle file = openFileAt(folder, name, info);
    return file.isOpen() ? std::optional<qint64>(info.st_size) : std::nullopt;
}

// All of the regular file `name` in the folder open at `folder`; nothing when it cannot be opened
// or read, or holds more than `largest` bytes (errno tells why).
std::optional<QByteArray> readFileAt(int folder, const QString& name, qint64 largest) {
    struct stat info {};
    const Handle file = openFileAt(folder, name, info);
    if (!file.isOpen()) {
        return std::nullopt;
    }
    QByteArray content;
    content.reserve(std::min<qint64>(info.st_size, largest));
    QByteArray chunk(1 << 16, Qt::Uninitialized);
    for (;;) {
        const ssize_t got = ::read(file.get(), chunk.data(), static_cast<size_t>(chunk.size()));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return got == 0 ? std::optional(content) : std::nullopt;
        }
        if (content.size() + got > largest) {
            errno = EFBIG;
            return std::nullopt;
        }
        content.append(chunk.constData(), got);
    }
}

// Deletes the entry `name` of the folder open at `parent`: a folder with all it holds, anything
// else by its name alone, so that a link goes and what it points to stays. What cannot be
// deleted stays: deleting is tidying, and is tried again later.
void removeAt(int parent, const char* name, int depth = 0) {
    if (::unlinkat(parent, name, 0) == 0 || (errno != EISDIR && errno != EPERM)) {
        return;
    }
    const int fd =
        ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    DIR* folder = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (!folder) {
        if (fd >= 0) {
            ::close(fd);
        }
        return;
    }
    while (const dirent* entry = depth < DeepestRemoval ? ::readdir(folder) : nullptr) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
            removeAt(::dirfd(folder), entry->d_name, depth + 1);
        }
    }
    ::closedir(folder);
    ::unlinkat(parent, name, AT_REMOVEDIR);
}

// The backup folder opened for one operation: every name in it is looked up from here.
struct Root {
    explicit Root(const QString& appDir)
        : path(backupRoot(appDir)),
          fd(::open(QFile::encodeName(path).constData(),
                    O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC)) {}
    QString pathOf(const QString& name) const { return path + QLatin1Char('/') + name; }

    QString path;
    Handle fd;
};

FileError backupError(const QString& what, const QString& folder, const QString& reason) {
    return FileError(
        QStringLiteral("%1: \"%2\"\n%3").arg(what, QDir::toNativeSeparators(folder), reason));
}

// A photo of the photo folder by its name and size. Photos are never written again once made
// (each import gets a new name), so a photo of the same name and size is the same photo.
struct PhotoEntry {
    QString name;
    qint64 size = 0;
    bool operator==(const PhotoEntry&) const = default;
};
using PhotoEntries = QList<PhotoEntry>;

// The bytes of both record files, customers first, and of the store when there is one; and
// which photos there are.
struct RecordBytes {
    QByteArray customers;
    QByteArray reservations;
    std::optional<QByteArray> store;
    PhotoEntries photos;
    bool operator==(const RecordBytes&) const = default;
};

QString customersIn(const QString& folder) {
    return recordFilePath(folder, UserFileName);
}
QString reservationsIn(const QString& folder) {
    return recordFilePath(folder, YoyakuFileName);
}
QString storeIn(const QString& folder) {
    return folder + QLatin1Char('/') + DetailStore::FileName;
}

// Whether anything at all is at `name` in the folder open at `folder`, a link included.
bool isThere(int folder, const QString& name) {
    struct stat info {};
    return ::fstatat(folder, QFile::encodeName(name).constData(), &info, AT_SYMLINK_NOFOLLOW) == 0;
}

// The photos in the photo folder open at `folder`, by name: regular files only, and none of
// the hidden entries (the thumbnails, an import being written). Nothing when it is not open.
PhotoEntries photosAt(int folder) {
    PhotoEntries photos;
    const int listed = folder >= 0 ? ::dup(folder) : -1;
    DIR* entries = listed >= 0 ? ::fdopendir(listed) : nullptr;
    if (!entries) {
        if (listed >= 0) {
            ::close(listed);
        }
        return photos;
    }
    while (const dirent* entry = ::readdir(entries)) {
        const QString name = QFile::decodeName(entry->d_name);
        struct stat info {};
        if (photos::isPhotoName(name) &&
            ::fstatat(folder, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(info.st_mode)) {
            photos.append({name, static_cast<qint64>(info.st_size)});
        }
    }
    ::closedir(entries);
    std::sort(photos.begin(), photos.end(),
              [](const PhotoEntry& a, const PhotoEntry& b) { return a.name < b.name; });
    return photos;
}

// The record folder's photo folder, never through a link.
Handle openPhotoFolder(const QString& appDir) {
    return Handle(::open(QFile::encodeName(photos::folderOf(appDir)).constData(),
                         O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
}

// Copies the store at `path` into the empty file `into` through a connection of its own opened
// with `openFlags`: SQLite writes what is committed, what only the -wal holds too, as one
// consistent state, and the same content always as the same bytes, so that copies can be
// compared. SQLITE_DONE when it did; else the extended code, and `reason` tells why.
int vacuumInto(const QString& path, const QString& into, int openFlags, QString& reason) {
    sqlite3* db = nullptr;
    int code = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, openFlags, nullptr);
    sqlite3_extended_result_codes(db, 1);
    sqlite3_stmt* vacuum = nullptr;
    if (code == SQLITE_OK) {
        sqlite3_busy_timeout(db, StoreWaitMs);
        code = sqlite3_prepare_v2(db, "VACUUM INTO ?1", -1, &vacuum, nullptr);
    }
    const QByteArray target = QFile::encodeName(into);
    if (code == SQLITE_OK) {
        code = sqlite3_bind_text(vacuum, 1, target.constData(), -1, SQLITE_STATIC);
    }
    if (code == SQLITE_OK) {
        code = sqlite3_step(vacuum);
    }
    reason =
        code == SQLITE_DONE ? QString() : sqliteReason(code, db ? sqlite3_system_errno(db) : 0);
    sqlite3_finalize(vacuum);
    sqlite3_close(db);
    return code;
}

}  // namespace

// The copy is made through a read-only connection, which never changes the store. Only a store
// that a stop left in the middle of a write (a hot journal, a -wal without its index) cannot be
// read so; it is then opened for writing, which completes or rolls back that write as the
// store's next opening would, under the folder's lock like every write of it.
void copyStore(const QString& path, const QString& into, const QString& failure) {
    QString reason;
    int code = vacuumInto(path, into, SQLITE_OPEN_READONLY, reason);
    if (code == SQLITE_READONLY_ROLLBACK || code == SQLITE_READONLY_RECOVERY) {
        ::truncate(QFile::encodeName(into).constData(), 0);
        code = vacuumInto(path, into, SQLITE_OPEN_READWRITE, reason);
    }
    if (code != SQLITE_DONE) {
        throw backupError(failure, path, reason);
    }
}

namespace {

// A file being rewritten or appended to is read again until two looks at it agree, so that the
// copy is bytes the file really held.
QByteArray steadyBytes(const QString& path) {
    constexpr int Attempts = 3;
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        if (auto read = readSteadyFile(path)) {
            return std::move(read->second);
        }
    }
    return readRecordFile(path);
}

struct Summary {
    qsizetype customers = -1;
    qsizetype reservations = -1;
    qint64 customerBytes = -1;
    qint64 reservationBytes = -1;
    qint64 storeBytes = -1;  // -1: the backup holds no store
};

QByteArray summaryText(const RecordBytes& files) {
    QByteArray text =
        QByteArray("customers=%1\nreservations=%2\ncustomer-bytes=%3\nreservation-bytes=%4\n")
            .replace("%1", QByteArray::number(splitCustomerFile(files.customers).size()))
            .replace("%2", QByteArray::number(splitReservationFile(files.reservations).size()))
            .replace("%3", QByteArray::number(files.customers.size()))
            .replace("%4", QByteArray::number(files.reservations.size()));
    if (files.store) {
        text += "store-bytes=" + QByteArray::number(files.store->size()) + '\n';
    }
    return text;
}

std::optional<Summary> readSummary(int folder) {
    const std::optional<QByteArray> text = readFileAt(folder, SummaryFile, LargestNote);
    if (!text) {
        return std::nullopt;
    }
    std::map<QByteArray, qint64> values;
    for (const QByteArray& line : text->split('\n')) {
        const qsizetype equals = line.indexOf('=');
        bool number = false;
        const qint64 value = line.mid(equals + 1).toLongLong(&number);
        if (equals > 0 && number) {
            values[line.left(equals)] = value;
        }
    }
    const auto value = [&values](const char* key) {
        const auto found = values.find(key);
        return found == values.end() ? -1 : found->second;
    };
    Summary summary{value("customers"), value("reservations"), value("customer-bytes"),
                    value("reservation-bytes"), value("store-bytes")};
    if (summary.customers < 0 || summary.reservations < 0 || summary.customerBytes < 0 ||
        summary.reservationBytes < 0) {
        return std::nullopt;
    }
    return summary;
}

// The sizes of a backup's files; a backup made while the folder had no store holds none.
struct Sizes {
    qint64 customers = 0;
    qint64 reservations = 0;
    std::optional<qint64> store;
    bool operator==(const Sizes&) const = default;
};

Sizes sizesOf(const RecordBytes& files) {
    return {files.customers.size(), files.reservations.size(),
            files.store ? std::optional<qint64>(files.store->size()) : std::nullopt};
}

// The sizes of the files in the backup folder open at `folder`; nothing when a record file is
// missing or anything but a regular file is where the store would be.
std::optional<Sizes> sizesIn(int folder) {
    const std::optional<qint64> customers = regularFileSize(folder, UserFileName);
    const std::optional<qint64> reservations = regularFileSize(folder, YoyakuFileName);
    const std::optional<qint64> store = regularFileSize(folder, DetailStore::FileName);
    if (!customers || !reservations || (!store && isThere(folder, DetailStore::FileName))) {
        return std::nullopt;
    }
    return Sizes{*customers, *reservations, store};
}

bool sizesAgree(const Summary& summary, const Sizes& sizes) {
    return summary.customerBytes == sizes.customers &&
           summary.reservationBytes == sizes.reservations &&
           summary.storeBytes == sizes.store.value_or(-1);
}

FileError incompleteBackup(const QString& folder, const QString& reason) {
    return backupError(QStringLiteral("バックアップが不完全です"), folder, reason);
}

// The files of the backup `name`; throws when a record file is missing, a file cannot be read or
// is not the size the backup noted (a store it noted and lacks too).
RecordBytes backupRecords(const Root& root, const QString& name) {
    const QString folderPath = root.pathOf(name);
    const Handle folder = openFolderAt(root.fd.get(), name);
    if (!folder.isOpen()) {
        throw incompleteBackup(folderPath, readingReason());
    }
    const auto read = [&](const QString& file) {
        std::optional<QByteArray> bytes = readFileAt(folder.get(), file, LargestRecordFile);
        if (!bytes) {
            throw incompleteBackup(folderPath, QStringLiteral("%1: %2").arg(file, readingReason()));
        }
        return std::move(*bytes);
    };
    RecordBytes files{read(UserFileName), read(YoyakuFileName), std::nullopt, {}};
    if (isThere(folder.get(), DetailStore::FileName)) {
        files.store = read(DetailStore::FileName);
    }
    files.photos = photosAt(openFolderAt(folder.get(), photos::FolderName).get());
    const std::optional<Summary> summary = readSummary(folder.get());
    if (summary && !sizesAgree(*summary, sizesOf(files))) {
        throw incompleteBackup(folderPath,
                               QStringLiteral("ファイルの大きさが作ったときと違います"));
    }
    return files;
}

// Fills in what `entry` holds; false when the backup is incomplete or unreadable.
bool describe(const Root& root, Entry& entry) {
    const Handle folder = openFolderAt(root.fd.get(), entry.name);
    const std::optional<Sizes> sizes = sizesIn(folder.get());
    if (!sizes) {
        return false;
    }
    entry.bytes = sizes->customers + sizes->reservations + sizes->store.value_or(0);
    for (const PhotoEntry& photo : photosAt(openFolderAt(folder.get(), photos::FolderName).get())) {
        entry.bytes += photo.size;
    }
    entry.beforeRestore = regularFileSize(folder.get(), BeforeRestoreMark).has_value();
    const std::optional<Summary> summary = readSummary(folder.get());
    if (summary && sizesAgree(*summary, *sizes)) {
        entry.customers = summary->customers;
        entry.reservations = summary->reservations;
        return true;
    }
    if (summary) {
        return false;  // a file was cut short or changed since the backup was made
    }
    // A folder copied back without its summary: the files tell.
    try {
        const RecordBytes files = backupRecords(root, entry.name);
        entry.customers = splitCustomerFile(files.customers).size();
        entry.reservations = splitReservationFile(files.reservations).size();
        return true;
    } catch (const FileError&) {
        return false;
    }
}

// The backup folders' names, newest first; a link named like one is none.
QStringList backupNames(const QString& root) {
    QStringList names;
    for (const QString& name :
         QDir(root).entryList(QDir::Dirs | QDir::NoSymLinks | QDir::NoDotAndDotDot)) {
        if (isBackupName(name)) {
            names.append(name);
        }
    }
    names.sort();
    std::reverse(names.begin(), names.end());
    return names;
}

// A folder of the backups (or the photo folder a restore makes again), as open as the record
// files and no more.
void makeFolder(const QString& folder, const QString& appDir,
                const QString& what = QStringLiteral("バックアップのフォルダを作れません")) {
    const QByteArray path = QFile::encodeName(folder);
    // The mode is given after mkdir as well: the one mkdir gets is cut by the umask.
    if (::mkdir(path.constData(), S_IRWXU) != 0 || !FolderAccess::of(appDir).applyTo(folder)) {
        throw backupError(what, folder, systemReason());
    }
}

void ensureRoot(const QString& appDir) {
    const QString root = backupRoot(appDir);
    if (!QFileInfo(root).isDir()) {
        makeFolder(root, appDir);
        syncFolder(appDir);
    }
}

// The store of the record folder as a consistent copy; nothing when the folder has none. The
// copy is made in the backup folder, with the folder's access, and read back.
std::optional<QByteArray> storeCopy(const QString& appDir) {
    const QString store = storeIn(appDir);
    refuseUnlessRegularOrMissing(store);
    if (!QFileInfo::exists(store)) {
        return std::nullopt;
    }
    ensureRoot(appDir);
    const Root root(appDir);
    const QByteArray scratch = QFile::encodeName(StoreCopy);
    removeAt(root.fd.get(), scratch.constData());  // what a copy cut off left
    std::optional<QByteArray> bytes;
    {
        // Made empty first, so that SQLite fills a file no more open than the record files.
        const Handle made(::openat(root.fd.get(), scratch.constData(),
                                   O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                                   S_IRUSR | S_IWUSR));
        if (!made.isOpen() || !FolderAccess::of(appDir).applyTo(made.get())) {
            throw backupError(QStringLiteral("バックアップを作れません"), root.path,
                              systemReason());
        }
    }
    try {
        copyStore(store, root.pathOf(StoreCopy), QStringLiteral("バックアップを作れません"));
        bytes = readFileAt(root.fd.get(), StoreCopy, LargestRecordFile);
        if (!bytes) {
            throw backupError(QStringLiteral("バックアップを作れません"), root.pathOf(StoreCopy),
                              readingReason());
        }
    } catch (const FileError&) {
        removeAt(root.fd.get(), scratch.constData());
        throw;
    }
    removeAt(root.fd.get(), scratch.constData());
    return bytes;
}

// The record folder's three files as one state: read while the caller holds the folder's lock
// for writing, under which every write of any of them is made.
RecordBytes currentRecords(const QString& appDir) {
    return {steadyBytes(customersIn(appDir)), steadyBytes(reservationsIn(appDir)),
            storeCopy(appDir), photosAt(openPhotoFolder(appDir).get())};
}

// Deletes the expired backups, those of this rotation and those an earlier run left half deleted,
// unless another thread is at it.
void purgeExpired(const QString& appDir) {
    const std::unique_lock purging(purgeLock(), std::try_to_lock);
    const Root root(appDir);
    if (!purging.owns_lock() || !root.fd.isOpen()) {
        return;
    }
    const QStringList all = QDir(root.path).entryList(QDir::AllEntries | QDir::Hidden |
                                                      QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : all) {
        if (name.startsWith(ExpiredPrefix)) {
            removeAt(root.fd.get(), QFile::encodeName(name).constData());
        }
    }
    syncFolder(root.path);
}

// The backup's name: its moment, or one second after the newest backup when that is as late
// (two backups within one second, at start-up and just before a restore; a clock set back). So
// the newest backup is always the one whose name sorts last.
QString nameAfterNewest(const QString& root) {
    const QDateTime now = records::clock_source::now();
    const QStringList names = backupNames(root);
    const QDateTime newest =
        names.isEmpty() ? QDateTime() : QDateTime::fromString(names.first(), NameFormat);
    return (newest.isValid() && newest >= now.addMSecs(-now.time().msec()) ? newest.addSecs(1)
                                                                           : now)
        .toString(NameFormat);
}

// What a backup cut off left; a link there goes, not what it points to.
void clearMaking(const QString& appDir) {
    removeAt(Root(appDir).fd.get(), QFile::encodeName(MakingFolder).constData());
}

// Largest photo a backup copies: an import makes none near this.
constexpr qint64 LargestPhoto = 256LL * 1024 * 1024;

// The photo `name` copied out of the folder open at `from` into the folder `into` (its path),
// with the record folder's access; throws naming `into` when it cannot be read or written.
void copyPhoto(int from, const QString& name, const QString& into, const FolderAccess& access) {
    const std::optional<QByteArray> bytes = readFileAt(from, name, LargestPhoto);
    if (!bytes) {
        throw backupError(QStringLiteral("写真をコピーできません"), into,
                          QStringLiteral("%1: %2").arg(name, readingReason()));
    }
    replaceRecordFile(into + QLatin1Char('/') + name, *bytes, access);
}

// The photos into the photo folder of the backup being made: each a hard link to the previous
// backup's copy when that holds it (the same name and size), so that an unchanged photo takes no
// room again; a copy where there is none or linking fails (another file system, no links).
void backUpPhotos(const QString& appDir, const QString& making, const PhotoEntries& photos,
                  const std::optional<QString>& previous) {
    if (photos.isEmpty()) {
        return;
    }
    const QString into = making + QLatin1Char('/') + photos::FolderName;
    makeFolder(into, appDir);
    const Handle target(::open(QFile::encodeName(into).constData(),
                               O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    const Handle source = openPhotoFolder(appDir);
    const Root root(appDir);
    const Handle earlier =
        previous ? openFolderAt(openFolderAt(root.fd.get(), *previous).get(), photos::FolderName)
                 : Handle();
    const FolderAccess access = FolderAccess::of(appDir);
    for (const PhotoEntry& photo : photos) {
        const QByteArray name = QFile::encodeName(photo.name);
        struct stat info {};
        const bool linked =
            earlier.isOpen() &&
            ::fstatat(earlier.get(), name.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(info.st_mode) && info.st_size == photo.size &&
            ::linkat(earlier.get(), name.constData(), target.get(), name.constData(), 0) == 0;
        if (!linked) {
            copyPhoto(source.get(), photo.name, into, access);
        }
    }
    if (!syncFolder(into)) {
        throw backupError(QStringLiteral("バックアップを作れません"), into, systemReason());
    }
}

QString makeBackup(const QString& appDir, const RecordBytes& files,
                   const std::optional<QString>& previous) {
    ensureRoot(appDir);
    const QString root = backupRoot(appDir);
    clearMaking(appDir);
    const QString making = root + QLatin1Char('/') + MakingFolder;
    makeFolder(making, appDir);
    const FolderAccess access = FolderAccess::of(appDir);
    try {
        replaceRecordFile(customersIn(making), files.customers, access);
        replaceRecordFile(reservationsIn(making), files.reservations, access);
        if (files.store) {
            replaceRecordFile(storeIn(making), *files.store, access);
        }
        backUpPhotos(appDir, making, files.photos, previous);
        replaceRecordFile(making + QLatin1Char('/') + SummaryFile, summaryText(files), access);
        const QString name = nameAfterNewest(root);
        if (!syncFolder(making) ||
            ::rename(QFile::encodeName(making).constData(),
                     QFile::encodeName(root + QLatin1Char('/') + name).constData()) != 0 ||
            !syncFolder(root)) {
            throw backupError(QStringLiteral("バックアップを作れません"), root, systemReason());
        }
        return name;
    } catch (const FileError&) {
        clearMaking(appDir);
        throw;
    }
}

bool holds(const Root& root, const QString& name, const RecordBytes& files) {
    if (sizesIn(openFolderAt(root.fd.get(), name).get()) != sizesOf(files)) {
        return false;
    }
    try {
        return backupRecords(root, name) == files;
    } catch (const FileError&) {
        return false;
    }
}

// The backup that holds `files`: the newest when it does, else a new one.
struct Holder {
    QString name;
    bool made;
};

Holder backUpUnlessHeld(const QString& appDir, const RecordBytes& files) {
    const Root root(appDir);
    const QStringList names = backupNames(root.path);
    if (!names.isEmpty() && holds(root, names.first(), files)) {
        return {names.first(), false};
    }
    return {
        makeBackup(appDir, files, names.isEmpty() ? std::nullopt : std::optional(names.first())),
        true};
}

bool aheadOf(const QDateTime& newest, const QDateTime& now) {
    return newest > now.addSecs(AheadToleranceSecs);
}

// Hides the expired backups under names the listing passes over, for purgeExpired to delete.
void rotate(const QString& appDir, const AheadOfClock& ahead) {
    const Root root(appDir);
    std::map<QDateTime, QString> byMoment;
    QList<QDateTime> moments;
    for (const QString& name : backupNames(root.path)) {
        moments.append(QDateTime::fromString(name, NameFormat));
        byMoment[moments.last()] = name;
    }
    const QDateTime now = records::clock_source::now();
    if (!moments.isEmpty() && aheadOf(moments.first(), now)) {
        if (ahead) {
            ahead(moments.first());
        }
        return;
    }
    for (const QDateTime& moment : expiredBackups(moments, now)) {
        const QByteArray name = QFile::encodeName(byMoment[moment]);
        const QByteArray hidden = QFile::encodeName(ExpiredPrefix) + name;
        ::renameat(root.fd.get(), name.constData(), root.fd.get(), hidden.constData());
    }
    syncFolder(root.path);
}

QString journalPath(const QString& appDir) {
    return backupRoot(appDir) + QLatin1Char('/') + RestoreJournal;
}

void removeFromRecordFolder(const QString& path) {
    if (::unlink(QFile::encodeName(path).constData()) != 0 && errno != ENOENT) {
        throw backupError(QStringLiteral("復元できません"), path, systemReason());
    }
}

// Puts the store `store` in place, or takes the folder's store away when there is none. What
// connections to the old store left beside it goes first: a restore cut off in between leaves
// the old store without them (the next start completes the restore), never the restored one
// with them.
void putStoreInPlace(const QString& appDir, const std::optional<QByteArray>& store) {
    for (const QString& companion : StoreCompanions) {
        removeFromRecordFolder(storeIn(appDir) + companion);
    }
    if (store) {
        replaceRecordFile(storeIn(appDir), *store);
    } else {
        removeFromRecordFolder(storeIn(appDir));
    }
    syncFolder(appDir);
}

// The replacements that put `files` in place, in the order a restore makes them. One that fails
// leaves its record file as it was; the store's may have deleted its companions already.
constexpr std::size_t StoreReplacement = 2;
std::array<std::function<void()>, 3> replacements(const QString& appDir, const RecordBytes& files) {
    return {[&] { replaceRecordFile(customersIn(appDir), files.customers); },
            [&] { replaceRecordFile(reservationsIn(appDir), files.reservations); },
            [&] { putStoreInPlace(appDir, files.store); }};
}

void putInPlace(const QString& appDir, const RecordBytes& files) {
    for (const auto& replace : replacements(appDir, files)) {
        replace();
    }
}

// Puts back the photos of the backup `name` that the photo folder lacks; every photo there
// stays, so that a restore never takes away a photo that the restored store or a later one
// names. Throws FileError; the photos put back before stay.
void bringBackPhotos(const QString& appDir, const Root& root, const QString& name,
                     const PhotoEntries& photos) {
    if (photos.isEmpty()) {
        return;
    }
    const QString folder = photos::folderOf(appDir);
    if (!QFileInfo(folder).isDir()) {
        makeFolder(folder, appDir, QStringLiteral("写真のフォルダを作れません"));
    }
    const Handle present = openPhotoFolder(appDir);
    if (!present.isOpen()) {
        throw backupError(QStringLiteral("復元できません"), folder, systemReason());
    }
    const Handle kept = openFolderAt(openFolderAt(root.fd.get(), name).get(), photos::FolderName);
    const FolderAccess access = FolderAccess::of(appDir);
    for (const PhotoEntry& photo : photos) {
        if (!isThere(present.get(), photo.name)) {
            copyPhoto(kept.get(), photo.name, folder, access);
        }
    }
    syncFolder(folder);
}

// Replaces the note `name` of the folder open at `folder`, whose path is `path`. A link, a FIFO
// or the like put in its place goes first, so that the note is written there and nowhere else.
void writeNote(int folder, const QString& path, const QString& name, const QByteArray& content,
               const FolderAccess& access) {
    const QByteArray entry = QFile::encodeName(name);
    struct stat info {};
    if (::fstatat(folder, entry.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
        !S_ISREG(info.st_mode)) {
        removeAt(folder, entry.constData());
    }
    replaceRecordFile(path + QLatin1Char('/') + name, content, access);
}

void removeJournal(const QString& appDir) {
    const QByteArray journal = QFile::encodeName(journalPath(appDir));
    if (::unlink(journal.constData()) != 0 && errno != ENOENT) {
        throw backupError(QStringLiteral("復元の記録を消せません"), backupRoot(appDir),
                          systemReason());
    }
    syncFolder(backupRoot(appDir));
}

// A journal this program did not write; it has been deleted when this is thrown.
FileError unusableJournal(const QString& appDir, const QString& reason) {
    return backupError(QStringLiteral("復元の記録が正しくないため、使わずに消しました"),
                       backupRoot(appDir), reason);
}

}  // namespace

QString backupRoot(const QString& appDir) {
    return appDir + QLatin1Char('/') + FolderName;
}

QList<Entry> listBackups(const QString& appDir) {
    // Without the lock: a rotation deleting thousands of backups must not keep the window
    // waiting, and a backup it hides meanwhile is listed as incomplete.
    const Root root(appDir);
    QList<Entry> entries;
    for (const QString& name : backupNames(root.path)) {
        Entry entry{name, QDateTime::fromString(name, NameFormat), false};
        entry.complete = describe(root, entry);
        entries.append(entry);
    }
    return entries;
}

std::optional<QString> backUpIfChanged(const QString& appDir, const AheadOfClock& ahead) {
    std::optional<QString> made;
    {
        const std::lock_guard lock(folderLock());
        // Alone in the folder: the two files are read as one state, and no other copy of the
        // program makes a backup under the same hidden name meanwhile.
        const FolderLock folder(appDir, FolderLock::Use::Writing, backupRoot(appDir));
        const RecordBytes files = currentRecords(appDir);
        const Holder holder = backUpUnlessHeld(appDir, files);
        if (holder.made) {
            made = holder.name;
            rotate(appDir, ahead);
        }
    }
    purgeExpired(appDir);
    return made;
}

QList<QDateTime> expiredBackups(const QList<QDateTime>& taken, const QDateTime& now) {
    QList<QDateTime> newestFirst = taken;
    std::sort(newestFirst.begin(), newestFirst.end(), std::greater<>());
    if (newestFirst.isEmpty() || aheadOf(newestFirst.first(), now)) {
        return {};
    }
    QSet<QDate> days;
    QSet<int> months;
    QList<QDateTime> expired;
    for (qsizetype index = 0; index < newestFirst.size(); ++index) {
        const QDateTime& moment = newestFirst.at(index);
        const bool newestOfDay = !days.contains(moment.date());
        const int month = moment.date().year() * 12 + moment.date().month();
        const bool newestOfMonth = !months.contains(month);
        days.insert(moment.date());
        months.insert(month);
        const bool kept = index < AlwaysKept || moment >= now.addDays(-14) ||
                          (newestOfDay && moment >= now.addDays(-60)) ||
                          (newestOfMonth && moment >= now.addYears(-5));
        if (!kept) {
            expired.append(moment);
        }
    }
    // The oldest half at the most: `expired` runs newest first.
    return expired.mid(std::max<qsizetype>(0, expired.size() - taken.size() / 2));
}

QString momentText(const QDateTime& taken) {
    return taken.toString(QStringLiteral("yyyy年MM月dd日 HH:mm:ss"));
}

void restoreBackup(const QString& appDir, const QString& name) {
    if (!isBackupName(name)) {
        throw incompleteBackup(backupRoot(appDir) + QLatin1Char('/') + name,
                               QStringLiteral("バックアップの名前ではありません"));
    }
    const std::lock_guard lock(folderLock());
    // Like every write of the record files: a save of another copy of the program comes before
    // the current files are read and backed up, or after the restore.
    const FolderLock folder(appDir, FolderLock::Use::Writing, appDir);
    const RecordBytes wanted = backupRecords(Root(appDir), name);
    const RecordBytes current = currentRecords(appDir);
    const Holder before = backUpUnlessHeld(appDir, current);
    const Root root(appDir);
    // Before any record file: the restored store never names a photo that is not there.
    bringBackPhotos(appDir, root, name, wanted.photos);
    const FolderAccess access = FolderAccess::of(appDir);
    writeNote(openFolderAt(root.fd.get(), before.name).get(), root.pathOf(before.name),
              BeforeRestoreMark, {}, access);
    // From here on a restore cut off is completed at the next start.
    writeNote(root.fd.get(), root.path, RestoreJournal, name.toUtf8(), access);
    const auto steps = replacements(appDir, wanted);
    std::size_t made = 0;
    try {
        for (; made < steps.size(); ++made) {
            steps[made]();
        }
    } catch (const FileError&) {
        // The files go back to what they were; should that fail too, the journal stays and the
        // next start completes the restore, so the three files still come from one state.
        try {
            const auto back = replacements(appDir, current);
            const std::size_t touched = made == StoreReplacement ? made + 1 : made;
            for (std::size_t step = 0; step < touched; ++step) {
                back[step]();
            }
            removeJournal(appDir);
        } catch (const FileError&) {
        }
        throw;
    }
    removeJournal(appDir);
    rotate(appDir, {});
    purgeExpired(appDir);
}

bool finishInterruptedRestore(const QString& appDir) {
    const std::lock_guard lock(folderLock());
    const Root root(appDir);
    const QByteArray journal = QFile::encodeName(RestoreJournal);
    struct stat info {};
    // Looked for before the lock is taken, so that a start in a folder it cannot lock (a
    // read-only one) goes on; looked for again under it, as another copy may have finished it.
    if (::fstatat(root.fd.get(), journal.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        return false;
    }
    const FolderLock folder(appDir, FolderLock::Use::Writing, appDir);
    if (::fstatat(root.fd.get(), journal.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        removeAt(root.fd.get(), journal.constData());
        throw unusableJournal(appDir, QStringLiteral("通常のファイルではありません"));
    }
    const std::optional<QByteArray> text = readFileAt(root.fd.get(), RestoreJournal, LargestNote);
    if (!text) {
        throw backupError(QStringLiteral("復元の記録を読めません"), root.path, readingReason());
    }
    // Only a backup's own name: "..", a path or anything else would restore from outside.
    const QString name = QString::fromUtf8(*text).trimmed();
    if (!isBackupName(name)) {
        removeAt(root.fd.get(), journal.constData());
        throw unusableJournal(appDir, QStringLiteral("バックアップの名前ではありません"));
    }
    putInPlace(appDir, backupRecords(root, name));
    removeJournal(appDir);
    return true;
}

}  // namespace records::backup
