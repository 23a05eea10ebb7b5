// The rules a pet's カルテ applies to a booking, each at its edges, and the index that finds the
// booking's customer without reading every customer line.
#include "records/CustomerIndex.h"
#include "records/KarteCheck.h"
#include "records/RecordViews.h"
#include "records/ReservationRecord.h"
#include "tests/support/RecordLines.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace records::karte;
using records::Customer;
using testing_support::customerLine;

constexpr auto Rabies = VaccineKind::Kyoukenbyou;
constexpr auto Combined = VaccineKind::Kongou;

Vaccination shot(VaccineKind kind, QDate given, QDate validUntil = {}) {
    return {kind, given, validUntil.isValid() ? validUntil : Vaccination::usualValidUntil(given),
            true};
}

Karte karteWith(QList<Vaccination> shots, QList<Flag> flags = {}) {
    Karte karte;
    karte.vaccinations = std::move(shots);
    for (const Flag flag : flags) {
        karte.set(flag, true);
    }
    return karte;
}

// What a check found, briefly: "expired 狂犬病 2026-12-01, never 混合ワクチン, soon ..., 噛む".
QString summaryOf(const BookingCheck& check) {
    QStringList parts;
    for (const Vaccination& v : check.expired) {
        parts.append("expired " + vaccineCaption(v.kind) + ' ' +
                     v.validUntil.toString(Qt::ISODate));
    }
    for (const VaccineKind kind : check.neverRecorded) {
        parts.append("never " + vaccineCaption(kind));
    }
    for (const Vaccination& v : check.soonAfterShot) {
        parts.append("soon " + vaccineCaption(v.kind) + ' ' + v.given.toString(Qt::ISODate));
    }
    for (const Flag flag : check.flags) {
        parts.append(flagCaption(flag));
    }
    return parts.join(", ");
}

const QDate LastProtected(2026, 12, 1);  // of a shot on 2025-12-01
const QDate Recent(2026, 12, 1);         // a shot days before the bookings below

TEST(KarteRules, EachRuleAtItsEdges) {
    const Vaccination old = shot(Rabies, QDate(2025, 12, 1));
    const Vaccination older = shot(Rabies, QDate(2024, 11, 1));
    const Vaccination recent = shot(Combined, Recent);
    const KarteSettings none;
    const struct {
        const char* name;
        Karte karte;
        KarteSettings settings;
        QDate booked;
        QString found;
    } cases[] = {
        {"booked on the last protected day", karteWith({old}), none, LastProtected, ""},
        {"booked the day after", karteWith({old}), none, LastProtected.addDays(1),
         "expired 狂犬病 2026-12-01"},
        {"the latest shot counts, listed first", karteWith({old, older}), none, Recent, ""},
        {"the latest shot counts, listed last", karteWith({older, old}), none, Recent, ""},
        {"a required kind never recorded",
         karteWith({old}),
         {{Combined, Rabies}},
         Recent,
         "never 混合ワクチン"},
        {"nothing required", karteWith({}, {Flag::Hoeru}), none, Recent, "吠える"},
        {"the shot's day itself", karteWith({recent}), none, Recent,
         "soon 混合ワクチン 2026-12-01"},
        {"the 14th day", karteWith({recent}), none, Recent.addDays(14),
         "soon 混合ワクチン 2026-12-01"},
        {"the 15th day", karteWith({recent}), none, Recent.addDays(15), ""},
        {"the day before the shot", karteWith({recent}), none, Recent.addDays(-1), ""},
        {"7 days set: the 8th day", karteWith({recent}), {{}, 7}, Recent.addDays(8), ""},
        {"0 days set: never asked", karteWith({recent}), {{}, 0}, Recent, ""},
        {"all in their order",
         karteWith({older, recent}, {Flag::Kourei, Flag::Kamu}),
         {{Combined, Rabies}},
         Recent.addDays(3),
         "expired 狂犬病 2025-11-01, soon 混合ワクチン 2026-12-01, 噛む, 高齢"},
    };
    for (const auto& c : cases) {
        const BookingCheck check = checkBooking(c.karte, c.settings, c.booked);
        EXPECT_EQ(summaryOf(check), c.found) << c.name;
        EXPECT_EQ(check.isEmpty(), c.found.isEmpty()) << c.name;
    }
}

// The lists show the flags, and the shots whose protection ends within 30 days of the booking.
TEST(KarteRules, TheListsShowFlagsAndTheShotsToRenew) {
    const QDate booked(2026, 12, 10);
    const struct {
        const char* name;
        Karte karte;
        QString shown;
    } cases[] = {
        {"flags and a shot ending on the 30th day",
         karteWith({shot(Rabies, booked.addDays(30).addYears(-1)), shot(Combined, Recent)},
                   {Flag::Kamu, Flag::Kourei}),
         "噛む・高齢 期限 狂犬病 1/9"},
        {"a shot ending on the 31st day",
         karteWith({shot(Rabies, booked.addDays(31).addYears(-1))}), ""},
        {"a shot ended before", karteWith({shot(Combined, QDate(2025, 12, 1))}, {Flag::Kowagari}),
         "怖がり 期限 混合ワクチン 12/1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(cautionText(c.karte, booked), c.shown) << c.name;
    }
}

QByteArray bookingOf(const char* petName, const char* shimei, const char* telephone = "") {
    using namespace records::reservation_record;
    return testing_support::recordLine(
        FieldCount, {{PetName, petName}, {Shimei, shimei}, {TelephoneNo, telephone}});
}

// However the list changed since the last sync, the index finds what reading every line finds.
TEST(CustomerIndex, FindsWhatTheWholeListFindsAfterEachChange) {
    const QByteArray pochi = customerLine({"ポチ", "", "", "", "山田", "", "", "", "03-1111"});
    const QByteArray pochi2 = customerLine({"ポチ", "", "", "", "佐藤", "", "", "", "03-2222"});
    const QByteArray tama = customerLine({"タマ", "", "", "", "山田", "", "", "", "03-1111"});
    const QByteArrayList bookings = {bookingOf("ポチ", "山田"),
                                     bookingOf("ポチ", "別人", "03-2222"),
                                     bookingOf("タマ", "山田"), bookingOf("ハナ", "山田")};
    const struct {
        const char* name;
        std::function<void(QByteArrayList&)> change;
    } steps[] = {
        {"as read", [](QByteArrayList&) {}},
        {"inserted first", [&](QByteArrayList& l) { l.prepend(pochi2); }},
        {"removed in the middle", [](QByteArrayList& l) { l.removeAt(2); }},
        {"renamed in place", [&](QByteArrayList& l) { l[0] = tama; }},
        {"moved to the end", [](QByteArrayList& l) { l.append(l.takeFirst()); }},
        {"read again",
         [&](QByteArrayList& l) {
             l = {pochi, tama, pochi2, pochi};
         }},
    };
    QByteArrayList customers = {pochi, tama, pochi2};
    CustomerIndex index;
    for (const auto& step : steps) {
        step.change(customers);
        index.sync(customers);
        for (const QByteArray& booking : bookings) {
            EXPECT_EQ(index.customersOfBooking(booking), customersOfBooking(customers, booking))
                << step.name;
        }
        // Every line equal to one asked for is among those that may equal it; another pet's not.
        for (qsizetype at = 0; at < customers.size(); ++at) {
            for (qsizetype other = 0; other < customers.size(); ++other) {
                const bool may = index.mayEqual({at}).contains(other);
                if (customers[other] == customers[at]) {
                    EXPECT_TRUE(may) << step.name;
                } else if (Customer(customers[other]).petName() !=
                           Customer(customers[at]).petName()) {
                    EXPECT_FALSE(may) << step.name;
                }
            }
        }
    }
    EXPECT_EQ(index.customersOfBooking(bookings.at(0)), (QList<qsizetype>{0, 3}));
}

}  // namespace
