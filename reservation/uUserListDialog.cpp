#include "reservation/uUserListDialog.h"

#include "records/Sjis.h"
#include "reservation/DialogSupport.h"
#include "widgets/Appearance.h"

#include <QEvent>
#include <QListWidget>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace {

constexpr int ItemHeight = 12;
constexpr int RawLineRole = Qt::UserRole;

class FixedHeightDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(ItemHeight);
        return size;
    }
};

// A list view makes its first row current when it gains the focus; here nothing may be
// highlighted until the user picks a row, so that Enter alone never chooses a customer.
class UnhighlightedListBox : public QListWidget {
public:
    using QListWidget::QListWidget;

protected:
    void focusInEvent(QFocusEvent* event) override {
        const bool hadCurrent = currentIndex().isValid();
        QListWidget::focusInEvent(event);
        if (!hadCurrent) {
            selectionModel()->clearCurrentIndex();
        }
    }
};

}  // namespace

TfmUserListDialog::TfmUserListDialog(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint),
      ListBoxUserList(new UnhighlightedListBox(this)) {
    setObjectName(QStringLiteral("fmUserListDialog"));
    setWindowTitle(QStringLiteral("ダイアログ"));
    setFont(widgets::formFont());
    setFixedSize(345, 133);

    ListBoxUserList->setObjectName(QStringLiteral("ListBoxUserList"));
    ListBoxUserList->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBoxUserList->setUniformItemSizes(true);
    ListBoxUserList->setItemDelegate(new FixedHeightDelegate(ListBoxUserList));
    ListBoxUserList->installEventFilter(this);
    ListBoxUserList->viewport()->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(ListBoxUserList);
    reservation::centreOnScreen(this);
}

void TfmUserListDialog::addUser(const QByteArray& line) {
    auto* item = new QListWidgetItem(sjis::toUnicode(line), ListBoxUserList);
    item->setData(RawLineRole, line);
}

bool TfmUserListDialog::eventFilter(QObject* watched, QEvent* event) {
    const bool enterInList = watched == ListBoxUserList && reservation::isEnterPress(event);
    const bool doubleClick =
        watched == ListBoxUserList->viewport() && event->type() == QEvent::MouseButtonDblClick;
    if (enterInList || doubleClick) {
        SelectUser();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfmUserListDialog::SelectUser() {
    const QList<QListWidgetItem*> highlighted = ListBoxUserList->selectedItems();
    if (!highlighted.isEmpty()) {
        SelectedUser = highlighted.first()->data(RawLineRole).toByteArray();
    }
    reject();
}
