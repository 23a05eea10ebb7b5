#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QByteArrayView>
#include <QDate>
#include <QString>

#include <array>
#include <functional>

// The text rules shared by both record formats: the empty-field mark, the field sanitizer that
// every writer applies, the field splitter that every reader uses, and the mark remover.
namespace records {

// 0xF9 0xD3: stands for an empty field, which the splitter would otherwise lose.
inline const QByteArray EmptyMark = QByteArrayLiteral("\xF9\xD3");
inline constexpr char FieldSeparator = '\t';

// The bytes that part fields when a line is cut (see splitFields).
constexpr bool isSeparatorByte(unsigned char byte) {
    return byte >= 0x01 && byte <= 0x20;
}

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

// Hands the fields of `line`, first to last, to `take` with their positions, read in place by the
// rules of splitFields; only a quoted field with doubled quotes is copied, and that copy lives for
// the call. Stops as soon as `take` returns false. For readers that look at a few fields of every
// line of a long list.
void forEachField(QByteArrayView line,
                  const std::function<bool(int position, QByteArrayView field)>& take);

// The first few fields of a line, read in place by the rules of splitFields without copying the
// line: what readers that look only at the time slot need, for every line of a long list. Only a
// quoted field with doubled quotes gets a copy of its own. The views live as long as the line
// and this object.
class LeadingFields {
public:
    static constexpr int MaxCount = 4;

    explicit LeadingFields(QByteArrayView line, int wanted = MaxCount);
    LeadingFields(const LeadingFields&) = delete;
    LeadingFields& operator=(const LeadingFields&) = delete;

    // How many of the wanted fields the line has.
    int count() const { return count_; }
    // The field at `position`, or an empty text when the line has fewer fields.
    QByteArrayView at(int position) const {
        if (position < 0 || position >= count_) {
            return {};
        }
        if (!unquoted_[position].isNull()) {
            return unquoted_[position];
        }
        return QByteArrayView(line_.data() + begins_[position], sizes_[position]);
    }

private:
    // Where each field lies in the line, kept as plain numbers rather than views, which the
    // compiler would assemble in memory and read back whole for every field.
    QByteArrayView line_;
    std::array<qsizetype, MaxCount> begins_{};
    std::array<qsizetype, MaxCount> sizes_{};
    std::array<QByteArray, MaxCount> unquoted_;  // a quoted field with doubled quotes undone
    int count_ = 0;
};

// Where the field at `position` begins in `line` (at its opening quote when it is quoted), by the
// rules of splitFields; the line's size when the line has fewer fields.
qsizetype fieldBegin(QByteArrayView line, int position);

// The field at `position`, or an empty text when the line has fewer fields.
inline QByteArray fieldAt(const QByteArrayList& fields, int position) {
    return position >= 0 && position < fields.size() ? fields.at(position) : QByteArray();
}

// A month, day, hour or minute as the records and the windows write it: at least two digits.
QString twoDigits(int number);
// The weekday as one character: 月 火 水 木 金 土 日.
QString weekdayName(const QDate& date);

// Removes the first line equal to `line`; false when there is none.
bool removeFirstEqual(QByteArrayList& lines, const QByteArray& line);

}  // namespace records
