#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QDate>
#include <QDateTime>
#include <QList>

#include <optional>

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

// True when the booking belongs to the subject: the same pet and owner names, or, when the names
// differ, a telephone or mobile number equal to one the subject has. Lines too short to hold the
// compared fields belong to nobody.
bool isVisitOf(const Subject& subject, QByteArrayView reservationLine);

// One booking of the subject, read from its line (marks removed from the shown texts).
struct Visit {
    QByteArray line;
    QDate date;
    QDateTime at;          // date, hour and minute as numbers, for the order and for "after now"
    bool planned = false;  // after now
};

// Every booking of the subject whose date is a real date, newest first, scanning `lines` once.
// Bookings at the same moment keep the later line first.
QList<Visit> visitsOf(const Subject& subject, const QByteArrayList& lines, const QDateTime& now);

struct Summary {
    int pastVisits = 0;
    std::optional<QDate> lastVisit;
    std::optional<QDate> nextBooked;  // the soonest booking after now
    // Median of the gaps between consecutive past visits, in weeks; from two visits on.
    std::optional<double> usualIntervalWeeks;
};

Summary summarize(const QList<Visit>& newestFirst);

// Where the next visit is booked, and from what.
struct NextVisit {
    QDate date;
    int hour = 0;
    QByteArray lastVisitLine;  // its minute and services are taken over
    QByteArray customerLine;   // copied as a customer lookup copies it
};

// The last past visit's weekday and hour, N weeks after it: N is the usual interval rounded to
// whole weeks (at least one), or four without one. Nothing when there was no past visit.
std::optional<NextVisit> nextVisit(const Subject& subject, const QList<Visit>& newestFirst);

}  // namespace records::history
