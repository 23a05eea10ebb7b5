#pragma once

#include <QByteArray>
#include <QDialog>

class QListWidget;

// The customer picker: a borderless list of whole customer lines. Closing it is the only
// result; a non-empty getSelectedUser() is the sign that the user chose a line.
class TfmUserListDialog : public QDialog {
    Q_OBJECT
public:
    explicit TfmUserListDialog(QWidget* owner = nullptr);

    QByteArray getSelectedUser() const { return SelectedUser; }
    // Adds one customer line as the next entry, shown as stored.
    void addUser(const QByteArray& line);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Esc closes the picker without a choice; the window sees every key before the list does.
    void FormKeyDown(int key);
    // Enter chooses the highlighted line.
    void ListBoxUserListKeyDown(int key);
    void ListBoxUserListDblClick();
    void SelectUser();

    QListWidget* ListBoxUserList;
    QByteArray SelectedUser;
};
