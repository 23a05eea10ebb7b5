#pragma once

class QKeyEvent;
class QWidget;

namespace widgets {

// Shift+F10, the other key that opens a context menu.
bool isContextMenuKey(const QKeyEvent& event);

// Opens the context menu of `widget` as the Menu key does: a keyboard context menu event at the
// widget's cursor (for a view, its current item).
void openContextMenuFromKeyboard(QWidget& widget);

}  // namespace widgets
