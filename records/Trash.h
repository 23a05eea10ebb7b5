#pragma once

#include "records/UndoHistory.h"

#include <QDateTime>
#include <QList>
#include <QObject>

namespace records {

// A booking or a customer that a step took out of its file, with its details and when.
struct TrashEntry {
    RecordFile file = RecordFile::Yoyaku;
    QByteArray line;
    LineDetails details;
    QDateTime deletedAt;

    // The columns of the trash window, as Shift-JIS bytes: the booked date and time (nothing for
    // a customer), "owner/pet" and the telephone (the mobile one when there is no other).
    QByteArray bookedAt() const;
    QByteArray ownerAndPet() const;
    QByteArray telephone() const;

private:
    // The field of a booking's or a customer's line, by the file the line came from.
    QByteArray field(int yoyakuField, int customerField) const;
};

// The deletions of the last year, newest first, kept in the store. It follows the steps of the
// history: a line a step removes enters the trash, and leaves it when the step is undone or when
// the same line comes back into its file (put back from here, or added again).
class Trash : public QObject {
    Q_OBJECT
public:
    static inline const QString SettingName = QStringLiteral("gomibako");

    Trash(RecordLists& lists, UndoHistory& history);

    // Takes the entries kept in the store and lets go of those deleted over a year ago.
    void load();
    const QList<TrashEntry>& entries() const { return entries_; }

    // Appends the entry's line to its file with its details, as one step (which takes it out of
    // the trash). Throws FileError or StoreError as any change does.
    void putBack(qsizetype index);

signals:
    void entriesChanged();

private:
    void follow(const UndoStep& step, bool forward);
    void enter(RecordFile file, const QList<std::pair<QByteArray, LineDetails>>& lines);
    // True when any of the lines was in the trash.
    bool leave(RecordFile file, const QList<std::pair<QByteArray, LineDetails>>& lines);
    void save();

    RecordLists& lists_;
    QList<TrashEntry> entries_;
};

}  // namespace records
