#pragma once

#include <QList>
#include <QMessageBox>
#include <QString>
#include <functional>

class QWidget;

namespace widgets {

// Shows a modal message box and returns the button pressed.
QMessageBox::StandardButton showMessage(QWidget* parent, QMessageBox::Icon icon,
                                        const QString& caption, const QString& text,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Ok);

// Asks whether one record may be deleted; when the answer is not Yes, says `cancelledText`
// and returns false.
bool confirmDeletion(QWidget* parent, const QString& caption, const QString& cancelledText);

// A box that was answered from the preset answers instead of being shown.
struct ShownMessage {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton answer = QMessageBox::NoButton;
};

// Lets tests answer message boxes without a modal event loop: while answers are preset, each
// box takes the next one and is recorded instead of shown. With none preset the box is shown.
namespace messageHook {

void presetAnswers(const QList<QMessageBox::StandardButton>& answers);
int presetAnswerCount();
const QList<ShownMessage>& shownMessages();
// Called with each recorded box, so a test can follow the boxes as they come.
void setListener(std::function<void(const ShownMessage&)> listener);
// Forgets the preset answers, the record and the listener.
void reset();

}  // namespace messageHook

}  // namespace widgets
