#pragma once

class QCoreApplication;

namespace mainwindow {

// Qt's own Japanese texts (the standard buttons of message boxes and dialogs); false when the
// translation is not installed.
bool installJapaneseTranslation(QCoreApplication& application);

// The program: ends at once when it already runs for this user (that instance comes to the
// front), otherwise shows the main window until it is closed.
int runApplication(int argc, char* argv[]);

}  // namespace mainwindow
