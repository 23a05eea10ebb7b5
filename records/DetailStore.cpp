#include "records/DetailStore.h"

#include "records/Clock.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>

#include <sqlite3.h>

namespace records {

StoreError::StoreError(const QString& message) : std::runtime_error(message.toStdString()) {}

size_t qHash(const LineKey& key, size_t seed) noexcept {
    return ::qHash(key.hash, seed) ^ ::qHash(key.occurrence, seed);
}

quint64 lineHash(QByteArrayView line) {
    quint64 hash = 14695981039346656037ULL;
    for (const char byte : line) {
        hash ^= static_cast<unsigned char>(byte);
        hash *= 1099511628211ULL;
    }
    return hash;
}

namespace {

class Statement {
public:
    Statement(sqlite3* db, const char* sql) : db_(db) {
        if (sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr) != SQLITE_OK) {
            throw StoreError(QString::fromUtf8(sqlite3_errmsg(db)));
        }
    }
    ~Statement() { sqlite3_finalize(statement_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(int index, qint64 value) {
        sqlite3_bind_int64(statement_, index, value);
        return *this;
    }
    Statement& bind(int index, const QByteArray& value) {
        sqlite3_bind_blob(statement_, index, value.constData(), int(value.size()),
                          SQLITE_TRANSIENT);
        return *this;
    }
    bool step() {
        const int result = sqlite3_step(statement_);
        if (result != SQLITE_ROW && result != SQLITE_DONE) {
            throw StoreError(QString::fromUtf8(sqlite3_errmsg(db_)));
        }
        return result == SQLITE_ROW;
    }
    void reset() {
        sqlite3_reset(statement_);
        sqlite3_clear_bindings(statement_);
    }
    qint64 integer(int column) const { return sqlite3_column_int64(statement_, column); }
    QByteArray bytes(int column) const {
        return QByteArray(static_cast<const char*>(sqlite3_column_blob(statement_, column)),
                          sqlite3_column_bytes(statement_, column));
    }

private:
    sqlite3* db_;
    sqlite3_stmt* statement_ = nullptr;
};

void exec(sqlite3* db, const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const QString text = QString::fromUtf8(error);
        sqlite3_free(error);
        throw StoreError(text);
    }
}

struct Row {
    int occurrence;
    QByteArray details;
};

QByteArray encode(const KeyChange& change) {
    QJsonArray steps;
    for (const KeyChange::Step& step : change.steps) {
        QJsonObject object{{"leave", step.kind == KeyChange::Step::Kind::Leave},
                           {"line", QString::fromLatin1(step.line.toBase64())},
                           {"occurrence", step.occurrence},
                           {"identicalBefore", step.identicalBefore}};
        if (step.details) {
            object.insert("details", *step.details);
        }
        steps.append(object);
    }
    QJsonArray after;
    for (const auto& [line, count] : change.identicalAfter) {
        after.append(QJsonArray{QString::fromLatin1(line.toBase64()), count});
    }
    return QJsonDocument(
               QJsonObject{{"file", int(change.file)}, {"steps", steps}, {"after", after}})
        .toJson(QJsonDocument::Compact);
}

KeyChange decode(const QByteArray& bytes) {
    const QJsonObject object = QJsonDocument::fromJson(bytes).object();
    KeyChange change;
    change.file = RecordFile(object.value("file").toInt());
    for (const QJsonValue value : object.value("steps").toArray()) {
        const QJsonObject step = value.toObject();
        KeyChange::Step made;
        made.kind = step.value("leave").toBool() ? KeyChange::Step::Kind::Leave
                                                 : KeyChange::Step::Kind::Enter;
        made.line = QByteArray::fromBase64(step.value("line").toString().toLatin1());
        made.occurrence = step.value("occurrence").toInt();
        made.identicalBefore = step.value("identicalBefore").toInt();
        if (step.contains("details")) {
            made.details = step.value("details").toObject();
        }
        change.steps.append(made);
    }
    for (const QJsonValue value : object.value("after").toArray()) {
        const QJsonArray pair = value.toArray();
        change.identicalAfter.append(
            {QByteArray::fromBase64(pair.at(0).toString().toLatin1()), pair.at(1).toInt()});
    }
    return change;
}

}  // namespace

DetailStore::DetailStore() = default;

DetailStore::~DetailStore() {
    close();
}

bool DetailStore::open(const QString& appDir) {
    close();
    path_ = QDir(appDir).filePath(FileName);
    problem_.clear();
    if (sqlite3_open_v2(QFile::encodeName(path_).constData(), &db_,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        problem_ = QStringLiteral("\"%1\" を開けません。").arg(QDir::toNativeSeparators(path_));
        close();
        return false;
    }
    try {
        sqlite3_busy_timeout(db_, 5000);
        exec(db_, "PRAGMA synchronous=FULL");
        exec(db_,
             "CREATE TABLE IF NOT EXISTS details(file INTEGER, hash INTEGER, occurrence INTEGER,"
             " details BLOB, changed_at INTEGER, PRIMARY KEY(file, hash, occurrence))"
             " WITHOUT ROWID;"
             "CREATE TABLE IF NOT EXISTS journal(change BLOB);"
             "CREATE TABLE IF NOT EXISTS settings(name TEXT PRIMARY KEY, value BLOB)");
    } catch (const StoreError& error) {
        problem_ = QStringLiteral("\"%1\" を開けません。\n%2")
                       .arg(QDir::toNativeSeparators(path_), error.message());
        close();
        return false;
    }
    return true;
}

void DetailStore::close() {
    if (db_ != nullptr) {
        sqlite3_close(db_);
        db_ = nullptr;
    }
}

QHash<LineKey, LineDetails> DetailStore::details(RecordFile file,
                                                 const QList<LineKey>& keys) const {
    QHash<LineKey, LineDetails> found;
    if (db_ == nullptr) {
        return found;
    }
    QSet<quint64> moving;
    Statement journal(db_, "SELECT change FROM journal");
    while (journal.step()) {
        for (const KeyChange::Step& step : decode(journal.bytes(0)).steps) {
            moving.insert(lineHash(step.line));
        }
    }
    Statement select(db_,
                     "SELECT details FROM details WHERE file = ? AND hash = ? AND occurrence = ?");
    for (const LineKey& key : keys) {
        if (moving.contains(key.hash)) {
            continue;
        }
        select.reset();
        select.bind(1, int(file)).bind(2, qint64(key.hash)).bind(3, key.occurrence);
        if (select.step()) {
            found.insert(key, QJsonDocument::fromJson(select.bytes(0)).object());
        }
    }
    return found;
}

LineDetails DetailStore::details(RecordFile file, const LineKey& key) const {
    return details(file, QList<LineKey>{key}).value(key);
}

void DetailStore::begin(const KeyChange& change) {
    exec(db_, "DELETE FROM journal");
    Statement(db_, "INSERT INTO journal(change) VALUES (?)").bind(1, encode(change)).step();
}

namespace {

QList<Row> rowsOf(sqlite3* db, RecordFile file, quint64 hash) {
    Statement select(db,
                     "SELECT occurrence, details FROM details WHERE file = ? AND hash = ?"
                     " ORDER BY occurrence");
    select.bind(1, int(file)).bind(2, qint64(hash));
    QList<Row> rows;
    while (select.step()) {
        rows.append({int(select.integer(0)), select.bytes(1)});
    }
    return rows;
}

void writeRows(sqlite3* db, RecordFile file, quint64 hash, const QList<Row>& rows) {
    Statement(db, "DELETE FROM details WHERE file = ? AND hash = ?")
        .bind(1, int(file))
        .bind(2, qint64(hash))
        .step();
    Statement insert(db,
                     "INSERT INTO details(file, hash, occurrence, details, changed_at)"
                     " VALUES (?, ?, ?, ?, ?)");
    for (const Row& row : rows) {
        insert.reset();
        insert.bind(1, int(file))
            .bind(2, qint64(hash))
            .bind(3, row.occurrence)
            .bind(4, row.details)
            .bind(5, clock_source::now().toSecsSinceEpoch());
        insert.step();
    }
}

void applySteps(sqlite3* db, const KeyChange& change) {
    std::optional<QByteArray> carried;
    for (qsizetype at = 0; at < change.steps.size(); ++at) {
        const KeyChange::Step& step = change.steps.at(at);
        const bool takenAlong = at + 1 < change.steps.size() &&
                                change.steps.at(at + 1).kind == KeyChange::Step::Kind::Enter &&
                                !change.steps.at(at + 1).details;
        const quint64 hash = lineHash(step.line);
        QList<Row> rows = rowsOf(db, change.file, hash);
        if (step.kind == KeyChange::Step::Kind::Leave) {
            std::optional<QByteArray> leaving;
            for (qsizetype i = rows.size() - 1; i >= 0; --i) {
                if (rows[i].occurrence == step.occurrence) {
                    leaving = rows.takeAt(i).details;
                } else if (rows[i].occurrence > step.occurrence) {
                    --rows[i].occurrence;
                }
            }
            carried = leaving.value_or(QByteArray());
            if (leaving && !takenAlong) {
                // Kept unseen after the identical lines that stay, unless an Enter takes them.
                for (Row& row : rows) {
                    if (row.occurrence >= step.identicalBefore - 1) {
                        ++row.occurrence;
                    }
                }
                rows.append({step.identicalBefore - 1, *leaving});
            }
        } else {
            QByteArray details;
            if (step.details) {
                details = step.details->isEmpty()
                              ? QByteArray()
                              : QJsonDocument(*step.details).toJson(QJsonDocument::Compact);
            } else {
                details = carried.value_or(QByteArray());
            }
            for (Row& row : rows) {
                if (row.occurrence >= step.occurrence) {
                    ++row.occurrence;
                }
            }
            if (!details.isEmpty()) {
                rows.append({step.occurrence, details});
            }
            carried.reset();
        }
        writeRows(db, change.file, hash, rows);
    }
}

}  // namespace

void DetailStore::finish() {
    exec(db_, "BEGIN IMMEDIATE");
    try {
        Statement journal(db_, "SELECT change FROM journal");
        while (journal.step()) {
            applySteps(db_, decode(journal.bytes(0)));
        }
        exec(db_, "DELETE FROM journal");
        exec(db_, "COMMIT");
    } catch (...) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

void DetailStore::abandon() {
    exec(db_, "DELETE FROM journal");
}

void DetailStore::recover(const std::function<const QByteArrayList&(RecordFile)>& linesOf) {
    Statement journal(db_, "SELECT change FROM journal");
    if (!journal.step()) {
        return;
    }
    const KeyChange change = decode(journal.bytes(0));
    const QByteArrayList& lines = linesOf(change.file);
    const bool made = std::all_of(
        change.identicalAfter.cbegin(), change.identicalAfter.cend(),
        [&lines](const auto& entry) { return lines.count(entry.first) == entry.second; });
    if (made) {
        finish();
    } else {
        abandon();
    }
}

void DetailStore::setDetails(RecordFile file, const LineKey& key, const LineDetails& details) {
    QList<Row> rows = rowsOf(db_, file, key.hash);
    rows.removeIf([&key](const Row& row) { return row.occurrence == key.occurrence; });
    if (!details.isEmpty()) {
        rows.append({key.occurrence, QJsonDocument(details).toJson(QJsonDocument::Compact)});
    }
    exec(db_, "BEGIN IMMEDIATE");
    try {
        writeRows(db_, file, key.hash, rows);
        exec(db_, "COMMIT");
    } catch (...) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

int DetailStore::purgeUnseen(RecordFile, const QList<LineKey>&, const QDateTime&) {
    return 0;
}

bool DetailStore::hasDetailsBefore(const QDateTime&) const {
    return false;
}

std::optional<QByteArray> DetailStore::setting(const QString& name) const {
    Statement select(db_, "SELECT value FROM settings WHERE name = ?");
    select.bind(1, name.toUtf8());
    if (select.step()) {
        return select.bytes(0);
    }
    return std::nullopt;
}

void DetailStore::setSetting(const QString& name, const QByteArray& value) {
    Statement(db_, "INSERT OR REPLACE INTO settings(name, value) VALUES (?, ?)")
        .bind(1, name.toUtf8())
        .bind(2, value)
        .step();
}

}  // namespace records
