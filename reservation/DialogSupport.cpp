#include "reservation/DialogSupport.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace reservation {

void centreOnScreen(QWidget* window) {
    const QScreen* screen = window->screen();
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen == nullptr) {
        return;
    }
    QRect frame(QPoint(), window->size());
    frame.moveCenter(screen->availableGeometry().center());
    // An explicit move also keeps a dialog from being placed over its parent when shown.
    window->move(frame.topLeft());
}

bool isEnterKey(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

}  // namespace reservation
