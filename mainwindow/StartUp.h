#pragma once

#include <QByteArray>
#include <functional>

class QCoreApplication;

namespace mainwindow {

// Qt's own Japanese texts (the standard buttons of message boxes and dialogs); false when the
// translation is not installed.
bool installJapaneseTranslation(QCoreApplication& application);

// The window system platform to ask Qt for, given the environment variable reader `variable`;
// empty to leave Qt's own choice. A Wayland client can neither place its own window nor bring
// itself to the front, so in a Wayland session that also offers X11 (XWayland) the program runs
// as an X11 client, where both the saved placement and the single instance work; without
// XWayland it runs as a Wayland client. A platform the user has set is kept.
QByteArray chosenPlatform(const std::function<QByteArray(const char*)>& variable);

// The program: ends at once when it already runs for this user (that instance comes to the
// front), otherwise shows the main window until it is closed.
int runApplication(int argc, char* argv[]);

}  // namespace mainwindow
