#include "reservation/uUserListDialog.h"

#include "records/Sjis.h"
#include "reservation/DialogSupport.h"
#include "widgets/Appearance.h"

#include <QEvent>
#include <QKeyEvent>
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
    auto* item = new QListWidgetItem(records::sjis::toUnicode(line), ListBoxUserList);
    item->setData(RawLineRole, line);
}

bool TfmUserListDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ListBoxUserList && event->type() == QEvent::KeyPress) {
        const int key = static_cast<const QKeyEvent*>(event)->key();
        FormKeyDown(key);
        ListBoxUserListKeyDown(key);
        return !isVisible();  // a key that closed the picker goes no further
    }
    if (watched == ListBoxUserList->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        ListBoxUserListDblClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfmUserListDialog::FormKeyDown(int key) {
    if (key == Qt::Key_Escape) {
        reject();
    }
}

void TfmUserListDialog::ListBoxUserListKeyDown(int key) {
    if (reservation::isEnterKey(key)) {
        SelectUser();
    }
}

void TfmUserListDialog::ListBoxUserListDblClick() {
    SelectUser();
}

void TfmUserListDialog::SelectUser() {
    const QList<QListWidgetItem*> highlighted = ListBoxUserList->selectedItems();
    if (!highlighted.isEmpty()) {
        SelectedUser = highlighted.first()->data(RawLineRole).toByteArray();
    }
    reject();
}
