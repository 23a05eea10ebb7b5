#include "records/DetailStore.h"
#include "records/SqliteReason.h"

#include "records/Clock.h"
#include "records/FileChecks.h"
#include "records/FolderAccess.h"
#include "records/uLib.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMap>
#include <QSet>
#include <QtEndian>

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace records {

size_t qHash(const LineKey& key, size_t seed) noexcept {
    return qHashMulti(seed, key.hash, key.occurrence);
}

quint64 lineHash(QByteArrayView line) {
    quint64 hash = 14695981039346656037ULL;
    for (const char byte : line) {
        hash ^= static_cast<unsigned char>(byte);
        hash *= 1099511628211ULL;
    }
    return hash;
}

const char* journalModeFor(long fileSystemType) {
    constexpr quint32 Network[] = {0x6969, 0x517B, 0xFF534D42, 0xFE534D42};  // NFS, SMB, CIFS, SMB2
    const auto type = static_cast<quint32>(fileSystemType);
    for (const quint32 network : Network) {
        if (type == network) {
            return "TRUNCATE";
        }
    }
    return "WAL";
}

StoreError::StoreError(const QString& message) : std::runtime_error(message.toStdString()) {}

namespace {

// A second desk's write holds the file for a moment; as long as the folder lock waits.
constexpr int BusyTimeoutMs = 5000;

// How each version of the file is made from the one before; version 1 from an empty file.
struct Migration {
    int version;
    const char* sql;
};

const Migration Migrations[] = {
    {1,
     "CREATE TABLE details(file INTEGER NOT NULL, hash INTEGER NOT NULL,"
     " occurrence INTEGER NOT NULL, details TEXT NOT NULL, changed_at INTEGER NOT NULL,"
     " PRIMARY KEY(file, hash, occurrence)) WITHOUT ROWID;"
     "CREATE INDEX details_by_change ON details(changed_at);"
     "CREATE TABLE settings(name TEXT PRIMARY KEY, value BLOB NOT NULL) WITHOUT ROWID;"
     "CREATE TABLE journal(file INTEGER NOT NULL, change TEXT NOT NULL);"
     "CREATE TABLE journal_lines(file INTEGER NOT NULL, hash INTEGER NOT NULL,"
     " PRIMARY KEY(file, hash)) WITHOUT ROWID;"},
};
static_assert(std::size(Migrations) == DetailStore::SchemaVersion);

struct SqliteFailure {
    int code;
};

void check(int code) {
    if (code != SQLITE_OK && code != SQLITE_ROW && code != SQLITE_DONE) {
        throw SqliteFailure{code};
    }
}

void execute(sqlite3* db, const QByteArray& sql) {
    check(sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr));
}

int userVersion(sqlite3* db) {
    int version = 0;
    check(sqlite3_exec(
        db, "PRAGMA user_version",
        [](void* into, int, char** values, char**) {
            *static_cast<int*>(into) = std::atoi(values[0]);
            return 0;
        },
        &version, nullptr));
    return version;
}

// Brings the file to this version in one transaction; the version is read again inside it, as
// another desk may have brought it there while this one waited. A failure leaves the file as it
// was: the connection is closed, which rolls the transaction back.
void migrate(sqlite3* db) {
    execute(db, "BEGIN IMMEDIATE");
    const int version = userVersion(db);
    for (const Migration& migration : Migrations) {
        if (migration.version > version) {
            execute(db, migration.sql);
        }
    }
    if (version < DetailStore::SchemaVersion) {
        execute(db, "PRAGMA user_version=" + QByteArray::number(DetailStore::SchemaVersion));
    }
    execute(db, "COMMIT");
}

bool isDamage(int code) {
    return (code & 0xff) == SQLITE_CORRUPT || (code & 0xff) == SQLITE_NOTADB;
}

QString notWritable(const QString& why) {
    return QStringLiteral("書き込めません（%1）").arg(why);
}

QString newerFile(int version) {
    return QStringLiteral(
               "新しいバージョンのプログラムが作ったファイルです"
               "（ファイルの版 %1、このプログラムは版 %2 まで）")
        .arg(version)
        .arg(DetailStore::SchemaVersion);
}

QString namedFile(const QString& path) {
    return QDir::toNativeSeparators(path);
}

QString cannotOpen(const QString& path, const QString& reason) {
    return QStringLiteral("詳細ファイルを開けません: \"%1\"\n%2").arg(namedFile(path), reason);
}

qint64 stored(quint64 hash) {
    return static_cast<qint64>(hash);
}

int stored(RecordFile file) {
    return static_cast<int>(file);
}

// A statement prepared once for the life of the connection.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) {
        check(sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &handle_, nullptr));
    }
    ~Statement() { sqlite3_finalize(handle_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    sqlite3_stmt* handle() const { return handle_; }

private:
    sqlite3_stmt* handle_ = nullptr;
};

struct Text {
    QByteArray utf8;
};

// One use of a statement with its values; the statement is ready for the next use after it.
class Query {
public:
    template <typename... Values>
    explicit Query(const Statement& statement, const Values&... values)
        : handle_(statement.handle()) {
        int column = 0;
        (bind(++column, values), ...);
    }
    ~Query() {
        sqlite3_reset(handle_);
        sqlite3_clear_bindings(handle_);
    }
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    bool next() {
        const int code = sqlite3_step(handle_);
        check(code);
        return code == SQLITE_ROW;
    }
    void run() {
        while (next()) {
        }
    }
    qint64 integer(int column) const { return sqlite3_column_int64(handle_, column); }
    QByteArray bytes(int column) const {
        return QByteArray(static_cast<const char*>(sqlite3_column_blob(handle_, column)),
                          sqlite3_column_bytes(handle_, column));
    }

private:
    void bind(int column, qint64 value) { check(sqlite3_bind_int64(handle_, column, value)); }
    void bind(int column, int value) { check(sqlite3_bind_int(handle_, column, value)); }
    void bind(int column, const QByteArray& value) {
        check(sqlite3_bind_blob64(handle_, column, value.constData(),
                                  static_cast<sqlite3_uint64>(value.size()), SQLITE_TRANSIENT));
    }
    void bind(int column, const Text& value) {
        check(sqlite3_bind_text64(handle_, column, value.utf8.constData(),
                                  static_cast<sqlite3_uint64>(value.utf8.size()), SQLITE_TRANSIENT,
                                  SQLITE_UTF8));
    }

    sqlite3_stmt* handle_;
};

QByteArray compact(const LineDetails& details) {
    return QJsonDocument(details).toJson(QJsonDocument::Compact);
}

LineDetails parsed(const QByteArray& json) {
    return QJsonDocument::fromJson(json).object();
}

QString base64(const QByteArray& line) {
    return QString::fromLatin1(line.toBase64());
}

QByteArray unbase64(const QJsonValue& value) {
    return QByteArray::fromBase64(value.toString().toLatin1());
}

QByteArray encoded(const KeyChange& change) {
    QJsonArray steps;
    for (const KeyChange::Step& step : change.steps) {
        QJsonObject encodedStep{{"leave", step.kind == KeyChange::Step::Kind::Leave},
                                {"line", base64(step.line)},
                                {"occurrence", step.occurrence},
                                {"identicalBefore", step.identicalBefore}};
        if (step.details) {
            encodedStep.insert("details", *step.details);
        }
        steps.append(encodedStep);
    }
    QJsonArray after;
    for (const auto& [line, count] : change.identicalAfter) {
        after.append(QJsonArray{base64(line), count});
    }
    return compact({{"file", stored(change.file)}, {"steps", steps}, {"identicalAfter", after}});
}

KeyChange decoded(const QByteArray& json) {
    const QJsonObject object = parsed(json);
    KeyChange change;
    change.file = static_cast<RecordFile>(object["file"].toInt());
    for (const QJsonValue& value : object["steps"].toArray()) {
        const QJsonObject step = value.toObject();
        KeyChange::Step& made = change.steps.emplace_back();
        made.kind =
            step["leave"].toBool() ? KeyChange::Step::Kind::Leave : KeyChange::Step::Kind::Enter;
        made.line = unbase64(step["line"]);
        made.occurrence = step["occurrence"].toInt();
        made.identicalBefore = step["identicalBefore"].toInt();
        if (step.contains("details")) {
            made.details = step["details"].toObject();
        }
    }
    for (const QJsonValue& value : object["identicalAfter"].toArray()) {
        const QJsonArray pair = value.toArray();
        change.identicalAfter.append({unbase64(pair[0]), pair[1].toInt()});
    }
    return change;
}

// The details of one (file, hash) by occurrence, while a change moves them.
struct Row {
    QByteArray details;
    qint64 changedAt = 0;
};
using Rows = QMap<int, Row>;

// The line at `occurrence` leaves; the identical lines after it move down one place. Returns
// its details, if any.
std::optional<Row> leave(Rows& rows, int occurrence, int identicalBefore) {
    std::optional<Row> left;
    if (rows.contains(occurrence)) {
        left = rows.take(occurrence);
    }
    for (int later = occurrence + 1; later < identicalBefore; ++later) {
        if (rows.contains(later)) {
            rows.insert(later - 1, rows.take(later));
        }
    }
    return left;
}

// Everything from `occurrence` on moves up one place, the unseen details beyond the lines too,
// so that they stay after the identical lines.
void makeRoom(Rows& rows, int occurrence) {
    const QList<int> places = rows.keys();
    for (auto place = places.rbegin(); place != places.rend() && *place >= occurrence; ++place) {
        rows.insert(*place + 1, rows.take(*place));
    }
}

bool entersCarrying(const QList<KeyChange::Step>& steps, qsizetype index) {
    return index < steps.size() && steps[index].kind == KeyChange::Step::Kind::Enter &&
           !steps[index].details;
}

void applyToRows(const QList<KeyChange::Step>& steps, QHash<quint64, Rows>& byHash, qint64 now) {
    std::optional<Row> carried;
    for (qsizetype index = 0; index < steps.size(); ++index) {
        const KeyChange::Step& step = steps[index];
        Rows& rows = byHash[lineHash(step.line)];
        if (step.kind == KeyChange::Step::Kind::Leave) {
            const int identicalBefore = std::max(step.identicalBefore, step.occurrence + 1);
            std::optional<Row> left = leave(rows, step.occurrence, identicalBefore);
            if (entersCarrying(steps, index + 1)) {
                carried = std::move(left);
            } else if (left) {
                rows.insert(identicalBefore - 1, *left);  // unseen, after the remaining lines
            }
            continue;
        }
        makeRoom(rows, step.occurrence);
        if (step.details && !step.details->isEmpty()) {
            rows.insert(step.occurrence, Row{compact(*step.details), now});
        } else if (!step.details && carried) {
            rows.insert(step.occurrence, Row{carried->details, now});
        }
        carried.reset();
    }
}

// The schema version in the header of the file at `path`, 0 when there is no file yet; nothing
// when it is not an SQLite file. Read before SQLite opens it, so that a foreign or damaged file,
// or one of a newer program, is turned away before SQLite has touched its companions.
std::optional<int> headerVersion(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return 0;  // missing, or not readable: SQLite says why
    }
    const QByteArray header = file.read(100);
    if (header.isEmpty()) {
        return 0;
    }
    if (header.size() < 100 || !header.startsWith(QByteArrayView("SQLite format 3\0", 16))) {
        return std::nullopt;
    }
    return qFromBigEndian<qint32>(header.constData() + 60);
}

// Whether the file holds as many lines identical to each line of the change as the change left.
bool linesShowChange(const KeyChange& change, const QByteArrayList& lines) {
    QHash<QByteArray, int> counts;
    for (const auto& [line, count] : change.identicalAfter) {
        counts.insert(line, 0);
    }
    for (const QByteArray& line : lines) {
        if (const auto counted = counts.find(line); counted != counts.end()) {
            ++*counted;
        }
    }
    return std::all_of(
        change.identicalAfter.cbegin(), change.identicalAfter.cend(),
        [&](const auto& after) { return counts.value(after.first) == after.second; });
}

// Whether a store file of this process is there, for giving it the folder's access.
bool ownFileAt(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode) &&
           info.st_uid == ::geteuid();
}

const char* const Companions[] = {"-wal", "-shm", "-journal"};

// Renames the damaged file and its companions to one name with the moment in it, companions
// first so that the file never meets another's journal. Returns the new name.
std::optional<QString> moveAside(const QString& path) {
    const QString stamp = clock_source::now().toString(QStringLiteral("yyyy-MM-dd_HHmmss"));
    QString aside = path + QStringLiteral(".damaged-") + stamp;
    for (int again = 2; QFileInfo::exists(aside); ++again) {
        aside = path + QStringLiteral(".damaged-%1-%2").arg(stamp).arg(again);
    }
    for (const char* companion : Companions) {
        const QByteArray from = QFile::encodeName(path + companion);
        if (::access(from.constData(), F_OK) == 0 &&
            ::rename(from.constData(), QFile::encodeName(aside + companion).constData()) != 0) {
            return std::nullopt;
        }
    }
    if (::rename(QFile::encodeName(path).constData(), QFile::encodeName(aside).constData()) != 0) {
        return std::nullopt;
    }
    return aside;
}

// A transaction that is rolled back unless committed; a write one takes the write lock at once.
class Transaction {
public:
    Transaction(const Statement& begin, const Statement& commit, const Statement& rollback)
        : commit_(commit), rollback_(rollback) {
        Query(begin).run();
    }
    ~Transaction() {
        if (!committed_) {
            sqlite3_step(rollback_.handle());
            sqlite3_reset(rollback_.handle());
        }
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit() {
        Query(commit_).run();
        committed_ = true;
    }

private:
    const Statement& commit_;
    const Statement& rollback_;
    bool committed_ = false;
};

}  // namespace

struct DetailStore::Failure {
    QString reason;
    bool damaged = false;
};

struct DetailStore::Statements {
    explicit Statements(sqlite3* db)
        : beginRead(db, "BEGIN"),
          beginWrite(db, "BEGIN IMMEDIATE"),
          commit(db, "COMMIT"),
          rollback(db, "ROLLBACK"),
          visibleDetails(db,
                         "SELECT details FROM details WHERE file = ?1 AND hash = ?2 AND"
                         " occurrence = ?3 AND NOT EXISTS (SELECT 1 FROM journal_lines"
                         " WHERE file = ?1 AND hash = ?2)"),
          rowsOfLine(db,
                     "SELECT occurrence, details, changed_at FROM details"
                     " WHERE file = ? AND hash = ?"),
          deleteRowsOfLine(db, "DELETE FROM details WHERE file = ? AND hash = ?"),
          writeRow(db,
                   "INSERT OR REPLACE INTO details(file, hash, occurrence, details, changed_at)"
                   " VALUES(?, ?, ?, ?, ?)"),
          deleteRow(db, "DELETE FROM details WHERE file = ? AND hash = ? AND occurrence = ?"),
          oldRows(db,
                  "SELECT hash, occurrence FROM details WHERE changed_at < ?2 AND file = ?1 AND"
                  " NOT EXISTS (SELECT 1 FROM journal_lines j WHERE j.file = ?1 AND"
                  " j.hash = details.hash)"),
          anyOlder(db, "SELECT EXISTS (SELECT 1 FROM details WHERE changed_at < ?)"),
          journal(db, "SELECT change FROM journal"),
          writeJournal(db, "INSERT INTO journal(file, change) VALUES(?, ?)"),
          writeJournalLine(db, "INSERT OR IGNORE INTO journal_lines(file, hash) VALUES(?, ?)"),
          clearJournal(db, "DELETE FROM journal"),
          clearJournalLines(db, "DELETE FROM journal_lines"),
          setting(db, "SELECT value FROM settings WHERE name = ?"),
          writeSetting(db, "INSERT OR REPLACE INTO settings(name, value) VALUES(?, ?)") {}

    Transaction reading() const { return Transaction(beginRead, commit, rollback); }
    Transaction writing() const { return Transaction(beginWrite, commit, rollback); }

    Statement beginRead, beginWrite, commit, rollback;
    Statement visibleDetails, rowsOfLine, deleteRowsOfLine, writeRow, deleteRow, oldRows, anyOlder;
    Statement journal, writeJournal, writeJournalLine, clearJournal, clearJournalLines;
    Statement setting, writeSetting;
};

DetailStore::DetailStore() = default;

DetailStore::~DetailStore() {
    close();
}

void DetailStore::close() {
    statements_.reset();
    sqlite3_close_v2(db_);
    db_ = nullptr;
}

bool DetailStore::open(const QString& appDir) {
    close();
    path_ = appDir + QLatin1Char('/') + FileName;
    problem_.clear();
    const std::optional<Failure> failure = connect(appDir);
    if (!failure) {
        return true;
    }
    close();
    if (!failure->damaged) {
        problem_ = cannotOpen(path_, failure->reason);
        return false;
    }
    const std::optional<QString> aside = moveAside(path_);
    if (!aside) {
        const int error = errno;
        problem_ =
            cannotOpen(path_, QStringLiteral("ファイルが壊れています（別の名前に移せません: %1）")
                                  .arg(japaneseReason(error, true)));
        return false;
    }
    problem_ = QStringLiteral(
                   "詳細ファイルが壊れていました: \"%1\"\n"
                   "壊れたファイルは \"%2\" に残し、新しい空のファイルで続けます")
                   .arg(namedFile(path_), namedFile(*aside));
    if (const std::optional<Failure> again = connect(appDir)) {
        close();
        problem_ += QLatin1Char('\n') + cannotOpen(path_, again->reason);
        return false;
    }
    return true;
}

// Opens the file and brings it to this version; the first statements read its header and
// schema, so a damaged file shows here without a check of all its pages.
std::optional<DetailStore::Failure> DetailStore::connect(const QString& appDir) {
    try {
        refuseUnlessRegularOrMissing(path_);
        const std::optional<int> header = headerVersion(path_);
        if (!header) {
            return Failure{sqliteReason(SQLITE_NOTADB), true};
        }
        if (*header > SchemaVersion) {
            return Failure{newerFile(*header)};
        }
        const QByteArray folder = QFile::encodeName(appDir);
        if (::faccessat(AT_FDCWD, folder.constData(), W_OK | X_OK, AT_EACCESS) != 0) {
            return Failure{notWritable(japaneseReason(errno, true))};
        }
        const FolderAccess access = FolderAccess::of(appDir);
        const QByteArray file = QFile::encodeName(path_);
        const int made =
            ::open(file.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, access.fileMode);
        if (made >= 0) {
            access.applyTo(made);
            ::close(made);
        }
        check(sqlite3_open_v2(file.constData(), &db_, SQLITE_OPEN_READWRITE, nullptr));
        sqlite3_extended_result_codes(db_, 1);
        if (sqlite3_db_readonly(db_, "main") == 1) {
            return Failure{notWritable(QStringLiteral("読み取り専用のファイルです"))};
        }
        sqlite3_busy_timeout(db_, BusyTimeoutMs);
        const int version = userVersion(db_);
        if (version > SchemaVersion) {
            return Failure{newerFile(version)};
        }
        struct statfs system {};
        const long type = ::statfs(folder.constData(), &system) == 0 ? system.f_type : 0;
        execute(db_, QByteArray("PRAGMA journal_mode=") + journalModeFor(type));
        execute(db_, "PRAGMA synchronous=FULL");
        if (version < SchemaVersion) {
            migrate(db_);
        }
        statements_ = std::make_unique<Statements>(db_);
        for (const QString& path :
             {path_, path_ + Companions[0], path_ + Companions[1], path_ + Companions[2]}) {
            if (ownFileAt(path)) {
                access.applyTo(path);
            }
        }
        return std::nullopt;
    } catch (const SqliteFailure& failure) {
        return Failure{sqliteReason(failure.code), isDamage(failure.code)};
    } catch (const FileError& error) {
        return Failure{error.message()};
    } catch (const std::exception& error) {
        return Failure{QString::fromLocal8Bit(error.what())};
    }
}

void DetailStore::inOneWrite(const std::function<void()>& work) {
    if (!db_) {
        return;
    }
    try {
        Transaction write = statements_->writing();
        work();
        write.commit();
    } catch (const SqliteFailure& failure) {
        throw StoreError(QStringLiteral("詳細ファイルに書き込めません: \"%1\"\n%2")
                             .arg(namedFile(path_), sqliteReason(failure.code)));
    }
}

QHash<LineKey, LineDetails> DetailStore::details(RecordFile file,
                                                 const QList<LineKey>& keys) const {
    QHash<LineKey, LineDetails> found;
    if (!db_) {
        return found;
    }
    try {
        Transaction snapshot = statements_->reading();
        for (const LineKey& key : keys) {
            Query query(statements_->visibleDetails, stored(file), stored(key.hash),
                        key.occurrence);
            if (query.next()) {
                found.insert(key, parsed(query.bytes(0)));
            }
        }
        snapshot.commit();
    } catch (const SqliteFailure&) {
        found.clear();  // the program goes on without details
    }
    return found;
}

LineDetails DetailStore::details(RecordFile file, const LineKey& key) const {
    return details(file, QList<LineKey>{key}).value(key);
}

std::optional<KeyChange> DetailStore::journalled() const {
    Query query(statements_->journal);
    if (!query.next()) {
        return std::nullopt;
    }
    return decoded(query.bytes(0));
}

void DetailStore::clearJournal() {
    Query(statements_->clearJournal).run();
    Query(statements_->clearJournalLines).run();
}

void DetailStore::begin(const KeyChange& change) {
    inOneWrite([&] {
        // One left by a writer that stopped: its lines are matched by their keys as they stand.
        clearJournal();
        Query(statements_->writeJournal, stored(change.file), Text{encoded(change)}).run();
        for (const KeyChange::Step& step : change.steps) {
            Query(statements_->writeJournalLine, stored(change.file), stored(lineHash(step.line)))
                .run();
        }
    });
}

void DetailStore::applySteps(const KeyChange& change) {
    QHash<quint64, Rows> byHash;
    for (const KeyChange::Step& step : change.steps) {
        const quint64 hash = lineHash(step.line);
        if (byHash.contains(hash)) {
            continue;
        }
        Rows& rows = byHash[hash];
        Query query(statements_->rowsOfLine, stored(change.file), stored(hash));
        while (query.next()) {
            rows.insert(static_cast<int>(query.integer(0)), Row{query.bytes(1), query.integer(2)});
        }
    }
    applyToRows(change.steps, byHash, clock_source::now().toSecsSinceEpoch());
    for (auto rows = byHash.cbegin(); rows != byHash.cend(); ++rows) {
        Query(statements_->deleteRowsOfLine, stored(change.file), stored(rows.key())).run();
        for (auto row = rows->cbegin(); row != rows->cend(); ++row) {
            Query(statements_->writeRow, stored(change.file), stored(rows.key()), row.key(),
                  Text{row->details}, row->changedAt)
                .run();
        }
    }
}

void DetailStore::finish() {
    inOneWrite([&] {
        if (const std::optional<KeyChange> change = journalled()) {
            applySteps(*change);
        }
        clearJournal();
    });
}

void DetailStore::abandon() {
    inOneWrite([&] { clearJournal(); });
}

void DetailStore::recover(const std::function<const QByteArrayList&(RecordFile)>& linesOf) {
    inOneWrite([&] {
        const std::optional<KeyChange> change = journalled();
        if (!change) {
            return;
        }
        if (linesShowChange(*change, linesOf(change->file))) {
            applySteps(*change);
        }
        clearJournal();
    });
}

void DetailStore::setDetails(RecordFile file, const LineKey& key, const LineDetails& details) {
    setDetails(file, {{key, details}});
}

void DetailStore::setDetails(RecordFile file,
                             const QList<std::pair<LineKey, LineDetails>>& details) {
    inOneWrite([&] {
        const qint64 now = clock_source::now().toSecsSinceEpoch();
        for (const auto& [key, values] : details) {
            if (values.isEmpty()) {
                Query(statements_->deleteRow, stored(file), stored(key.hash), key.occurrence).run();
            } else {
                Query(statements_->writeRow, stored(file), stored(key.hash), key.occurrence,
                      Text{compact(values)}, now)
                    .run();
            }
        }
    });
}

int DetailStore::purgeUnseen(RecordFile file, const QList<LineKey>& present,
                             const QDateTime& before) {
    const QSet<LineKey> kept(present.cbegin(), present.cend());
    QList<LineKey> unseen;
    inOneWrite([&] {
        {
            Query old(statements_->oldRows, stored(file), before.toSecsSinceEpoch());
            while (old.next()) {
                const LineKey key{static_cast<quint64>(old.integer(0)),
                                  static_cast<int>(old.integer(1))};
                if (!kept.contains(key)) {
                    unseen.append(key);
                }
            }
        }
        for (const LineKey& key : unseen) {
            Query(statements_->deleteRow, stored(file), stored(key.hash), key.occurrence).run();
        }
    });
    return static_cast<int>(unseen.size());
}

bool DetailStore::hasDetailsBefore(const QDateTime& before) const {
    if (!db_) {
        return false;
    }
    try {
        Query query(statements_->anyOlder, before.toSecsSinceEpoch());
        return query.next() && query.integer(0) != 0;
    } catch (const SqliteFailure&) {
        return false;
    }
}

std::optional<QByteArray> DetailStore::setting(const QString& name) const {
    if (!db_) {
        return std::nullopt;
    }
    try {
        Query query(statements_->setting, Text{name.toUtf8()});
        if (query.next()) {
            return query.bytes(0);
        }
    } catch (const SqliteFailure&) {
    }
    return std::nullopt;
}

void DetailStore::setSetting(const QString& name, const QByteArray& value) {
    inOneWrite([&] { Query(statements_->writeSetting, Text{name.toUtf8()}, value).run(); });
}

}  // namespace records
