#include "records/RecordLists.h"

#include "records/FileChecks.h"
#include "records/RecordFormat.h"

#include <QElapsedTimer>
#include <QFile>

#include <sys/stat.h>

namespace records {

QByteArrayList LineChange::appliedTo(QByteArrayList lines) const {
    for (const QByteArray& line : removed) {
        removeFirstEqual(lines, line);
    }
    for (const auto& [old, line] : replaced) {
        if (const qsizetype at = lines.indexOf(old); at >= 0) {
            lines[at] = line;
        }
    }
    lines.append(appended);
    return lines;
}

LineChange LineChange::between(const QByteArrayList& before, const QByteArrayList& after) {
    // The first line of `before` that does not match the next one of `after` is a removed one;
    // what is left of `after` at the end was appended.
    LineChange change;
    qsizetype next = 0;
    for (const QByteArray& line : before) {
        if (next < after.size() && after.at(next) == line) {
            ++next;
        } else {
            change.removed.append(line);
        }
    }
    change.appended = after.mid(next);
    return change;
}

namespace {

// No file, or a folder in its place: start-up reports it by name and goes on. Anything else
// there is read, and refused when it is not a regular file.
bool isMissing(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) != 0 || S_ISDIR(info.st_mode);
}

}  // namespace

RecordLists::RecordLists(THonjitu& honjitu, const QString& appDir)
    : honjitu_(honjitu), appDir_(appDir) {}

QString RecordLists::userFilePath() const {
    return recordFilePath(appDir_, UserFileName);
}

QString RecordLists::yoyakuFilePath() const {
    return recordFilePath(appDir_, YoyakuFileName);
}

bool RecordLists::YoyakuFileLoad(FilePrefetch<ReservationsReadAhead>* readAhead) {
    const FolderLock lock(appDir_, FolderLock::Use::Reading, yoyakuFilePath());
    return loadYoyaku(readAhead != nullptr ? readAhead->take() : std::nullopt);
}

bool RecordLists::loadYoyaku(std::optional<ReservationsReadAhead> readAhead) {
    honjitu_.YoyakuList.clear();
    yoyakuIndex_ = {};
    yoyakuListLoaded_ = false;
    yoyakuKnown_.reset();
    if (readAhead) {
        // The read-ahead is handed out only while the file is the one it read.
        yoyakuKnown_ = FileIdentity::of(yoyakuFilePath());
        contentsRead_.append(std::move(readAhead->content));
        honjitu_.YoyakuList = std::move(readAhead->lines);
        yoyakuIndex_ = std::move(readAhead->index);
        yoyakuListLoaded_ = true;
        return true;
    }
    if (isMissing(yoyakuFilePath())) {
        yoyakuListLoaded_ = true;
        return false;
    }
    // Taken before the read: a change made while it reads makes the next write read again.
    const std::optional<FileIdentity> identity = FileIdentity::of(yoyakuFilePath());
    RecordFileRead read =
        readReservationFile(readRecordFile(yoyakuFilePath()),
                            [this](const QByteArray& line) { yoyakuIndex_.append(line); });
    honjitu_.YoyakuList = std::move(read.lines);
    yoyakuIndex_.sync(honjitu_.YoyakuList);
    yoyakuListLoaded_ = true;
    yoyakuKnown_ = identity;
    return true;
}

void RecordLists::UserListLoad(const std::function<void(const QByteArray&)>& takeLine,
                               const std::function<void()>& letEventsThrough,
                               FilePrefetch<RecordFileRead>* readAhead) {
    constexpr qint64 EventIntervalMs = 8;
    honjitu_.UserList.clear();
    RecordFileRead read;
    {
        const FolderLock lock(appDir_, FolderLock::Use::Reading, userFilePath());
        read = readUsers(readAhead != nullptr ? readAhead->take() : std::nullopt);
    }
    const QByteArrayList lines = std::move(read.lines);
    honjitu_.UserList.reserve(lines.size());
    QElapsedTimer sinceEvents;
    if (letEventsThrough) {
        letEventsThrough();
    }
    sinceEvents.start();
    for (const QByteArray& line : lines) {
        if (letEventsThrough && sinceEvents.elapsed() >= EventIntervalMs) {
            letEventsThrough();
            sinceEvents.restart();
        }
        honjitu_.UserList.append(line);
        if (takeLine) {
            takeLine(line);
        }
    }
}

RecordFileRead RecordLists::readUsers(std::optional<RecordFileRead> readAhead) {
    userTail_.clear();
    userKnown_.reset();
    const std::optional<FileIdentity> identity = FileIdentity::of(userFilePath());
    RecordFileRead read =
        readAhead ? std::move(*readAhead) : readCustomerFile(readRecordFile(userFilePath()));
    if (readAhead) {
        contentsRead_.append(std::move(read.content));
    }
    userKnown_ = identity;
    userTail_ = std::move(read.unreadTail);
    return read;
}

QString RecordLists::pathOf(Which which) const {
    return which == Which::Yoyaku ? yoyakuFilePath() : userFilePath();
}

bool RecordLists::reloadWhenChangedElsewhere(Which which) {
    const QString path = pathOf(which);
    const std::optional<FileIdentity> now = FileIdentity::of(path);
    const std::optional<FileIdentity>& known = which == Which::Yoyaku ? yoyakuKnown_ : userKnown_;
    // A missing file is not read: an append reports it, a rewrite puts the list back. Something
    // other than a regular file is refused by the write itself.
    if (!now || now == known) {
        return false;
    }
    if (which == Which::Yoyaku) {
        loadYoyaku(std::nullopt);
    } else {
        honjitu_.UserList = readUsers(std::nullopt).lines;
    }
    filesReloaded_.append(path);
    return true;
}

void RecordLists::write(Which which, const LineChange& change, const QByteArrayList* exactLines) {
    const QString path = pathOf(which);
    const FolderLock lock(appDir_, FolderLock::Use::Writing, path);
    clearLeftoverScratchFiles(path);
    const bool reloaded = reloadWhenChangedElsewhere(which);
    const bool yoyaku = which == Which::Yoyaku;
    QByteArrayList& list = yoyaku ? honjitu_.YoyakuList : honjitu_.UserList;
    const QByteArray tail = yoyaku ? QByteArray() : userTail_;
    if (exactLines == nullptr && change.removed.isEmpty() && change.replaced.isEmpty() &&
        change.appended.size() == 1) {
        appendRecordLine(path, change.appended.first(), list, tail);
    } else {
        QByteArrayList lines =
            exactLines != nullptr && !reloaded ? *exactLines : change.appliedTo(list);
        rewriteRecordFile(path, lines, tail);
        list = std::move(lines);
    }
    (yoyaku ? yoyakuKnown_ : userKnown_) = FileIdentity::of(path);
    if (yoyaku) {
        yoyakuIndex_.sync(list);
    }
}

void RecordLists::YoyakuFileSave(const QByteArray& line, char mode) {
    if (mode == 'A') {
        write(Which::Yoyaku, {{}, {line}, {}});
    } else if (mode == 'R') {
        write(Which::Yoyaku, {});
    }
}

void RecordLists::UserFileSave(const QByteArray& line, char mode) {
    if (mode == 'A') {
        write(Which::User, {{}, {line}, {}});
    } else if (mode == 'R') {
        write(Which::User, {});
    }
}

void RecordLists::replaceYoyakuList(QByteArrayList lines) {
    write(Which::Yoyaku, LineChange::between(honjitu_.YoyakuList, lines), &lines);
}

void RecordLists::replaceYoyakuLine(qsizetype position, const QByteArray& line) {
    QByteArrayList lines = honjitu_.YoyakuList;
    LineChange change;
    change.replaced.append({lines.at(position), line});
    lines[position] = line;
    write(Which::Yoyaku, change, &lines);
}

void RecordLists::replaceUserList(QByteArrayList lines) {
    write(Which::User, LineChange::between(honjitu_.UserList, lines), &lines);
}

QStringList RecordLists::takeFilesReloaded() {
    return std::exchange(filesReloaded_, {});
}

}  // namespace records
