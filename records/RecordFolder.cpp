#include "records/RecordFolder.h"

#include "records/Backup.h"
#include "records/DetailStore.h"
#include "records/FileChecks.h"
#include "records/VisitPhotos.h"
#include "records/uLib.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace records::folder {
namespace {

constexpr mode_t OwnerOnlyFolder = S_IRWXU;
const QString ProgramFolderName = QStringLiteral("trimbook");
const QString ScratchName = QStringLiteral(".trimbook-copying");

QString homeFolder(const Environment& variable) {
    const QByteArray home = variable("HOME");
    if (!home.isEmpty()) {
        return QFile::decodeName(home);
    }
    const passwd* user = ::getpwuid(::getuid());
    return user != nullptr ? QFile::decodeName(user->pw_dir) : QDir::rootPath();
}

QString dataHome(const Environment& variable) {
    const QString configured = QFile::decodeName(variable("XDG_DATA_HOME"));
    if (QDir::isAbsolutePath(configured)) {
        return QDir::cleanPath(configured);
    }
    return homeFolder(variable) + QStringLiteral("/.local/share");
}

bool isSystemFolder(const QString& folder) {
    const QString clean = QDir::cleanPath(folder);
    return clean == QStringLiteral("/usr") || clean.startsWith(QStringLiteral("/usr/"));
}

bool userMayWrite(const QString& folder) {
    return ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0;
}

void makeOwnerOnlyFolder(const QString& folder) {
    if (QFileInfo(folder).isDir()) {
        return;
    }
    QDir().mkpath(QFileInfo(folder).path());
    const QByteArray path = QFile::encodeName(folder);
    // chmod as well: the mode mkdir gets is cut by the umask.
    if (::mkdir(path.constData(), OwnerOnlyFolder) == 0) {
        ::chmod(path.constData(), OwnerOnlyFolder);
    }
}

FileError copyError(const QString& path, int error, bool writing) {
    return FileError(QStringLiteral("記録ファイルをコピーできません: \"%1\"\n%2")
                         .arg(QDir::toNativeSeparators(path), japaneseReason(error, writing)));
}

// A folder with the regular files and folders below it; links are not followed.
void copyTree(const QString& from, const QString& to) {
    if (::mkdir(QFile::encodeName(to).constData(), OwnerOnlyFolder) != 0) {
        throw copyError(to, errno, true);
    }
    const QDir source(from);
    for (const QFileInfo& entry : source.entryInfoList(QDir::Files | QDir::Dirs | QDir::Hidden |
                                                       QDir::NoDotAndDotDot | QDir::NoSymLinks)) {
        const QString target = to + QLatin1Char('/') + entry.fileName();
        if (entry.isDir()) {
            copyTree(entry.filePath(), target);
        } else {
            replaceRecordFile(target, readRecordFile(entry.filePath()));
        }
    }
}

// The store as one consistent state: a copy of its file alone could miss what only its -wal
// holds. SQLite fills a file made empty first, owner-only like the scratch folder.
void copyStoreFile(const QString& from, const QString& to) {
    const int made =
        ::open(QFile::encodeName(to).constData(),
               O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (made < 0) {
        throw copyError(to, errno, true);
    }
    ::close(made);
    backup::copyStore(from, to, QStringLiteral("記録ファイルをコピーできません"));
}

}  // namespace

bool holdsRecordFiles(const QString& folder) {
    return QFileInfo::exists(recordFilePath(folder, UserFileName)) ||
           QFileInfo::exists(recordFilePath(folder, YoyakuFileName));
}

QString chooseRecordFolder(const QString& executableFolder, const Environment& variable) {
    if (holdsRecordFiles(executableFolder) ||
        (!isSystemFolder(executableFolder) && userMayWrite(executableFolder))) {
        return QDir::cleanPath(executableFolder);
    }
    const QString folder = dataHome(variable) + QLatin1Char('/') + ProgramFolderName;
    makeOwnerOnlyFolder(folder);
    return folder;
}

QString sourceInstallFolder(const Environment& variable) {
    return homeFolder(variable) + QStringLiteral("/.local/opt/") + ProgramFolderName;
}

void copyRecordFolder(const QString& from, const QString& to, const QString& placementName) {
    const QString scratch = to + QLatin1Char('/') + ScratchName;
    QDir(scratch).removeRecursively();  // left by a copy that was cut off
    QStringList names;
    // The store and the photos before the record files, so that the records never arrive
    // without their details.
    for (const QString& name : {placementName, backup::FolderName, photos::FolderName,
                                DetailStore::FileName, UserFileName, YoyakuFileName}) {
        const QFileInfo source(from + QLatin1Char('/') + name);
        if (source.exists() && !source.isSymLink() &&
            !QFileInfo::exists(to + QLatin1Char('/') + name)) {
            names.append(name);
        }
    }
    try {
        if (::mkdir(QFile::encodeName(scratch).constData(), OwnerOnlyFolder) != 0) {
            throw copyError(scratch, errno, true);
        }
        for (const QString& name : names) {
            const QString source = from + QLatin1Char('/') + name;
            const QString copy = scratch + QLatin1Char('/') + name;
            if (name == backup::FolderName || name == photos::FolderName) {
                copyTree(source, copy);
            } else if (name == DetailStore::FileName) {
                copyStoreFile(source, copy);
            } else {
                replaceRecordFile(copy, readRecordFile(source));
            }
        }
        for (const QString& name : names) {
            const QString target = to + QLatin1Char('/') + name;
            if (::rename(QFile::encodeName(scratch + QLatin1Char('/') + name).constData(),
                         QFile::encodeName(target).constData()) != 0) {
                throw copyError(target, errno, true);
            }
        }
    } catch (const FileError&) {
        QDir(scratch).removeRecursively();
        throw;
    }
    QDir(scratch).removeRecursively();
    syncFolder(to);
}

}  // namespace records::folder
