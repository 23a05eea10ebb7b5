#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QByteArrayView>
#include <QList>

#include <array>

namespace records::karte {

// The customer lines by the fields the visit-history rule compares, so that finding the customer
// a booking was made for reads only the few lines that can be it instead of every customer. Kept
// in step with the list by sync, which reads again only the lines that changed since the last
// call.
class CustomerIndex {
public:
    void sync(const QByteArrayList& customerLines);

    // customersOfBooking() over the synced list: the same positions, in list order.
    QList<qsizetype> customersOfBooking(QByteArrayView reservationLine) const;
    // Positions in list order of the lines that may equal a line at `positions` (the lines
    // themselves among them): only those can be equal to one of them.
    QList<qsizetype> mayEqual(const QList<qsizetype>& positions) const;

private:
    // Hashes of the pet name with the owner's name, and with each number (marks removed): a
    // booking of the customer shares one of them, by the rule. NoKey where a number is empty.
    // Lines of other names that hash alike are sorted out by the rule itself.
    using Key = size_t;
    static constexpr Key NoKey = 0;
    using Keys = std::array<Key, 3>;
    static Keys keysOf(QByteArrayView petName, QByteArrayView shimei, QByteArrayView telephone,
                       QByteArrayView mobile);
    static Keys customerKeysOf(const QByteArray& customerLine);

    QByteArrayList lines_;  // shares the list's lines: an untouched line keeps the same data
    QList<Keys> keys_;
};

}  // namespace records::karte
