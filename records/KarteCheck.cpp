#include "records/KarteCheck.h"

namespace records::karte {
namespace {

QString longDate(const QDate& date) {
    return date.toString(QStringLiteral("yyyy/MM/dd"));
}

}  // namespace

std::optional<Vaccination> latestShot(const Karte& karte, VaccineKind kind) {
    std::optional<Vaccination> latest;
    for (const Vaccination& shot : karte.vaccinations) {
        if (shot.kind == kind && (!latest || shot.given > latest->given)) {
            latest = shot;
        }
    }
    return latest;
}

BookingCheck checkBooking(const Karte& karte, const KarteSettings& settings, const QDate& booked) {
    BookingCheck check;
    check.booked = booked;
    for (const VaccineKind kind : AllVaccineKinds) {
        if (const std::optional<Vaccination> latest = latestShot(karte, kind);
            latest && latest->validUntil < booked) {
            check.expired.append(*latest);
        }
    }
    for (const VaccineKind kind : settings.requiredKinds) {
        if (!latestShot(karte, kind)) {
            check.neverRecorded.append(kind);
        }
    }
    if (settings.daysAfterVaccination > 0) {
        for (const Vaccination& shot : karte.vaccinations) {
            const qint64 day = shot.given.daysTo(booked);
            if (day >= 0 && day <= settings.daysAfterVaccination &&
                !check.soonAfterShot.contains(shot)) {
                check.soonAfterShot.append(shot);
            }
        }
    }
    check.flags = karte.setFlags();
    return check;
}

QStringList BookingCheck::lines() const {
    QStringList lines;
    for (const Vaccination& shot : expired) {
        lines.append(QStringLiteral("%1の有効期限 (%2) が予約日に切れています")
                         .arg(vaccineCaption(shot.kind), longDate(shot.validUntil)));
    }
    for (const VaccineKind kind : neverRecorded) {
        lines.append(QStringLiteral("%1の接種が記録されていません").arg(vaccineCaption(kind)));
    }
    for (const Vaccination& shot : soonAfterShot) {
        lines.append(QStringLiteral("%1の接種日 (%2) から%3日目の予約です")
                         .arg(vaccineCaption(shot.kind), longDate(shot.given))
                         .arg(shot.given.daysTo(booked)));
    }
    if (!flags.isEmpty()) {
        QStringList captions;
        for (const Flag flag : flags) {
            captions.append(flagCaption(flag));
        }
        lines.append(QStringLiteral("注意: ") + captions.join(QStringLiteral("・")));
    }
    return lines;
}

QList<Vaccination> expiringNear(const Karte& karte, const QDate& booked) {
    QList<Vaccination> expiring;
    for (const VaccineKind kind : AllVaccineKinds) {
        if (const std::optional<Vaccination> latest = latestShot(karte, kind);
            latest && booked.daysTo(latest->validUntil) <= CertificateReminderDays) {
            expiring.append(*latest);
        }
    }
    return expiring;
}

QString flagsText(const Karte& karte) {
    QStringList captions;
    for (const Flag flag : karte.setFlags()) {
        captions.append(flagCaption(flag));
    }
    return captions.join(QStringLiteral("・"));
}

QString cautionText(const Karte& karte, const QDate& booked) {
    QStringList parts;
    if (const QString flags = flagsText(karte); !flags.isEmpty()) {
        parts.append(flags);
    }
    QStringList renewals;
    for (const Vaccination& shot : expiringNear(karte, booked)) {
        renewals.append(vaccineCaption(shot.kind) + QLatin1Char(' ') +
                        shot.validUntil.toString(QStringLiteral("M/d")));
    }
    if (!renewals.isEmpty()) {
        parts.append(QStringLiteral("期限 ") + renewals.join(QStringLiteral("・")));
    }
    return parts.join(QLatin1Char(' '));
}

}  // namespace records::karte
