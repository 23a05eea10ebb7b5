#pragma once

#include <QString>

class QWidget;

namespace testing_support {

// Types `text` into `widget` one key event per character, carrying the character's text, so
// that Japanese text works (QTest::keyClicks cannot send it).
void typeText(QWidget* widget, const QString& text);

}  // namespace testing_support
