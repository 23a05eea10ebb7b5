#pragma once

class QEvent;
class QWidget;

// Small pieces the reservation dialog and the customer picker share.
namespace reservation {

// Places a top-level window of fixed size in the middle of its screen's available area.
void centreOnScreen(QWidget* window);

// Return or the keypad's Enter.
bool isEnterKey(int key);

}  // namespace reservation
