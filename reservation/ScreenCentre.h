#pragma once

class QWidget;

namespace reservation {

// Places a top-level window of fixed size in the middle of its screen's available area.
void centreOnScreen(QWidget* window);

}  // namespace reservation
