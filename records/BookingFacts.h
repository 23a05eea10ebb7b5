#pragma once

#include "records/BookingDetails.h"
#include "records/DetailStore.h"

#include <QByteArrayList>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace records {
class RecordLists;
}

namespace records::booking {

// The details of some bookings, read from the store in one go and found by the line's position in
// the reservation list, with the salon's settings they are read against: what a sheet, the export
// and the history show beside each booking. A line without details reads as booked, undecided
// and lasting the usual time of its style and kind.
struct BookingFacts {
    SalonSettings settings;
    QHash<qsizetype, LineDetails> details;

    BookingDetails detailsAt(qsizetype position) const;
    // 担当, 所要時間, 状態 as shown for the booking `line` at `position`: the groomer
    // or 未定, the minutes as a number, the status.
    QStringList shownAt(qsizetype position, const records::Booking& line) const;
};

// Reads the details of the reservation lines at `positions`, all in one query.
using DetailsLookup =
    std::function<QHash<qsizetype, LineDetails>(const QList<qsizetype>& positions)>;

// The facts of the reservation lines at `positions`, in one query of the store.
BookingFacts factsOf(const RecordLists& lists, const QList<qsizetype>& positions);

// The facts of every reservation line.
BookingFacts factsOfAll(const RecordLists& lists);

// Whether the salon keeps anything beside the record files (it has a store, made by the first
// setting or details written): only then do the day sheet and the history show the details, so
// that a salon that set nothing up sees them as before.
bool keepsFacts(const RecordLists& lists);
// factsOf() when the salon keeps facts, else nothing.
std::optional<BookingFacts> keptFactsOf(const RecordLists& lists,
                                        const QList<qsizetype>& positions);
// A lookup of the reservation lines' details when the salon keeps facts, else an empty function.
DetailsLookup detailsLookupOf(const RecordLists& lists);

}  // namespace records::booking
