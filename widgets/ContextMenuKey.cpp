#include "widgets/ContextMenuKey.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QWidget>

namespace widgets {

bool isContextMenuKey(const QKeyEvent& event) {
    return event.key() == Qt::Key_F10 && event.modifiers() == Qt::ShiftModifier;
}

void openContextMenuFromKeyboard(QWidget& widget) {
    const QPoint at = widget.inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
    QContextMenuEvent event(QContextMenuEvent::Keyboard, at, widget.mapToGlobal(at));
    QApplication::sendEvent(&widget, &event);
}

}  // namespace widgets
