#include "records/CustomerIndex.h"

#include "records/CustomerRecord.h"
#include "records/Karte.h"
#include "records/RecordFormat.h"
#include "records/ReservationRecord.h"

#include <QHashFunctions>

#include <algorithm>

namespace records::karte {
namespace {

// An untouched line still shares its bytes with the index's copy, so comparing data pointers
// settles most lines without reading them.
bool sameLine(const QByteArray& a, const QByteArray& b) {
    return (a.constData() == b.constData() && a.size() == b.size()) || a == b;
}

QByteArray shown(QByteArrayView field) {
    return field.contains(EmptyMark.front()) ? EmptyMarkDelete(field.toByteArray())
                                             : field.toByteArray();
}

// The fields at `wanted` positions of `line`, marks removed, read in place.
template <std::size_t Count>
std::array<QByteArray, Count> shownFields(QByteArrayView line,
                                          const std::array<int, Count>& wanted) {
    std::array<QByteArray, Count> fields;
    const int last = *std::max_element(wanted.begin(), wanted.end());
    forEachField(line, [&](int position, QByteArrayView field) {
        for (std::size_t i = 0; i < Count; ++i) {
            if (wanted[i] == position) {
                fields[i] = shown(field);
            }
        }
        return position < last;
    });
    return fields;
}

}  // namespace

CustomerIndex::Keys CustomerIndex::keysOf(QByteArrayView petName, QByteArrayView shimei,
                                          QByteArrayView telephone, QByteArrayView mobile) {
    const auto keyOf = [&petName](char tag, QByteArrayView text) {
        const Key key = qHashMulti(0, petName, tag, text);
        return key == NoKey ? NoKey + 1 : key;
    };
    // A booking's number may be either of the customer's, so both are hashed alike.
    return {keyOf('o', shimei), telephone.isEmpty() ? NoKey : keyOf('n', telephone),
            mobile.isEmpty() ? NoKey : keyOf('n', mobile)};
}

CustomerIndex::Keys CustomerIndex::customerKeysOf(const QByteArray& customerLine) {
    using namespace customer_record;
    const auto fields = shownFields<4>(customerLine, {PetName, Shimei, TelephoneNo, MobilPhoneNo});
    return keysOf(fields[0], fields[1], fields[2], fields[3]);
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
    keys_.remove(prefix, oldSize - prefix - suffix);
    keys_.insert(prefix, changed, Keys{});
    for (qsizetype i = prefix; i < prefix + changed; ++i) {
        keys_[i] = customerKeysOf(customerLines[i]);
    }
    lines_ = customerLines;
}

QList<qsizetype> CustomerIndex::mayEqual(const QList<qsizetype>& positions) const {
    // Equal lines have equal keys. Usually one or a few lines are asked for: a sorted list is
    // searched faster than a set.
    QList<Key> wanted;
    for (const qsizetype position : positions) {
        wanted.append(keys_.at(position)[0]);
    }
    std::sort(wanted.begin(), wanted.end());
    wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());
    QList<qsizetype> found;
    for (qsizetype i = 0; i < keys_.size(); ++i) {
        if (std::binary_search(wanted.cbegin(), wanted.cend(), keys_[i][0])) {
            found.append(i);
        }
    }
    return found;
}

QList<qsizetype> CustomerIndex::customersOfBooking(QByteArrayView reservationLine) const {
    using namespace reservation_record;
    const auto fields =
        shownFields<4>(reservationLine, {PetName, Shimei, TelephoneNo, MobilPhoneNo});
    const Keys wanted = keysOf(fields[0], fields[1], fields[2], fields[3]);
    const auto shares = [&wanted](const Keys& keys) {
        for (const Key key : keys) {
            if (key != NoKey && std::find(wanted.begin(), wanted.end(), key) != wanted.end()) {
                return true;
            }
        }
        return false;
    };
    QList<qsizetype> candidates;
    QByteArrayList candidateLines;
    for (qsizetype i = 0; i < keys_.size(); ++i) {
        if (shares(keys_[i])) {
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
