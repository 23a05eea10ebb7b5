// The 編集 menu and the trash window: a customer deleted, taken back, deleted again and put back
// from the trash, through the menu's commands, each step told on the status bar.
#include "mainwindow/UserListView.h"
#include "mainwindow/YoyakuGrid.h"
#include "mainwindow/uMain.h"
#include "tests/mainwindow/MainWindowFixture.h"
#include "tests/support/Files.h"
#include "tests/support/ModalDriver.h"

#include <QAbstractButton>
#include <QAction>
#include <QMenuBar>
#include <QStatusBar>
#include <QTreeWidget>
#include <QtTest>

using namespace testing_support;

namespace {

QAction* action(TfmMain& window, const char* name) {
    return window.findChild<QAction*>(QString::fromLatin1(name));
}

QString statusText(TfmMain& window) {
    return window.findChild<QStatusBar*>(QStringLiteral("StatusBarMain"))->currentMessage();
}

QStringList rowOf(const QTreeWidgetItem& item) {
    QStringList texts;
    for (int column = 0; column < item.columnCount(); ++column) {
        texts.append(item.text(column));
    }
    return texts;
}

}  // namespace

class EditMenuTest : public MainWindowTest {};

TEST_F(EditMenuTest, ADeletedCustomerIsTakenBackRedoneAndPutBackFromTheTrash) {
    const QByteArrayList lines = {
        customerLine("ポチ", "犬", "山田　花子", "やまだ", "", "", "03-1234-5678"),
        customerLine("タマ", "猫", "佐藤太郎", "", "", "", "", "080-3333-4444"),
        customerLine("レオ", "犬", "高橋健一", "たかはし")};
    writeUsers(lines);
    auto window = openWindow();
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));

    QStringList menus;
    for (const QAction* menu : window->menuBar()->actions()) {
        menus.append(menu->text());
    }
    EXPECT_EQ(menus, QStringList({"ファイル(&Z)", "予約(&Y)", "表示(&X)", "編集(&E)", "サロン(&S)",
                                  "ヘルプ(&W)"}));
    QAction* undo = action(*window, "actUndo");
    QAction* redo = action(*window, "actRedo");
    ASSERT_TRUE(undo && redo && action(*window, "actGomibako"));
    EXPECT_EQ(undo->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_EQ(redo->shortcuts(),
              QList<QKeySequence>({QKeySequence(Qt::CTRL | Qt::Key_Y),
                                   QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}));
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_EQ(undo->text(), "元に戻す");

    // The deletion asks and tells as it always did, then the status bar offers the undo.
    window->userListView()->selectIndex(1);
    const ModalVisits visits = answerMessages({QMessageBox::Yes, QMessageBox::Ok});
    QTest::keyClick(window->userListView()->currentWidget(), Qt::Key_Delete);
    ASSERT_EQ(visits->size(), 2u);
    EXPECT_EQ(statusText(*window), "お客様を削除しました（Ctrl+Z で元に戻せます）");
    EXPECT_EQ(undo->text(), "元に戻す: お客様の削除");

    QTest::keyClick(window->yoyakuGrid(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(readBytes(userFile()), fileOf(lines));
    EXPECT_EQ(window->userListView()->model()->rowCount(), 3);
    EXPECT_EQ(redo->text(), "やり直し: お客様の削除");
    redo->trigger();
    EXPECT_EQ(readBytes(userFile()), fileOf({lines[0], lines[2]}));

    QStringList row;
    auto shown = onNextModal([&](QWidget* dialog) {
        auto* list = dialog->findChild<QTreeWidget*>(QStringLiteral("ListViewGomibako"));
        row = rowOf(*list->topLevelItem(0));
        list->setCurrentItem(list->topLevelItem(0));
        QTest::mouseClick(dialog->findChild<QAbstractButton*>(QStringLiteral("btnGomibakoModosu")),
                          Qt::LeftButton);
        row.append(QString::number(list->topLevelItemCount()));
        QTest::mouseClick(dialog->findChild<QAbstractButton*>(QStringLiteral("btnGomibakoClose")),
                          Qt::LeftButton);
    });
    action(*window, "actGomibako")->trigger();
    ASSERT_TRUE(shown->appeared);
    EXPECT_FALSE(shown->closedByWatchdog);
    EXPECT_EQ(shown->objectName, "fmGomibako");
    EXPECT_EQ(row, QStringList(
                       {"2026/12/09 10:30", "お客様", "", "佐藤太郎/タマ", "080-3333-4444", "0"}));
    // Put back at the end, as one step of its own.
    EXPECT_EQ(readBytes(userFile()), fileOf({lines[0], lines[2], lines[1]}));
    EXPECT_EQ(undo->text(), "元に戻す: お客様の登録");

    // The history outlives a restart; once another program changed the line, undo refuses.
    window.reset();
    window = openWindow();
    undo = action(*window, "actUndo");
    EXPECT_EQ(undo->text(), "元に戻す: お客様の登録");
    writeUsers(lines);
    const ModalVisits refused = answerMessages({QMessageBox::Ok, QMessageBox::Ok});
    undo->trigger();
    ASSERT_GE(refused->size(), 1u);
    EXPECT_EQ((*refused)[0]->title, "元に戻す");
    EXPECT_EQ(readBytes(userFile()), fileOf(lines));
    EXPECT_TRUE(undo->isEnabled());
}
