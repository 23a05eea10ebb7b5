#pragma once

#include <QPoint>
#include <QString>

class QWidget;

namespace testing_support {

// Asks `over` for its tooltip at `at`, as hovering does, after closing any tooltip still shown;
// the text of the tooltip that appears, or nothing when none does.
QString toolTipAt(QWidget* over, QPoint at);

}  // namespace testing_support
