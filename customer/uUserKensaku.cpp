#include "customer/uUserKensaku.h"

#include "records/Sjis.h"
#include "widgets/Appearance.h"
#include "widgets/ElidedTips.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace customer {

// The customers found, one row each, in list order. A row's texts are made only when a view
// shows it, so a keystroke that finds every customer costs no more than one that finds a few.
class FoundCustomersModel : public QAbstractTableModel {
public:
    FoundCustomersModel(const CustomerFinder& finder, QObject* parent)
        : QAbstractTableModel(parent), finder_(finder) {}

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(positions_.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : ColumnCount;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !index.isValid()) {
            return {};
        }
        return shownText(positions_.at(index.row()), index.column());
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
            return {};
        }
        static const QString captions[ColumnCount] = {
            QStringLiteral("ふりがな"), QStringLiteral("お名前"), QStringLiteral("ペット名"),
            QStringLiteral("電話番号")};
        return captions[section];
    }

    void show(QList<int> positions) {
        beginResetModel();
        positions_ = std::move(positions);
        endResetModel();
    }
    int positionAt(int row) const { return positions_.at(row); }

private:
    static constexpr int ColumnCount = 4;
    static constexpr qsizetype LongestShownLine = widgets::LongestShownLine;

    // At most two bytes make a character, so the bytes kept hold every character shown.
    QString text(int position, CustomerFinder::Shown which) const {
        const QByteArrayView field = finder_.field(position, which);
        const QByteArrayView kept = field.first(std::min(field.size(), 2 * LongestShownLine));
        return records::sjis::toUnicode(kept.toByteArray()).left(LongestShownLine);
    }
    // Reading, name, pet's name, and the telephone numbers the customer has.
    QString shownText(int position, int column) const {
        switch (column) {
            case 0:
                return text(position, CustomerFinder::Furigana);
            case 1:
                return text(position, CustomerFinder::Shimei);
            case 2:
                return text(position, CustomerFinder::PetName);
            default: {
                QStringList numbers = {text(position, CustomerFinder::TelephoneNo),
                                       text(position, CustomerFinder::MobilPhoneNo)};
                numbers.removeAll(QString());
                return numbers.join(QStringLiteral(" / "));
            }
        }
    }

    const CustomerFinder& finder_;
    QList<int> positions_;
};

}  // namespace customer

namespace {

constexpr int WindowWidth = 520;
constexpr int WindowHeight = 320;

bool isEnterKey(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// The keys that move the highlight in the list while the focus stays in the edit.
bool isListMoveKey(int key) {
    return key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp ||
           key == Qt::Key_PageDown;
}

}  // namespace

TfmUserKensaku::TfmUserKensaku(const QByteArrayList& userList, QWidget* owner)
    : QDialog(owner),
      finder_(userList),
      found_(new customer::FoundCustomersModel(finder_, this)),
      lbKensaku(
          new QLabel(QStringLiteral("ふりがな・お名前・ペット名・電話番号の一部(&K):"), this)),
      edtKensaku(new QLineEdit(this)),
      ListViewKensaku(new QTreeView(this)) {
    setObjectName(QStringLiteral("fmUserKensaku"));
    setWindowTitle(QStringLiteral("お客様を探す"));
    widgets::applyFormLook(*this);
    resize(WindowWidth, WindowHeight);

    lbKensaku->setObjectName(QStringLiteral("lbKensaku"));
    lbKensaku->setBuddy(edtKensaku);
    edtKensaku->setObjectName(QStringLiteral("edtKensaku"));
    edtKensaku->installEventFilter(this);
    connect(edtKensaku, &QLineEdit::textChanged, this, &TfmUserKensaku::edtKensakuChange);

    ListViewKensaku->setObjectName(QStringLiteral("ListViewKensaku"));
    ListViewKensaku->setModel(found_);
    ListViewKensaku->setRootIsDecorated(false);
    ListViewKensaku->setItemsExpandable(false);
    ListViewKensaku->setUniformRowHeights(true);
    ListViewKensaku->setSelectionMode(QAbstractItemView::SingleSelection);
    ListViewKensaku->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListViewKensaku->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListViewKensaku->setItemDelegate(new widgets::ElidedTipDelegate(ListViewKensaku));
    ListViewKensaku->header()->setSectionResizeMode(QHeaderView::Stretch);
    ListViewKensaku->header()->setSectionsMovable(false);
    ListViewKensaku->installEventFilter(this);
    connect(ListViewKensaku, &QAbstractItemView::doubleClicked, this, &TfmUserKensaku::SelectUser);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbKensaku);
    layout->addWidget(edtKensaku);
    layout->addWidget(ListViewKensaku);
    edtKensaku->setFocus();
}

TfmUserKensaku::~TfmUserKensaku() = default;

void TfmUserKensaku::edtKensakuChange(const QString& text) {
    // A text that Shift-JIS cannot hold occurs in no customer line.
    const std::optional<QByteArray> query = records::sjis::fromUnicode(text);
    found_->show(query ? finder_.find(*query) : QList<int>());
    // The first customer found is highlighted, so that Enter alone chooses it.
    if (found_->rowCount() > 0) {
        ListViewKensaku->setCurrentIndex(found_->index(0, 0));
    }
}

bool TfmUserKensaku::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        (watched == edtKensaku || watched == ListViewKensaku)) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (isEnterKey(key->key())) {
            SelectUser();
            return true;
        }
        if (watched == edtKensaku && isListMoveKey(key->key())) {
            QApplication::sendEvent(ListViewKensaku, key);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfmUserKensaku::SelectUser() {
    const QModelIndex current = ListViewKensaku->currentIndex();
    if (!current.isValid()) {
        return;
    }
    selectedIndex_ = found_->positionAt(current.row());
    accept();
}

namespace customer {

std::optional<int> runUserKensaku(QWidget* owner, const QByteArrayList& userList) {
    TfmUserKensaku fmUserKensaku(userList, owner);
    fmUserKensaku.exec();
    return fmUserKensaku.getSelectedIndex();
}

}  // namespace customer
