#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace widgets {

// Caption of the general error report, also the application title.
inline const QString ApplicationTitle = QStringLiteral("Trimora Light");

// Runs one command; an error it raises is shown in the general error report (critical icon,
// caption "Trimora Light") and the program goes on. Returns false when the command failed.
bool runGuarded(QWidget* parent, const std::function<void()>& command);

}  // namespace widgets
