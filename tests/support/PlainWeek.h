#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QDate>
#include <QList>

namespace testing_support {

// One reservation of the week shown, found the plain way: every line split and read again,
// with no index. The reference the weekly table and its index are checked against.
struct Placed {
    qsizetype position;
    QDate date;
    int hour;
    QByteArray entry;  // Shimei/PetName as stored
    bool operator==(const Placed&) const = default;
};

// The lines of `lines` booked between `first` and six days later, in list order.
QList<Placed> plainWeek(const QByteArrayList& lines, const QDate& first, const QDate& today);

}  // namespace testing_support
