#include "reservation/CutYoyakuCommand.h"

#include "records/Clock.h"
#include "reservation/uCutYoyaku.h"

namespace reservation {
namespace {

// An update replaces the shown reservation by the new line at the end of the file in one
// atomic rewrite, so a failed write can never lose the reservation; the list follows only
// once the file holds the new content.
void saveUpdate(const TfmCutYoyaku& dialog, THonjitu& honjitu, const QString& path) {
    QByteArrayList lines;
    dialog.getZenyoyakuList(lines);
    lines.append(dialog.GetYoyakuKoumoku());
    rewriteRecordFile(path, lines, honjitu.YoyakuTail);
    honjitu.YoyakuList = lines;
}

}  // namespace

void runCutYoyaku(QWidget* owner, THonjitu& honjitu, const QString& yoyakuFilePath,
                  std::optional<QPoint> focusedTableCell) {
    TfmCutYoyaku dialog(owner);
    dialog.setZenUserList(honjitu.UserList);
    if (focusedTableCell) {
        dialog.YoyakuEdit(focusedTableCell->x(), focusedTableCell->y(), honjitu.WeekStart,
                          honjitu.YoyakuList);
    } else {
        dialog.YoyakuEdit(0, 0, clock_source::now(), honjitu.YoyakuList);
    }
    dialog.setZenyoyakuList(honjitu.YoyakuList);

    if (dialog.exec() != QDialog::Accepted) {
        // Pages deleted in the dialog leave the list only once the file is without them too.
        QByteArrayList kept;
        dialog.getZenyoyakuList(kept);
        rewriteRecordFile(yoyakuFilePath, kept, honjitu.YoyakuTail);
        honjitu.YoyakuList = std::move(kept);
    } else if (dialog.isUpdatingPage()) {
        saveUpdate(dialog, honjitu, yoyakuFilePath);
    } else {
        YoyakuFileSave(yoyakuFilePath, dialog.GetYoyakuKoumoku(), 'A', honjitu);
    }
}

}  // namespace reservation
