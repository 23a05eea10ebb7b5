#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QDate>
#include <QList>

#include <limits>

namespace records {

// The booked day of every reservation line, read once when the line enters the list, so that
// showing a week does not split the whole history again. The few lines of the week shown are read
// again for their hour and names.
class ReservationIndex {
public:
    // Brings the index in step with `lines`; only lines that changed since the last call are
    // read again (an append, a removal or a replacement of a few lines costs a few lines), and a
    // list that was not changed at all costs nothing.
    void sync(const QByteArrayList& lines);
    // Reads one line as the list is being filled, when it is cheapest to read; the next sync must
    // be given the list that was filled with exactly these lines, which it then takes as is.
    void append(const QByteArray& line);

    // Positions in the list, in list order, of the reservations booked on a day from `first` to
    // `last`; a reservation without a valid date counts as booked on `today`.
    QList<qsizetype> bookedBetween(const QDate& first, const QDate& last, const QDate& today) const;

    QDate bookedDate(qsizetype position, const QDate& today) const;
    int bookedHour(qsizetype position) const;
    QByteArray tableEntry(qsizetype position) const;
    // The line at `position`, as the list holds it.
    const QByteArray& line(qsizetype position) const { return lines_.at(position); }

    // Positions in the list, in list order, of every reservation whose pet name, with its
    // empty-field marks removed, is `petName` (and of the rare other one whose name hashes
    // alike): the only ones that can be visits of a pet of that name. The names are read from
    // every line on the first call and kept in step by sync from then on, so that reading the
    // list at start-up costs nothing for them.
    QList<qsizetype> bookedForPet(const QByteArray& petName) const;

private:
    // Julian day of each line, or DependsOnToday for an invalid date or a two-digit year (the
    // century of today), which are read again from the line when asked for.
    using Day = qint32;
    static constexpr Day DependsOnToday = std::numeric_limits<Day>::min();

    static Day dayOf(const QByteArray& line);
    // A hash of the pet name with its marks removed, which is never NoPetName; NoPetName for a
    // line too short to hold one. Names are not kept: a hash costs less memory on a long list.
    using PetKey = size_t;
    static constexpr PetKey NoPetName = 0;
    static PetKey keyOfName(QByteArrayView name);
    static PetKey petKeyOf(const QByteArray& line);

    QByteArrayList lines_;  // shares the list's lines: an untouched line keeps the same data
    QList<Day> days_;
    // Each line's pet key once bookedForPet was asked; empty (and not kept) until then.
    mutable QList<PetKey> petKeys_;
    mutable bool petKeysRead_ = false;
};

}  // namespace records
