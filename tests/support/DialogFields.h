#pragma once

#include <QString>
#include <QStringList>
#include <ostream>

class QAbstractButton;
class QWidget;

// Reaching a dialog's controls by objectName, as a user sees and works them.
namespace testing_support {

// Title, Button1's caption and whether <<, >> and 削除 are enabled (the reservation dialog).
struct PageState {
    QString title;
    QString button1;
    bool back = false, next = false, remove = false;
    bool operator==(const PageState&) const = default;
};
std::ostream& operator<<(std::ostream& out, const PageState& state);
PageState pageState(const QWidget& dialog);

// The text of an edit, an editable combo box or a memo.
QString fieldText(const QWidget& dialog, const char* objectName);
void setFieldText(QWidget& dialog, const char* objectName, const QString& text);
QAbstractButton* button(const QWidget& dialog, const char* objectName);
void click(const QWidget& dialog, const char* objectName);
// Object names of the checked radio buttons and check boxes.
QStringList checkedButtons(const QWidget& dialog);

}  // namespace testing_support
