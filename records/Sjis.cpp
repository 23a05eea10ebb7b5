#include "records/Sjis.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace records::sjis {

qsizetype indexOf(const QByteArray& haystack, const QByteArray& needle, qsizetype from) {
    const qsizetype size = haystack.size();
    const qsizetype needleSize = needle.size();
    if (needleSize == 0) {
        return -1;
    }
    const char* data = haystack.constData();
    const char first = needle.at(0);
    for (qsizetype pos = from; pos + needleSize <= size; pos += charLength(data, size, pos)) {
        if (data[pos] == first && std::memcmp(data + pos, needle.constData(), needleSize) == 0) {
            return pos;
        }
    }
    return -1;
}

QByteArray replaceAll(const QByteArray& text, const QByteArray& from, const QByteArray& to) {
    qsizetype match = indexOf(text, from);
    if (match < 0) {
        return text;
    }
    QByteArray result;
    result.reserve(text.size());
    qsizetype copied = 0;
    while (match >= 0) {
        result.append(text.constData() + copied, match - copied);
        result.append(to);
        copied = match + from.size();
        match = indexOf(text, from, copied);
    }
    result.append(text.constData() + copied, text.size() - copied);
    return result;
}

namespace {

// One converter per direction for the life of the program; iconv_open is costly.
class Converter {
public:
    Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
    ~Converter() {
        if (handle_ != reinterpret_cast<iconv_t>(-1)) {
            iconv_close(handle_);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

    // Converts as much as possible; returns false with `in` left at the offending input.
    bool convert(const char*& in, size_t& inLeft, QByteArray& out) {
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        char buffer[4096];
        while (inLeft > 0) {
            char* outPtr = buffer;
            size_t outLeft = sizeof buffer;
            const size_t result =
                iconv(handle_, const_cast<char**>(&in), &inLeft, &outPtr, &outLeft);
            out.append(buffer, outPtr - buffer);
            if (result == static_cast<size_t>(-1) && errno != E2BIG) {
                return false;
            }
        }
        return true;
    }

private:
    iconv_t handle_;
};

Converter& decoder() {
    static Converter converter("UTF-8", "CP932");
    return converter;
}

Converter& encoder() {
    static Converter converter("CP932", "UTF-8");
    return converter;
}

const QByteArray replacementCharacter = QByteArrayLiteral("\xEF\xBF\xBD");

}  // namespace

QByteArray toUtf8(const QByteArray& bytes) {
    // ASCII is the same in both, and most fields are numbers and Latin letters.
    if (std::all_of(bytes.cbegin(), bytes.cend(),
                    [](char byte) { return static_cast<unsigned char>(byte) < 0x80; })) {
        return bytes;
    }
    Converter& converter = decoder();
    QByteArray utf8;
    utf8.reserve(bytes.size() * 2);
    const char* in = bytes.constData();
    size_t inLeft = static_cast<size_t>(bytes.size());
    while (inLeft > 0) {
        if (!converter.valid()) {
            utf8.append(replacementCharacter.repeated(static_cast<qsizetype>(inLeft)));
            break;
        }
        if (!converter.convert(in, inLeft, utf8)) {
            // Skip the whole character that failed, as the character walk would take it.
            const qsizetype pos = in - bytes.constData();
            const size_t skip = static_cast<size_t>(charLength(bytes, pos));
            utf8.append(replacementCharacter);
            in += skip;
            inLeft -= skip;
        }
    }
    return utf8;
}

QString toUnicode(const QByteArray& bytes) {
    return QString::fromUtf8(toUtf8(bytes));
}

std::optional<QByteArray> fromUnicode(const QString& text) {
    Converter& converter = encoder();
    if (!converter.valid()) {
        return std::nullopt;
    }
    const QByteArray utf8 = text.toUtf8();
    QByteArray result;
    result.reserve(utf8.size());
    const char* in = utf8.constData();
    size_t inLeft = static_cast<size_t>(utf8.size());
    if (!converter.convert(in, inLeft, result)) {
        return std::nullopt;
    }
    return result;
}

}  // namespace records::sjis
