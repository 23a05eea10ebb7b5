#include "records/VisitHistory.h"

#include "records/CustomerRecord.h"
#include "records/RecordFormat.h"
#include "records/ReservationRecord.h"
#include "records/Sjis.h"

#include <algorithm>
#include <cstring>

namespace records::history {
namespace {

namespace rsv = records::reservation_record;
namespace cst = records::customer_record;

constexpr int WeeksWithoutInterval = 4;

QByteArray shownField(const QByteArrayList& fields, int position) {
    return EmptyMarkDelete(fieldAt(fields, position));
}

// True when `field` with every character-aligned empty-field mark removed is `wanted`, which
// holds no mark; compared in place, as this runs for every line of the reservation list.
bool equalsWithoutMarks(QByteArrayView field, QByteArrayView wanted) {
    if (field == wanted) {
        return true;
    }
    if (!field.contains(EmptyMark.front())) {
        return false;
    }
    qsizetype matched = 0;
    for (qsizetype pos = 0; pos < field.size();) {
        const qsizetype length = records::sjis::charLength(field.data(), field.size(), pos);
        const QByteArrayView character = field.sliced(pos, length);
        pos += length;
        if (character == EmptyMark) {
            continue;
        }
        if (matched + length > wanted.size() ||
            std::memcmp(wanted.data() + matched, character.data(), length) != 0) {
            return false;
        }
        matched += length;
    }
    return matched == wanted.size();
}

bool isSubjectsTelephone(const Subject& subject, QByteArrayView field) {
    for (const QByteArray* number : {&subject.telephoneNo, &subject.mobilPhoneNo}) {
        if (!number->isEmpty() && equalsWithoutMarks(field, *number)) {
            return true;
        }
    }
    return false;
}

// What one reservation line shows of the fields the rule compares.
struct Comparison {
    const Subject& subject;
    bool shimei = false;
    bool telephone = false;
    bool petName = false;
    bool complete = false;  // the line reaches PetName, the last compared field
};

QDateTime momentOf(const QDate& date, const QByteArrayList& fields) {
    const qint64 hour = rsv::bookedHour(fields);
    // The minute is read like the hour: a decimal number, 0 when it is not one.
    const qint64 minute = rsv::bookedHour(EmptyMarkDelete(fieldAt(fields, rsv::YoyakuHun)));
    return QDateTime(date, QTime(0, 0)).addSecs(hour * 3600 + minute * 60);
}

std::optional<Visit> visitOf(const QByteArray& line, const QDateTime& now) {
    const QByteArrayList fields = splitFields(line);
    const std::optional<QDate> date =
        rsv::validBookedDate(fieldAt(fields, rsv::YoyakuNen), fieldAt(fields, rsv::YoyakuTuki),
                             fieldAt(fields, rsv::YoyakuNiti), now.date());
    if (!date) {
        return std::nullopt;
    }
    Visit visit{line, *date, momentOf(*date, fields)};
    visit.planned = visit.at > now;
    return visit;
}

double median(QList<double> values) {
    std::sort(values.begin(), values.end());
    const qsizetype middle = values.size() / 2;
    return values.size() % 2 ? values.at(middle) : (values.at(middle - 1) + values.at(middle)) / 2;
}

}  // namespace

Subject subjectOfCustomer(const QByteArray& customerLine) {
    const QByteArrayList fields = splitFields(customerLine);
    return {shownField(fields, cst::PetName), shownField(fields, cst::Shimei),
            shownField(fields, cst::TelephoneNo), shownField(fields, cst::MobilPhoneNo),
            customerLine};
}

Subject subjectOfReservation(const QByteArray& reservationLine) {
    const QByteArrayList fields = splitFields(reservationLine);
    QByteArrayList customer(cst::FieldCount);
    const std::pair<cst::Field, rsv::Field> copied[] = {
        {cst::PetName, rsv::PetName},         {cst::Shu, rsv::Shu},
        {cst::ShuNado, rsv::ShuNado},         {cst::Furigana, rsv::Furigana},
        {cst::Shimei, rsv::Shimei},           {cst::Yubin, rsv::Yubin},
        {cst::Jyusho, rsv::Jyusho},           {cst::JyushoTuzuki, rsv::JyushoTuzuki},
        {cst::TelephoneNo, rsv::TelephoneNo}, {cst::MobilPhoneNo, rsv::MobilPhoneNo}};
    for (const auto& [to, from] : copied) {
        customer[to] = shownField(fields, from);
    }
    return {customer.at(cst::PetName), customer.at(cst::Shimei), customer.at(cst::TelephoneNo),
            customer.at(cst::MobilPhoneNo), cst::buildLine(customer)};
}

namespace {

// True when an empty-field mark stands in a field beside other bytes (or where no character
// begins), so that removing it could join the pieces of a name.
bool markBesideText(QByteArrayView line) {
    for (qsizetype at = line.indexOf(EmptyMark); at >= 0; at = line.indexOf(EmptyMark, at + 1)) {
        const qsizetype after = at + EmptyMark.size();
        const bool aloneBefore = at == 0 || isSeparatorByte(static_cast<uchar>(line.at(at - 1)));
        const bool aloneAfter =
            after == line.size() || isSeparatorByte(static_cast<uchar>(line.at(after)));
        if (!aloneBefore || !aloneAfter) {
            return true;
        }
    }
    return false;
}

bool holdsQuote(const Subject& subject) {
    return subject.petName.contains('"') || subject.shimei.contains('"') ||
           subject.telephoneNo.contains('"') || subject.mobilPhoneNo.contains('"');
}

// False only for a line that cannot be a visit, judged from its bytes without cutting it into
// fields: a field equal to a compared text holds that text's bytes as they are, unless a mark
// stands inside it or it is quoted with doubled quotes (the text then holds a quote).
bool mayBeVisitOf(const Subject& subject, QByteArrayView line) {
    if (holdsQuote(subject) || markBesideText(line)) {
        return true;
    }
    const bool names = line.contains(subject.shimei) && line.contains(subject.petName);
    const auto holdsNumber = [&line](const QByteArray& number) {
        return !number.isEmpty() && line.contains(number);
    };
    return names || holdsNumber(subject.telephoneNo) || holdsNumber(subject.mobilPhoneNo);
}

}  // namespace

bool isVisitOf(const Subject& subject, QByteArrayView reservationLine) {
    // Most lines of a decade are someone else's: those are passed over without being cut.
    if (!mayBeVisitOf(subject, reservationLine)) {
        return false;
    }
    Comparison seen{subject};
    forEachField(reservationLine, [&seen](int position, QByteArrayView field) {
        switch (position) {
            case rsv::Shimei:
                seen.shimei = equalsWithoutMarks(field, seen.subject.shimei);
                return true;
            case rsv::TelephoneNo:
            case rsv::MobilPhoneNo:
                seen.telephone = seen.telephone || isSubjectsTelephone(seen.subject, field);
                return true;
            case rsv::PetName:
                seen.petName = equalsWithoutMarks(field, seen.subject.petName);
                seen.complete = true;
                return false;
            default:
                return true;
        }
    });
    return seen.complete && ((seen.shimei && seen.petName) || seen.telephone);
}

QList<Visit> visitsOf(const Subject& subject, const QByteArrayList& lines, const QDateTime& now) {
    QList<Visit> visits;
    // Last line first, so that the stable sort keeps the later of two equal moments first.
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
        if (!isVisitOf(subject, *line)) {
            continue;
        }
        if (std::optional<Visit> visit = visitOf(*line, now)) {
            visits.append(std::move(*visit));
        }
    }
    std::stable_sort(visits.begin(), visits.end(),
                     [](const Visit& a, const Visit& b) { return a.at > b.at; });
    return visits;
}

Summary summarize(const QList<Visit>& newestFirst) {
    Summary summary;
    QList<QDate> pastDates;  // oldest first
    for (const Visit& visit : newestFirst) {
        if (visit.planned) {
            summary.nextBooked = visit.date;  // the last planned one is the soonest
        } else {
            pastDates.prepend(visit.date);
        }
    }
    summary.pastVisits = static_cast<int>(pastDates.size());
    if (!pastDates.isEmpty()) {
        summary.lastVisit = pastDates.last();
    }
    if (pastDates.size() >= 2) {
        QList<double> gapsInWeeks;
        for (qsizetype i = 1; i < pastDates.size(); ++i) {
            gapsInWeeks.append(pastDates.at(i - 1).daysTo(pastDates.at(i)) / 7.0);
        }
        summary.usualIntervalWeeks = median(gapsInWeeks);
    }
    return summary;
}

std::optional<NextVisit> nextVisit(const Subject& subject, const QList<Visit>& newestFirst) {
    const auto last = std::find_if(newestFirst.cbegin(), newestFirst.cend(),
                                   [](const Visit& visit) { return !visit.planned; });
    if (last == newestFirst.cend()) {
        return std::nullopt;
    }
    const std::optional<double> interval = summarize(newestFirst).usualIntervalWeeks;
    const int weeks = interval ? std::max(1, qRound(*interval)) : WeeksWithoutInterval;
    return NextVisit{last->date.addDays(7 * weeks), rsv::bookedHour(splitFields(last->line)),
                     last->line, subject.customerLine};
}

}  // namespace records::history
