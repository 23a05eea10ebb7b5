#pragma once

#include "records/BookingFacts.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QDate>
#include <QString>

// The record lists as comma-separated text that a spreadsheet opens as it is: UTF-8 with a
// byte-order mark, CR LF line ends, every field quoted, a header row with the captions the
// dialogs give the fields, no empty-field marks, and an apostrophe before a field that starts
// like a formula (=, +, -, @, TAB or CR), so that it shows as the text it is. Rows follow the
// list's order; a line short of fields gets empty cells for the fields it lacks, and fields past
// the record's last are left out, as every reader of the lists leaves them.
namespace records::csv {

QByteArray customersCsv(const QByteArrayList& customerLines);

// One column more comes first: 日付, the booked date as yyyy-mm-dd when the date fields form a
// valid date (two-digit years in the century of `today`), so that a spreadsheet can sort by it.
// Three more follow the fields: 担当, 所要時間 and 状態 of the booking by `facts` (found by the
// line's position), as a booking without details reads when the salon keeps none.
QByteArray reservationsCsv(const QByteArrayList& reservationLines, const QDate& today,
                           const booking::BookingFacts& facts = {});

// One row: each field in double quotes, quotes inside doubled, the fields joined by commas,
// ended by CR LF.
QByteArray csvRow(const QStringList& fields);

// A table the program worked out, its header row first, in the same form as the lists: the mark,
// quoted cells, CR LF, and the apostrophe before a cell that starts like a formula.
QByteArray tableCsv(const QList<QStringList>& rows);

// Replaces the file at `path` with `bytes` in one step, so that no half-written file is left;
// the file is owner-only. Throws FileError.
void writeExportFile(const QString& path, const QByteArray& bytes);

}  // namespace records::csv
