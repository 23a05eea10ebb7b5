#include "tests/support/ModalDriver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <QtTest>

namespace testing_support {
namespace {

constexpr int PollMs = 10;

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

void watchUntilClosed(QPointer<QWidget> widget, std::shared_ptr<ModalVisit> visit, int leftMs) {
    if (widget.isNull() || !widget->isVisible()) {
        return;
    }
    if (leftMs <= 0) {
        visit->closedByWatchdog = true;
        closeModal(widget);
        return;
    }
    QTimer::singleShot(PollMs, [=] { watchUntilClosed(widget, visit, leftMs - PollMs); });
}

void poll(QPointer<QWidget> before, std::function<void(QWidget*)> drive,
          std::shared_ptr<ModalVisit> visit, int timeoutMs, int waitedMs) {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal != before.data() && modal->isVisible()) {
        record(*visit, modal);
        QPointer<QWidget> guarded(modal);
        drive(modal);
        watchUntilClosed(guarded, visit, timeoutMs);
        return;
    }
    if (waitedMs >= timeoutMs) {
        visit->closedByWatchdog = true;
        if (QWidget* stuck = QApplication::activeModalWidget()) {
            closeModal(stuck);
        }
        return;
    }
    QTimer::singleShot(PollMs, [=] { poll(before, drive, visit, timeoutMs, waitedMs + PollMs); });
}

void armAnswers(const ModalVisits& visits, const QList<QMessageBox::StandardButton>& buttons,
                int at) {
    if (at >= buttons.size()) {
        return;
    }
    (*visits)[at] = onNextModal([visits, buttons, at](QWidget* box) {
        armAnswers(visits, buttons, at + 1);
        pressMessageButton(box, buttons[at]);
    });
}

}  // namespace

std::shared_ptr<ModalVisit> onNextModal(std::function<void(QWidget*)> drive, int timeoutMs) {
    auto visit = std::make_shared<ModalVisit>();
    QPointer<QWidget> before(QApplication::activeModalWidget());
    QTimer::singleShot(0, [=] { poll(before, drive, visit, timeoutMs, 0); });
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

std::shared_ptr<ModalVisit> answerNextMessage(QMessageBox::StandardButton button, int timeoutMs) {
    return onNextModal([button](QWidget* widget) { pressMessageButton(widget, button); },
                       timeoutMs);
}

ModalVisits answerMessages(const QList<QMessageBox::StandardButton>& buttons) {
    auto visits = std::make_shared<std::vector<std::shared_ptr<ModalVisit>>>(buttons.size());
    armAnswers(visits, buttons, 0);
    return visits;
}

}  // namespace testing_support
