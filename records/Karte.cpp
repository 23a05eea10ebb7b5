#include "records/Karte.h"

#include "records/RecordViews.h"
#include "records/VisitHistory.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace records::karte {
namespace {

const QString KarteKey = QStringLiteral("karte");
const QString FlagsKey = QStringLiteral("flags");
const QString MemoKey = QStringLiteral("memo");
const QString VaccinationsKey = QStringLiteral("vaccinations");
const QString KindKey = QStringLiteral("kind");
const QString GivenKey = QStringLiteral("given");
const QString ValidUntilKey = QStringLiteral("validUntil");
const QString CertificateKey = QStringLiteral("certificate");

// Flags and kinds are stored by caption, so that the store reads the same whatever order the
// window shows them in.
template <typename Choice, std::size_t Count>
std::optional<Choice> named(const QString& caption, const std::array<Choice, Count>& choices,
                            QString (*captionOf)(Choice)) {
    const auto found = std::find_if(choices.begin(), choices.end(),
                                    [&](Choice choice) { return captionOf(choice) == caption; });
    return found == choices.end() ? std::nullopt : std::optional<Choice>(*found);
}

std::optional<Vaccination> vaccinationOf(const QJsonObject& object) {
    const std::optional<VaccineKind> kind =
        named(object.value(KindKey).toString(), AllVaccineKinds, vaccineCaption);
    const QDate given = QDate::fromString(object.value(GivenKey).toString(), Qt::ISODate);
    if (!kind || !given.isValid()) {
        return std::nullopt;
    }
    QDate validUntil = QDate::fromString(object.value(ValidUntilKey).toString(), Qt::ISODate);
    if (!validUntil.isValid()) {
        validUntil = Vaccination::usualValidUntil(given);
    }
    return Vaccination{*kind, given, validUntil, object.value(CertificateKey).toBool()};
}

QJsonObject objectOf(const Vaccination& vaccination) {
    return {{KindKey, vaccineCaption(vaccination.kind)},
            {GivenKey, vaccination.given.toString(Qt::ISODate)},
            {ValidUntilKey, vaccination.validUntil.toString(Qt::ISODate)},
            {CertificateKey, vaccination.certificateSeen}};
}

}  // namespace

QString flagCaption(Flag flag) {
    switch (flag) {
        case Flag::Kamu:
            return QStringLiteral("噛む");
        case Flag::Hoeru:
            return QStringLiteral("吠える");
        case Flag::Kowagari:
            return QStringLiteral("怖がり");
        case Flag::Hifu:
            return QStringLiteral("皮膚が弱い");
        case Flag::Jibyou:
            return QStringLiteral("持病あり");
        case Flag::Kourei:
            return QStringLiteral("高齢");
    }
    return {};
}

QString vaccineCaption(VaccineKind kind) {
    switch (kind) {
        case VaccineKind::Kyoukenbyou:
            return QStringLiteral("狂犬病");
        case VaccineKind::Kongou:
            return QStringLiteral("混合ワクチン");
    }
    return {};
}

QList<Flag> Karte::setFlags() const {
    QList<Flag> set;
    for (const Flag flag : AllFlags) {
        if (has(flag)) {
            set.append(flag);
        }
    }
    return set;
}

bool Karte::isEmpty() const {
    return setFlags().isEmpty() && memo.trimmed().isEmpty() && vaccinations.isEmpty();
}

std::optional<Karte> Karte::of(const LineDetails& details) {
    const QJsonObject object = details.value(KarteKey).toObject();
    Karte karte;
    for (const QJsonValue caption : object.value(FlagsKey).toArray()) {
        if (const std::optional<Flag> flag = named(caption.toString(), AllFlags, flagCaption)) {
            karte.set(*flag, true);
        }
    }
    karte.memo = object.value(MemoKey).toString();
    for (const QJsonValue value : object.value(VaccinationsKey).toArray()) {
        if (std::optional<Vaccination> vaccination = vaccinationOf(value.toObject())) {
            karte.vaccinations.append(*vaccination);
        }
    }
    return karte.isEmpty() ? std::nullopt : std::optional<Karte>(karte);
}

LineDetails Karte::into(LineDetails details) const {
    if (isEmpty()) {
        details.remove(KarteKey);
        return details;
    }
    QJsonArray flagCaptions;
    for (const Flag flag : setFlags()) {
        flagCaptions.append(flagCaption(flag));
    }
    QJsonArray shots;
    for (const Vaccination& vaccination : vaccinations) {
        shots.append(objectOf(vaccination));
    }
    details.insert(
        KarteKey, QJsonObject{{FlagsKey, flagCaptions}, {MemoKey, memo}, {VaccinationsKey, shots}});
    return details;
}

KarteSettings KarteSettings::fromBytes(const std::optional<QByteArray>& bytes) {
    KarteSettings settings;
    if (!bytes) {
        return settings;
    }
    const QJsonObject object = QJsonDocument::fromJson(*bytes).object();
    for (const QJsonValue caption : object.value(QStringLiteral("requiredKinds")).toArray()) {
        const std::optional<VaccineKind> kind =
            named(caption.toString(), AllVaccineKinds, vaccineCaption);
        if (kind && !settings.requiredKinds.contains(*kind)) {
            settings.requiredKinds.append(*kind);
        }
    }
    if (const QJsonValue days = object.value(QStringLiteral("daysAfterVaccination"));
        days.isDouble()) {
        settings.daysAfterVaccination = std::clamp(days.toInt(), 0, 365);
    }
    return settings;
}

QByteArray KarteSettings::toBytes() const {
    QJsonArray kinds;
    for (const VaccineKind kind : requiredKinds) {
        kinds.append(vaccineCaption(kind));
    }
    return QJsonDocument(
               QJsonObject{{QStringLiteral("requiredKinds"), kinds},
                           {QStringLiteral("daysAfterVaccination"), daysAfterVaccination}})
        .toJson(QJsonDocument::Compact);
}

QList<qsizetype> customersOfBooking(const QByteArrayList& customerLines,
                                    QByteArrayView reservationLine) {
    const QByteArray petName = Booking(reservationLine.toByteArray()).petName();
    QList<qsizetype> customers;
    for (qsizetype position = 0; position < customerLines.size(); ++position) {
        const QByteArray& line = customerLines.at(position);
        if (Customer(line).petName() == petName &&
            history::isVisitOf(history::subjectOfCustomer(line), reservationLine)) {
            customers.append(position);
        }
    }
    return customers;
}

}  // namespace records::karte
