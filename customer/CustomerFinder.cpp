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
        // The fields are read in place: the shown ones come in the order they are kept in.
        Entry entry;
        entry.texts.reserve(line.size());
        int shown = 0;
        records::forEachField(line, [&](int position, QByteArrayView field) {
            if (position == ShownFields[shown]) {
                entry.texts.append(
                    records::EmptyMarkDelete(QByteArray::fromRawData(field.data(), field.size())));
                entry.ends[shown++] = static_cast<int>(entry.texts.size());
            }
            return shown < ShownCount;
        });
        // A short line has nothing in the fields it lacks.
        for (; shown < ShownCount; ++shown) {
            entry.ends[shown] = static_cast<int>(entry.texts.size());
        }
        entry.texts.append(records::telephone::digitsOf(partOf(entry, TelephoneNo)) + ' ' +
                           records::telephone::digitsOf(partOf(entry, MobilPhoneNo)));
        entry.ends[NumberDigits] = static_cast<int>(entry.texts.size());
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
        if (holds(entry, query) || number.matchesDigits(partOf(entry, NumberDigits))) {
            found.append(position);
        }
    }
    return found;
}

bool CustomerFinder::holds(const Entry& entry, const QByteArray& query) const {
    for (int shown = 0; shown < ShownCount; ++shown) {
        const QByteArrayView text = partOf(entry, shown);
        // Each field is searched on its own, so a match neither spans two fields nor starts
        // inside a character that began in the field before.
        if (records::sjis::contains(QByteArray::fromRawData(text.data(), text.size()), query)) {
            return true;
        }
    }
    return false;
}

QByteArrayView CustomerFinder::field(int position, Shown which) const {
    return partOf(entries_.at(position), which);
}

QByteArrayView CustomerFinder::partOf(const Entry& entry, int part) const {
    const int begin = part == 0 ? 0 : entry.ends[part - 1];
    return QByteArrayView(entry.texts.constData() + begin, entry.ends[part] - begin);
}

}  // namespace customer
