#include "tests/support/Typing.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace testing_support {

void typeText(QWidget* widget, const QString& text) {
    for (const char32_t codePoint : text.toUcs4()) {
        const QString one = QString::fromUcs4(&codePoint, 1);
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, one);
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, one);
        QApplication::sendEvent(widget, &release);
    }
}

}  // namespace testing_support
