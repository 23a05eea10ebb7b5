#include "records/CustomerIndex.h"

#include "records/Karte.h"
#include "records/RecordViews.h"

#include <QHashFunctions>
#include <QSet>

namespace records::karte {
namespace {

// An untouched line still shares its bytes with the index's copy, so comparing data pointers
// settles most lines without reading them.
bool sameLine(const QByteArray& a, const QByteArray& b) {
    return (a.constData() == b.constData() && a.size() == b.size()) || a == b;
}

}  // namespace

CustomerIndex::PetKey CustomerIndex::petKeyOf(const QByteArray& customerLine) {
    return qHash(Customer(customerLine).petName(), 0);
}

void CustomerIndex::sync(const QByteArrayList& customerLines) {
    if (customerLines.constData() == lines_.constData() && customerLines.size() == lines_.size()) {
        return;
    }
    const qsizetype oldSize = lines_.size();
    const qsizetype newSize = customerLines.size();
    qsizetype prefix = 0;
    while (prefix < oldSize && prefix < newSize &&
           sameLine(lines_[prefix], customerLines[prefix])) {
        ++prefix;
    }
    qsizetype suffix = 0;
    while (suffix < oldSize - prefix && suffix < newSize - prefix &&
           sameLine(lines_[oldSize - 1 - suffix], customerLines[newSize - 1 - suffix])) {
        ++suffix;
    }
    const qsizetype changed = newSize - prefix - suffix;
    petKeys_.remove(prefix, oldSize - prefix - suffix);
    petKeys_.insert(prefix, changed, PetKey{});
    for (qsizetype i = prefix; i < prefix + changed; ++i) {
        petKeys_[i] = petKeyOf(customerLines[i]);
    }
    lines_ = customerLines;
}

QList<qsizetype> CustomerIndex::samePetNameAs(const QList<qsizetype>& positions) const {
    QSet<PetKey> wanted;
    for (const qsizetype position : positions) {
        wanted.insert(petKeys_.at(position));
    }
    QList<qsizetype> found;
    for (qsizetype i = 0; i < petKeys_.size(); ++i) {
        if (wanted.contains(petKeys_[i])) {
            found.append(i);
        }
    }
    return found;
}

QList<qsizetype> CustomerIndex::customersOfBooking(QByteArrayView reservationLine) const {
    const PetKey wanted = qHash(Booking(reservationLine.toByteArray()).petName(), 0);
    QList<qsizetype> candidates;
    QByteArrayList candidateLines;
    for (qsizetype i = 0; i < petKeys_.size(); ++i) {
        if (petKeys_[i] == wanted) {
            candidates.append(i);
            candidateLines.append(lines_[i]);
        }
    }
    QList<qsizetype> customers;
    for (const qsizetype found :
         records::karte::customersOfBooking(candidateLines, reservationLine)) {
        customers.append(candidates.at(found));
    }
    return customers;
}

}  // namespace records::karte
