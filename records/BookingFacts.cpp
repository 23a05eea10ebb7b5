#include "records/BookingFacts.h"

#include "records/RecordLists.h"

#include <numeric>

namespace records::booking {

BookingDetails BookingFacts::detailsAt(qsizetype position) const {
    return BookingDetails::of(details.value(position));
}

QStringList BookingFacts::shownAt(qsizetype position, const records::Booking& line) const {
    const BookingDetails booking = detailsAt(position);
    return {booking.groomer.isEmpty() ? UndecidedGroomer : booking.groomer,
            QString::number(settings.minutesOf(line, booking)), statusCaption(booking.status)};
}

BookingFacts factsOf(const RecordLists& lists, const QList<qsizetype>& positions) {
    return {SalonSettings::fromBytes(lists.setting(SalonSettings::SettingName)),
            positions.isEmpty() ? QHash<qsizetype, LineDetails>()
                                : lists.detailsAt(RecordFile::Yoyaku, positions)};
}

BookingFacts factsOfAll(const RecordLists& lists) {
    QList<qsizetype> positions(lists.lines(RecordFile::Yoyaku).size());
    std::iota(positions.begin(), positions.end(), qsizetype{0});
    return factsOf(lists, positions);
}

bool keepsFacts(const RecordLists& lists) {
    return lists.hasStore();
}

std::optional<BookingFacts> keptFactsOf(const RecordLists& lists,
                                        const QList<qsizetype>& positions) {
    return keepsFacts(lists) ? std::optional(factsOf(lists, positions)) : std::nullopt;
}

DetailsLookup detailsLookupOf(const RecordLists& lists) {
    if (!keepsFacts(lists)) {
        return {};
    }
    return [&lists](const QList<qsizetype>& positions) {
        return lists.detailsAt(RecordFile::Yoyaku, positions);
    };
}

}  // namespace records::booking
