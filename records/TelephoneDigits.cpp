#include "records/TelephoneDigits.h"

#include "records/CustomerRecord.h"
#include "records/RecordFormat.h"
#include "records/Sjis.h"

#include <algorithm>
#include <optional>

namespace records::telephone {
namespace {

constexpr unsigned char FullWidthLead = 0x82;
constexpr unsigned char FullWidthZero = 0x4F;  // ０ is 0x82 0x4F, ９ is 0x82 0x58

// The digit of the character of `length` bytes at `at`, or nothing when it is no digit.
std::optional<char> digitAt(QByteArrayView text, qsizetype at, qsizetype length) {
    const auto first = static_cast<unsigned char>(text[at]);
    if (length == 1) {
        return first >= '0' && first <= '9' ? std::optional<char>(char(first)) : std::nullopt;
    }
    const auto second = static_cast<unsigned char>(text[at + 1]);
    if (first == FullWidthLead && second >= FullWidthZero && second <= FullWidthZero + 9) {
        return char('0' + (second - FullWidthZero));
    }
    return std::nullopt;
}

// The characters that may stand between the digits of a number typed as a search text.
bool isNumberPunctuation(QByteArrayView character) {
    static const QByteArray punctuation[] = {
        " ",        "-", "(", ")",
        "\x81\x40",  // full-width space
        "\x81\x7C",  // full-width minus
        "\x81\x5B",  // long mark, often typed for a hyphen
        "\x81\x5C",  // horizontal bar
        "\x81\x5D",  // hyphen
        "\x81\x69",  // full-width brackets
        "\x81\x6A",
    };
    return std::any_of(
        std::begin(punctuation), std::end(punctuation),
        [character](const QByteArray& mark) { return character == QByteArrayView(mark); });
}

}  // namespace

QByteArray digitsOf(QByteArrayView text) {
    QByteArray digits;
    for (qsizetype at = 0; at < text.size();) {
        const qsizetype length = sjis::charLength(text.data(), text.size(), at);
        if (const std::optional<char> digit = digitAt(text, at, length)) {
            digits.append(*digit);
        }
        at += length;
    }
    return digits;
}

TelephoneQuery::TelephoneQuery(QByteArrayView typed) {
    for (qsizetype at = 0; at < typed.size();) {
        const qsizetype length = sjis::charLength(typed.data(), typed.size(), at);
        if (const std::optional<char> digit = digitAt(typed, at, length)) {
            digits_.append(*digit);
        } else if (!isNumberPunctuation(typed.sliced(at, length))) {
            digits_.clear();
            return;
        }
        at += length;
    }
}

bool TelephoneQuery::matches(QByteArrayView telephone) const {
    return isNumber() && matchesDigits(digitsOf(telephone));
}

bool TelephoneQuery::matchesDigits(QByteArrayView digits) const {
    return isNumber() && digits.indexOf(digits_) >= 0;
}

bool TelephoneQuery::matchesCustomer(const QByteArrayList& fields) const {
    return matches(fieldAt(fields, customer_record::TelephoneNo)) ||
           matches(fieldAt(fields, customer_record::MobilPhoneNo));
}

}  // namespace records::telephone
