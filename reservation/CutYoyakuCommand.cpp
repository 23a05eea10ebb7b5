#include "reservation/CutYoyakuCommand.h"

#include "records/Clock.h"
#include "reservation/KarteWarning.h"
#include "reservation/OverlapWarning.h"
#include "reservation/uCutYoyaku.h"
#include "widgets/ErrorGuard.h"

namespace reservation {
namespace {

using records::RecordIntent;

// The lines the dialog took out of its copy of the list, as removals from `before` by their
// places there: the pages it deleted, or the page an update replaces.
QList<RecordIntent> removalsBetween(const QByteArrayList& before, const QByteArrayList& kept) {
    QList<RecordIntent> removals;
    qsizetype next = 0;
    for (qsizetype at = 0; at < before.size(); ++at) {
        if (next < kept.size() && kept.at(next) == before.at(at)) {
            ++next;
        } else {
            removals.append(RecordIntent::remove(at, before.at(at)));
        }
    }
    return removals;
}

// What OK asks for: a new booking is added; an update replaces the shown booking by the new line
// at the end of the file, in one atomic rewrite, so a failed write can never lose it.
QList<RecordIntent> acceptedIntents(const TfmCutYoyaku& dialog, const QByteArrayList& before) {
    QByteArrayList kept;
    dialog.getZenyoyakuList(kept);
    QList<RecordIntent> intents = removalsBetween(before, kept);
    const QByteArray line = dialog.GetYoyakuKoumoku();
    if (dialog.isUpdatingPage() && !intents.isEmpty()) {
        const RecordIntent shown = intents.takeLast();
        intents.append(
            RecordIntent::replace(shown.position, shown.old, line, RecordIntent::Placement::AtEnd));
    } else {
        intents.append(RecordIntent::add(line));
    }
    return intents;
}

// Shows the dialog, whose slot is chosen, and writes what the user did. When the booking or the
// update cannot be written, or the user would rather not keep it as the pet's カルテ or the
// others at the same time stand, the dialog opens again as it was, so that nothing typed is
// lost: the user tries again or cancels. True when a booking or an update was written.
bool showAndSave(QWidget* owner, TfmCutYoyaku& dialog, records::RecordLists& lists) {
    for (;;) {
        // The lines as they are now: OK takes the shown page out of this copy.
        const QByteArrayList before = lists.honjitu().YoyakuList;
        dialog.setZenyoyakuList(before);
        if (dialog.exec() != QDialog::Accepted) {
            // Pages deleted in the dialog leave the list only once the file is without them too.
            QByteArrayList kept;
            dialog.getZenyoyakuList(kept);
            // Closing the dialog rewrites the file from the list even when nothing was deleted.
            lists.change(records::RecordFile::Yoyaku, removalsBetween(before, kept));
            return false;
        }
        const QList<RecordIntent> intents = acceptedIntents(dialog, before);
        // What the pet needs comes before the time it takes: a booking the salon would not
        // groom is not worth weighing against the others at that hour.
        if (!karteAccepted(owner, lists, intents) || !overlapAccepted(owner, lists, intents)) {
            continue;
        }
        const bool saved =
            widgets::runGuarded(owner, [&] { lists.change(records::RecordFile::Yoyaku, intents); });
        if (saved) {
            return true;
        }
    }
}

}  // namespace

void runCutYoyaku(QWidget* owner, records::RecordLists& lists,
                  std::optional<QPoint> focusedTableCell) {
    const THonjitu& honjitu = lists.honjitu();
    TfmCutYoyaku dialog(owner);
    dialog.setZenUserList(honjitu.UserList);
    if (focusedTableCell) {
        dialog.YoyakuEdit(focusedTableCell->x(), focusedTableCell->y(), honjitu.WeekStart,
                          honjitu.YoyakuList);
    } else {
        dialog.YoyakuEdit(0, 0, records::clock_source::now(), honjitu.YoyakuList);
    }
    showAndSave(owner, dialog, lists);
}

bool runCutYoyaku(QWidget* owner, records::RecordLists& lists,
                  const records::history::NextVisit& next) {
    TfmCutYoyaku dialog(owner);
    dialog.setZenUserList(lists.honjitu().UserList);
    dialog.YoyakuEditNextVisit(next, lists.honjitu().YoyakuList);
    return showAndSave(owner, dialog, lists);
}

}  // namespace reservation
