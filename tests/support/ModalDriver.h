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

// Meets the next window shown modal as soon as its event loop runs, records it and runs
// `drive` on it. When it is still open `timeoutMs` after this call, or none was met by then,
// the watchdog closes it (or whatever is modal) so a failing test cannot hang the suite.
std::shared_ptr<ModalVisit> onNextModal(std::function<void(QWidget*)> drive, int timeoutMs = 5000);

// Message boxes go through the program's message hook: answers are preset and each box is
// recorded as it comes, without a modal event loop, so nothing here waits or polls.

// Answers the next message box with `button`; `whileShown` runs where the box would be open.
std::shared_ptr<ModalVisit> answerNextMessage(QMessageBox::StandardButton button,
                                              std::function<void()> whileShown = {});

// Answers the message boxes that follow one another with `buttons` in order; one visit per
// message.
using ModalVisits = std::shared_ptr<std::vector<std::shared_ptr<ModalVisit>>>;
ModalVisits answerMessages(const QList<QMessageBox::StandardButton>& buttons);

// Proves that no message box is shown while it lives: a box that is shown after all is
// recorded and answered with no button instead of blocking the test.
class NoMessageWatch {
public:
    NoMessageWatch();
    ~NoMessageWatch();
    NoMessageWatch(const NoMessageWatch&) = delete;
    NoMessageWatch& operator=(const NoMessageWatch&) = delete;
    bool sawMessage() const;
    // The first unexpected box's title and text, for a failure message.
    QString firstSeen() const;

private:
    qsizetype shownBefore_;
};

// Forgets preset answers and recorded boxes, so one test's leftovers cannot answer the next.
void forgetMessages();

// Presses `button` of a message box that is open now.
void pressMessageButton(QWidget* messageBox, QMessageBox::StandardButton button);

}  // namespace testing_support
