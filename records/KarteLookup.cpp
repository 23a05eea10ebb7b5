#include "records/KarteLookup.h"

#include "records/RecordLists.h"
#include "records/RecordViews.h"

namespace records::karte {
namespace {

// Each booking's customers, and their カルテ read in one query.
QHash<qsizetype, Karte> firstKartenOf(const RecordLists& lists,
                                      const QHash<qsizetype, QList<qsizetype>>& customersOf) {
    QList<qsizetype> customers;
    for (const QList<qsizetype>& found : customersOf) {
        customers += found;
    }
    QHash<qsizetype, Karte> karten;
    if (customers.isEmpty()) {
        return karten;
    }
    const QHash<qsizetype, LineDetails> details = lists.detailsAt(RecordFile::User, customers);
    for (auto booking = customersOf.cbegin(); booking != customersOf.cend(); ++booking) {
        for (const qsizetype customer : booking.value()) {
            if (const std::optional<Karte> karte = Karte::of(details.value(customer))) {
                karten.insert(booking.key(), *karte);
                break;
            }
        }
    }
    return karten;
}

}  // namespace

std::optional<Karte> karteOfBooking(const RecordLists& lists, QByteArrayView reservationLine) {
    if (!lists.hasStore()) {
        return std::nullopt;
    }
    const QHash<qsizetype, Karte> karten =
        firstKartenOf(lists, {{0, lists.customerIndex().customersOfBooking(reservationLine)}});
    return karten.contains(0) ? std::optional(karten.value(0)) : std::nullopt;
}

std::optional<BookingCheck> checkOfBooking(const RecordLists& lists, QByteArrayView reservationLine,
                                           const QDate& today) {
    const std::optional<Karte> karte = karteOfBooking(lists, reservationLine);
    if (!karte) {
        return std::nullopt;
    }
    return checkBooking(*karte, KarteSettings::fromBytes(lists.setting(KarteSettings::SettingName)),
                        Booking(reservationLine.toByteArray()).bookedDate(today));
}

QHash<qsizetype, Karte> kartenOfBookings(const RecordLists& lists,
                                         const QList<qsizetype>& positions) {
    if (!lists.hasStore()) {
        return {};
    }
    const CustomerIndex& index = lists.customerIndex();
    const QByteArrayList& lines = lists.lines(RecordFile::Yoyaku);
    QHash<qsizetype, QList<qsizetype>> customersOf;
    for (const qsizetype position : positions) {
        customersOf.insert(position, index.customersOfBooking(lines.at(position)));
    }
    return firstKartenOf(lists, customersOf);
}

void noteCautions(const RecordLists& lists, QList<sheets::Booking>& bookings) {
    QList<qsizetype> positions;
    for (const sheets::Booking& booking : bookings) {
        positions.append(booking.position);
    }
    const QHash<qsizetype, Karte> karten = kartenOfBookings(lists, positions);
    for (sheets::Booking& booking : bookings) {
        if (const auto found = karten.constFind(booking.position); found != karten.cend()) {
            booking.caution = cautionText(*found, booking.date);
        }
    }
}

}  // namespace records::karte
