#include "tests/support/ModalDriver.h"

#include "widgets/MessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <deque>

namespace testing_support {
namespace {

void closeModal(QWidget* widget) {
    if (auto* dialog = qobject_cast<QDialog*>(widget)) {
        dialog->reject();
    } else {
        widget->close();
    }
}

void record(ModalVisit& visit, QWidget* widget) {
    visit.appeared = true;
    visit.className = QString::fromLatin1(widget->metaObject()->className());
    visit.objectName = widget->objectName();
    visit.title = widget->windowTitle();
    if (auto* box = qobject_cast<QMessageBox*>(widget)) {
        visit.text = box->text();
        visit.icon = box->icon();
        visit.buttons = box->standardButtons();
    }
}

// The window met by one watcher, shared with its watchdog.
using MetWindow = std::shared_ptr<QPointer<QWidget>>;

// Meets the next window that opens modal, once its own event loop runs, and drives it.
class ModalWatcher : public QObject {
public:
    ModalWatcher(std::function<void(QWidget*)> drive, std::shared_ptr<ModalVisit> visit,
                 MetWindow met)
        : drive_(std::move(drive)), visit_(std::move(visit)), met_(std::move(met)) {
        qApp->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::Show && widget != nullptr && widget->isWindow() &&
            widget->windowModality() != Qt::NonModal) {
            qApp->removeEventFilter(this);
            QPointer<QWidget> shown(widget);
            // Queued: exec() has to enter its loop before the window can be closed.
            QTimer::singleShot(0, this, [this, shown] { meet(shown); });
        }
        return false;
    }

private:
    void meet(const QPointer<QWidget>& shown) {
        if (!shown.isNull() && shown->isVisible()) {
            *met_ = shown;
            record(*visit_, shown);
            drive_(shown);
        }
        deleteLater();
    }

    std::function<void(QWidget*)> drive_;
    std::shared_ptr<ModalVisit> visit_;
    MetWindow met_;
};

// Closes the met window when it is still open, or whatever is modal when none was met, so
// that a failing test cannot hang the suite; a window closed unmet is recorded as well.
void armWatchdog(std::shared_ptr<ModalVisit> visit, QPointer<ModalWatcher> watcher, MetWindow met,
                 int timeoutMs) {
    QTimer::singleShot(timeoutMs, [visit, watcher, met] {
        if (!watcher.isNull()) {
            qApp->removeEventFilter(watcher);
            delete watcher.data();
        }
        QWidget* stuck = visit->appeared ? met->data() : QApplication::activeModalWidget();
        if (!visit->appeared) {
            visit->closedByWatchdog = true;
            if (stuck != nullptr) {
                record(*visit, stuck);
            }
        }
        if (stuck != nullptr && stuck->isVisible()) {
            visit->closedByWatchdog = true;
            closeModal(stuck);
        }
    });
}

// Visits waiting for the boxes the preset answers are for, in the same order.
struct AwaitedMessage {
    std::shared_ptr<ModalVisit> visit;
    std::function<void()> whileShown;
};

std::deque<AwaitedMessage>& awaitedMessages() {
    static std::deque<AwaitedMessage> awaited;
    return awaited;
}

void recordMessage(const widgets::ShownMessage& shown) {
    auto& awaited = awaitedMessages();
    if (awaited.empty()) {
        return;
    }
    const AwaitedMessage next = awaited.front();
    awaited.pop_front();
    ModalVisit& visit = *next.visit;
    visit.appeared = true;
    visit.className = QStringLiteral("QMessageBox");
    visit.objectName = QStringLiteral("MessageBox");
    visit.title = shown.title;
    visit.text = shown.text;
    visit.icon = shown.icon;
    visit.buttons = shown.buttons;
    if (next.whileShown) {
        next.whileShown();
    }
}

}  // namespace

std::shared_ptr<ModalVisit> onNextModal(std::function<void(QWidget*)> drive, int timeoutMs) {
    auto visit = std::make_shared<ModalVisit>();
    auto met = std::make_shared<QPointer<QWidget>>();
    QPointer<ModalWatcher> watcher(new ModalWatcher(std::move(drive), visit, met));
    armWatchdog(visit, watcher, met, timeoutMs);
    return visit;
}

void pressMessageButton(QWidget* messageBox, QMessageBox::StandardButton button) {
    auto* box = qobject_cast<QMessageBox*>(messageBox);
    if (box == nullptr) {
        closeModal(messageBox);
        return;
    }
    if (QAbstractButton* target = box->button(button)) {
        QTest::mouseClick(target, Qt::LeftButton);
    } else {
        closeModal(messageBox);
    }
}

std::shared_ptr<ModalVisit> answerNextMessage(QMessageBox::StandardButton button,
                                              std::function<void()> whileShown) {
    auto visit = std::make_shared<ModalVisit>();
    widgets::messageHook::setListener(recordMessage);
    awaitedMessages().push_back({visit, std::move(whileShown)});
    widgets::messageHook::presetAnswers({button});
    return visit;
}

ModalVisits answerMessages(const QList<QMessageBox::StandardButton>& buttons) {
    auto visits = std::make_shared<std::vector<std::shared_ptr<ModalVisit>>>();
    for (QMessageBox::StandardButton button : buttons) {
        visits->push_back(answerNextMessage(button));
    }
    return visits;
}

NoMessageWatch::NoMessageWatch() : shownBefore_(widgets::messageHook::shownMessages().size()) {
    answerNextMessage(QMessageBox::NoButton);
}

NoMessageWatch::~NoMessageWatch() {
    forgetMessages();
}

bool NoMessageWatch::sawMessage() const {
    return widgets::messageHook::shownMessages().size() > shownBefore_;
}

QString NoMessageWatch::firstSeen() const {
    if (!sawMessage()) {
        return {};
    }
    const widgets::ShownMessage& shown = widgets::messageHook::shownMessages().at(shownBefore_);
    return shown.title + QStringLiteral(": ") + shown.text;
}

void forgetMessages() {
    widgets::messageHook::reset();
    awaitedMessages().clear();
}

}  // namespace testing_support
