#include "records/ReservationRecord.h"

#include "records/RecordFormat.h"

#include <charconv>
#include <optional>

namespace records::reservation {
namespace {

// A whole text of ASCII digits with an optional sign, as a number; nothing otherwise.
std::optional<int> parseInteger(const QByteArray& text, bool allowSign) {
    const char* begin = text.constData();
    const char* end = begin + text.size();
    if (allowSign && begin != end && *begin == '+') {
        ++begin;
    }
    if (begin == end || (!allowSign && *begin == '-')) {
        return std::nullopt;
    }
    int value = 0;
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

QByteArray buildLine(const QByteArrayList& values) {
    QByteArrayList fields;
    fields.reserve(FieldCount);
    for (int position = 0; position < SonotaBikou; ++position) {
        fields.append(sanitizeField(fieldAt(values, position)));
    }
    fields.append(sanitizeRemarks(fieldAt(values, SonotaBikou)));
    return fields.join(FieldSeparator);
}

bool isInSlot(const QByteArray& line, const TimeSlot& slot) {
    const QByteArrayList fields = splitFields(line);
    return fields.size() >= 4 && fields.at(YoyakuNen) == slot.nen &&
           fields.at(YoyakuTuki) == slot.tuki && fields.at(YoyakuNiti) == slot.niti &&
           fields.at(YoyakuJikan) == slot.jikan;
}

QDate bookedDate(const QByteArrayList& fields, const QDate& today) {
    const QByteArray joined = fieldAt(fields, YoyakuNen) + '/' + fieldAt(fields, YoyakuTuki) + '/' +
                              fieldAt(fields, YoyakuNiti);
    const QByteArrayList parts = joined.split('/');
    if (parts.size() != 3) {
        return today;
    }
    const auto year = parseInteger(parts.at(0), false);
    const auto month = parseInteger(parts.at(1), false);
    const auto day = parseInteger(parts.at(2), false);
    if (!year || !month || !day) {
        return today;
    }
    int fullYear = *year;
    if (parts.at(0).size() <= 2) {
        fullYear += today.year() / 100 * 100;
    }
    if (fullYear < 1 || fullYear > 9999 || !QDate::isValid(fullYear, *month, *day)) {
        return today;
    }
    return QDate(fullYear, *month, *day);
}

int bookedHour(const QByteArrayList& fields) {
    return parseInteger(fieldAt(fields, YoyakuJikan), true).value_or(0);
}

QByteArray tableEntry(const QByteArrayList& fields) {
    return fieldAt(fields, Shimei) + '/' + fieldAt(fields, PetName);
}

}  // namespace records::reservation
