#include "records/ReservationChecks.h"

#include "records/RecordFormat.h"

#include <algorithm>

namespace records::reservation_record {
namespace {

constexpr int LastHour = 24;
constexpr int LastMinute = 59;

// One or two ASCII digits whose value is at most `highest`, as a number.
std::optional<int> numberUpTo(QByteArrayView text, int highest) {
    if (text.isEmpty() || text.size() > 2 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    int value = 0;
    for (const char digit : text) {
        value = value * 10 + (digit - '0');
    }
    return value <= highest ? std::optional(value) : std::nullopt;
}

// The date field to blame: the year when no month makes a date with it, then the month, then
// the day. The first of January and the first of the month exist in every valid year and month.
Field wrongDateField(const SlotTexts& slot, const QDate& today) {
    if (!validBookedDate(slot.nen, "01", "01", today)) {
        return YoyakuNen;
    }
    if (!validBookedDate(slot.nen, slot.tuki, "01", today)) {
        return YoyakuTuki;
    }
    return YoyakuNiti;
}

}  // namespace

std::optional<Field> impossibleSlotField(const SlotTexts& slot, const QDate& today) {
    if (!validBookedDate(slot.nen, slot.tuki, slot.niti, today)) {
        return wrongDateField(slot, today);
    }
    if (!numberUpTo(slot.jikan, LastHour)) {
        return YoyakuJikan;
    }
    if (!acceptedMinute(slot.hun)) {
        return YoyakuHun;
    }
    return std::nullopt;
}

std::optional<int> acceptedMinute(QByteArrayView hun) {
    return numberUpTo(hun, LastMinute);
}

std::optional<Unreachable> whyUnreachable(const QByteArray& line, const QDate& today) {
    if (fieldBegin(line, FieldCount - 1) >= line.size()) {
        return Unreachable::TooFewFields;
    }
    const LeadingFields fields(line);
    if (!validBookedDate(fields.at(YoyakuNen), fields.at(YoyakuTuki), fields.at(YoyakuNiti),
                         today)) {
        return Unreachable::NoDate;
    }
    if (!hasTableRow(bookedHour(fields.at(YoyakuJikan)))) {
        return Unreachable::HourWithoutRow;
    }
    return std::nullopt;
}

QList<LineToCheck> linesToCheck(const QByteArrayList& lines, const QDate& today) {
    QList<LineToCheck> found;
    for (qsizetype position = 0; position < lines.size(); ++position) {
        if (const auto reason = whyUnreachable(lines.at(position), today)) {
            found.append({position, *reason});
        }
    }
    return found;
}

QByteArray withSlot(const QByteArray& line, const SlotTexts& slot) {
    QByteArray result =
        QByteArrayList{slot.nen, slot.tuki, slot.niti, slot.jikan, slot.hun}.join(FieldSeparator);
    const qsizetype rest = fieldBegin(line, YoyakuHun + 1);
    if (rest < line.size()) {
        result += FieldSeparator + line.mid(rest);
    }
    for (qsizetype count = splitFields(result).size(); count < FieldCount; ++count) {
        result += FieldSeparator + EmptyMark;
    }
    return result;
}

}  // namespace records::reservation_record
