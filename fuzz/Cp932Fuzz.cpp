#include "fuzz/FuzzInput.h"
#include "records/Sjis.h"

#include <QString>
#include <cstring>

using fuzzing::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The bytes as Shift-JIS: decoding always works; text that decoded cleanly encodes again
    // and reads back the same (CP932 has a few duplicate codes, so the bytes may differ).
    const QString decoded = records::sjis::toUnicode(fuzzing::bytesOf(data, size));
    if (!decoded.contains(QChar::ReplacementCharacter)) {
        const auto encoded = records::sjis::fromUnicode(decoded);
        require(encoded.has_value(), "cleanly decoded text can be encoded");
        require(records::sjis::toUnicode(*encoded) == decoded, "decode, encode, decode is stable");
    }

    // The same bytes as UTF-16 text typed by the user: encoding either refuses or gives bytes
    // that are stable under another round.
    QString typed(static_cast<qsizetype>(size / 2), Qt::Uninitialized);
    std::memcpy(typed.data(), data, size / 2 * 2);
    if (const auto encoded = records::sjis::fromUnicode(typed)) {
        const auto again = records::sjis::fromUnicode(records::sjis::toUnicode(*encoded));
        require(again.has_value() && *again == *encoded, "encoded bytes are stable");
    }
    return 0;
}
