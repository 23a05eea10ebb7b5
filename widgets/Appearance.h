#pragma once

#include <QColor>
#include <QFont>

class QPushButton;
class QString;
class QWidget;

// The look the windows share.
namespace widgets {

inline const QColor Cream(255, 251, 240);

// No cell or list item is wide enough to show more characters of one line than this. A record
// field may be megabytes long, and laying out such a text would stall every repaint, so shown
// texts are cut to this length first.
inline constexpr qsizetype LongestShownLine = 500;

// "ＭＳ Ｐゴシック" at 12 px, the font of every window.
QFont formFont();
// "MS UI Gothic" at 12 px, the menu bar's font.
QFont menuFont();

// The form font on a cream background, the look of every window.
void applyFormLook(QWidget& window);

// A push button with its objectName that Enter never presses: in a window with a list, Enter
// belongs to the list.
QPushButton* plainButton(QWidget* parent, const char* objectName, const QString& caption);

// Maps the Windows font families to an installed Japanese font of the same role.
void installFontSubstitutes();

}  // namespace widgets
