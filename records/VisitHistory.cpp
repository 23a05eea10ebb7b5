#include "records/VisitHistory.h"

#include "records/CustomerRecord.h"
#include "records/RecordFormat.h"
#include "records/RecordViews.h"
#include "records/ReservationIndex.h"
#include "records/ReservationRecord.h"
#include "records/Sjis.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace records::history {
namespace {

namespace rsv = records::reservation_record;
namespace cst = records::customer_record;

constexpr int WeeksWithoutInterval = 4;

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

    // The pet is the subject's, and so is its owner, by name or else by number.
    bool isSubjects() const { return complete && petName && (shimei || telephone); }
};

QDateTime momentOf(const QDate& date, int hour, const Booking& booking) {
    // The minute is read like the hour: a decimal number, 0 when it is not one.
    const qint64 minute = rsv::bookedHour(booking.hun());
    return QDateTime(date, QTime(0, 0)).addSecs(qint64{hour} * 3600 + minute * 60);
}

std::optional<Visit> visitOf(const QByteArray& line, const QDateTime& now) {
    const Booking booking(line);
    const std::optional<QDate> date = booking.validBookedDate(now.date());
    if (!date) {
        return std::nullopt;
    }
    const int hour = booking.hour();
    Visit visit{line, *date, hour, momentOf(*date, hour, booking)};
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
    const Customer customer(customerLine);
    return {customer.petName(), customer.shimei(), customer.telephoneNo(), customer.mobilPhoneNo(),
            customerLine};
}

Subject subjectOfReservation(const QByteArray& reservationLine) {
    const Booking booking(reservationLine);
    QByteArrayList customer(cst::FieldCount);
    const std::pair<cst::Field, rsv::Field> copied[] = {
        {cst::PetName, rsv::PetName},         {cst::Shu, rsv::Shu},
        {cst::ShuNado, rsv::ShuNado},         {cst::Furigana, rsv::Furigana},
        {cst::Shimei, rsv::Shimei},           {cst::Yubin, rsv::Yubin},
        {cst::Jyusho, rsv::Jyusho},           {cst::JyushoTuzuki, rsv::JyushoTuzuki},
        {cst::TelephoneNo, rsv::TelephoneNo}, {cst::MobilPhoneNo, rsv::MobilPhoneNo}};
    for (const auto& [to, from] : copied) {
        customer[to] = booking.shown(from);
    }
    return {customer.at(cst::PetName), customer.at(cst::Shimei), customer.at(cst::TelephoneNo),
            customer.at(cst::MobilPhoneNo), cst::buildLine(customer)};
}

namespace {

// True when an empty-field mark stands in a field beside other bytes (or where no character
// begins), so that removing it could join the pieces of a name.
bool markBesideText(QByteArrayView line) {
    const char* const data = line.data();
    const qsizetype size = line.size();
    const auto alone = [data, size](qsizetype at) {
        return at < 0 || at == size || isSeparatorByte(static_cast<uchar>(data[at]));
    };
    for (qsizetype at = 0; at + 1 < size; ++at) {
        const void* lead = std::memchr(data + at, EmptyMark.at(0), static_cast<size_t>(size - at));
        if (lead == nullptr) {
            return false;
        }
        at = static_cast<const char*>(lead) - data;
        if (at + 1 < size && data[at + 1] == EmptyMark.at(1) &&
            (!alone(at - 1) || !alone(at + 2))) {
            return true;
        }
    }
    return false;
}

// How often each byte value occurs in the first lines: what a search keys on.
using ByteCounts = std::array<quint32, 256>;
constexpr qsizetype SampledBytes = 64 * 1024;

ByteCounts byteCountsOf(const QByteArrayList& lines) {
    ByteCounts counts{};
    qsizetype sampled = 0;
    for (auto line = lines.cbegin(); line != lines.cend() && sampled < SampledBytes; ++line) {
        for (const char byte : *line) {
            ++counts[static_cast<uchar>(byte)];
        }
        sampled += line->size();
    }
    return counts;
}

// One compared text, looked for among a line's bytes by its rarest byte (found with memchr,
// which is many times faster than comparing at every position) and then compared whole.
class TextSearch {
public:
    TextSearch(const QByteArray& text, const ByteCounts& counts) : text_(text) {
        for (qsizetype at = 1; at < text_.size(); ++at) {
            if (counts[static_cast<uchar>(text_.at(at))] <
                counts[static_cast<uchar>(text_.at(key_))]) {
                key_ = at;
            }
        }
    }

    bool isEmpty() const { return text_.isEmpty(); }
    bool isIn(QByteArrayView line) const {
        if (text_.isEmpty()) {
            return true;
        }
        const char* const data = line.data();
        const qsizetype size = line.size();
        const qsizetype length = text_.size();
        for (qsizetype from = key_; from < size;) {
            const void* found =
                std::memchr(data + from, text_.at(key_), static_cast<size_t>(size - from));
            if (found == nullptr) {
                return false;
            }
            const qsizetype start = static_cast<const char*>(found) - data - key_;
            if (start + length <= size && std::memcmp(data + start, text_.data(), length) == 0) {
                return true;
            }
            from = start + key_ + 1;
        }
        return false;
    }

private:
    QByteArray text_;
    qsizetype key_ = 0;
};

// Passes over the lines that cannot be a visit of the subject, judged from their bytes without
// cutting them into fields: a field equal to a compared text holds that text's bytes as they
// are, unless a mark stands inside it or it is quoted with doubled quotes (the text then holds
// a quote, and every line is compared in full).
class VisitFilter {
public:
    // `counts` tells which bytes are rare in the lines to be looked at.
    VisitFilter(const Subject& subject, const ByteCounts& counts)
        : subject_(subject),
          comparesAll_(subject.petName.contains('"') || subject.shimei.contains('"') ||
                       subject.telephoneNo.contains('"') || subject.mobilPhoneNo.contains('"')),
          petName_(subject.petName, counts),
          shimei_(subject.shimei, counts),
          telephoneNo_(subject.telephoneNo, counts),
          mobilPhoneNo_(subject.mobilPhoneNo, counts) {}

    bool isVisit(QByteArrayView line) const { return mayBeVisit(line) && compare(line); }

private:
    bool mayBeVisit(QByteArrayView line) const {
        if (comparesAll_ || markBesideText(line)) {
            return true;
        }
        const auto holdsNumber = [&line](const TextSearch& number) {
            return !number.isEmpty() && number.isIn(line);
        };
        return petName_.isIn(line) &&
               (shimei_.isIn(line) || holdsNumber(telephoneNo_) || holdsNumber(mobilPhoneNo_));
    }

    bool compare(QByteArrayView line) const {
        Comparison seen{subject_};
        forEachField(line, [&seen](int position, QByteArrayView field) {
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
        return seen.isSubjects();
    }

    const Subject& subject_;
    const bool comparesAll_;
    const TextSearch petName_;
    const TextSearch shimei_;
    const TextSearch telephoneNo_;
    const TextSearch mobilPhoneNo_;
};

}  // namespace

bool isVisitOf(const Subject& subject, QByteArrayView reservationLine) {
    return VisitFilter(subject, ByteCounts{}).isVisit(reservationLine);
}

QList<Visit> visitsOf(const Subject& subject, const QByteArrayList& lines, const QDateTime& now) {
    QList<Visit> visits;
    // Last line first, so that the stable sort keeps the later of two equal moments first.
    const VisitFilter filter(subject, byteCountsOf(lines));
    for (qsizetype position = lines.size() - 1; position >= 0; --position) {
        const QByteArray& line = lines.at(position);
        if (!filter.isVisit(line)) {
            continue;
        }
        if (std::optional<Visit> visit = visitOf(line, now)) {
            visit->position = position;
            visits.append(std::move(*visit));
        }
    }
    std::stable_sort(visits.begin(), visits.end(),
                     [](const Visit& a, const Visit& b) { return a.at > b.at; });
    return visits;
}

QList<Visit> visitsOf(const Subject& subject, const ReservationIndex& index, const QDateTime& now) {
    const QList<qsizetype> positions = index.bookedForPet(subject.petName);
    QByteArrayList candidates;
    for (const qsizetype position : positions) {
        candidates.append(index.line(position));
    }
    QList<Visit> visits = visitsOf(subject, candidates, now);
    // Positions among the candidates become positions in the reservation list.
    for (Visit& visit : visits) {
        visit.position = positions.at(visit.position);
    }
    return visits;
}

void noteStatuses(QList<Visit>& visits, const QHash<qsizetype, LineDetails>& details) {
    for (Visit& visit : visits) {
        visit.status = booking::BookingDetails::of(details.value(visit.position)).status;
    }
}

Summary summarize(const QList<Visit>& newestFirst) {
    Summary summary;
    QList<QDate> pastDays;
    for (const Visit& visit : newestFirst) {
        summary.mudanCancels += visit.status == booking::Status::MudanCancel;
        summary.touzitsuCancels += visit.status == booking::Status::TouzitsuCancel;
        if (visit.planned) {
            summary.nextBooked = visit.date;  // the last planned one is the soonest
        } else {
            pastDays.append(visit.date);
        }
    }
    // Oldest first, each day once.
    std::sort(pastDays.begin(), pastDays.end());
    pastDays.erase(std::unique(pastDays.begin(), pastDays.end()), pastDays.end());
    summary.pastVisits = static_cast<int>(pastDays.size());
    if (!pastDays.isEmpty()) {
        summary.lastVisit = pastDays.last();
    }
    if (pastDays.size() >= 2) {
        QList<double> gapsInWeeks;
        for (qsizetype i = 1; i < pastDays.size(); ++i) {
            gapsInWeeks.append(pastDays.at(i - 1).daysTo(pastDays.at(i)) / 7.0);
        }
        summary.usualIntervalWeeks = median(gapsInWeeks);
    }
    return summary;
}

std::optional<NextVisit> nextVisit(const Subject& subject, const QList<Visit>& newestFirst) {
    const Summary summary = summarize(newestFirst);
    if (summary.pastVisits == 0) {
        return std::nullopt;
    }
    const int weeks = summary.usualIntervalWeeks ? std::max(1, qRound(*summary.usualIntervalWeeks))
                                                 : WeeksWithoutInterval;
    // Counted from the latest booked day, a planned one included: the slot then lies after every
    // booking of the subject, so it never proposes a visit that is already booked.
    const Visit& latest =
        *std::max_element(newestFirst.cbegin(), newestFirst.cend(),
                          [](const Visit& a, const Visit& b) { return a.date < b.date; });
    return NextVisit{latest.date.addDays(7 * weeks), latest.hour, latest.line,
                     subject.customerLine};
}

}  // namespace records::history
