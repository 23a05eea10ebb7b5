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

KarteSettings settingsWith(QList<VaccineKind> required, int days = 14) {
    return {std::move(required), days};
}

const QDate ShotDay(2025, 12, 1);  // protects up to 2026-12-01
const QDate LastProtected(2026, 12, 1);
const QDate Recent(2026, 12, 1);  // a shot days before the bookings below

struct RuleCase {
    const char* name;
    Karte karte;
    KarteSettings settings;
    QDate booked;
    QList<Vaccination> expired = {};
    QList<VaccineKind> neverRecorded = {};
    QList<Vaccination> soonAfterShot = {};
    QList<Flag> flags = {};
};

TEST(KarteRules, EachRuleAtItsEdges) {
    const Vaccination old = shot(Rabies, ShotDay);
    const Vaccination older = shot(Rabies, QDate(2024, 11, 1));
    const Vaccination recent = shot(Combined, Recent);
    const RuleCase cases[] = {
        {"booked on the last protected day", karteWith({old}), {}, LastProtected},
        {"booked the day after", karteWith({old}), {}, LastProtected.addDays(1), {old}},
        {"a later valid-until than one year counts",
         karteWith({shot(Rabies, ShotDay, QDate(2027, 1, 31))}),
         {},
         QDate(2027, 1, 31)},
        {"the latest shot counts, listed first", karteWith({old, older}), {}, QDate(2026, 6, 1)},
        {"the latest shot counts, listed last", karteWith({older, old}), {}, QDate(2026, 6, 1)},
        {"both kinds expired",
         karteWith({older, shot(Combined, QDate(2024, 5, 1))}),
         {},
         QDate(2026, 6, 1),
         {older, shot(Combined, QDate(2024, 5, 1))}},
        {"a required kind never recorded",
         karteWith({old}),
         settingsWith({Combined, Rabies}),
         QDate(2026, 6, 1),
         {},
         {Combined}},
        {"nothing required: no shot is missing",
         karteWith({}, {Flag::Hoeru}),
         {},
         QDate(2026, 6, 1),
         {},
         {},
         {},
         {Flag::Hoeru}},
        {"the shot's day itself", karteWith({recent}), {}, Recent, {}, {}, {recent}},
        {"the 14th day", karteWith({recent}), {}, Recent.addDays(14), {}, {}, {recent}},
        {"the 15th day", karteWith({recent}), {}, Recent.addDays(15)},
        {"the day before the shot", karteWith({recent}), {}, Recent.addDays(-1)},
        {"7 days set: the 7th day",
         karteWith({recent}),
         settingsWith({}, 7),
         Recent.addDays(7),
         {},
         {},
         {recent}},
        {"7 days set: the 8th day", karteWith({recent}), settingsWith({}, 7), Recent.addDays(8)},
        {"0 days set: never asked", karteWith({recent}), settingsWith({}, 0), Recent},
        {"flags in their order",
         karteWith({}, {Flag::Kourei, Flag::Kamu}),
         {},
         Recent,
         {},
         {},
         {},
         {Flag::Kamu, Flag::Kourei}},
    };
    for (const RuleCase& c : cases) {
        const BookingCheck check = checkBooking(c.karte, c.settings, c.booked);
        EXPECT_EQ(check.expired, c.expired) << c.name;
        EXPECT_EQ(check.neverRecorded, c.neverRecorded) << c.name;
        EXPECT_EQ(check.soonAfterShot, c.soonAfterShot) << c.name;
        EXPECT_EQ(check.flags, c.flags) << c.name;
        EXPECT_EQ(check.isEmpty(), c.expired.isEmpty() && c.neverRecorded.isEmpty() &&
                                       c.soonAfterShot.isEmpty() && c.flags.isEmpty())
            << c.name;
    }
}

TEST(KarteRules, TheQuestionListsEachFindingInOrder) {
    const Karte karte =
        karteWith({shot(Rabies, QDate(2024, 11, 1)), shot(Combined, Recent)}, {Flag::Kamu});
    const QStringList lines =
        checkBooking(karte, settingsWith({Rabies, Combined}), Recent.addDays(3)).lines();
    EXPECT_EQ(lines,
              (QStringList{QStringLiteral("狂犬病の有効期限 (2025/11/01) が予約日に切れています"),
                           QStringLiteral("混合ワクチンの接種日 (2026/12/01) から3日目の予約です"),
                           QStringLiteral("注意: 噛む")}));
    const QStringList missing =
        checkBooking(karteWith({}, {Flag::Hifu}), settingsWith({Combined}), Recent).lines();
    EXPECT_EQ(missing.first(), QStringLiteral("混合ワクチンの接種が記録されていません"));
}

TEST(KarteRules, ACertificateIsAskedForWithinThirtyDaysOfTheBooking) {
    const QDate booked(2026, 12, 10);
    const struct {
        const char* name;
        QDate validUntil;
        bool asked;
    } cases[] = {
        {"ends on the 30th day", booked.addDays(30), true},
        {"ends on the 31st day", booked.addDays(31), false},
        {"ends on the booked day", booked, true},
        {"ended before", booked.addDays(-40), true},
    };
    for (const auto& c : cases) {
        const Karte karte = karteWith({shot(Rabies, c.validUntil.addYears(-1), c.validUntil)});
        EXPECT_EQ(expiringNear(karte, booked).size(), c.asked ? 1 : 0) << c.name;
    }
}

TEST(KarteRules, TheListsShowFlagsAndTheShotsToRenew) {
    const QDate booked(2026, 12, 10);
    const struct {
        const char* name;
        Karte karte;
        QString shown;
    } cases[] = {
        {"flags and a renewal",
         karteWith({shot(Rabies, QDate(2025, 12, 20)), shot(Combined, Recent)},
                   {Flag::Kamu, Flag::Kourei}),
         QStringLiteral("噛む・高齢 期限 狂犬病 12/20")},
        {"flags only", karteWith({shot(Combined, Recent)}, {Flag::Kowagari}),
         QStringLiteral("怖がり")},
        {"a renewal only", karteWith({shot(Combined, QDate(2025, 12, 1))}),
         QStringLiteral("期限 混合ワクチン 12/1")},
        {"nothing to tell", karteWith({shot(Combined, Recent)}), QString()},
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
    const QByteArray momo = customerLine({"モモ", "", "", "", "鈴木"});
    const QByteArrayList bookings = {
        bookingOf("ポチ", "山田"), bookingOf("ポチ", "別人", "03-2222"), bookingOf("タマ", "山田"),
        bookingOf("モモ", "鈴木"), bookingOf("ハナ", "山田")};
    const struct {
        const char* name;
        std::function<void(QByteArrayList&)> change;
    } steps[] = {
        {"as read", [](QByteArrayList&) {}},
        {"appended", [&](QByteArrayList& l) { l.append(momo); }},
        {"inserted first", [&](QByteArrayList& l) { l.prepend(pochi2); }},
        {"removed in the middle", [](QByteArrayList& l) { l.removeAt(2); }},
        {"renamed in place", [&](QByteArrayList& l) { l[0] = tama; }},
        {"moved to the end", [](QByteArrayList& l) { l.append(l.takeFirst()); }},
        {"emptied", [](QByteArrayList& l) { l.clear(); }},
        {"read again",
         [&](QByteArrayList& l) {
             l = {pochi, tama, pochi2, momo, pochi};
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
        // Every line equal to one asked for is among those of the same pet name.
        for (qsizetype at = 0; at < customers.size(); ++at) {
            const QList<qsizetype> candidates = index.samePetNameAs({at});
            for (qsizetype other = 0; other < customers.size(); ++other) {
                EXPECT_EQ(candidates.contains(other), Customer(customers.at(other)).petName() ==
                                                          Customer(customers.at(at)).petName())
                    << step.name;
            }
        }
    }
    EXPECT_EQ(index.customersOfBooking(bookings.at(0)), (QList<qsizetype>{0, 4}));
}

}  // namespace
