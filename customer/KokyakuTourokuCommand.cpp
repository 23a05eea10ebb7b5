#include "customer/KokyakuTourokuCommand.h"

#include "customer/uKokyakuTouroku.h"

namespace customer {
namespace {

// The file and the list get the customer list without the old line and with the new line at
// its end. Written in one replacement of the file, so a failure leaves the old customer in it;
// the list follows only a write that succeeded.
void replaceCustomer(THonjitu& honjitu, const QString& userFilePath, int index,
                     const QByteArray& line) {
    QByteArrayList changed = honjitu.UserList;
    changed.removeAt(index);
    changed.append(line);
    rewriteRecordFile(userFilePath, changed, honjitu.UserTail);
    honjitu.UserList = std::move(changed);
}

}  // namespace

bool runKokyakuTouroku(QWidget* owner, THonjitu& honjitu, const QString& userFilePath, int n) {
    TfmKokyakuTouroku dialog(owner);
    const bool isNew = n == 0;
    if (!isNew) {
        dialog.UserEdit(n - 1, honjitu.UserList);
    }
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    const QByteArray line = dialog.GetUserKoumoku();
    if (isNew) {
        UserFileSave(userFilePath, line, 'A', honjitu);
    } else {
        replaceCustomer(honjitu, userFilePath, n - 1, line);
    }
    return true;
}

}  // namespace customer
