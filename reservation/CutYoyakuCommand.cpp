#include "reservation/CutYoyakuCommand.h"

#include "records/Clock.h"
#include "reservation/uCutYoyaku.h"

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

// Shows the dialog, whose slot is chosen, and writes what the user did.
void showAndSave(TfmCutYoyaku& dialog, records::RecordLists& lists) {
    dialog.setZenyoyakuList(lists.honjitu().YoyakuList);
    if (dialog.exec() != QDialog::Accepted) {
        // Pages deleted in the dialog leave the list only once the file is without them too.
        QByteArrayList kept;
        dialog.getZenyoyakuList(kept);
        lists.replaceYoyakuList(std::move(kept));
    } else if (dialog.isUpdatingPage()) {
        saveUpdate(dialog, lists);
    } else {
        lists.YoyakuFileSave(dialog.GetYoyakuKoumoku(), 'A');
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
    showAndSave(dialog, lists);
}

void runCutYoyaku(QWidget* owner, records::RecordLists& lists,
                  const records::history::NextVisit& next) {
    TfmCutYoyaku dialog(owner);
    dialog.setZenUserList(lists.honjitu().UserList);
    dialog.YoyakuEditNextVisit(next, lists.honjitu().YoyakuList);
    showAndSave(dialog, lists);
}

}  // namespace reservation
