#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QByteArrayView>

// Telephone numbers compared by their digits alone, so that 09071189458 finds 090-7118-9458
// however either was written: with hyphens, spaces or brackets, in half- or full-width digits.
namespace records::telephone {

// The digits of `text` as ASCII digits, the full-width ones (０-９) included; every other
// character is left out. `text` is walked as Shift-JIS characters.
QByteArray digitsOf(QByteArrayView text);

// A search text read as a telephone number. It is one only when it holds a digit and nothing but
// digits, spaces, hyphens, long marks and brackets, half- or full-width: a name or an address
// with a digit in it is no telephone number and matches none.
class TelephoneQuery {
public:
    explicit TelephoneQuery(QByteArrayView typed);

    bool isNumber() const { return !digits_.isEmpty(); }
    // True when the query's digits stand in a row among the digits of `telephone`.
    bool matches(QByteArrayView telephone) const;
    // The same for a number's digits as digitsOf gives them, for a caller that keeps them.
    bool matchesDigits(QByteArrayView digits) const;
    // True when either telephone number of the customer line cut into `fields` matches.
    bool matchesCustomer(const QByteArrayList& fields) const;

private:
    QByteArray digits_;
};

}  // namespace records::telephone
