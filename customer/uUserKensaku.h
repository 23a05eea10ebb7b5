#pragma once

#include "customer/CustomerFinder.h"

#include <QByteArrayList>
#include <QDialog>

#include <optional>

class QLabel;
class QLineEdit;
class QTreeView;

namespace customer {
class FoundCustomersModel;
}

// The customer find window: the customers whose reading, name, pet's name or telephone number
// holds what is typed, narrowed at every keystroke. Enter or a double-click chooses one and
// closes the window; the caller reads the choice after it closed. It only reads the customer
// lines it is given.
class TfmUserKensaku : public QDialog {
    Q_OBJECT
public:
    explicit TfmUserKensaku(const QByteArrayList& userList, QWidget* owner = nullptr);
    ~TfmUserKensaku() override;

    // The position in the customer list of the chosen customer; nothing when none was chosen.
    std::optional<int> getSelectedIndex() const { return selectedIndex_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void edtKensakuChange(const QString& text);
    void SelectUser();

    customer::CustomerFinder finder_;
    customer::FoundCustomersModel* found_;
    std::optional<int> selectedIndex_;

    QLabel* lbKensaku;
    QLineEdit* edtKensaku;
    QTreeView* ListViewKensaku;
};

namespace customer {

// Shows the find window modally over `owner`; the position in `userList` of the customer
// chosen in it.
std::optional<int> runUserKensaku(QWidget* owner, const QByteArrayList& userList);

}  // namespace customer
