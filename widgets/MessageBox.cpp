#include "widgets/MessageBox.h"

#include <QQueue>

namespace widgets {
namespace {

struct HookState {
    QQueue<QMessageBox::StandardButton> answers;
    QList<ShownMessage> shown;
    std::function<void(const ShownMessage&)> listener;
};

HookState& hookState() {
    static HookState state;
    return state;
}

QMessageBox::StandardButton answerFromPreset(QMessageBox::Icon icon, const QString& caption,
                                             const QString& text,
                                             QMessageBox::StandardButtons buttons) {
    HookState& state = hookState();
    const ShownMessage shown{caption, text, icon, buttons, state.answers.dequeue()};
    state.shown.append(shown);
    if (state.listener) {
        state.listener(shown);
    }
    return shown.answer;
}

}  // namespace

QMessageBox::StandardButton showMessage(QWidget* parent, QMessageBox::Icon icon,
                                        const QString& caption, const QString& text,
                                        QMessageBox::StandardButtons buttons) {
    if (!hookState().answers.isEmpty()) {
        return answerFromPreset(icon, caption, text, buttons);
    }
    QMessageBox box(icon, caption, text, buttons, parent);
    box.setObjectName(QStringLiteral("MessageBox"));
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

bool confirmDeletion(QWidget* parent, const QString& caption, const QString& cancelledText) {
    const auto answer =
        showMessage(parent, QMessageBox::Question, caption,
                    QStringLiteral("１つのお客様データを削除します。\nよろしいですか？"),
                    QMessageBox::Yes | QMessageBox::No);
    if (answer != QMessageBox::Yes) {
        showMessage(parent, QMessageBox::Warning, caption, cancelledText);
        return false;
    }
    return true;
}

namespace messageHook {

void presetAnswers(const QList<QMessageBox::StandardButton>& answers) {
    hookState().answers.append(answers);
}

int presetAnswerCount() {
    return static_cast<int>(hookState().answers.size());
}

const QList<ShownMessage>& shownMessages() {
    return hookState().shown;
}

void setListener(std::function<void(const ShownMessage&)> listener) {
    hookState().listener = std::move(listener);
}

void reset() {
    hookState() = HookState{};
}

}  // namespace messageHook

}  // namespace widgets
