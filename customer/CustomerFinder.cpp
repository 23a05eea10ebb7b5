#include "customer/CustomerFinder.h"

#include "records/CustomerRecord.h"
#include "records/RecordFormat.h"
#include "records/Sjis.h"
#include "records/TelephoneDigits.h"

namespace customer {
namespace {

namespace record = records::customer_record;

constexpr record::Field ShownFields[CustomerFinder::ShownCount] = {
    record::PetName, record::Furigana, record::Shimei, record::TelephoneNo, record::MobilPhoneNo};

}  // namespace

CustomerFinder::CustomerFinder(const QByteArrayList& userList) {
    entries_.reserve(userList.size());
    for (const QByteArray& line : userList) {
        const QByteArrayList fields = records::splitFields(line);
        Entry entry;
        for (int shown = 0; shown < ShownCount; ++shown) {
            entry.texts.append(
                records::EmptyMarkDelete(records::fieldAt(fields, ShownFields[shown])));
            entry.ends[shown] = static_cast<int>(entry.texts.size());
        }
        entry.texts.squeeze();
        entries_.push_back(std::move(entry));
    }
}

QList<int> CustomerFinder::find(const QByteArray& query) const {
    QList<int> found;
    if (query.isEmpty()) {
        return found;
    }
    const records::telephone::TelephoneQuery number(query);
    for (int position = 0; position < static_cast<int>(entries_.size()); ++position) {
        const Entry& entry = entries_[position];
        if (holds(entry, query) || number.matches(fieldOf(entry, TelephoneNo)) ||
            number.matches(fieldOf(entry, MobilPhoneNo))) {
            found.append(position);
        }
    }
    return found;
}

bool CustomerFinder::holds(const Entry& entry, const QByteArray& query) const {
    for (int shown = 0; shown < ShownCount; ++shown) {
        const QByteArrayView text = fieldOf(entry, static_cast<Shown>(shown));
        // Each field is searched on its own, so a match neither spans two fields nor starts
        // inside a character that began in the field before.
        if (records::sjis::contains(QByteArray::fromRawData(text.data(), text.size()), query)) {
            return true;
        }
    }
    return false;
}

QByteArrayView CustomerFinder::field(int position, Shown which) const {
    return fieldOf(entries_.at(position), which);
}

QByteArrayView CustomerFinder::fieldOf(const Entry& entry, Shown which) const {
    const int begin = which == 0 ? 0 : entry.ends[which - 1];
    return QByteArrayView(entry.texts.constData() + begin, entry.ends[which] - begin);
}

}  // namespace customer
