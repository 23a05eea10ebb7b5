#include "customer/KokyakuTourokuCommand.h"

#include "customer/uKokyakuTouroku.h"

namespace customer {
namespace {

// The file and the list get the customer list without the old line and with the new line at
// its end. Written in one replacement of the file, so a failure leaves the old customer in it.
void replaceCustomer(records::RecordLists& lists, int index, const QByteArray& line) {
    QByteArrayList changed = lists.honjitu().UserList;
    changed.removeAt(index);
    changed.append(line);
    lists.replaceUserList(std::move(changed));
}

}  // namespace

bool runKokyakuTouroku(QWidget* owner, records::RecordLists& lists, int n) {
    TfmKokyakuTouroku dialog(owner);
    const bool isNew = n == 0;
    if (!isNew) {
        dialog.UserEdit(n - 1, lists.honjitu().UserList);
    }
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    const QByteArray line = dialog.GetUserKoumoku();
    if (isNew) {
        lists.UserFileSave(line, 'A');
    } else {
        replaceCustomer(lists, n - 1, line);
    }
    return true;
}

}  // namespace customer
