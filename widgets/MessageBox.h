#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

namespace widgets {

// Shows a modal message box and returns the button pressed.
QMessageBox::StandardButton showMessage(QWidget* parent, QMessageBox::Icon icon,
                                        const QString& caption, const QString& text,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Ok);

}  // namespace widgets
