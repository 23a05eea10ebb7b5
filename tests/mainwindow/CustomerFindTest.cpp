#include "mainwindow/UserListView.h"
#include "mainwindow/YoyakuGrid.h"
#include "mainwindow/uMain.h"
#include "tests/mainwindow/MainWindowFixture.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/Typing.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QTabWidget>
#include <QTreeView>
#include <QtTest>

using namespace testing_support;

namespace {

// Three hundred customers, so that the one found lies far below the rows first shown.
QByteArrayList manyCustomers() {
    QByteArrayList lines;
    for (int i = 0; i < 300; ++i) {
        lines.append(customerLine("ハナ", "犬", "鈴木", "すずき", "", "", "03-0000-0000"));
    }
    lines[120] = customerLine("モカ", "犬", "山本", "やまもと", "", "", "03-5555-0000");
    lines[250] =
        customerLine("モモ", "猫", "山田　花子", "やまだ　はなこ", "大阪", "", "", "090-7118-9458");
    return lines;
}

QStringList rowTexts(const QAbstractItemModel& model, int row) {
    QStringList texts;
    for (int column = 0; column < model.columnCount(); ++column) {
        texts.append(model.index(row, column).data().toString());
    }
    return texts;
}

// Types `text` one key per character and notes how many customers are listed after each key.
QList<int> typeCounting(QLineEdit* edit, const QAbstractItemModel& found, const QString& text) {
    QList<int> counts;
    for (const QChar character : text) {
        typeText(edit, character);
        counts.append(found.rowCount());
    }
    return counts;
}

}  // namespace

TEST_F(MainWindowTest, FindWindowNarrowsAtEachKeyAndEnterShowsTheCustomerInTheList) {
    writeUsers(manyCustomers());
    auto window = openWindow();
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    const Seen before = seenIn(*window);

    QList<int> byReading, byDigits;
    QStringList shown;
    auto find = onNextModal([&](QWidget* dialog) {
        auto* edit = dialog->findChild<QLineEdit*>("edtKensaku");
        auto* list = dialog->findChild<QTreeView*>("ListViewKensaku");
        const QAbstractItemModel& found = *list->model();
        byReading = typeCounting(edit, found, QStringLiteral("やまだ"));
        edit->clear();
        byDigits = typeCounting(edit, found, QStringLiteral("０９０7118９"));
        shown = rowTexts(found, 0);
        QTest::keyClick(edit, Qt::Key_Return);
    });
    QTest::keyClick(window->yoyakuGrid(), Qt::Key_F, Qt::ControlModifier);

    EXPECT_EQ(find->objectName, "fmUserKensaku");
    EXPECT_FALSE(find->closedByWatchdog);
    EXPECT_EQ(byReading, QList<int>({2, 2, 1}));
    // ０ and 0 are in every number; 09 and longer only in the mobile number.
    EXPECT_EQ(byDigits, QList<int>({300, 1, 1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(shown, QStringList({"やまだ　はなこ", "山田　花子", "モモ", "090-7118-9458"}));
    auto* pages = window->findChild<QTabWidget*>("PageControlMain");
    EXPECT_EQ(pages->currentWidget()->objectName(), "SheetKokyakuItiran");
    mainwindow::TUserListView& list = *window->userListView();
    EXPECT_EQ(list.selectedIndex(), 250);
    auto* view = static_cast<QAbstractItemView*>(list.currentWidget());
    EXPECT_EQ(window->focusWidget(), view);
    EXPECT_TRUE(
        view->viewport()->rect().contains(view->visualRect(list.model()->index(250, 0)).center()));
    expectSame(seenIn(*window), before);
}
