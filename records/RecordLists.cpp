#include "records/RecordLists.h"

#include <QElapsedTimer>
#include <QFileInfo>

namespace records {

RecordLists::RecordLists(THonjitu& honjitu, const QString& appDir)
    : honjitu_(honjitu), appDir_(appDir) {}

QString RecordLists::userFilePath() const {
    return recordFilePath(appDir_, UserFileName);
}

QString RecordLists::yoyakuFilePath() const {
    return recordFilePath(appDir_, YoyakuFileName);
}

bool RecordLists::YoyakuFileLoad(std::optional<ReservationsReadAhead> readAhead) {
    honjitu_.YoyakuList.clear();
    yoyakuTail_.clear();
    yoyakuIndex_ = {};
    yoyakuListLoaded_ = false;
    if (readAhead) {
        honjitu_.YoyakuList = std::move(readAhead->lines);
        yoyakuTail_ = std::move(readAhead->unreadTail);
        yoyakuIndex_ = std::move(readAhead->index);
        yoyakuListLoaded_ = true;
        return true;
    }
    // A folder in the file's place reads as no file: start-up reports it by name and goes on.
    if (!QFileInfo(yoyakuFilePath()).isFile()) {
        yoyakuListLoaded_ = true;
        return false;
    }
    RecordFileRead read =
        readReservationFile(readRecordFile(yoyakuFilePath()),
                            [this](const QByteArray& line) { yoyakuIndex_.append(line); });
    honjitu_.YoyakuList = std::move(read.lines);
    yoyakuTail_ = std::move(read.unreadTail);
    yoyakuIndex_.sync(honjitu_.YoyakuList);
    yoyakuListLoaded_ = true;
    return true;
}

void RecordLists::UserListLoad(const std::function<void(const QByteArray&)>& takeLine,
                               const std::function<void()>& letEventsThrough,
                               std::optional<RecordFileRead> readAhead) {
    constexpr qint64 EventIntervalMs = 8;
    honjitu_.UserList.clear();
    userTail_.clear();
    RecordFileRead read =
        readAhead ? std::move(*readAhead) : readCustomerFile(readRecordFile(userFilePath()));
    userTail_ = std::move(read.unreadTail);
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

void RecordLists::saveFile(const QString& path, const QByteArray& line, char mode,
                           QByteArrayList& list, const QByteArray& unreadTail) {
    if (mode == 'A') {
        appendRecordLine(path, line, list, unreadTail);
    } else if (mode == 'R') {
        rewriteRecordFile(path, list, unreadTail);
    }
}

void RecordLists::YoyakuFileSave(const QByteArray& line, char mode) {
    saveFile(yoyakuFilePath(), line, mode, honjitu_.YoyakuList, yoyakuTail_);
    yoyakuIndex_.sync(honjitu_.YoyakuList);
}

void RecordLists::UserFileSave(const QByteArray& line, char mode) {
    saveFile(userFilePath(), line, mode, honjitu_.UserList, userTail_);
}

void RecordLists::replaceYoyakuList(QByteArrayList lines) {
    rewriteRecordFile(yoyakuFilePath(), lines, yoyakuTail_);
    honjitu_.YoyakuList = std::move(lines);
    yoyakuIndex_.sync(honjitu_.YoyakuList);
}

void RecordLists::replaceUserList(QByteArrayList lines) {
    rewriteRecordFile(userFilePath(), lines, userTail_);
    honjitu_.UserList = std::move(lines);
}

}  // namespace records
