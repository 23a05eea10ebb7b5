#include "tests/support/PlainWeek.h"

#include "records/RecordFormat.h"
#include "records/ReservationRecord.h"

namespace testing_support {

QList<Placed> plainWeek(const QByteArrayList& lines, const QDate& first, const QDate& today) {
    namespace reservation_record = records::reservation_record;
    QList<Placed> placed;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArrayList fields = records::splitFields(lines[i]);
        const QDate date = reservation_record::bookedDate(fields, today);
        if (date >= first && date <= first.addDays(6)) {
            placed.append({i, date, reservation_record::bookedHour(fields),
                           reservation_record::tableEntry(fields)});
        }
    }
    return placed;
}

}  // namespace testing_support
