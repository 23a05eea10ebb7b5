#include "records/RecordViews.h"

#include "records/RecordFormat.h"
#include "records/Sjis.h"

namespace records {

RecordLine::RecordLine(const QByteArray& line) : line_(line), fields_(splitFields(line)) {}

QByteArray RecordLine::storedAt(int position) const {
    return fieldAt(fields_, position);
}

QByteArray RecordLine::shownAt(int position) const {
    return EmptyMarkDelete(storedAt(position));
}

QByteArray RecordLine::readBackAt(int position) const {
    return records::readBack(storedAt(position));
}

QString RecordLine::shownTextAt(int position) const {
    return records::sjis::toUnicode(shownAt(position));
}

std::optional<QDate> Booking::validBookedDate(const QDate& today) const {
    using namespace reservation_record;
    return reservation_record::validBookedDate(stored(YoyakuNen), stored(YoyakuTuki),
                                               stored(YoyakuNiti), today);
}

QDate Booking::bookedDate(const QDate& today) const {
    return reservation_record::bookedDate(fields(), today);
}

int Booking::hour() const {
    return reservation_record::bookedHour(fields());
}

QByteArray Booking::tableEntry() const {
    return reservation_record::tableEntry(fields());
}

}  // namespace records
