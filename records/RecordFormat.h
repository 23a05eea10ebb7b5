#pragma once

#include <QByteArray>
#include <QByteArrayList>

// The text rules shared by both record formats: the empty-field mark, the field sanitizer that
// every writer applies, the field splitter that every reader uses, and the mark remover.
namespace records {

// 0xF9 0xD3: stands for an empty field, which the splitter would otherwise lose.
inline const QByteArray EmptyMark = QByteArrayLiteral("\xF9\xD3");
inline constexpr char FieldSeparator = '\t';

// Half-width space, double quote and comma become their full-width forms; any character that
// still holds a control byte, and a lead byte left alone at the end, becomes a full-width space
// so that no field can break its line or swallow the TAB after it; an empty result becomes the
// empty-field mark.
QByteArray sanitizeField(const QByteArray& text);

// Remarks: line breaks (CR LF, LF or CR) are removed, joining the lines, then sanitized.
QByteArray sanitizeRemarks(const QByteArray& text);

// Every character-aligned empty-field mark removed; nothing else changed.
QByteArray EmptyMarkDelete(const QByteArray& text);

// What an edit shows for a stored field: the three substitutions, then the marks removed.
QByteArray readBack(const QByteArray& field);

// Cuts a line into fields: runs of bytes 0x01-0x20 separate fields (so empty fields vanish and
// a half-width space cuts a field), a field that starts with a double quote runs to the next
// lone double quote with "" standing for one.
QByteArrayList splitFields(const QByteArray& line);

// The field at `position`, or an empty text when the line has fewer fields.
inline QByteArray fieldAt(const QByteArrayList& fields, int position) {
    return position >= 0 && position < fields.size() ? fields.at(position) : QByteArray();
}

// Removes the first line equal to `line`; false when there is none.
bool removeFirstEqual(QByteArrayList& lines, const QByteArray& line);

}  // namespace records
