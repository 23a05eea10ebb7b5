#include "mainwindow/UserListView.h"

#include "records/RecordFormat.h"
#include "records/RecordViews.h"
#include "records/Sjis.h"
#include "widgets/Appearance.h"
#include "widgets/ContextMenuKey.h"
#include "widgets/ElidedTips.h"
#include "widgets/Pictures.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QListView>
#include <QStyledItemDelegate>
#include <QTreeView>

namespace mainwindow {
namespace {

QString shown(const QByteArray& text) {
    return records::sjis::toUnicode(records::EmptyMarkDelete(text)).left(widgets::LongestShownLine);
}

int imageOfKind(const QByteArray& shu) {
    static const QByteArray Dog = records::sjis::bytesOf(QStringLiteral("犬"));
    static const QByteArray Cat = records::sjis::bytesOf(QStringLiteral("猫"));
    static const QByteArray Other = records::sjis::bytesOf(QStringLiteral("その他"));
    if (shu == Dog) {
        return static_cast<int>(widgets::Picture::Dog);
    }
    if (shu == Cat) {
        return static_cast<int>(widgets::Picture::Cat);
    }
    if (shu == Other) {
        return static_cast<int>(widgets::Picture::OtherPet);
    }
    return 0;
}

// Every item of the icon view takes one grid cell, so that captions use the cell's width and the
// view lays out thousands of items without measuring each.
class IconCellDelegate : public widgets::ElidedTipDelegate {
public:
    IconCellDelegate(QSize cell, QObject* parent) : ElidedTipDelegate(parent), cell_(cell) {}
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override { return cell_; }

private:
    QSize cell_;
};

const QSize IconGridCell(96, 64);
constexpr int IconSpacing = 4;

}  // namespace

UserItem UserItemFrom(const QByteArray& line) {
    using namespace records::customer_record;
    const records::Customer customer(line);
    // As stored: a mark is removed only after the texts shown together are joined.
    const auto field = [&customer](Field position) { return customer.stored(position); };
    UserItem item;
    item.petName = shown(field(PetName));
    item.image = imageOfKind(field(Shu));
    item.shimei = shown(field(Shimei) + '(' + field(Furigana) + ')');
    item.address = shown(field(Jyusho) + field(JyushoTuzuki));
    item.telephone = shown(field(TelephoneNo));
    item.mobilPhone = shown(field(MobilPhoneNo));
    return item;
}

int UserListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int UserListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant UserListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        const UserItem& item = shownItem(index.row());
        switch (index.column()) {
            case PetNameColumn:
                return item.petName;
            case ShimeiColumn:
                return item.shimei;
            case AddressColumn:
                return item.address;
            case TelephoneColumn:
                return item.telephone;
            case MobilColumn:
                return item.mobilPhone;
        }
    }
    if (index.column() == PetNameColumn && (role == Qt::DecorationRole || role == ImageIndexRole)) {
        const int image = shownItem(index.row()).image;
        return role == ImageIndexRole ? QVariant(image) : QVariant(widgets::picture(image));
    }
    return {};
}

QVariant UserListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    static const QString Captions[ColumnCount] = {
        QStringLiteral("ペット名"), QStringLiteral("お客様名"), QStringLiteral("住所"),
        QStringLiteral("電話番号"), QStringLiteral("携帯電話番号")};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= ColumnCount) {
        return {};
    }
    return Captions[section];
}

const UserItem& UserListModel::shownItem(int row) const {
    const Row& entry = rows_.at(row);
    if (!entry.shown) {
        entry.shown = std::make_unique<const UserItem>(UserItemFrom(entry.line));
    }
    return *entry.shown;
}

void UserListModel::clear() {
    added_.clear();
    if (rows_.empty()) {
        return;
    }
    beginResetModel();
    rows_.clear();
    endResetModel();
}

void UserListModel::addItem(const QByteArray& line) {
    added_.append(line);
}

void UserListModel::showAdded() {
    if (added_.isEmpty()) {
        return;
    }
    const int first = static_cast<int>(rows_.size());
    beginInsertRows({}, first, first + static_cast<int>(added_.size()) - 1);
    for (QByteArray& line : added_) {
        rows_.push_back({std::move(line), nullptr});
    }
    added_.clear();
    endInsertRows();
}

TUserListView::TUserListView(QWidget* parent)
    : QStackedWidget(parent),
      model_(new UserListModel(this)),
      iconView_(new QListView(this)),
      reportView_(new QTreeView(this)) {
    setObjectName(QStringLiteral("ListView1"));

    iconView_->setObjectName(QStringLiteral("ListView1Icons"));
    iconView_->setViewMode(QListView::IconMode);
    iconView_->setIconSize(QSize(LargeIconSize, LargeIconSize));
    iconView_->setGridSize(IconGridCell);
    iconView_->setItemDelegate(
        new IconCellDelegate(IconGridCell - QSize(IconSpacing, IconSpacing), iconView_));
    iconView_->setUniformItemSizes(true);
    iconView_->setResizeMode(QListView::Adjust);
    iconView_->setMovement(QListView::Static);
    iconView_->setWordWrap(true);
    iconView_->setLayoutMode(QListView::Batched);
    iconView_->setBatchSize(500);
    iconView_->setModel(model_);

    reportView_->setObjectName(QStringLiteral("ListView1Report"));
    reportView_->setRootIsDecorated(false);
    reportView_->setItemsExpandable(false);
    reportView_->setUniformRowHeights(true);
    reportView_->setIconSize(QSize(SmallIconSize, SmallIconSize));
    reportView_->setModel(model_);
    reportView_->setItemDelegate(new widgets::ElidedTipDelegate(reportView_));
    reportView_->header()->setSectionResizeMode(QHeaderView::Stretch);
    reportView_->header()->setSectionsMovable(false);
    reportView_->setSelectionModel(iconView_->selectionModel());

    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(iconView_),
                                    static_cast<QAbstractItemView*>(reportView_)}) {
        share(view);
    }
    addWidget(iconView_);
    addWidget(reportView_);
    showIcons();
}

void TUserListView::share(QAbstractItemView* view) {
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->installEventFilter(this);
    view->viewport()->installEventFilter(this);
}

int TUserListView::selectedIndex() const {
    const QModelIndexList selected = iconView_->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void TUserListView::selectIndex(int index) {
    QItemSelectionModel* selection = iconView_->selectionModel();
    if (index < 0 || index >= model_->rowCount()) {
        selection->clear();
        return;
    }
    selection->setCurrentIndex(model_->index(index, 0),
                               QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void TUserListView::showIcons() {
    showView(iconView_);
}

void TUserListView::showReport() {
    showView(reportView_);
}

void TUserListView::showView(QAbstractItemView* view) {
    const bool hadFocus = hasFocus();
    setCurrentWidget(view);
    setFocusProxy(view);
    if (hadFocus) {
        view->setFocus();
    }
}

bool TUserListView::isReport() const {
    return currentWidget() == reportView_;
}

bool TUserListView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && (watched == iconView_ || watched == reportView_)) {
        const auto* press = static_cast<QKeyEvent*>(event);
        if (widgets::isContextMenuKey(*press)) {
            widgets::openContextMenuFromKeyboard(*static_cast<QWidget*>(watched));
            return true;
        }
        const int key = press->key();
        if (key == Qt::Key_Delete) {
            emit deleteKeyPressed();
        } else if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            emit enterKeyPressed();
        }
    }
    // Anywhere in the list, as on an item: the first click already chose the selection. The
    // view does not see the click afterwards, when the list may have been refilled and the
    // item under the mouse be another customer.
    if (event->type() == QEvent::MouseButtonDblClick &&
        (watched == iconView_->viewport() || watched == reportView_->viewport())) {
        emit doubleClicked(selectedIndex());
        return true;
    }
    return QStackedWidget::eventFilter(watched, event);
}

}  // namespace mainwindow
