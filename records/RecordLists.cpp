#include "records/RecordLists.h"

#include "records/BookingDetails.h"
#include "records/Clock.h"
#include "records/FileChecks.h"
#include "records/IntentPlan.h"
#include "records/RecordFormat.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <numeric>

#include <sys/stat.h>

namespace records {

RecordIntent RecordIntent::add(QByteArray line, std::optional<LineDetails> details) {
    RecordIntent intent;
    intent.line = std::move(line);
    intent.details = std::move(details);
    return intent;
}

RecordIntent RecordIntent::replace(qsizetype position, QByteArray old, QByteArray line,
                                   Placement placement, std::optional<LineDetails> details) {
    RecordIntent intent;
    intent.kind = Kind::Replace;
    intent.position = position;
    intent.old = std::move(old);
    intent.line = std::move(line);
    intent.placement = placement;
    intent.details = std::move(details);
    return intent;
}

RecordIntent RecordIntent::insert(qsizetype position, QByteArray line,
                                  std::optional<LineDetails> details) {
    RecordIntent intent = add(std::move(line), std::move(details));
    intent.position = position;
    return intent;
}

RecordIntent RecordIntent::remove(qsizetype position, QByteArray old) {
    RecordIntent intent;
    intent.kind = Kind::Remove;
    intent.position = position;
    intent.old = std::move(old);
    return intent;
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

RecordLists::~RecordLists() = default;

QString RecordLists::userFilePath() const {
    return recordFilePath(appDir_, UserFileName);
}

QString RecordLists::yoyakuFilePath() const {
    return recordFilePath(appDir_, YoyakuFileName);
}

const QByteArrayList& RecordLists::lines(RecordFile file) const {
    return file == RecordFile::Yoyaku ? honjitu_.YoyakuList : honjitu_.UserList;
}

QByteArrayList& RecordLists::listOf(RecordFile file) {
    return file == RecordFile::Yoyaku ? honjitu_.YoyakuList : honjitu_.UserList;
}

bool RecordLists::YoyakuFileLoad(FilePrefetch<ReservationsReadAhead>* readAhead) {
    bool found = false;
    {
        const FolderLock lock(appDir_, FolderLock::Use::Reading, yoyakuFilePath());
        found = loadYoyaku(readAhead != nullptr ? readAhead->take() : std::nullopt);
    }
    emit changed({RecordFile::Yoyaku, RecordChange::Cause::Loaded, {}, false});
    return found;
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
    emit changed({RecordFile::User, RecordChange::Cause::Loaded, {}, false});
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

QString RecordLists::pathOf(RecordFile file) const {
    return file == RecordFile::Yoyaku ? yoyakuFilePath() : userFilePath();
}

bool RecordLists::reloadWhenChangedElsewhere(RecordFile file) {
    const QString path = pathOf(file);
    const std::optional<FileIdentity> now = FileIdentity::of(path);
    const bool yoyaku = file == RecordFile::Yoyaku;
    const std::optional<FileIdentity>& known = yoyaku ? yoyakuKnown_ : userKnown_;
    // A missing file is not read: an append reports it, a rewrite puts the list back. Something
    // other than a regular file is refused by the write itself.
    if (!now || now == known) {
        return false;
    }
    if (yoyaku) {
        loadYoyaku(std::nullopt);
    } else {
        honjitu_.UserList = readUsers(std::nullopt).lines;
    }
    filesReloaded_.append(path);
    return true;
}

void RecordLists::writeAndAnnounce(
    RecordFile file, const QString& lockSubject,
    const std::function<std::optional<RecordChange>(bool readAgain)>& write) {
    // Announced once the lock is let go: the windows that follow may read the files again.
    std::optional<RecordChange> made;
    bool readAgain = false;
    try {
        const FolderLock lock(appDir_, FolderLock::Use::Writing, lockSubject);
        clearLeftoverScratchFiles(pathOf(file));
        readAgain = reloadWhenChangedElsewhere(file);
        followStore();
        made = write(readAgain);
    } catch (...) {
        // The list was read again before the write failed: it is not what the windows show.
        if (readAgain) {
            emit changed({file, RecordChange::Cause::Written, {}, true});
        }
        throw;
    }
    if (made) {
        emit changed(*made);
    } else if (readAgain) {
        emit changed({file, RecordChange::Cause::Written, {}, true});
    }
}

bool RecordLists::change(RecordFile file, const QList<RecordIntent>& intents, IntentMatch match) {
    bool written = false;
    writeAndAnnounce(file, pathOf(file), [&](bool readAgain) -> std::optional<RecordChange> {
        std::optional<QList<RecordIntent>> made = writeIntents(file, intents, match);
        if (!made) {
            return std::nullopt;
        }
        written = true;
        return RecordChange{file, RecordChange::Cause::Written, std::move(*made), readAgain};
    });
    return written;
}

void RecordLists::notePreviousDetails(const KeyChange& keys, QList<RecordIntent>& made) const {
    auto intent = made.begin();
    for (const KeyChange::Step& step : keys.steps) {
        if (step.kind != KeyChange::Step::Kind::Leave) {
            continue;
        }
        while (intent != made.end() && intent->kind == RecordIntent::Kind::Add) {
            ++intent;
        }
        if (intent == made.end()) {
            return;
        }
        intent->previousDetails =
            store_.details(keys.file, LineKey{lineHash(step.line), step.occurrence});
        ++intent;
    }
}

std::optional<QList<RecordIntent>> RecordLists::writeIntents(RecordFile file,
                                                             const QList<RecordIntent>& intents,
                                                             IntentMatch match) {
    const bool bringsDetails = std::any_of(
        intents.cbegin(), intents.cend(),
        [](const auto& intent) { return intent.details && !intent.details->isEmpty(); });
    if (bringsDetails) {
        storeAvailable();
    }
    QByteArrayList& list = listOf(file);
    IntentPlan plan = planIntents(list, file, intents, store_.isOpen(), match);
    if (plan.refused) {
        return std::nullopt;
    }
    notePreviousDetails(plan.keys, plan.made);
    // The change is journalled in the store before the file is written and the keys move after
    // it, so that a stop in between is completed or forgotten by the next start (recover()).
    bool journalled = false;
    if (store_.isOpen() && !plan.keys.steps.isEmpty()) {
        try {
            store_.begin(plan.keys);
            journalled = true;
            holdsSalonData_ = holdsSalonData_ || bringsDetails;
        } catch (const StoreError& error) {
            storeFailed(error);
        }
    }
    try {
        const QString path = pathOf(file);
        const QByteArray tail = file == RecordFile::User ? userTail_ : QByteArray();
        if (plan.appendsOnly) {
            appendRecordLine(path, plan.made.first().line, list, tail);
        } else {
            rewriteRecordFile(path, plan.lines, tail);
            list = std::move(plan.lines);
        }
    } catch (const FileError&) {
        if (journalled) {
            try {
                store_.abandon();
            } catch (const StoreError& error) {
                storeFailed(error);
            }
        }
        throw;
    }
    if (journalled) {
        try {
            store_.finish();
        } catch (const StoreError& error) {
            storeFailed(error);
        }
    }
    noteWritten(file);
    return std::move(plan.made);
}

void RecordLists::rewrite(RecordFile file) {
    writeAndAnnounce(file, pathOf(file), [&](bool readAgain) -> std::optional<RecordChange> {
        rewriteRecordFile(pathOf(file), listOf(file),
                          file == RecordFile::User ? userTail_ : QByteArray());
        noteWritten(file);
        return RecordChange{file, RecordChange::Cause::Written, {}, readAgain};
    });
}

void RecordLists::noteWritten(RecordFile file) {
    const bool yoyaku = file == RecordFile::Yoyaku;
    (yoyaku ? yoyakuKnown_ : userKnown_) = FileIdentity::of(pathOf(file));
    if (yoyaku) {
        yoyakuIndex_.sync(honjitu_.YoyakuList);
    }
}

void RecordLists::YoyakuFileSave(const QByteArray& line, char mode) {
    if (mode == 'A') {
        change(RecordFile::Yoyaku, {RecordIntent::add(line)});
    } else if (mode == 'R') {
        rewrite(RecordFile::Yoyaku);
    }
}

void RecordLists::UserFileSave(const QByteArray& line, char mode) {
    if (mode == 'A') {
        change(RecordFile::User, {RecordIntent::add(line)});
    } else if (mode == 'R') {
        rewrite(RecordFile::User);
    }
}

QStringList RecordLists::takeFilesReloaded() {
    return std::exchange(filesReloaded_, {});
}

QString RecordLists::storePath() const {
    return appDir_ + QLatin1Char('/') + DetailStore::FileName;
}

void RecordLists::openStoreIfPresent() {
    if (!store_.isOpen() && QFileInfo::exists(storePath())) {
        const FolderLock lock(appDir_, FolderLock::Use::Writing, storePath());
        openStore();
    }
}

void RecordLists::openStore() {
    // A damaged store is moved aside and a new one opened: that too is told.
    const bool opened = store_.open(appDir_);
    if (!store_.problem().isEmpty()) {
        storeProblem_ = store_.problem();
    }
    if (!opened) {
        return;
    }
    holdsSalonData_ = holdsSalonData_ ||
                      store_.setting(booking::SalonSettings::SettingName).has_value() ||
                      store_.hasDetailsBefore(clock_source::now().addYears(100));
    // A change cut off between the record file's write and the store's is settled before any
    // details are read; a list not read yet is settled by the first write of it.
    if (yoyakuListLoaded_) {
        settleStore();
    }
}

void RecordLists::settleStore() {
    try {
        store_.recover([this](RecordFile file) -> const QByteArrayList& { return lines(file); });
    } catch (const StoreError& error) {
        storeFailed(error);
    }
}

void RecordLists::followStore() {
    // Another desk may have made the store meanwhile; a store that failed here stays closed.
    if (!store_.isOpen() && storeProblem_.isEmpty() && !storeRefused_ &&
        QFileInfo::exists(storePath())) {
        openStore();
    } else if (store_.isOpen() && yoyakuListLoaded_) {
        settleStore();
    }
}

bool RecordLists::storeAvailable() {
    if (!store_.isOpen() && storeProblem_.isEmpty() && !storeRefused_) {
        openStore();
    }
    return store_.isOpen();
}

void RecordLists::requireStore() {
    if (!storeAvailable()) {
        // The error tells the problem: it is not told a second time.
        QString problem = takeStoreProblem();
        if (problem.isEmpty()) {
            problem = QStringLiteral("詳細ファイル \"%1\" が使えないため、詳細は保存できません。")
                          .arg(QDir::toNativeSeparators(storePath()));
        }
        throw StoreError(problem);
    }
}

void RecordLists::closeStore() {
    store_.close();
}

void RecordLists::storeFailed(const StoreError& error) {
    // A store that holds only what the program keeps by itself fails without a word: the salon
    // set nothing up there to be told about.
    if (holdsSalonData_) {
        storeProblem_ = error.message();
    }
    store_.close();
}

QString RecordLists::takeStoreProblem() {
    if (!storeProblem_.isEmpty()) {
        storeRefused_ = true;
    }
    return std::exchange(storeProblem_, {});
}

LineKey RecordLists::keyAt(RecordFile file, qsizetype position) const {
    return keysAt(file, {position}).value(position);
}

QHash<qsizetype, LineKey> RecordLists::keysAt(RecordFile file,
                                              const QList<qsizetype>& positions) const {
    const QByteArrayList& list = lines(file);
    QHash<qsizetype, LineKey> keys;
    // The lines that may equal one of `wanted`, in list order: identical reservations are
    // booked on the same day, so only that day's lines are looked at.
    const auto countAmong = [&](const QList<qsizetype>& candidates,
                                const QList<qsizetype>& wanted) {
        QSet<QByteArray> lookedFor;
        for (const qsizetype position : wanted) {
            lookedFor.insert(list.at(position));
        }
        const QSet<qsizetype> wantedSet(wanted.cbegin(), wanted.cend());
        QHash<QByteArray, int> seen;
        for (const qsizetype at : candidates) {
            const QByteArray& line = list.at(at);
            if (!lookedFor.contains(line)) {
                continue;
            }
            int& count = seen[line];
            if (wantedSet.contains(at)) {
                keys.insert(at, {lineHash(line), count});
            }
            ++count;
        }
    };
    // Only the customers that may equal one of those asked for are looked at.
    if (file == RecordFile::User) {
        countAmong(customerIndex().mayEqual(positions), positions);
        return keys;
    }
    // Most of the reservations at once: one pass over the whole list.
    if (positions.size() * 8 > list.size()) {
        QList<qsizetype> all(list.size());
        std::iota(all.begin(), all.end(), 0);
        countAmong(all, positions);
        return keys;
    }
    const QDate today = clock_source::now().date();
    QHash<QDate, QList<qsizetype>> byDay;
    for (const qsizetype position : positions) {
        byDay[yoyakuIndex_.bookedDate(position, today)].append(position);
    }
    for (auto day = byDay.cbegin(); day != byDay.cend(); ++day) {
        countAmong(yoyakuIndex_.bookedBetween(day.key(), day.key(), today), day.value());
    }
    return keys;
}

QHash<qsizetype, LineDetails> RecordLists::detailsAt(RecordFile file,
                                                     const QList<qsizetype>& positions) const {
    QHash<qsizetype, LineDetails> found;
    if (!store_.isOpen()) {
        return found;
    }
    const QHash<qsizetype, LineKey> keys = keysAt(file, positions);
    const QHash<LineKey, LineDetails> details = store_.details(file, keys.values());
    for (auto key = keys.cbegin(); key != keys.cend(); ++key) {
        if (const auto at = details.constFind(key.value()); at != details.cend()) {
            found.insert(key.key(), *at);
        }
    }
    return found;
}

const karte::CustomerIndex& RecordLists::customerIndex() const {
    customerIndex_.sync(honjitu_.UserList);
    return customerIndex_;
}

LineDetails RecordLists::detailsAt(RecordFile file, qsizetype position) const {
    return detailsAt(file, QList<qsizetype>{position}).value(position);
}

void RecordLists::setDetails(RecordFile file, qsizetype position, const QByteArray& line,
                             const LineDetails& details) {
    writeAndAnnounce(file, storePath(), [&](bool) -> std::optional<RecordChange> {
        const QByteArrayList& list = lines(file);
        qsizetype at = position;
        if (at < 0 || at >= list.size() || list.at(at) != line) {
            at = list.indexOf(line);
        }
        RecordChange change{file, RecordChange::Cause::Details, {}, false};
        if (at < 0) {
            return change;
        }
        requireStore();
        const LineKey key = keyAt(file, at);
        LineDetails previous;
        try {
            previous = store_.details(file, key);
            store_.setDetails(file, key, details);
            holdsSalonData_ = true;
        } catch (const StoreError&) {
            // Told by the error itself; the store stays shut for the rest of the run.
            store_.close();
            storeRefused_ = true;
            throw;
        }
        change.made.append(RecordIntent::replace(at, line, line));
        change.made.last().details = details;
        change.made.last().previousDetails = previous;
        return change;
    });
}

bool RecordLists::keepSetting(const QString& name, const QByteArray& value) {
    bool kept = false;
    try {
        const FolderLock lock(appDir_, FolderLock::Use::Writing, storePath());
        followStore();
        const bool madeNow = !store_.isOpen() && !QFileInfo::exists(storePath());
        if (madeNow && storeProblem_.isEmpty() && !storeRefused_) {
            openStore();
        }
        if (!store_.isOpen()) {
            if (madeNow) {
                forgetStoreMadeNow();
            }
            return false;
        }
        try {
            store_.setSetting(name, value);
            kept = true;
        } catch (const StoreError& error) {
            if (madeNow) {
                forgetStoreMadeNow();
            } else {
                storeFailed(error);
            }
        }
    } catch (const FileError&) {
        // The folder's lock could not be taken: the value is kept the next time.
        return false;
    }
    if (kept) {
        emit settingChanged(name);
    }
    return kept;
}

void RecordLists::forgetStoreMadeNow() {
    store_.close();
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        QFile::remove(storePath() + QLatin1String(suffix));
    }
    storeProblem_.clear();
    storeRefused_ = true;
}

void RecordLists::purgeOldDetails() {
    const QDateTime before = clock_source::now().addYears(-DetailRetentionYears);
    if (!store_.isOpen() || !store_.hasDetailsBefore(before)) {
        return;
    }
    const FolderLock lock(appDir_, FolderLock::Use::Writing, storePath());
    for (const RecordFile file : {RecordFile::Yoyaku, RecordFile::User}) {
        // The keys present are those of the file as it is: a list that is not its working copy
        // could make details of lines it lacks look gone.
        const bool yoyaku = file == RecordFile::Yoyaku;
        if ((yoyaku && !yoyakuListLoaded_) ||
            FileIdentity::of(pathOf(file)) != (yoyaku ? yoyakuKnown_ : userKnown_)) {
            continue;
        }
        QList<qsizetype> all(lines(file).size());
        std::iota(all.begin(), all.end(), 0);
        try {
            store_.purgeUnseen(file, keysAt(file, all).values(), before);
        } catch (const StoreError& error) {
            storeFailed(error);
            return;
        }
    }
}

std::optional<QByteArray> RecordLists::setting(const QString& name) const {
    if (!store_.isOpen()) {
        return std::nullopt;
    }
    try {
        return store_.setting(name);
    } catch (const StoreError&) {
        // Read again at the next use; a write reports what keeps the store from working.
        return std::nullopt;
    }
}

void RecordLists::setSetting(const QString& name, const QByteArray& value) {
    {
        const FolderLock lock(appDir_, FolderLock::Use::Writing, storePath());
        followStore();
        requireStore();
        try {
            store_.setSetting(name, value);
            holdsSalonData_ = true;
        } catch (const StoreError&) {
            // Told by the error itself; the store stays shut for the rest of the run.
            store_.close();
            storeRefused_ = true;
            throw;
        }
    }
    emit settingChanged(name);
}

}  // namespace records
