#pragma once

#include <QByteArray>
#include <QByteArrayList>

// The customer line: ten TAB-separated fields, pet first, owner after.
namespace records::customer_record {

// Each field by its place in the line, as the file keeps it.
enum Field : int {
    PetName = 0,
    Shu = 1,
    ShuNado = 2,
    Furigana = 3,
    Shimei = 4,
    Yubin = 5,
    Jyusho = 6,
    JyushoTuzuki = 7,
    TelephoneNo = 8,
    MobilPhoneNo = 9,
    FieldCount = 10
};

// Builds a line from the ten field values in record order, each sanitized; `Shu` is the
// chosen kind's caption, or empty when none is chosen (stored as the mark).
QByteArray buildLine(const QByteArrayList& values);

}  // namespace records::customer_record
