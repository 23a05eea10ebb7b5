#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QByteArrayView>
#include <QList>

namespace records::karte {

// The customer lines by pet name, so that finding the customer a booking was made for reads only
// the few lines of that pet name instead of every customer. Kept in step with the list by sync,
// which reads again only the lines that changed since the last call.
class CustomerIndex {
public:
    void sync(const QByteArrayList& customerLines);

    // customersOfBooking() over the synced list: the same positions, in list order.
    QList<qsizetype> customersOfBooking(QByteArrayView reservationLine) const;
    // Positions in list order of the lines whose pet name may be that of a line at `positions`
    // (the lines themselves among them): the only ones that can equal one of those lines.
    QList<qsizetype> samePetNameAs(const QList<qsizetype>& positions) const;

private:
    // A hash of the pet name as shown (marks removed); lines of another name that hash alike
    // are sorted out by the rule itself.
    using PetKey = size_t;
    static PetKey petKeyOf(const QByteArray& customerLine);

    QByteArrayList lines_;  // shares the list's lines: an untouched line keeps the same data
    QList<PetKey> petKeys_;
};

}  // namespace records::karte
