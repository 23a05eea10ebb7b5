#include "records/RecordFormat.h"

#include "records/Sjis.h"

namespace records {
namespace {

const QByteArray FullWidthSpace = QByteArrayLiteral("\x81\x40");  // "　"
const QByteArray FullWidthQuote = QByteArrayLiteral("\x81\x68");  // "”"
const QByteArray FullWidthComma = QByteArrayLiteral("\x81\x43");  // "，"

constexpr bool isSeparatorByte(unsigned char byte) {
    return byte >= 0x01 && byte <= 0x20;
}

QByteArray substituteUnsafeCharacters(const QByteArray& text) {
    QByteArray result = sjis::replaceAll(text, " ", FullWidthSpace);
    result = sjis::replaceAll(result, "\"", FullWidthQuote);
    return sjis::replaceAll(result, ",", FullWidthComma);
}

// A character holding a byte below 0x20 (a control character, or a broken pair whose second
// byte is one) would break the line or the fields when read back. So would a lead byte left
// alone at the end: in the line it would take the following TAB as its second byte.
QByteArray replaceBrokenCharacters(const QByteArray& text) {
    QByteArray result;
    result.reserve(text.size());
    const qsizetype size = text.size();
    for (qsizetype pos = 0; pos < size;) {
        const qsizetype length = sjis::charLength(text, pos);
        bool broken = length == 1 && sjis::isLeadByte(static_cast<unsigned char>(text.at(pos)));
        for (qsizetype i = pos; i < pos + length; ++i) {
            broken = broken || static_cast<unsigned char>(text.at(i)) < 0x20;
        }
        if (broken) {
            result.append(FullWidthSpace);
        } else {
            result.append(text.constData() + pos, length);
        }
        pos += length;
    }
    return result;
}

// Reads a quoted field starting at the opening quote; `pos` ends after the closing quote, or at
// the end of the line when there is none.
QByteArray readQuotedField(const QByteArray& line, qsizetype& pos) {
    QByteArray field;
    const qsizetype size = line.size();
    ++pos;
    while (pos < size) {
        if (line.at(pos) == '"') {
            if (pos + 1 < size && line.at(pos + 1) == '"') {
                field.append('"');
                pos += 2;
                continue;
            }
            ++pos;
            break;
        }
        const qsizetype length = sjis::charLength(line, pos);
        field.append(line.constData() + pos, length);
        pos += length;
    }
    return field;
}

QByteArray readPlainField(const QByteArray& line, qsizetype& pos) {
    const qsizetype start = pos;
    const qsizetype size = line.size();
    while (pos < size && !isSeparatorByte(static_cast<unsigned char>(line.at(pos)))) {
        pos += sjis::charLength(line, pos);
    }
    return line.mid(start, pos - start);
}

void skipSeparators(const QByteArray& line, qsizetype& pos) {
    while (pos < line.size() && isSeparatorByte(static_cast<unsigned char>(line.at(pos)))) {
        ++pos;
    }
}

}  // namespace

QByteArray sanitizeField(const QByteArray& text) {
    const QByteArray result = replaceBrokenCharacters(substituteUnsafeCharacters(text));
    return result.isEmpty() ? EmptyMark : result;
}

QByteArray sanitizeRemarks(const QByteArray& text) {
    QByteArray joined = sjis::replaceAll(text, "\r\n", QByteArray());
    joined = sjis::replaceAll(joined, "\n", QByteArray());
    joined = sjis::replaceAll(joined, "\r", QByteArray());
    return sanitizeField(joined);
}

QByteArray EmptyMarkDelete(const QByteArray& text) {
    return sjis::replaceAll(text, EmptyMark, QByteArray());
}

QByteArray readBack(const QByteArray& field) {
    return EmptyMarkDelete(substituteUnsafeCharacters(field));
}

QByteArrayList splitFields(const QByteArray& line) {
    QByteArrayList fields;
    qsizetype pos = 0;
    skipSeparators(line, pos);
    while (pos < line.size()) {
        if (line.at(pos) == '"') {
            fields.append(readQuotedField(line, pos));
        } else {
            fields.append(readPlainField(line, pos));
        }
        skipSeparators(line, pos);
    }
    return fields;
}

bool removeFirstEqual(QByteArrayList& lines, const QByteArray& line) {
    const qsizetype index = lines.indexOf(line);
    if (index < 0) {
        return false;
    }
    lines.removeAt(index);
    return true;
}

}  // namespace records
