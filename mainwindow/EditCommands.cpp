#include "mainwindow/EditCommands.h"

#include "trash/uGomibako.h"
#include "widgets/Appearance.h"
#include "widgets/MessageBox.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScopeGuard>
#include <QStatusBar>

namespace mainwindow {
namespace {

const QString UndoCaption = QStringLiteral("元に戻す");
const QString RedoCaption = QStringLiteral("やり直し");

QAction* newAction(QObject* owner, const char* name, const QString& caption) {
    auto* action = new QAction(caption, owner);
    action->setObjectName(QString::fromLatin1(name));
    action->setToolTip(caption);
    action->setStatusTip(caption);
    return action;
}

}  // namespace

EditCommands::EditCommands(QMainWindow& window, records::RecordLists& lists,
                           std::function<void(const std::function<void()>&)> run)
    : QObject(&window),
      actUndo(newAction(&window, "actUndo", UndoCaption)),
      actRedo(newAction(&window, "actRedo", RedoCaption)),
      actGomibako(newAction(&window, "actGomibako", QStringLiteral("ゴミ箱..."))),
      window_(window),
      run_(std::move(run)),
      history_(lists),
      trash_(lists, history_) {
    actUndo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    actRedo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    connect(actUndo, &QAction::triggered, this, [this] { run_([this] { takeStep(false); }); });
    connect(actRedo, &QAction::triggered, this, [this] { run_([this] { takeStep(true); }); });
    connect(actGomibako, &QAction::triggered, this,
            [this] { run_([this] { trash::runGomibako(&window_, trash_); }); });
    connect(&history_, &records::UndoHistory::historyChanged, this, &EditCommands::updateActions);
    connect(&history_, &records::UndoHistory::stepApplied, this, &EditCommands::showStep);
    updateActions();
}

QMenu* EditCommands::addMenu(QMenuBar& menuBar) {
    QMenu* edit = menuBar.addMenu(QStringLiteral("編集(&E)"));
    edit->setObjectName(QStringLiteral("MenuHenshuu"));
    edit->setFont(widgets::menuFont());
    edit->addActions({actUndo, actRedo});
    edit->addSeparator();
    edit->addAction(actGomibako);
    return edit;
}

void EditCommands::load() {
    history_.load();
    trash_.load();
}

void EditCommands::restored() {
    history_.clear();
    trash_.load();
}

void EditCommands::takeStep(bool forward) {
    if (!(forward ? history_.canRedo() : history_.canUndo())) {
        return;
    }
    const QString stepCaption = (forward ? history_.nextRedo() : history_.nextUndo()).caption();
    const auto done = qScopeGuard([this] { applying_ = false; });
    applying_ = true;
    if (!(forward ? history_.redo() : history_.undo())) {
        widgets::showMessage(&window_, QMessageBox::Warning, forward ? RedoCaption : UndoCaption,
                             QStringLiteral("「%1」は、そのあとで記録がほかから変更されたため、"
                                            "%2ません。\n何も変更していません。")
                                 .arg(stepCaption, forward ? QStringLiteral("やり直せ")
                                                           : QStringLiteral("元に戻せ")));
    }
}

void EditCommands::showStep(const records::UndoStep& step, bool forward) {
    if (!applying_) {
        window_.statusBar()->showMessage(step.doneText() +
                                         QStringLiteral("（Ctrl+Z で元に戻せます）"));
    } else if (forward) {
        window_.statusBar()->showMessage(
            QStringLiteral("「%1」をやり直しました").arg(step.caption()));
    } else {
        window_.statusBar()->showMessage(
            QStringLiteral("「%1」を元に戻しました").arg(step.caption()));
    }
}

void EditCommands::updateActions() {
    actUndo->setEnabled(history_.canUndo());
    actUndo->setText(history_.canUndo()
                         ? UndoCaption + QStringLiteral(": ") + history_.nextUndo().caption()
                         : UndoCaption);
    actRedo->setEnabled(history_.canRedo());
    actRedo->setText(history_.canRedo()
                         ? RedoCaption + QStringLiteral(": ") + history_.nextRedo().caption()
                         : RedoCaption);
}

}  // namespace mainwindow
