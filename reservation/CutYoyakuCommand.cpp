#include "reservation/CutYoyakuCommand.h"

#include "records/Clock.h"
#include "reservation/uCutYoyaku.h"
#include "widgets/ErrorGuard.h"

namespace reservation {
namespace {

// An update replaces the shown reservation by the new line at the end of the file in one
// atomic rewrite, so a failed write can never lose the reservation.
void saveUpdate(const TfmCutYoyaku& dialog, records::RecordLists& lists) {
    QByteArrayList lines;
    dialog.getZenyoyakuList(lines);
    lines.append(dialog.GetYoyakuKoumoku());
    lists.replaceYoyakuList(std::move(lines));
}

// Shows the dialog, whose slot is chosen, and writes what the user did. When the booking or the
// update cannot be written, the error is shown and the dialog opens again as it was, so that
// nothing typed is lost: the user tries again or cancels. True when a booking or an update was
// written.
bool showAndSave(QWidget* owner, TfmCutYoyaku& dialog, records::RecordLists& lists) {
    for (;;) {
        // The lines as they are now: OK takes the shown page out of this copy.
        dialog.setZenyoyakuList(lists.honjitu().YoyakuList);
        if (dialog.exec() != QDialog::Accepted) {
            // Pages deleted in the dialog leave the list only once the file is without them too.
            QByteArrayList kept;
            dialog.getZenyoyakuList(kept);
            lists.replaceYoyakuList(std::move(kept));
            return false;
        }
        const bool saved = widgets::runGuarded(owner, [&dialog, &lists] {
            if (dialog.isUpdatingPage()) {
                saveUpdate(dialog, lists);
            } else {
                lists.YoyakuFileSave(dialog.GetYoyakuKoumoku(), 'A');
            }
        });
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
