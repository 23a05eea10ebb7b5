#pragma once

#include "records/Trash.h"
#include "records/UndoHistory.h"

#include <QObject>

#include <functional>

class QAction;
class QMenu;
class QMainWindow;
class QMenuBar;

namespace mainwindow {

// The 編集 menu: undo and redo of the record changes, and the trash. It keeps the history and
// the trash of the window's record lists, and says each step on the window's status bar.
class EditCommands : public QObject {
    Q_OBJECT
public:
    // `run` runs a command the way the window runs all of them, telling the user of its errors.
    EditCommands(QMainWindow& window, records::RecordLists& lists,
                 std::function<void(const std::function<void()>&)> run);

    // The menu, added to `menuBar` as it stands.
    QMenu* addMenu(QMenuBar& menuBar);
    // Takes the history and the trash kept in the store (start-up, a restore).
    void load();
    // A restore put other files in place: no step taken before can be taken back.
    void restored();

    QAction* actUndo;
    QAction* actRedo;
    QAction* actGomibako;

private:
    // Undo (forward false) or redo; a step refused is told, and nothing changes.
    void takeStep(bool forward);
    void showStep(const records::UndoStep& step, bool forward);
    void updateActions();

    QMainWindow& window_;
    std::function<void(const std::function<void()>&)> run_;
    records::UndoHistory history_;
    records::Trash trash_;
    // Set while undo or redo runs, whose status text is its own.
    bool applying_ = false;
};

}  // namespace mainwindow
