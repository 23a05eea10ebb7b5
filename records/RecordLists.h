#pragma once

#include "records/ReservationIndex.h"
#include "records/StartUpReads.h"
#include "records/uLib.h"

#include <QByteArrayList>
#include <QString>

#include <functional>
#include <optional>

namespace records {

// The calendar's two record lists as the working copies of the two record files in one folder.
// Every change goes through here and reaches the file first, so that each list, the bytes its
// file holds after the end mark, the reservations' day index and whether the reservation file
// was read stay in step.
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

    // Clears YoyakuList and reads the reservation file into it, from `readAhead` when given;
    // false (list left empty) when there is no file (nothing, or a folder in its place). Throws
    // FileError when it exists but cannot be read.
    bool YoyakuFileLoad(std::optional<ReservationsReadAhead> readAhead = std::nullopt);

    // Clears UserList and reads the customer file into it, from `readAhead` when given, handing
    // each line to `takeLine` once it is in the list. `letEventsThrough` runs before the first
    // line and then every few milliseconds, so the window stays responsive on a long file.
    // Throws FileError when the file cannot be read; the lines taken before stay.
    void UserListLoad(const std::function<void(const QByteArray&)>& takeLine = {},
                      const std::function<void()>& letEventsThrough = {},
                      std::optional<RecordFileRead> readAhead = std::nullopt);

    // Mode 'A' appends `line` to the file and then to the list; mode 'R' replaces the file with
    // the list's lines (the line is ignored). Throws FileError; the old file then stays whole.
    void YoyakuFileSave(const QByteArray& line, char mode);
    void UserFileSave(const QByteArray& line, char mode);

    // The file replaced by `lines` in one rewrite; the list becomes `lines` only once the file
    // holds them, so a failed write leaves both as they were.
    void replaceYoyakuList(QByteArrayList lines);
    void replaceUserList(QByteArrayList lines);

private:
    void saveFile(const QString& path, const QByteArray& line, char mode, QByteArrayList& list,
                  const QByteArray& unreadTail);

    THonjitu& honjitu_;
    QString appDir_;
    // Each file from its end mark (NUL, 0x1A) on: bytes the lists do not show, which every write
    // keeps after the lines so that none of them is lost.
    QByteArray yoyakuTail_;
    QByteArray userTail_;
    ReservationIndex yoyakuIndex_;
    bool yoyakuListLoaded_ = false;
};

}  // namespace records
