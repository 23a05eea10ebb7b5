#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Shift-JIS (code page 932) text as bytes: walking it character by character, searching and
// replacing without ever matching inside a double-byte character, and converting to and from
// Unicode at the widget boundary.
namespace records::sjis {

// A byte 0x81-0x9F or 0xE0-0xFC begins a double-byte character.
constexpr bool isLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Length (1 or 2) of the character that starts at `pos`; a lead byte that is the last byte of
// the text is a character of its own.
inline qsizetype charLength(const char* data, qsizetype size, qsizetype pos) {
    return isLeadByte(static_cast<unsigned char>(data[pos])) && pos + 1 < size ? 2 : 1;
}
inline qsizetype charLength(const QByteArray& text, qsizetype pos) {
    return charLength(text.constData(), text.size(), pos);
}

// Position of the first occurrence of `needle` at or after `from` that begins on a character
// boundary, or -1. `from` must itself be a character boundary. An empty needle is never found.
qsizetype indexOf(const QByteArray& haystack, const QByteArray& needle, qsizetype from = 0);

inline bool contains(const QByteArray& haystack, const QByteArray& needle) {
    return indexOf(haystack, needle) >= 0;
}

// Every character-aligned occurrence of `from` replaced by `to`, scanning left to right.
QByteArray replaceAll(const QByteArray& text, const QByteArray& from, const QByteArray& to);

// CP932 bytes to Unicode as Windows maps them; bytes that do not decode become U+FFFD.
QString toUnicode(const QByteArray& bytes);
// The same as UTF-8 bytes.
QByteArray toUtf8(const QByteArray& bytes);

// Unicode to CP932 bytes; nothing when the text holds a character that CP932 cannot store.
std::optional<QByteArray> fromUnicode(const QString& text);

// Unicode to CP932 bytes, or an empty text when CP932 cannot store it: for texts the program
// itself chose, or that passed isEncodable.
inline QByteArray bytesOf(const QString& text) {
    return fromUnicode(text).value_or(QByteArray());
}

inline bool isEncodable(const QString& text) {
    return fromUnicode(text).has_value();
}

}  // namespace records::sjis
