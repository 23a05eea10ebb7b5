#include "tests/support/ToolTips.h"

#include <QApplication>
#include <QHelpEvent>
#include <QToolTip>
#include <QWidget>

namespace testing_support {

QString toolTipAt(QWidget* over, QPoint at) {
    // Hiding a tooltip takes its time; closing the label at once lets the next request be seen.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->inherits("QTipLabel")) {
            window->hide();
        }
    }
    QHelpEvent request(QEvent::ToolTip, at, over->mapToGlobal(at));
    QApplication::sendEvent(over, &request);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

}  // namespace testing_support
