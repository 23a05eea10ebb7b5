#pragma once

#include "records/BookingDetails.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QList>

#include <optional>

namespace records {
class ReservationIndex;
}

// The visits of one pet and its owner, gathered from the reservation lines on demand: which
// bookings are theirs, newest first, what they add up to, and when the next visit would fall.
namespace records::history {

// Whose visits are looked for: the compared fields with every empty-field mark removed, and the
// customer line the reservation dialog copies when the next visit is booked.
struct Subject {
    QByteArray petName;
    QByteArray shimei;
    QByteArray telephoneNo;
    QByteArray mobilPhoneNo;
    QByteArray customerLine;
};

Subject subjectOfCustomer(const QByteArray& customerLine);
// The customer a booking was made for; its line is rebuilt from the booking's own fields.
Subject subjectOfReservation(const QByteArray& reservationLine);

// True when the booking belongs to the subject: the same pet name, and either the same owner name
// or, when the owner's name was spelt differently, a telephone or mobile number equal to one the
// subject has. A household's other pets share its numbers but not the pet name, so they are
// never taken in. Lines too short to hold the compared fields belong to nobody. Every place
// that looks for a customer's bookings asks this rule.
bool isVisitOf(const Subject& subject, QByteArrayView reservationLine);

// One booking of the subject, read from its line (marks removed from the shown texts).
struct Visit {
    QByteArray line;
    QDate date;
    int hour = 0;             // the booked hour as a number
    QDateTime at;             // date, hour and minute as numbers, for the order and for "after now"
    bool planned = false;     // after now
    qsizetype position = -1;  // in the reservation list
    booking::Status status = booking::Status::Yoyaku;
};

// Every booking of the subject whose date is a real date, newest first, scanning `lines` once.
// Bookings at the same moment keep the later line first.
QList<Visit> visitsOf(const Subject& subject, const QByteArrayList& lines, const QDateTime& now);
// The same over the lines of `index`, of which only the bookings of the subject's pet name are
// looked at.
QList<Visit> visitsOf(const Subject& subject, const ReservationIndex& index, const QDateTime& now);

// Each visit's status, from the details of the reservation lines by position.
void noteStatuses(QList<Visit>& visits, const QHash<qsizetype, LineDetails>& details);

// A visit is a day: several bookings of the pet on one day are one visit.
struct Summary {
    int pastVisits = 0;  // days with a booking before now
    std::optional<QDate> lastVisit;
    std::optional<QDate> nextBooked;  // the soonest booking after now
    // Median of the gaps between consecutive past visit days, in weeks; from two days on.
    std::optional<double> usualIntervalWeeks;
    // Bookings, not days, whose status says the pet did not come.
    int mudanCancels = 0;
    int touzitsuCancels = 0;
};

Summary summarize(const QList<Visit>& newestFirst);

// Where the next visit is booked, and from what.
struct NextVisit {
    QDate date;
    int hour = 0;
    QByteArray lastVisitLine;  // the booking counted from: its minute and services are taken over
    QByteArray customerLine;   // copied as a customer lookup copies it
};

// N weeks after the subject's latest booking, the planned ones included, on its weekday and at
// its hour: N is the usual interval rounded to whole weeks (at least one), or four without one.
// So the slot is later than every booking the subject has. Nothing when there was no past visit.
std::optional<NextVisit> nextVisit(const Subject& subject, const QList<Visit>& newestFirst);

}  // namespace records::history
