#include "records/Backup.h"

#include "records/Clock.h"
#include "records/FileChecks.h"
#include "records/FilePrefetch.h"
#include "records/FolderAccess.h"
#include "records/uLib.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <functional>
#include <map>
#include <mutex>

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

std::mutex& folderLock() {
    static std::mutex lock;
    return lock;
}

QString systemReason() {
    return records::japaneseReason(errno, true);
}

FileError backupError(const QString& what, const QString& folder, const QString& reason) {
    return FileError(
        QStringLiteral("%1: \"%2\"\n%3").arg(what, QDir::toNativeSeparators(folder), reason));
}

// The bytes of both record files, customers first.
struct RecordBytes {
    QByteArray customers;
    QByteArray reservations;
    bool operator==(const RecordBytes&) const = default;
};

QString customersIn(const QString& folder) {
    return recordFilePath(folder, UserFileName);
}
QString reservationsIn(const QString& folder) {
    return recordFilePath(folder, YoyakuFileName);
}

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

RecordBytes currentRecords(const QString& appDir) {
    return {steadyBytes(customersIn(appDir)), steadyBytes(reservationsIn(appDir))};
}

struct Summary {
    qsizetype customers = -1;
    qsizetype reservations = -1;
    qint64 customerBytes = -1;
    qint64 reservationBytes = -1;
};

QByteArray summaryText(const RecordBytes& files) {
    return QByteArray("customers=%1\nreservations=%2\ncustomer-bytes=%3\nreservation-bytes=%4\n")
        .replace("%1", QByteArray::number(splitCustomerFile(files.customers).size()))
        .replace("%2", QByteArray::number(splitReservationFile(files.reservations).size()))
        .replace("%3", QByteArray::number(files.customers.size()))
        .replace("%4", QByteArray::number(files.reservations.size()));
}

std::optional<Summary> readSummary(const QString& folder) {
    QFile file(folder + QLatin1Char('/') + SummaryFile);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    std::map<QByteArray, qint64> values;
    for (const QByteArray& line : file.readAll().split('\n')) {
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
                    value("reservation-bytes")};
    if (summary.customers < 0 || summary.reservations < 0 || summary.customerBytes < 0 ||
        summary.reservationBytes < 0) {
        return std::nullopt;
    }
    return summary;
}

bool sizesAgree(const Summary& summary, qint64 customerBytes, qint64 reservationBytes) {
    return summary.customerBytes == customerBytes && summary.reservationBytes == reservationBytes;
}

// The record files of a backup folder; throws when one is missing, cannot be read or is not the
// size the backup noted.
RecordBytes backupRecords(const QString& folder) {
    RecordBytes files;
    try {
        files = {readRecordFile(customersIn(folder)), readRecordFile(reservationsIn(folder))};
    } catch (const FileError& error) {
        throw backupError(QStringLiteral("バックアップが不完全です"), folder, error.message());
    }
    const std::optional<Summary> summary = readSummary(folder);
    if (summary && !sizesAgree(*summary, files.customers.size(), files.reservations.size())) {
        throw backupError(QStringLiteral("バックアップが不完全です"), folder,
                          QStringLiteral("ファイルの大きさが作ったときと違います"));
    }
    return files;
}

// Fills in what `entry` holds; false when the backup is incomplete or unreadable.
bool describe(const QString& folder, Entry& entry) {
    const QFileInfo customers(customersIn(folder));
    const QFileInfo reservations(reservationsIn(folder));
    if (!customers.isFile() || !reservations.isFile() || !customers.isReadable() ||
        !reservations.isReadable()) {
        return false;
    }
    entry.bytes = customers.size() + reservations.size();
    const std::optional<Summary> summary = readSummary(folder);
    if (summary && sizesAgree(*summary, customers.size(), reservations.size())) {
        entry.customers = summary->customers;
        entry.reservations = summary->reservations;
        return true;
    }
    if (summary) {
        return false;  // a file was cut short or changed since the backup was made
    }
    // A folder copied back without its summary: the files tell.
    try {
        const RecordBytes files = backupRecords(folder);
        entry.customers = splitCustomerFile(files.customers).size();
        entry.reservations = splitReservationFile(files.reservations).size();
        return true;
    } catch (const FileError&) {
        return false;
    }
}

// The backup folders' names, newest first.
QStringList backupNames(const QString& root) {
    static const QRegularExpression pattern(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}_\\d{6}$"));
    QStringList names;
    for (const QString& name : QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (pattern.match(name).hasMatch() && QDateTime::fromString(name, NameFormat).isValid()) {
            names.append(name);
        }
    }
    names.sort();
    std::reverse(names.begin(), names.end());
    return names;
}

// A folder of the backups, as open as the record files and no more.
void makeFolder(const QString& folder, const QString& appDir) {
    const QByteArray path = QFile::encodeName(folder);
    // The mode is given after mkdir as well: the one mkdir gets is cut by the umask.
    if (::mkdir(path.constData(), S_IRWXU) != 0 || !FolderAccess::of(appDir).applyTo(folder)) {
        throw backupError(QStringLiteral("バックアップのフォルダを作れません"), folder,
                          systemReason());
    }
}

void ensureRoot(const QString& appDir) {
    const QString root = backupRoot(appDir);
    if (!QFileInfo(root).isDir()) {
        makeFolder(root, appDir);
        syncFolder(appDir);
    }
}

// What an earlier run left when it was cut off: a backup half made, expired ones half deleted.
void clearLeftovers(const QString& root) {
    QDir folder(root);
    folder.setFilter(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& name : folder.entryList()) {
        if (name == MakingFolder || name.startsWith(ExpiredPrefix)) {
            QDir(folder.filePath(name)).removeRecursively();
        }
    }
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

QString makeBackup(const QString& appDir, const RecordBytes& files) {
    ensureRoot(appDir);
    const QString root = backupRoot(appDir);
    clearLeftovers(root);
    const QString making = root + QLatin1Char('/') + MakingFolder;
    makeFolder(making, appDir);
    const FolderAccess access = FolderAccess::of(appDir);
    try {
        replaceRecordFile(customersIn(making), files.customers, access);
        replaceRecordFile(reservationsIn(making), files.reservations, access);
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
        QDir(making).removeRecursively();
        throw;
    }
}

bool newestHolds(const QString& root, const RecordBytes& files) {
    const QStringList names = backupNames(root);
    if (names.isEmpty()) {
        return false;
    }
    const QString newest = root + QLatin1Char('/') + names.first();
    if (QFileInfo(customersIn(newest)).size() != files.customers.size() ||
        QFileInfo(reservationsIn(newest)).size() != files.reservations.size()) {
        return false;
    }
    try {
        return backupRecords(newest) == files;
    } catch (const FileError&) {
        return false;
    }
}

std::optional<QString> backUpUnlessHeld(const QString& appDir, const RecordBytes& files) {
    if (newestHolds(backupRoot(appDir), files)) {
        return std::nullopt;
    }
    return makeBackup(appDir, files);
}

// Deleting is tidying: a backup that cannot be deleted now is tried again after the next one.
void rotate(const QString& root) {
    std::map<QDateTime, QString> byMoment;
    QList<QDateTime> moments;
    for (const QString& name : backupNames(root)) {
        moments.append(QDateTime::fromString(name, NameFormat));
        byMoment[moments.last()] = name;
    }
    for (const QDateTime& moment : expiredBackups(moments, records::clock_source::now())) {
        const QString name = byMoment[moment];
        const QString hidden = ExpiredPrefix + name;
        if (QDir(root).rename(name, hidden)) {
            QDir(root + QLatin1Char('/') + hidden).removeRecursively();
        }
    }
    syncFolder(root);
}

QString journalPath(const QString& appDir) {
    return backupRoot(appDir) + QLatin1Char('/') + RestoreJournal;
}

void putInPlace(const QString& appDir, const RecordBytes& files) {
    replaceRecordFile(customersIn(appDir), files.customers);
    replaceRecordFile(reservationsIn(appDir), files.reservations);
}

void removeJournal(const QString& appDir) {
    const QByteArray journal = QFile::encodeName(journalPath(appDir));
    if (::unlink(journal.constData()) != 0 && errno != ENOENT) {
        throw backupError(QStringLiteral("復元の記録を消せません"), backupRoot(appDir),
                          systemReason());
    }
    syncFolder(backupRoot(appDir));
}

}  // namespace

QString backupRoot(const QString& appDir) {
    return appDir + QLatin1Char('/') + FolderName;
}

QList<Entry> listBackups(const QString& appDir) {
    const QString root = backupRoot(appDir);
    const std::lock_guard lock(folderLock());
    QList<Entry> entries;
    for (const QString& name : backupNames(root)) {
        Entry entry{name, QDateTime::fromString(name, NameFormat), false};
        entry.complete = describe(root + QLatin1Char('/') + name, entry);
        entries.append(entry);
    }
    return entries;
}

std::optional<QString> backUpIfChanged(const QString& appDir) {
    const std::lock_guard lock(folderLock());
    // Alone in the folder: the two files are read as one state, and no other copy of the
    // program makes a backup under the same hidden name meanwhile.
    const FolderLock folder(appDir, FolderLock::Use::Writing, backupRoot(appDir));
    const RecordBytes files = currentRecords(appDir);
    std::optional<QString> made = backUpUnlessHeld(appDir, files);
    if (made) {
        rotate(backupRoot(appDir));
    }
    return made;
}

QList<QDateTime> expiredBackups(const QList<QDateTime>& taken, const QDateTime& now) {
    QList<QDateTime> newestFirst = taken;
    std::sort(newestFirst.begin(), newestFirst.end(), std::greater<>());
    QSet<QDate> days;
    QSet<int> months;
    QList<QDateTime> expired;
    for (const QDateTime& moment : newestFirst) {
        const bool newestOfDay = !days.contains(moment.date());
        const int month = moment.date().year() * 12 + moment.date().month();
        const bool newestOfMonth = !months.contains(month);
        days.insert(moment.date());
        months.insert(month);
        const bool kept = moment == newestFirst.first() || moment >= now.addDays(-14) ||
                          (newestOfDay && moment >= now.addDays(-60)) ||
                          (newestOfMonth && moment >= now.addYears(-5));
        if (!kept) {
            expired.append(moment);
        }
    }
    return expired;
}

void restoreBackup(const QString& appDir, const QString& name) {
    const std::lock_guard lock(folderLock());
    // Like every write of the record files: a save of another copy of the program comes before
    // the current files are read and backed up, or after the restore.
    const FolderLock folder(appDir, FolderLock::Use::Writing, appDir);
    const QString root = backupRoot(appDir);
    const RecordBytes wanted = backupRecords(root + QLatin1Char('/') + name);
    const RecordBytes current = currentRecords(appDir);
    backUpUnlessHeld(appDir, current);
    // From here on a restore cut off is completed at the next start.
    replaceRecordFile(journalPath(appDir), name.toUtf8(), FolderAccess::of(appDir));
    bool customersReplaced = false;
    try {
        replaceRecordFile(customersIn(appDir), wanted.customers);
        customersReplaced = true;
        replaceRecordFile(reservationsIn(appDir), wanted.reservations);
    } catch (const FileError&) {
        // The files go back to what they were; should that fail too, the journal stays and the
        // next start completes the restore, so the two files still come from one state.
        try {
            if (customersReplaced) {
                replaceRecordFile(customersIn(appDir), current.customers);
            }
            removeJournal(appDir);
        } catch (const FileError&) {
        }
        throw;
    }
    removeJournal(appDir);
    rotate(root);
}

bool finishInterruptedRestore(const QString& appDir) {
    const std::lock_guard lock(folderLock());
    QFile journal(journalPath(appDir));
    // Looked for before the lock is taken, so that a start in a folder it cannot lock (a
    // read-only one) goes on; looked for again under it, as another copy may have finished it.
    if (!journal.exists()) {
        return false;
    }
    const FolderLock folder(appDir, FolderLock::Use::Writing, appDir);
    if (!journal.exists()) {
        return false;
    }
    if (!journal.open(QIODevice::ReadOnly)) {
        throw backupError(QStringLiteral("復元の記録を読めません"), backupRoot(appDir),
                          journal.errorString());
    }
    const QString name = QString::fromUtf8(journal.readAll()).trimmed();
    journal.close();
    putInPlace(appDir, backupRecords(backupRoot(appDir) + QLatin1Char('/') + name));
    removeJournal(appDir);
    return true;
}

}  // namespace records::backup
