#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QWidget;

namespace testing_support {

// What happened to one expected modal window. Check it after the code that opened the window
// has returned: a failed check inside the timer callback would only leave the callback.
struct ModalVisit {
    bool appeared = false;
    bool closedByWatchdog = false;
    QString className;
    QString objectName;
    QString title;
    QString text;  // a message box's text
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
};

// Waits (polling from the event loop) until a new modal widget becomes the active modal
// widget, records it, and runs `drive` on it. When the widget is still open `timeoutMs` after
// it appeared, or none appears in that time, the watchdog closes whatever is modal so a
// failing test cannot hang the suite.
std::shared_ptr<ModalVisit> onNextModal(std::function<void(QWidget*)> drive, int timeoutMs = 5000);

// Answers the next message box by pressing `button`.
std::shared_ptr<ModalVisit> answerNextMessage(QMessageBox::StandardButton button,
                                              int timeoutMs = 5000);

// Answers the message boxes that follow one another by pressing `buttons` in order; one visit
// per message.
using ModalVisits = std::shared_ptr<std::vector<std::shared_ptr<ModalVisit>>>;
ModalVisits answerMessages(const QList<QMessageBox::StandardButton>& buttons);

// Presses `button` of a message box that is open now.
void pressMessageButton(QWidget* messageBox, QMessageBox::StandardButton button);

}  // namespace testing_support
