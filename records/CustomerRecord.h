#pragma once

#include <QByteArray>
#include <QByteArrayList>

// The customer line: ten TAB-separated fields, pet first, owner after.
namespace records::customer_record {

enum Field : int {
    PetName,
    Shu,
    ShuNado,
    Furigana,
    Shimei,
    Yubin,
    Jyusho,
    JyushoTuzuki,
    TelephoneNo,
    MobilPhoneNo,
    FieldCount
};

// Builds a line from the ten field values in record order, each sanitized; `Shu` is the
// chosen kind's caption, or empty when none is chosen (stored as the mark).
QByteArray buildLine(const QByteArrayList& values);

}  // namespace records::customer_record
