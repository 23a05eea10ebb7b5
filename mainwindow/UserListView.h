#pragma once

#include <QAbstractTableModel>
#include <QByteArray>
#include <QList>
#include <QStackedWidget>
#include <QString>

#include <memory>
#include <vector>

class QAbstractItemView;
class QListView;
class QTreeView;

namespace mainwindow {

// What the customer list shows of one customer line; marks removed, `Shu` compared as stored.
struct UserItem {
    QString petName;  // caption, column ペット名
    QString shimei;   // Shimei(Furigana), column お客様名
    QString address;  // Jyusho immediately followed by JyushoTuzuki
    QString telephone;
    QString mobilPhone;
    int image = 0;  // 3 dog, 4 cat, 5 other pet, 0 otherwise
};

UserItem UserItemFrom(const QByteArray& line);

// One row per customer line, in list order; five columns for the detail view. A row keeps its line
// and builds its texts the first time a view asks for them, so a refill costs only what is shown.
class UserListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { PetNameColumn, ShimeiColumn, AddressColumn, TelephoneColumn, MobilColumn };
    static constexpr int ColumnCount = 5;
    static constexpr int ImageIndexRole = Qt::UserRole;

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Removes every item, those not yet shown too.
    void clear();
    // Takes an item for `line` at the end. The views get the items taken since the last
    // showAdded() in one step, so that a long load lays them out once per batch.
    void addItem(const QByteArray& line);
    void showAdded();

private:
    struct Row {
        QByteArray line;
        mutable std::unique_ptr<const UserItem> shown;
    };
    const UserItem& shownItem(int row) const;

    std::vector<Row> rows_;
    QByteArrayList added_;  // taken, not yet shown
};

// The customer list `ListView1`: an icon view (32 px pictures) and a detail view (five columns
// sharing the width, 16 px pictures) over one model and one selection.
class TUserListView : public QStackedWidget {
    Q_OBJECT
public:
    static constexpr int LargeIconSize = 32;
    static constexpr int SmallIconSize = 16;

    explicit TUserListView(QWidget* parent = nullptr);

    UserListModel* model() const { return model_; }
    // Index of the selected item (which is also its customer line), -1 when none is selected.
    int selectedIndex() const;
    void selectIndex(int index);

    void showIcons();
    void showReport();
    bool isReport() const;
    QListView* iconView() const { return iconView_; }
    QTreeView* reportView() const { return reportView_; }

signals:
    // The key reaches the view unchanged after this.
    void deleteKeyPressed();
    // Return or the keypad's Enter; the key reaches the view unchanged after this.
    void enterKeyPressed();
    // A double-click anywhere in the list, with the index of the selected item or -1.
    void doubleClicked(int selectedIndex);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void share(QAbstractItemView* view);
    void showView(QAbstractItemView* view);

    UserListModel* model_;
    QListView* iconView_;
    QTreeView* reportView_;
};

}  // namespace mainwindow
