#include "reservation/ScreenCentre.h"

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

}  // namespace reservation
