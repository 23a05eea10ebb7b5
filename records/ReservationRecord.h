#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QByteArrayView>
#include <QDate>

#include <optional>

namespace records {
class LeadingFields;
}

// The reservation line: twenty TAB-separated fields, time slot first, then owner, pet and the
// services chosen.
namespace records::reservation {

enum Field : int {
    YoyakuNen,
    YoyakuTuki,
    YoyakuNiti,
    YoyakuJikan,
    YoyakuHun,
    Furigana,
    Shimei,
    Yubin,
    Jyusho,
    JyushoTuzuki,
    TelephoneNo,
    MobilPhoneNo,
    PetName,
    Shu,
    ShuNado,
    Shamp,
    Style,
    SonotaHigeCut,
    SonotaTumekiri,
    SonotaBikou,
    FieldCount
};

// Builds a line from the twenty field values in record order. The choice fields carry the
// chosen control's caption (the two check boxes: their caption, or empty when unchecked).
// Every field is sanitized; the remarks lose their line breaks first.
QByteArray buildLine(const QByteArrayList& values);

// The time slot of a line is the text of its first four fields; a line with fewer than four
// fields belongs to no slot.
struct TimeSlot {
    QByteArray nen, tuki, niti, jikan;
};
bool isInSlot(const QByteArray& line, const TimeSlot& slot);

// The day a line is booked on: fields 1-3 read as year/month/day, or `today` when they do not
// form a valid date. Two-digit years fall in the century of `today`.
QDate bookedDate(const QByteArrayList& fields, const QDate& today);
QDate bookedDate(const LeadingFields& fields, const QDate& today);
QDate bookedDate(QByteArrayView nen, QByteArrayView tuki, QByteArrayView niti, const QDate& today);
// The same reading, but nothing when the fields do not form a valid date.
std::optional<QDate> realBookedDate(QByteArrayView nen, QByteArrayView tuki, QByteArrayView niti,
                                    const QDate& today);

// The hour of a line: field 4 read as a decimal integer, 0 when it is not one.
int bookedHour(const QByteArrayList& fields);
int bookedHour(QByteArrayView jikan);

// "Shimei/PetName" as stored, marks included: what the weekly table shows for a reservation.
QByteArray tableEntry(const QByteArrayList& fields);

}  // namespace records::reservation
