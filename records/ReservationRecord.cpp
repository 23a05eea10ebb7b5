#include "records/ReservationRecord.h"

#include "records/RecordFormat.h"

#include <charconv>
#include <optional>

namespace records::reservation {
namespace {

// A whole text of ASCII digits with an optional sign, as a number; nothing otherwise.
std::optional<int> parseInteger(QByteArrayView text, bool allowSign) {
    const char* begin = text.data();
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
    const LeadingFields fields(line);
    return fields.count() >= 4 && fields.at(YoyakuNen) == slot.nen &&
           fields.at(YoyakuTuki) == slot.tuki && fields.at(YoyakuNiti) == slot.niti &&
           fields.at(YoyakuJikan) == slot.jikan;
}

std::optional<QDate> realBookedDate(QByteArrayView nen, QByteArrayView tuki, QByteArrayView niti,
                                    const QDate& today) {
    // The three are read as one "year/month/day" text; a slash inside any of them would spoil
    // it, and it also keeps that field from reading as a number.
    const auto year = parseInteger(nen, false);
    const auto month = parseInteger(tuki, false);
    const auto day = parseInteger(niti, false);
    if (!year || !month || !day) {
        return std::nullopt;
    }
    int fullYear = *year;
    if (nen.size() <= 2) {
        fullYear += today.year() / 100 * 100;
    }
    if (fullYear < 1 || fullYear > 9999) {
        return std::nullopt;
    }
    const QDate date(fullYear, *month, *day);
    return date.isValid() ? std::optional(date) : std::nullopt;
}

QDate bookedDate(QByteArrayView nen, QByteArrayView tuki, QByteArrayView niti, const QDate& today) {
    return realBookedDate(nen, tuki, niti, today).value_or(today);
}

QDate bookedDate(const LeadingFields& fields, const QDate& today) {
    return bookedDate(fields.at(YoyakuNen), fields.at(YoyakuTuki), fields.at(YoyakuNiti), today);
}

QDate bookedDate(const QByteArrayList& fields, const QDate& today) {
    return bookedDate(fieldAt(fields, YoyakuNen), fieldAt(fields, YoyakuTuki),
                      fieldAt(fields, YoyakuNiti), today);
}

int bookedHour(QByteArrayView jikan) {
    return parseInteger(jikan, true).value_or(0);
}

int bookedHour(const QByteArrayList& fields) {
    return bookedHour(fieldAt(fields, YoyakuJikan));
}

QByteArray tableEntry(const QByteArrayList& fields) {
    return fieldAt(fields, Shimei) + '/' + fieldAt(fields, PetName);
}

}  // namespace records::reservation
