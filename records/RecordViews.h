#pragma once

#include "records/CustomerRecord.h"
#include "records/ReservationRecord.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QDate>
#include <QString>

#include <optional>

// A record line read by field name: the line is cut once, and each field is given either as the
// file holds it or as it is shown, with the empty-field marks removed. The line's bytes stay the
// truth; a view never builds a line of its own.
namespace records {

class RecordLine {
public:
    const QByteArray& line() const { return line_; }
    // How many fields the line has: fewer than its record has when the line is short.
    qsizetype fieldCount() const { return fields_.size(); }

protected:
    explicit RecordLine(const QByteArray& line);

    const QByteArrayList& fields() const { return fields_; }
    // The field as stored, marks included; an empty text when the line is too short.
    QByteArray storedAt(int position) const;
    // The field with every empty-field mark removed.
    QByteArray shownAt(int position) const;
    // The shown field decoded from Shift-JIS.
    QString shownTextAt(int position) const;
    // What an edit shows for the field: the unsafe characters substituted, the marks removed.
    QByteArray readBackAt(int position) const;

private:
    QByteArray line_;
    QByteArrayList fields_;
};

// A reservation line.
class Booking : public RecordLine {
public:
    using Field = reservation_record::Field;

    explicit Booking(const QByteArray& line) : RecordLine(line) {}

    QByteArray stored(Field field) const { return storedAt(field); }
    QByteArray shown(Field field) const { return shownAt(field); }
    QString shownText(Field field) const { return shownTextAt(field); }

    QByteArray nen() const { return shown(reservation_record::YoyakuNen); }
    QByteArray tuki() const { return shown(reservation_record::YoyakuTuki); }
    QByteArray niti() const { return shown(reservation_record::YoyakuNiti); }
    QByteArray jikan() const { return shown(reservation_record::YoyakuJikan); }
    QByteArray hun() const { return shown(reservation_record::YoyakuHun); }
    QByteArray furigana() const { return shown(reservation_record::Furigana); }
    QByteArray shimei() const { return shown(reservation_record::Shimei); }
    QByteArray yubin() const { return shown(reservation_record::Yubin); }
    QByteArray jyusho() const { return shown(reservation_record::Jyusho); }
    QByteArray jyushoTuzuki() const { return shown(reservation_record::JyushoTuzuki); }
    QByteArray telephoneNo() const { return shown(reservation_record::TelephoneNo); }
    QByteArray mobilPhoneNo() const { return shown(reservation_record::MobilPhoneNo); }
    QByteArray petName() const { return shown(reservation_record::PetName); }
    QByteArray shu() const { return shown(reservation_record::Shu); }
    QByteArray shuNado() const { return shown(reservation_record::ShuNado); }
    QByteArray shamp() const { return shown(reservation_record::Shamp); }
    QByteArray style() const { return shown(reservation_record::Style); }
    QByteArray higeCut() const { return shown(reservation_record::SonotaHigeCut); }
    QByteArray tumekiri() const { return shown(reservation_record::SonotaTumekiri); }
    QByteArray bikou() const { return shown(reservation_record::SonotaBikou); }

    // The stored date fields as a date, or nothing when they do not form a valid one; two-digit
    // years fall in the century of `today`.
    std::optional<QDate> validBookedDate(const QDate& today) const;
    // The valid booked date, or `today` when there is none.
    QDate bookedDate(const QDate& today) const;
    // The stored hour as a decimal integer, 0 when it is not one.
    int hour() const;
    // "Shimei/PetName" as stored, marks included.
    QByteArray tableEntry() const;
};

// A customer line.
class Customer : public RecordLine {
public:
    using Field = customer_record::Field;

    explicit Customer(const QByteArray& line) : RecordLine(line) {}

    QByteArray stored(Field field) const { return storedAt(field); }
    QByteArray shown(Field field) const { return shownAt(field); }
    QString shownText(Field field) const { return shownTextAt(field); }
    QByteArray readBack(Field field) const { return readBackAt(field); }

    QByteArray petName() const { return shown(customer_record::PetName); }
    QByteArray shu() const { return shown(customer_record::Shu); }
    QByteArray shuNado() const { return shown(customer_record::ShuNado); }
    QByteArray furigana() const { return shown(customer_record::Furigana); }
    QByteArray shimei() const { return shown(customer_record::Shimei); }
    QByteArray yubin() const { return shown(customer_record::Yubin); }
    QByteArray jyusho() const { return shown(customer_record::Jyusho); }
    QByteArray jyushoTuzuki() const { return shown(customer_record::JyushoTuzuki); }
    QByteArray telephoneNo() const { return shown(customer_record::TelephoneNo); }
    QByteArray mobilPhoneNo() const { return shown(customer_record::MobilPhoneNo); }
};

}  // namespace records
