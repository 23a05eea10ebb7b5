#include "tests/support/DialogFields.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace testing_support {

std::ostream& operator<<(std::ostream& out, const PageState& state) {
    return out << state.title.toStdString() << " / " << state.button1.toStdString() << " << "
               << state.back << " >> " << state.next << " 削除 " << state.remove;
}

QAbstractButton* button(const QWidget& dialog, const char* objectName) {
    return dialog.findChild<QAbstractButton*>(QLatin1String(objectName));
}

PageState pageState(const QWidget& dialog) {
    return {dialog.windowTitle(), button(dialog, "Button1")->text(),
            button(dialog, "btnBackPage")->isEnabled(), button(dialog, "btnNextPage")->isEnabled(),
            button(dialog, "btnDeletePage")->isEnabled()};
}

QString fieldText(const QWidget& dialog, const char* objectName) {
    const QWidget* field = dialog.findChild<QWidget*>(QLatin1String(objectName));
    if (const auto* combo = qobject_cast<const QComboBox*>(field)) {
        return combo->currentText();
    }
    if (const auto* memo = qobject_cast<const QPlainTextEdit*>(field)) {
        return memo->toPlainText();
    }
    return qobject_cast<const QLineEdit*>(field)->text();
}

void setFieldText(QWidget& dialog, const char* objectName, const QString& text) {
    QWidget* field = dialog.findChild<QWidget*>(QLatin1String(objectName));
    if (auto* combo = qobject_cast<QComboBox*>(field)) {
        combo->setCurrentText(text);
        return;
    }
    if (auto* memo = qobject_cast<QPlainTextEdit*>(field)) {
        memo->setPlainText(text);
        return;
    }
    qobject_cast<QLineEdit*>(field)->setText(text);
}

void click(const QWidget& dialog, const char* objectName) {
    button(dialog, objectName)->click();
}

QStringList checkedButtons(const QWidget& dialog) {
    QStringList names;
    for (const QAbstractButton* choice : dialog.findChildren<QAbstractButton*>()) {
        if (choice->isCheckable() && choice->isChecked()) {
            names.append(choice->objectName());
        }
    }
    names.sort();
    return names;
}

}  // namespace testing_support
