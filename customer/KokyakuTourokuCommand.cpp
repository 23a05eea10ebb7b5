#include "customer/KokyakuTourokuCommand.h"

#include "customer/uKokyakuTouroku.h"
#include "records/RecordFormat.h"
#include "widgets/ErrorGuard.h"

namespace customer {
namespace {

// The changed customer leaves its place and goes to the end of the file, in one replacement of
// the file, so a failure leaves the old customer in it. The old line is found again by its text
// when the list was read again since the dialog opened.
void replaceCustomer(records::RecordLists& lists, int index, const QByteArray& oldLine,
                     const QByteArray& line) {
    lists.change(records::RecordFile::User,
                 {records::RecordIntent::replace(index, oldLine, line,
                                                 records::RecordIntent::Placement::AtEnd)});
}

}  // namespace

bool runKokyakuTouroku(QWidget* owner, records::RecordLists& lists, int n) {
    TfmKokyakuTouroku dialog(owner);
    const bool isNew = n == 0;
    QByteArray oldLine;
    if (!isNew) {
        dialog.UserEdit(n - 1, lists.honjitu().UserList);
        oldLine = lists.honjitu().UserList.at(n - 1);
    }
    // A customer that cannot be written is reported and the dialog opens again as it was, so
    // that nothing typed is lost: the user tries again or cancels.
    while (dialog.exec() == QDialog::Accepted) {
        const bool saved = widgets::runGuarded(owner, [&] {
            const QByteArray line = dialog.GetUserKoumoku();
            if (isNew) {
                lists.UserFileSave(line, 'A');
            } else {
                replaceCustomer(lists, n - 1, oldLine, line);
            }
        });
        if (saved) {
            return true;
        }
    }
    return false;
}

}  // namespace customer
