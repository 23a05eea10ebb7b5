#include "records/RecordFormat.h"

#include "records/Sjis.h"

#include <algorithm>

namespace records {
namespace {

const QByteArray FullWidthSpace = QByteArrayLiteral("\x81\x40");  // "　"
const QByteArray FullWidthQuote = QByteArrayLiteral("\x81\x68");  // "”"
const QByteArray FullWidthComma = QByteArrayLiteral("\x81\x43");  // "，"

QByteArray substituteUnsafeCharacters(const QByteArray& text) {
    QByteArray result = records::sjis::replaceAll(text, " ", FullWidthSpace);
    result = records::sjis::replaceAll(result, "\"", FullWidthQuote);
    return records::sjis::replaceAll(result, ",", FullWidthComma);
}

// A character holding a byte below 0x20 (a control character, or a broken pair whose second
// byte is one) would break the line or the fields when read back. So would a lead byte left
// alone at the end: in the line it would take the following TAB as its second byte.
QByteArray replaceBrokenCharacters(const QByteArray& text) {
    QByteArray result;
    result.reserve(text.size());
    const qsizetype size = text.size();
    for (qsizetype pos = 0; pos < size;) {
        const qsizetype length = records::sjis::charLength(text, pos);
        bool broken =
            length == 1 && records::sjis::isLeadByte(static_cast<unsigned char>(text.at(pos)));
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

// Where a field's text lies in its line. A quoted field without doubled quotes is its bytes
// between the quotes, so only one with doubled quotes ("") needs a copy of its own.
struct FieldSpan {
    QByteArrayView bytes;
    bool doubledQuotes = false;
};

// The field that starts at `pos` (not a separator); `pos` ends after it. A quoted field runs to
// the next lone quote, or to the end of the line when there is none; a plain field to the next
// separator byte. Both step over whole characters, so the second byte of a double-byte character
// never ends a field.
Q_ALWAYS_INLINE FieldSpan scanField(QByteArrayView line, qsizetype& pos) {
    const char* data = line.data();
    const qsizetype size = line.size();
    FieldSpan span;
    if (data[pos] == '"') {
        const qsizetype start = ++pos;
        while (pos < size) {
            if (data[pos] == '"') {
                if (pos + 1 < size && data[pos + 1] == '"') {
                    span.doubledQuotes = true;
                    pos += 2;
                    continue;
                }
                span.bytes = line.sliced(start, pos - start);
                ++pos;
                return span;
            }
            pos += records::sjis::charLength(data, size, pos);
        }
        span.bytes = line.sliced(start, pos - start);
        return span;
    }
    const qsizetype start = pos;
    while (pos < size) {
        const auto byte = static_cast<unsigned char>(data[pos]);
        if (byte > 0x20 && byte < 0x81) {  // the usual ASCII byte: a character of its own
            ++pos;
        } else if (isSeparatorByte(byte)) {
            break;
        } else {
            pos += records::sjis::charLength(data, size, pos);
        }
    }
    span.bytes = line.sliced(start, pos - start);
    return span;
}

// The text of a quoted field's bytes with every "" read as one quote.
QByteArray undoDoubledQuotes(QByteArrayView bytes) {
    QByteArray text;
    text.reserve(bytes.size());
    const char* data = bytes.data();
    const qsizetype size = bytes.size();
    for (qsizetype pos = 0; pos < size;) {
        if (data[pos] == '"') {
            text.append('"');
            pos += 2;
            continue;
        }
        const qsizetype length = records::sjis::charLength(data, size, pos);
        text.append(data + pos, length);
        pos += length;
    }
    return text;
}

void skipSeparators(QByteArrayView line, qsizetype& pos) {
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
    QByteArray joined = records::sjis::replaceAll(text, "\r\n", QByteArray());
    joined = records::sjis::replaceAll(joined, "\n", QByteArray());
    joined = records::sjis::replaceAll(joined, "\r", QByteArray());
    return sanitizeField(joined);
}

QByteArray EmptyMarkDelete(const QByteArray& text) {
    return records::sjis::replaceAll(text, EmptyMark, QByteArray());
}

QByteArray readBack(const QByteArray& field) {
    return EmptyMarkDelete(substituteUnsafeCharacters(field));
}

QByteArrayList splitFields(const QByteArray& line) {
    QByteArrayList fields;
    qsizetype pos = 0;
    skipSeparators(line, pos);
    while (pos < line.size()) {
        const FieldSpan span = scanField(line, pos);
        fields.append(span.doubledQuotes ? undoDoubledQuotes(span.bytes)
                                         : span.bytes.toByteArray());
        skipSeparators(line, pos);
    }
    return fields;
}

void forEachField(QByteArrayView line,
                  const std::function<bool(int position, QByteArrayView field)>& take) {
    qsizetype pos = 0;
    skipSeparators(line, pos);
    for (int position = 0; pos < line.size(); ++position) {
        const FieldSpan span = scanField(line, pos);
        const bool goOn = span.doubledQuotes ? take(position, undoDoubledQuotes(span.bytes))
                                             : take(position, span.bytes);
        if (!goOn) {
            return;
        }
        skipSeparators(line, pos);
    }
}

qsizetype fieldBegin(QByteArrayView line, int position) {
    qsizetype pos = 0;
    skipSeparators(line, pos);
    for (int skipped = 0; skipped < position && pos < line.size(); ++skipped) {
        scanField(line, pos);
        skipSeparators(line, pos);
    }
    return pos;
}

LeadingFields::LeadingFields(QByteArrayView line, int wanted) : line_(line) {
    wanted = std::clamp(wanted, 0, MaxCount);
    qsizetype pos = 0;
    skipSeparators(line, pos);
    while (count_ < wanted && pos < line.size()) {
        const FieldSpan span = scanField(line, pos);
        if (span.doubledQuotes) {
            unquoted_[count_] = undoDoubledQuotes(span.bytes);
        }
        begins_[count_] = span.bytes.data() - line.data();
        sizes_[count_] = span.bytes.size();
        ++count_;
        skipSeparators(line, pos);
    }
}

bool removeFirstEqual(QByteArrayList& lines, const QByteArray& line) {
    const qsizetype index = lines.indexOf(line);
    if (index < 0) {
        return false;
    }
    lines.removeAt(index);
    return true;
}

QString twoDigits(int number) {
    return QStringLiteral("%1").arg(number, 2, 10, QLatin1Char('0'));
}

QString weekdayName(const QDate& date) {
    static const QString Names[] = {
        QStringLiteral("月"), QStringLiteral("火"), QStringLiteral("水"), QStringLiteral("木"),
        QStringLiteral("金"), QStringLiteral("土"), QStringLiteral("日")};
    return Names[date.dayOfWeek() - 1];
}

}  // namespace records
