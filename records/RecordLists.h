#pragma once

#include "records/FilePrefetch.h"
#include "records/ReservationIndex.h"
#include "records/StartUpReads.h"
#include "records/uLib.h"

#include <QByteArrayList>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <utility>

namespace records {

// A change of a record list by the lines' texts, so that it can be made again on what the file
// holds after another program changed it: each removed line takes away the first equal line
// (none when it is gone), each replaced line takes the place of the first line equal to the old
// one (none when it is gone), then the appended lines go at the end.
struct LineChange {
    QByteArrayList removed;
    QByteArrayList appended;
    QList<std::pair<QByteArray, QByteArray>> replaced;  // old line, new line

    QByteArrayList appliedTo(QByteArrayList lines) const;
    // The change that turns `before` into `after` when `after` is `before` less some lines plus
    // some at its end (what the reservation dialog and the list page do).
    static LineChange between(const QByteArrayList& before, const QByteArrayList& after);
};

// The calendar's two record lists as the working copies of the two record files in one folder.
// Every change goes through here and reaches the file first, so that each list, the bytes the
// customer file holds after its end mark, the reservations' day index and whether the reservation
// file was read stay in step.
class RecordLists {
public:
    RecordLists(THonjitu& honjitu, const QString& appDir);

    QString userFilePath() const;
    QString yoyakuFilePath() const;
    const THonjitu& honjitu() const { return honjitu_; }
    // In step with YoyakuList at all times.
    const ReservationIndex& yoyakuIndex() const { return yoyakuIndex_; }

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

    // Mode 'A' appends `line` to the file and then to the list; mode 'R' replaces the file with
    // the list's lines (the line is ignored).
    void YoyakuFileSave(const QByteArray& line, char mode);
    void UserFileSave(const QByteArray& line, char mode);

    // The file replaced by `lines` in one rewrite; the list becomes `lines` only once the file
    // holds them. On a file changed elsewhere, the difference of `lines` from the list is made.
    void replaceYoyakuList(QByteArrayList lines);
    void replaceUserList(QByteArrayList lines);
    // The reservation line at `position` replaced by `line` where it stands. On a file changed
    // elsewhere, the first line equal to the old one is replaced.
    void replaceYoyakuLine(qsizetype position, const QByteArray& line);

    // The record files found changed by another program (and read again) since the last call.
    QStringList takeFilesReloaded();

private:
    enum class Which { Yoyaku, User };
    // Writes `change` (or `exactLines` while the file is the one known) under the lock.
    void write(Which which, const LineChange& change, const QByteArrayList* exactLines = nullptr);
    QString pathOf(Which which) const;
    // The loads, for a caller that holds the folder's lock.
    bool loadYoyaku(std::optional<ReservationsReadAhead> readAhead);
    RecordFileRead readUsers(std::optional<RecordFileRead> readAhead);
    // Reads the file again when it is not the one last read or written; true when it did.
    bool reloadWhenChangedElsewhere(Which which);

    THonjitu& honjitu_;
    QString appDir_;
    // The customer file from its end mark (a line that begins with 0x1A) on: bytes the list does
    // not show, which every write keeps after the lines so that none of them is lost.
    QByteArray userTail_;
    ReservationIndex yoyakuIndex_;
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
};

}  // namespace records
