#pragma once

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

// Creates an empty file (owner-only) when none is at `path`; true when a file already existed.
bool DataFileCheck(const QString& path);

// Mode 'A' appends `line` to the file and then to the list; mode 'R' replaces the file with the
// list's lines (the line is ignored). Throws FileError; on failure the old file stays whole.
void YoyakuFileSave(const QString& path, const QByteArray& line, char mode, THonjitu& honjitu);
void UserFileSave(const QString& path, const QByteArray& line, char mode, THonjitu& honjitu);

// The same two writes on any list, for callers that keep their own copy.
void appendRecordLine(const QString& path, const QByteArray& line, QByteArrayList& list);
void rewriteRecordFile(const QString& path, const QByteArrayList& lines);

// Line rules of the reservation file: CR, LF and CR LF end a line, NUL ends the text.
// Each line is also handed to `eachLine` as it is cut.
QByteArrayList splitReservationFile(const QByteArray& content,
                                    const std::function<void(const QByteArray&)>& eachLine = {});
// Line rules of the customer file: LF ends a line, CRs are dropped, 0x1A ends the text.
QByteArrayList splitCustomerFile(const QByteArray& content);

// The whole content of a record file. Throws FileError when it cannot be opened or read.
QByteArray readRecordFile(const QString& path);

// Clears YoyakuList and reads the reservation file into it, handing every line to `addLine` as it
// is taken; false (list left empty) when there
// is no file at `path` (nothing, or a folder). Throws FileError when it exists
// but cannot be read.
bool YoyakuFileLoad(const QString& path, THonjitu& honjitu,
                    const std::function<void(const QByteArray&)>& addLine = {});

// Clears UserList and reads the customer file into it, handing every line to `addLine` as it is
// taken. `letEventsThrough` runs before the first line and then every few milliseconds, so the
// window stays responsive on a long file. `linesReadAhead`, when given, are the file's lines as
// split by splitCustomerFile from its current content, and the file is not read again. Throws
// FileError when the file cannot be read; the lines taken before stay.
void UserListLoad(const QString& path, THonjitu& honjitu,
                  const std::function<void(const QByteArray&)>& addLine = {},
                  const std::function<void()>& letEventsThrough = {},
                  std::optional<QByteArrayList> linesReadAhead = std::nullopt);
