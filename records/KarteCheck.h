#pragma once

#include "records/Karte.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// What a pet's カルテ asks of a booking on a given day: the rules behind the question before it
// is saved and behind the marks on the lists the desk and the groomer look at.
namespace records::karte {

// The latest shot of a kind (by the day it was given); a later shot replaces the earlier one's
// protection. Nothing when the kind was never recorded.
std::optional<Vaccination> latestShot(const Karte& karte, VaccineKind kind);

struct BookingCheck {
    QDate booked;
    // The latest shot of each kind whose protection ended before the booked day: its valid-until
    // day is the last day it protects, so a booking on that day is still protected.
    QList<Vaccination> expired;
    // The kinds the salon requires of which no shot was ever recorded, in the salon's order.
    QList<VaccineKind> neverRecorded;
    // The shots given from the salon's number of days before the booked day up to that day: the
    // shot's day is day 0, so with 14 days a booking on day 14 is asked about and day 15 is not.
    // A number of 0 days asks about none.
    QList<Vaccination> soonAfterShot;
    QList<Flag> flags;

    bool isEmpty() const {
        return expired.isEmpty() && neverRecorded.isEmpty() && soonAfterShot.isEmpty() &&
               flags.isEmpty();
    }
    // One line for each thing found, in the order above, for the question before saving.
    QStringList lines() const;
};

BookingCheck checkBooking(const Karte& karte, const KarteSettings& settings, const QDate& booked);

// How long before a booking the desk asks for a new certificate.
inline constexpr int CertificateReminderDays = 30;

// The latest shot of each kind whose protection ends within CertificateReminderDays after the
// booked day, or has ended already: the desk asks for the new certificate on the phone.
QList<Vaccination> expiringNear(const Karte& karte, const QDate& booked);

// The flags as the lists show them, "噛む・高齢"; empty without flags.
QString flagsText(const Karte& karte);
// What a list shows of a booking's カルテ: the flags, then the shots to renew with their last
// protected day, "噛む・高齢 期限 狂犬病 12/20"; empty when there is nothing to tell.
QString cautionText(const Karte& karte, const QDate& booked);

}  // namespace records::karte
