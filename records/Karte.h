#pragma once

#include "records/DetailStore.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QByteArrayView>
#include <QDate>
#include <QList>
#include <QString>

#include <array>
#include <optional>

// What the groomer must know of a pet before it is on the table: its flags, a note and its
// vaccinations. A pet's カルテ is kept in the store with its customer line, so that editing the
// customer carries it along and deleting the customer keeps it with the deleted line.
namespace records::karte {

enum class Flag { Kamu, Hoeru, Kowagari, Hifu, Jibyou, Kourei };
inline constexpr std::array AllFlags{Flag::Kamu, Flag::Hoeru,  Flag::Kowagari,
                                     Flag::Hifu, Flag::Jibyou, Flag::Kourei};
// 噛む, 吠える, 怖がり, 皮膚が弱い, 持病あり, 高齢.
QString flagCaption(Flag flag);

enum class VaccineKind { Kyoukenbyou, Kongou };
inline constexpr std::array AllVaccineKinds{VaccineKind::Kyoukenbyou, VaccineKind::Kongou};
// 狂犬病, 混合ワクチン.
QString vaccineCaption(VaccineKind kind);

struct Vaccination {
    VaccineKind kind = VaccineKind::Kyoukenbyou;
    QDate given;
    QDate validUntil;  // the last day it protects
    bool certificateSeen = false;

    // One year after the shot, unless the certificate says otherwise.
    static QDate usualValidUntil(const QDate& given) { return given.addYears(1); }
    friend bool operator==(const Vaccination&, const Vaccination&) = default;
};

struct Karte {
    std::array<bool, AllFlags.size()> flags{};
    QString memo;
    QList<Vaccination> vaccinations;

    bool has(Flag flag) const { return flags[static_cast<std::size_t>(flag)]; }
    void set(Flag flag, bool on) { flags[static_cast<std::size_t>(flag)] = on; }
    QList<Flag> setFlags() const;
    // Nothing set, noted or recorded: a pet with such a カルテ is a pet without one.
    bool isEmpty() const;

    // The customer line's カルテ; nothing when it has none.
    static std::optional<Karte> of(const LineDetails& details);
    // `details` with this カルテ in (or out, when it is empty), every other value kept.
    LineDetails into(LineDetails details) const;
    friend bool operator==(const Karte&, const Karte&) = default;
};

// What the salon requires of a pet's vaccinations; nothing is required until it is set.
struct KarteSettings {
    static inline const QString SettingName = QStringLiteral("karte");
    static constexpr int DefaultDaysAfterVaccination = 14;

    QList<VaccineKind> requiredKinds;
    // A booking within this many days after a shot is asked about.
    int daysAfterVaccination = DefaultDaysAfterVaccination;

    static KarteSettings fromBytes(const std::optional<QByteArray>& bytes);
    QByteArray toBytes() const;
    friend bool operator==(const KarteSettings&, const KarteSettings&) = default;
};

// The positions of the customer lines a booking was made for, by the visit-history rule (the
// same pet name, and the owner's name or one of the numbers), in list order.
QList<qsizetype> customersOfBooking(const QByteArrayList& customerLines,
                                    QByteArrayView reservationLine);

}  // namespace records::karte
