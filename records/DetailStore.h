#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QByteArrayView>
#include <QDateTime>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>

struct sqlite3;

namespace records {

// The two record files, as the store and the record changes name them.
enum class RecordFile { Yoyaku, User };

// A record line as the store knows it: a hash of its bytes (without its end) and its place among
// the identical lines of its file, counted from 0 in file order. Identical lines are told apart
// by their place only, so the keys of the later ones move when an earlier one leaves.
struct LineKey {
    quint64 hash = 0;
    int occurrence = 0;
    friend bool operator==(const LineKey&, const LineKey&) = default;
};
size_t qHash(const LineKey& key, size_t seed = 0) noexcept;

// A hash that stays the same from one version of the program to the next (FNV-1a, 64 bits).
quint64 lineHash(QByteArrayView line);

// What the store keeps for one line: named values that the features that need them add. An empty
// object is no details at all.
using LineDetails = QJsonObject;

// How one written record change moves the store's keys of its file, step by step in the order
// the change was made, each step on the lines as the steps before left them.
struct KeyChange {
    struct Step {
        enum class Kind {
            // The line at `occurrence` of `line` leaves the file. Its details stay, unseen, at
            // the first place after the identical lines that remain (so the same line coming
            // back finds them), unless the next step is an Enter that takes them along.
            Leave,
            // `line` enters the file as its `occurrence`-th identical line; the identical lines
            // from there on move up one place. It gets `details` when given, the details of the
            // line of the Leave just before it when not (a replacement carries them), and none
            // otherwise.
            Enter,
        };
        Kind kind = Kind::Enter;
        QByteArray line;
        int occurrence = 0;
        // Leave: how many lines identical to `line` the file holds before the step.
        int identicalBefore = 0;
        // Enter only: nothing means the details of the line that just left.
        std::optional<LineDetails> details;
    };
    RecordFile file = RecordFile::Yoyaku;
    QList<Step> steps;
    // How many lines identical to each line of the steps the file holds once the change is
    // written, so that a change cut off between the two writes can tell which of them was made.
    QList<std::pair<QByteArray, int>> identicalAfter;
};

// The store beside the record files, "trimbook.db" in the record folder: what the record files
// have no room for, kept by line (see LineKey), and the salon's own settings. It is SQLite with a
// schema version and migrations from the first version on, written with synchronous=FULL, in WAL
// mode on a local file system and with a rollback journal on a network one (NFS, SMB/CIFS), where
// WAL cannot be shared. Its files get the folder's access (FolderAccess) like every file the
// program makes there.
//
// A store that cannot be used is closed and says why; the program then goes on without details.
// A damaged file is moved aside with the moment in its name, never overwritten or deleted, and a
// new empty store takes its place: open() succeeds, and problem() tells where the old one went.
//
// Every write happens while the caller holds the folder's lock for writing. A record change is
// written in three steps so that a stop at any moment leaves the details right: begin() journals
// the change, the caller writes the record file, finish() moves the keys; recover() completes or
// forgets a change journalled and not finished.
class DetailStore {
public:
    static constexpr int SchemaVersion = 1;
    static inline const QString FileName = QStringLiteral("trimbook.db");

    DetailStore();
    ~DetailStore();
    DetailStore(const DetailStore&) = delete;
    DetailStore& operator=(const DetailStore&) = delete;

    // Opens `appDir`/trimbook.db, making it when there is none. False when it cannot be used (a
    // folder that cannot be written, a damaged file that cannot be moved aside, a file locked by
    // another program, a file a newer program made): problem() then says so in Japanese, naming
    // the file and the reason. A damaged file moved aside leaves problem() set after a true, for
    // the user to be told once.
    bool open(const QString& appDir);
    void close();
    bool isOpen() const { return db_ != nullptr; }
    QString problem() const { return problem_; }
    QString path() const { return path_; }

    // The details of the lines, from what is written in the store now (another desk's change
    // included). Lines without details are left out. Lines of a change that was journalled and
    // not finished get none until recover() has run: they may be about to move.
    QHash<LineKey, LineDetails> details(RecordFile file, const QList<LineKey>& keys) const;
    LineDetails details(RecordFile file, const LineKey& key) const;

    // The three steps of a record change (see above). begin() and finish() throw StoreError; a
    // record write that failed after begin() is followed by abandon().
    void begin(const KeyChange& change);
    void finish();
    void abandon();
    // A change journalled and not finished is finished when the file's lines are what it left
    // them, and forgotten otherwise (its lines are then matched by their keys as they stand).
    void recover(const std::function<const QByteArrayList&(RecordFile)>& linesOf);

    // Sets the details of one line in place (a window that edits details only).
    void setDetails(RecordFile file, const LineKey& key, const LineDetails& details);
    // The same for many lines in one transaction (details brought in at once).
    void setDetails(RecordFile file, const QList<std::pair<LineKey, LineDetails>>& details);

    // Deletes the details that no line of the file has and that were last written before
    // `before`; `present` holds the keys of all lines the file has now. Returns how many went.
    int purgeUnseen(RecordFile file, const QList<LineKey>& present, const QDateTime& before);
    // Whether any details were last written before `before` (so that a purge is worth the keys).
    bool hasDetailsBefore(const QDateTime& before) const;

    // The salon's settings, by name; nothing when never set.
    std::optional<QByteArray> setting(const QString& name) const;
    void setSetting(const QString& name, const QByteArray& value);

private:
    struct Statements;
    struct Failure;
    std::optional<Failure> connect(const QString& appDir);
    std::optional<KeyChange> journalled() const;
    void clearJournal();
    void applySteps(const KeyChange& change);
    // Runs `work` in one write transaction; throws StoreError when SQLite refuses it.
    void inOneWrite(const std::function<void()>& work);

    sqlite3* db_ = nullptr;
    std::unique_ptr<Statements> statements_;
    QString path_;
    QString problem_;
};

// The journal mode for a store on a file system of the type statfs() gives (f_type): WAL, whose
// shared memory needs one machine, on a local one; a rollback journal on NFS and SMB/CIFS.
const char* journalModeFor(long fileSystemType);

// The store refused a read or write. The text names the file and the reason, in Japanese.
class StoreError : public std::runtime_error {
public:
    explicit StoreError(const QString& message);
    QString message() const { return QString::fromUtf8(what()); }
};

}  // namespace records
