#include "records/ReservationIndex.h"

#include "records/RecordFormat.h"
#include "records/RecordViews.h"
#include "records/ReservationRecord.h"

#include <QHashFunctions>

namespace records {
namespace {

// An untouched line still shares its bytes with the index's copy, so comparing data pointers
// settles most lines without reading them.
bool sameLine(const QByteArray& a, const QByteArray& b) {
    return (a.constData() == b.constData() && a.size() == b.size()) || a == b;
}

}  // namespace

ReservationIndex::Day ReservationIndex::dayOf(const QByteArray& line) {
    using namespace reservation_record;
    const LeadingFields fields(line, YoyakuNiti + 1);
    // A year of more than two digits does not depend on today; then only a result equal to the
    // stand-in day can still be an invalid date, which a second stand-in tells apart.
    const QDate standInA(2000, 1, 1);
    const QDate standInB(2150, 6, 15);
    const QDate a = reservation_record::bookedDate(fields, standInA);
    const bool fixed = fields.at(YoyakuNen).size() > 2 &&
                       (a != standInA || reservation_record::bookedDate(fields, standInB) == a);
    return fixed ? static_cast<Day>(a.toJulianDay()) : DependsOnToday;
}

ReservationIndex::PetKey ReservationIndex::keyOfName(QByteArrayView name) {
    const PetKey key = qHash(name, 0);
    return key == NoPetName ? NoPetName + 1 : key;
}

ReservationIndex::PetKey ReservationIndex::petKeyOf(const QByteArray& line) {
    PetKey key = NoPetName;
    forEachField(line, [&key](int position, QByteArrayView field) {
        if (position < reservation_record::PetName) {
            return true;
        }
        key = field.contains(EmptyMark.front()) ? keyOfName(EmptyMarkDelete(field.toByteArray()))
                                                : keyOfName(field);
        return false;
    });
    return key;
}

void ReservationIndex::sync(const QByteArrayList& lines) {
    if (days_.size() != lines_.size()) {
        lines_ = lines;  // the lines appended while the list was filled are its lines now
        petKeys_.clear();
        petKeysRead_ = false;
        return;
    }
    if (lines.constData() == lines_.constData() && lines.size() == lines_.size()) {
        return;  // the very same list, not changed since
    }
    const qsizetype oldSize = lines_.size();
    const qsizetype newSize = lines.size();
    qsizetype prefix = 0;
    while (prefix < oldSize && prefix < newSize && sameLine(lines_[prefix], lines[prefix])) {
        ++prefix;
    }
    qsizetype suffix = 0;
    while (suffix < oldSize - prefix && suffix < newSize - prefix &&
           sameLine(lines_[oldSize - 1 - suffix], lines[newSize - 1 - suffix])) {
        ++suffix;
    }
    if (prefix == oldSize && prefix == newSize) {
        lines_ = lines;  // the same lines in another list: share that one from now on
        return;
    }
    const qsizetype changed = newSize - prefix - suffix;
    days_.remove(prefix, oldSize - prefix - suffix);
    days_.insert(prefix, changed, DependsOnToday);
    for (qsizetype i = prefix; i < prefix + changed; ++i) {
        days_[i] = dayOf(lines[i]);
    }
    if (petKeysRead_) {
        petKeys_.remove(prefix, oldSize - prefix - suffix);
        petKeys_.insert(prefix, changed, NoPetName);
        for (qsizetype i = prefix; i < prefix + changed; ++i) {
            petKeys_[i] = petKeyOf(lines[i]);
        }
    }
    lines_ = lines;
}

void ReservationIndex::append(const QByteArray& line) {
    days_.append(dayOf(line));
}

QList<qsizetype> ReservationIndex::bookedBetween(const QDate& first, const QDate& last,
                                                 const QDate& today) const {
    const qint64 from = first.toJulianDay();
    const qint64 to = last.toJulianDay();
    QList<qsizetype> positions;
    const Day* days = days_.constData();
    const qsizetype size = days_.size();
    for (qsizetype i = 0; i < size; ++i) {
        const qint64 day = days[i] == DependsOnToday ? bookedDate(i, today).toJulianDay() : days[i];
        if (day >= from && day <= to) {
            positions.append(i);
        }
    }
    return positions;
}

QDate ReservationIndex::bookedDate(qsizetype position, const QDate& today) const {
    const Day day = days_.at(position);
    return day == DependsOnToday
               ? reservation_record::bookedDate(LeadingFields(lines_.at(position)), today)
               : QDate::fromJulianDay(day);
}

int ReservationIndex::bookedHour(qsizetype position) const {
    return reservation_record::bookedHour(
        LeadingFields(lines_.at(position)).at(reservation_record::YoyakuJikan));
}

QByteArray ReservationIndex::tableEntry(qsizetype position) const {
    return Booking(lines_.at(position)).tableEntry();
}

QList<qsizetype> ReservationIndex::bookedForPet(const QByteArray& petName) const {
    if (!petKeysRead_) {
        petKeys_.reserve(lines_.size());
        for (const QByteArray& line : lines_) {
            petKeys_.append(petKeyOf(line));
        }
        petKeysRead_ = true;
    }
    const PetKey wanted = keyOfName(petName);
    QList<qsizetype> positions;
    const PetKey* keys = petKeys_.constData();
    for (qsizetype i = 0; i < petKeys_.size(); ++i) {
        if (keys[i] == wanted) {
            positions.append(i);
        }
    }
    return positions;
}

}  // namespace records
