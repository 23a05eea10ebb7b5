#pragma once

#include "records/FolderAccess.h"

#include <QByteArrayList>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>
#include <stdexcept>

// The calendar with the week on show, the two in-memory record lists, and the file routines that
// every record change goes through.

// A record file could not be opened, read or written. The text names the file.
class FileError : public std::runtime_error {
public:
    explicit FileError(const QString& message);
    QString message() const { return QString::fromUtf8(what()); }
};

class THonjitu : public QObject {
    Q_OBJECT
public:
    explicit THonjitu(QObject* owner = nullptr);

    int Youbi;                  // weekday of today at the last WeekNow: 1 = Sunday ... 7 = Saturday
    QDateTime Kijunbi;          // today at the last WeekNow, moved by whole weeks
    int Jikan;                  // hour of Kijunbi; 1 until the first WeekNow
    QByteArrayList YoyakuList;  // reservation lines in file order
    QByteArrayList UserList;    // customer lines in file order
    QDateTime WeekStart;        // Sunday of the week shown, with Kijunbi's time of day
};

// File names of the two record files inside the record folder.
inline const QString UserFileName = QStringLiteral("お客様登録.csv");
inline const QString YoyakuFileName = QStringLiteral("カット予約.csv");
QString recordFilePath(const QString& appDir, const QString& fileName);

// Weekday number 1 = Sunday ... 7 = Saturday.
int weekdayNumber(const QDate& date);

void WeekNow(THonjitu& honjitu);
void WeekNext(THonjitu& honjitu);
void WeekBack(THonjitu& honjitu);

// Creates an empty file with its folder's access (FolderAccess) when none is at `path`; true when
// a file already existed.
bool DataFileCheck(const QString& path);

// The two writes of a record file. `unreadTail` is written after the lines; while there is one,
// an append rewrites the file from `list` so that the new line comes before the tail, where it
// will be read. Throws FileError; on failure the old file stays whole and `list` unchanged.
void appendRecordLine(const QString& path, const QByteArray& line, QByteArrayList& list,
                      const QByteArray& unreadTail = {});
void rewriteRecordFile(const QString& path, const QByteArrayList& lines,
                       const QByteArray& unreadTail = {});
// Replaces the file's whole content with `content` in one step: the file is always the old or
// the new bytes, and keeps its permissions. A new file gets `forNewFile`, by default its folder's
// access. Throws FileError; on failure the old file stays.
void replaceRecordFile(const QString& path, const QByteArray& content,
                       const std::optional<records::FolderAccess>& forNewFile = std::nullopt);
// Deletes the scratch files that replacements of `file` cut off (by a crash, a kill) left beside
// it. Only for a writer holding the folder's lock: every writer writes under it, so what is there
// then belongs to no write in progress.
void clearLeftoverScratchFiles(const QString& file);
// Makes the folder's entries (a file renamed into it) reach the disk; false when that failed.
bool syncFolder(const QString& folder);

// Line rules of the reservation file: CR, LF and CR LF end a line; every other byte, NUL
// included, belongs to its line. Each line is also handed to `eachLine` as it is cut.
QByteArrayList splitReservationFile(const QByteArray& content,
                                    const std::function<void(const QByteArray&)>& eachLine = {});
// Line rules of the customer file: LF ends a line, CRs are dropped, 0x1A ends the text.
QByteArrayList splitCustomerFile(const QByteArray& content);

// A record file's lines and the bytes its reader leaves unread: the customer file's from its
// first 0x1A on (nothing when there is no mark, and nothing ever in the reservation file).
struct RecordFileRead {
    QByteArrayList lines;
    QByteArray unreadTail;
    // Read in place: the content the lines point into, to be kept for as long as they are.
    QByteArray content;
};
// How a reader hands out the lines: each with bytes of its own, or pointing into the content.
// In place saves copying a decade of records at start-up, which costs more than the rest of
// the read, but the caller must then keep the content for as long as any line.
enum class LineBytes { Own, InContent };
RecordFileRead readReservationFile(const QByteArray& content,
                                   const std::function<void(const QByteArray&)>& eachLine = {},
                                   LineBytes bytes = LineBytes::Own);
RecordFileRead readCustomerFile(const QByteArray& content, LineBytes bytes = LineBytes::Own);

// The whole content of a record file. Throws FileError when it cannot be opened or read.
QByteArray readRecordFile(const QString& path);
