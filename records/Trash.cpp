#include "records/Trash.h"

#include "records/Clock.h"
#include "records/CustomerRecord.h"
#include "records/RecordFormat.h"
#include "records/ReservationRecord.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace records {
namespace {

constexpr int KeptYears = 1;

// The field without the mark that stands for an empty one.
QByteArray fieldOf(const QByteArray& line, int field) {
    return EmptyMarkDelete(fieldAt(splitFields(line), field));
}

QJsonObject entryToJson(const TrashEntry& entry) {
    return {{"f", static_cast<int>(entry.file)},
            {"l", QString::fromLatin1(entry.line.toBase64())},
            {"d", entry.details},
            {"t", entry.deletedAt.toString(Qt::ISODate)}};
}

TrashEntry entryFromJson(const QJsonObject& object) {
    return {object.value("f").toInt() == 0 ? RecordFile::Yoyaku : RecordFile::User,
            QByteArray::fromBase64(object.value("l").toString().toLatin1()),
            object.value("d").toObject(),
            QDateTime::fromString(object.value("t").toString(), Qt::ISODate)};
}

}  // namespace

QByteArray TrashEntry::bookedAt() const {
    using namespace reservation_record;
    if (file != RecordFile::Yoyaku) {
        return {};
    }
    const QByteArrayList fields = splitFields(line);
    return fieldAt(fields, YoyakuNen) + '/' + fieldAt(fields, YoyakuTuki) + '/' +
           fieldAt(fields, YoyakuNiti) + ' ' + fieldAt(fields, YoyakuJikan) + ':' +
           fieldAt(fields, YoyakuHun);
}

QByteArray TrashEntry::field(int yoyakuField, int customerField) const {
    return fieldOf(line, file == RecordFile::Yoyaku ? yoyakuField : customerField);
}

QByteArray TrashEntry::ownerAndPet() const {
    return field(reservation_record::Shimei, customer_record::Shimei) + '/' +
           field(reservation_record::PetName, customer_record::PetName);
}

QByteArray TrashEntry::telephone() const {
    const QByteArray telephone =
        field(reservation_record::TelephoneNo, customer_record::TelephoneNo);
    return !telephone.isEmpty()
               ? telephone
               : field(reservation_record::MobilPhoneNo, customer_record::MobilPhoneNo);
}

Trash::Trash(RecordLists& lists, UndoHistory& history) : lists_(lists) {
    connect(&history, &UndoHistory::stepApplied, this, &Trash::follow);
}

void Trash::load() {
    entries_.clear();
    const QDateTime oldestKept = clock_source::now().addYears(-KeptYears);
    const QJsonArray kept =
        QJsonDocument::fromJson(lists_.setting(SettingName).value_or(QByteArray())).array();
    bool purged = false;
    for (const QJsonValue& value : kept) {
        TrashEntry entry = entryFromJson(value.toObject());
        if (entry.deletedAt.isValid() && entry.deletedAt >= oldestKept) {
            entries_.append(std::move(entry));
        } else {
            purged = true;
        }
    }
    if (purged) {
        save();
    }
    emit entriesChanged();
}

void Trash::putBack(qsizetype index) {
    const TrashEntry entry = entries_.at(index);
    lists_.change(entry.file, {RecordIntent::add(entry.line, entry.details)});
}

void Trash::follow(const UndoStep& step, bool forward) {
    const auto removed = step.removedLines();
    const auto added = step.addedLines();
    if (removed.isEmpty() && added.isEmpty()) {
        return;
    }
    // Undone, a step's additions leave the file and its removals come back.
    const auto entering = forward ? removed : added;
    enter(step.file, entering);
    // A step that adds lines none of which is in the trash leaves it as it was: not written again.
    if (!leave(step.file, forward ? added : removed) && entering.isEmpty()) {
        return;
    }
    save();
    emit entriesChanged();
}

void Trash::enter(RecordFile file, const QList<std::pair<QByteArray, LineDetails>>& lines) {
    const QDateTime now = clock_source::now();
    for (const auto& [line, details] : lines) {
        entries_.prepend({file, line, details, now});
    }
}

bool Trash::leave(RecordFile file, const QList<std::pair<QByteArray, LineDetails>>& lines) {
    bool left = false;
    for (const auto& line : lines) {
        const auto found =
            std::find_if(entries_.begin(), entries_.end(), [&](const TrashEntry& entry) {
                return entry.file == file && entry.line == line.first;
            });
        if (found != entries_.end()) {
            entries_.erase(found);
            left = true;
        }
    }
    return left;
}

void Trash::save() {
    QJsonArray kept;
    for (const TrashEntry& entry : std::as_const(entries_)) {
        kept.append(entryToJson(entry));
    }
    // Kept for this run only when the store cannot take it.
    lists_.keepSetting(SettingName, QJsonDocument(kept).toJson(QJsonDocument::Compact));
}

}  // namespace records
