#pragma once

#include "records/ReservationRecord.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QDate>
#include <QList>

#include <optional>

// Which reservations the weekly table can show in a cell that opens them, and what may be stored
// as a reservation's date and time.
namespace records::reservation_record {

// The hours the weekly table has a row for.
inline constexpr int FirstTableHour = 8;
inline constexpr int LastTableHour = 24;
constexpr bool hasTableRow(int hour) {
    return hour >= FirstTableHour && hour <= LastTableHour;
}

// A reservation's date, hour and minute as stored (fields 1 to 5).
struct SlotTexts {
    QByteArray nen, tuki, niti, jikan, hun;
};

// The first field that keeps `slot` from being a real moment: the year, month or day of a date
// that does not exist (whichever of them is wrong first), an hour that is not 0 to 24, a minute
// that is not 00 to 59 (one or two digits each). Nothing when it can be stored.
std::optional<Field> impossibleSlotField(const SlotTexts& slot, const QDate& today);
// The minute of field 5 when it is one the rule above accepts.
std::optional<int> acceptedMinute(QByteArrayView hun);

// Why no cell of the weekly table leads to a line: it lacks fields the reservation dialog reads,
// its date fields make no date (it is drawn on today), or its hour has no row.
enum class Unreachable { TooFewFields, NoDate, HourWithoutRow };
std::optional<Unreachable> whyUnreachable(const QByteArray& line, const QDate& today);

struct LineToCheck {
    qsizetype position;  // in the list
    Unreachable reason;
};
// The lines of `lines` that need checking, in list order.
QList<LineToCheck> linesToCheck(const QByteArrayList& lines, const QDate& today);

// `line` with its first five fields replaced by `slot`. Everything from the sixth field on stays
// byte for byte; a line that is cut short is filled up to twenty fields with empty-field marks.
QByteArray withSlot(const QByteArray& line, const SlotTexts& slot);

}  // namespace records::reservation_record
