#pragma once

#include "records/CustomerIndex.h"
#include "records/DetailStore.h"
#include "records/FilePrefetch.h"
#include "records/ReservationIndex.h"
#include "records/StartUpReads.h"
#include "records/uLib.h"

#include <QByteArrayList>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <utility>

namespace records {

// One change of a record file as its caller means it. Replace and remove name the line by its
// place in the list when the caller looked and by its bytes: when another program changed the file
// in between, the line is found again by its bytes (the first equal line), and an intent whose
// line is gone does nothing (a replacement that moves the line to the end still adds the new one,
// so that what the user typed is never lost).
struct RecordIntent {
    enum class Kind { Add, Replace, Remove };
    // Where a replacement puts the new line: where the old one stood, or at the end of the file
    // (the dialogs' way: a changed booking or customer moves to the end).
    enum class Placement { InPlace, AtEnd };

    Kind kind = Kind::Add;
    // Replace, Remove: the line's place. Add: the place the line goes to (before the line that
    // stands there), or -1 for the end of the file.
    qsizetype position = -1;
    QByteArray old;   // Replace, Remove
    QByteArray line;  // Add, Replace
    Placement placement = Placement::InPlace;
    // The new line's details in the store. Nothing: none for an added line, the old line's for
    // a replacement.
    std::optional<LineDetails> details;
    // In an announced intent: the details the old line had (what an undo gives back).
    LineDetails previousDetails;

    static RecordIntent add(QByteArray line, std::optional<LineDetails> details = std::nullopt);
    static RecordIntent replace(qsizetype position, QByteArray old, QByteArray line,
                                Placement placement = Placement::InPlace,
                                std::optional<LineDetails> details = std::nullopt);
    static RecordIntent remove(qsizetype position, QByteArray old);
    // An addition at `position` rather than at the end (an undone deletion goes back there).
    static RecordIntent insert(qsizetype position, QByteArray line,
                               std::optional<LineDetails> details = std::nullopt);
};

// How the intents find their lines: by bytes when the file changed (the first equal line), or
// only exactly where the caller saw them (an undo, which never guesses).
enum class IntentMatch { ByBytes, Exact };

// What the owner of the lists announces after a list changed.
struct RecordChange {
    enum class Cause {
        Written,  // intents were written, `made` holds them as they were made
        Loaded,   // the list was read from its file on request (start-up, a restore)
        Details,  // only the store changed: the details of the line at `made`'s position
    };
    RecordFile file = RecordFile::Yoyaku;
    Cause cause = Cause::Written;
    // Each with the position it was made at in the list the intents before it left; intents
    // whose line was gone are left out.
    QList<RecordIntent> made;
    // The file had been changed by another program and was read again before the write.
    bool readAgainFirst = false;
};

// The calendar's two record lists as the working copies of the two record files in one folder,
// and the store beside them: their one owner. Every change is given here as intents and reaches
// the file first, so that each list, the bytes the customer file holds after its end mark, the
// reservations' day index, the store's details and whether the reservation file was read stay in
// step; then changed() announces it, and the windows that show records follow from that.
class RecordLists : public QObject {
    Q_OBJECT
public:
    RecordLists(THonjitu& honjitu, const QString& appDir);
    ~RecordLists() override;

    QString userFilePath() const;
    QString yoyakuFilePath() const;
    const THonjitu& honjitu() const { return honjitu_; }
    const QByteArrayList& lines(RecordFile file) const;
    // In step with YoyakuList at all times.
    const ReservationIndex& yoyakuIndex() const { return yoyakuIndex_; }
    // UserList by pet name, brought in step with it when asked (a list not changed since costs
    // nothing), whoever changed the list.
    const karte::CustomerIndex& customerIndex() const;

    // YoyakuList is the working copy of the reservation file only once the file was read (or
    // found missing); until then nothing may write the file from it.
    bool isYoyakuListLoaded() const { return yoyakuListLoaded_; }

    // Both loads read the file under the folder's lock (shared with other readers), and take
    // what `readAhead` read only when that is still the file on disk under the lock.

    // Clears YoyakuList and reads the reservation file into it, or takes it from `readAhead`;
    // false (list left empty) when there is no file (nothing, or a folder in its place). Throws
    // FileError when it exists but cannot be read.
    bool YoyakuFileLoad(FilePrefetch<ReservationsReadAhead>* readAhead = nullptr);

    // Clears UserList and reads the customer file into it, or takes it from `readAhead`, handing
    // each line to `takeLine` once it is in the list. `letEventsThrough` runs before the first
    // line and then every few milliseconds, so the window stays responsive on a long file.
    // Throws FileError when the file cannot be read; the lines taken before stay.
    void UserListLoad(const std::function<void(const QByteArray&)>& takeLine = {},
                      const std::function<void()>& letEventsThrough = {},
                      FilePrefetch<RecordFileRead>* readAhead = nullptr);

    // Every write below first takes the folder's lock and looks whether the file on disk is the
    // one last read or written here. When another program changed it, the file is read again,
    // the change is made on what it holds now, and the file is noted for takeFilesReloaded().
    // A file that is not a regular file, too large or not Shift-JIS is never written. Throws
    // FileError; the old file then stays whole and the list as it was (or as read again).

    // The intents made on the file in order, in one write: a single addition appends to the
    // file, anything else replaces it in one rewrite. Each position is one in the list as the
    // caller saw it, before any of the intents. With IntentMatch::Exact nothing is written, and
    // false returned, unless every line is where the caller saw it, with the bytes it saw.
    bool change(RecordFile file, const QList<RecordIntent>& intents,
                IntentMatch match = IntentMatch::ByBytes);

    // Mode 'A' appends `line` to the file and then to the list; mode 'R' replaces the file with
    // the list's lines (the line is ignored).
    void YoyakuFileSave(const QByteArray& line, char mode);
    void UserFileSave(const QByteArray& line, char mode);

    // The record files found changed by another program (and read again) since the last call.
    QStringList takeFilesReloaded();

    // The store. Opened at start-up when the folder has one; made by the first details written.
    // Its problems (it cannot be opened, a write failed and it was closed) are each told once
    // through takeStoreProblem(), and the records go on without details.
    void openStoreIfPresent();
    void closeStore();
    bool hasStore() const { return store_.isOpen(); }
    QString takeStoreProblem();

    // The store's key of the line at `position`, and the details of lines by position.
    LineKey keyAt(RecordFile file, qsizetype position) const;
    QHash<qsizetype, LineKey> keysAt(RecordFile file, const QList<qsizetype>& positions) const;
    QHash<qsizetype, LineDetails> detailsAt(RecordFile file,
                                            const QList<qsizetype>& positions) const;
    LineDetails detailsAt(RecordFile file, qsizetype position) const;
    // Gives the line at `position`, whose bytes are `line`, new details; the record file is not
    // written. Found again by its bytes when the file was read again first; nothing happens when
    // it is gone. Throws StoreError (the store is then closed) or FileError.
    void setDetails(RecordFile file, qsizetype position, const QByteArray& line,
                    const LineDetails& details);

    // Details that no line has any more are kept for as long as Japanese salons keep their
    // records, then deleted by this (cheap while none is that old).
    static constexpr int DetailRetentionYears = 5;
    void purgeOldDetails();

    // The salon's settings in the store, by name; nothing when never set or there is no store.
    std::optional<QByteArray> setting(const QString& name) const;
    // Writes a setting, making the store when there is none, and announces it. Throws
    // StoreError (the store is then closed) or FileError (the lock).
    void setSetting(const QString& name, const QByteArray& value);

    // The same for what the program keeps by itself (the undo history, the trash), which a salon
    // did not ask to be stored: where no store could be made for it (a full disk, a folder that
    // cannot be written), nothing is told and nothing is left behind, so that a salon that set
    // nothing up sees nothing new. A problem of a store the salon has is told as for any other.
    // False when the value was not kept.
    bool keepSetting(const QString& name, const QByteArray& value);

signals:
    void changed(const records::RecordChange& change);
    void settingChanged(const QString& name);

private:
    // The loads, for a caller that holds the folder's lock.
    bool loadYoyaku(std::optional<ReservationsReadAhead> readAhead);
    RecordFileRead readUsers(std::optional<RecordFileRead> readAhead);
    QString pathOf(RecordFile file) const;
    QByteArrayList& listOf(RecordFile file);
    // Reads the file again when it is not the one last read or written; true when it did.
    bool reloadWhenChangedElsewhere(RecordFile file);
    // Runs `write` under the folder's lock, after reading the file again when another program
    // changed it, and announces what it returns once the lock is let go.
    void writeAndAnnounce(RecordFile file, const QString& lockSubject,
                          const std::function<std::optional<RecordChange>(bool readAgain)>& write);
    // Writes the intents and the store's keys with them; returns the intents as made, or
    // nothing when an exact match failed.
    std::optional<QList<RecordIntent>> writeIntents(RecordFile file,
                                                    const QList<RecordIntent>& intents,
                                                    IntentMatch match);
    // The details the lines leaving in `keys` had, into the made intents that remove them.
    void notePreviousDetails(const KeyChange& keys, QList<RecordIntent>& made) const;
    // The file rewritten from its list as it is (mode 'R').
    void rewrite(RecordFile file);
    // For a writer holding the lock: opens a store that another desk has made meanwhile and
    // completes a change it left unfinished.
    void followStore();
    void storeFailed(const StoreError& error);
    void noteWritten(RecordFile file);
    QString storePath() const;
    // For a caller holding the lock: opens the store, making it when there is none, and settles
    // it; a problem is kept for takeStoreProblem().
    void openStore();
    // A store made by keepSetting that could not be used: closed and its files removed, as if it
    // had never been tried in this run.
    void forgetStoreMadeNow();
    // Opens the store when no problem keeps it shut; true when it is open.
    bool storeAvailable();
    // The same, throwing StoreError with the problem when it cannot be opened.
    void requireStore();
    // Completes or forgets a change the store journalled and did not finish; needs the lock.
    void settleStore();

    THonjitu& honjitu_;
    QString appDir_;
    // The customer file from its end mark (a line that begins with 0x1A) on: bytes the list does
    // not show, which every write keeps after the lines so that none of them is lost.
    QByteArray userTail_;
    ReservationIndex yoyakuIndex_;
    mutable karte::CustomerIndex customerIndex_;
    bool yoyakuListLoaded_ = false;
    // What each file was when last read or written here; nothing before a successful read.
    std::optional<FileIdentity> yoyakuKnown_;
    std::optional<FileIdentity> userKnown_;
    QStringList filesReloaded_;
    // The contents read ahead at start-up: the lists' lines point into them, and so may copies
    // of those lines anywhere, so neither is let go while the lists exist. Every later read (a
    // file changed elsewhere, read again) copies its lines, so that reading again and again
    // does not keep one content more each time.
    QByteArrayList contentsRead_;
    DetailStore store_;
    QString storeProblem_;
    // A store whose problem was told is not opened again in this run.
    bool storeRefused_ = false;
    // The store holds what the salon set up (details, its settings), not only what the program
    // keeps by itself: only then are its problems told.
    bool holdsSalonData_ = false;
};

}  // namespace records
