#include "mainwindow/UserListView.h"
#include "mainwindow/YoyakuGrid.h"
#include "mainwindow/uMain.h"
#include "tests/mainwindow/MainWindowFixture.h"
#include "tests/support/Files.h"
#include "tests/support/ModalDriver.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QTabWidget>
#include <QTreeView>
#include <QtTest>

#include <functional>

using namespace testing_support;

namespace {

struct SlotSeen {
    QString nen, tuki, niti, jikan;
};

SlotSeen slotOf(QWidget* dialog) {
    auto text = [dialog](const char* name) {
        return dialog->findChild<QComboBox*>(QString::fromLatin1(name))->currentText();
    };
    return {text("cbYoyakuNen"), text("cbYoyakuTuki"), text("cbYoyakuNiti"), text("cbYoyakuJikan")};
}

void book(QWidget* dialog, const QString& shimei, const QString& petName) {
    dialog->findChild<QLineEdit*>(QStringLiteral("edtYoyakuHun"))->setText(QStringLiteral("15"));
    dialog->findChild<QLineEdit*>(QStringLiteral("edtShimei"))->setText(shimei);
    dialog->findChild<QLineEdit*>(QStringLiteral("edtPetName"))->setText(petName);
    QTest::mouseClick(dialog->findChild<QAbstractButton*>(QStringLiteral("Button1")),
                      Qt::LeftButton);
}

}  // namespace

using DialogCommandsTest = MainWindowTest;

TEST_F(DialogCommandsTest, BookingFromTheFocusedTableCellLandsInThatCell) {
    writeReservations({reservationLine("2026", "12", "08", "09", "佐藤", "モモ")});
    auto window = openWindow();
    window->show();
    mainwindow::TYoyakuGrid* grid = window->yoyakuGrid();
    grid->setFocus();
    QTRY_VERIFY(grid->hasFocus());
    grid->selectCell(3, 2);  // Tuesday the 8th, 9 時

    SlotSeen seen;
    auto visit = onNextModal([&](QWidget* dialog) {
        seen = slotOf(dialog);
        book(dialog, QStringLiteral("山田"), QStringLiteral("ポチ"));
    });
    window->actYoyakuDialogShow->trigger();

    ASSERT_TRUE(visit->appeared);
    EXPECT_FALSE(visit->closedByWatchdog);
    EXPECT_EQ(visit->title, QStringLiteral("カット予約(1/1)"));
    EXPECT_EQ(seen.nen + seen.tuki + seen.niti + seen.jikan, QStringLiteral("2026120809"));
    // The page shown was the existing reservation, so OK updated it: one line, the new one.
    const QByteArrayList lines = readBytes(yoyakuFile()).split('\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].startsWith("2026\t12\t08\t09\t15\t"));
    EXPECT_EQ(grid->cellText(3, 2), QStringLiteral("山田/ポチ"));
    EXPECT_EQ(window->honjitu().YoyakuList.size(), 1);
}

TEST_F(DialogCommandsTest, TableKeysDoubleClickAndEnterBookTheCellAndShiftF10OpensTheMenus) {
    auto window = openWindow();
    window->show();
    mainwindow::TYoyakuGrid* grid = window->yoyakuGrid();

    // Opens the dialog by `choose` on the focused table, reads the slot it shows and cancels it.
    auto slotChosenBy = [&](const std::function<void()>& choose) {
        // The window is active again once a dialog has gone, as on a desktop.
        window->activateWindow();
        grid->setFocus();
        EXPECT_TRUE(QTest::qWaitFor([grid] { return grid->hasFocus(); }));
        SlotSeen seen;
        auto visit = onNextModal([&seen](QWidget* dialog) {
            seen = slotOf(dialog);
            static_cast<QDialog*>(dialog)->reject();
        });
        choose();
        EXPECT_TRUE(QTest::qWaitFor([&visit] { return visit->appeared; }));
        EXPECT_EQ(visit->objectName, QStringLiteral("fmCutYoyaku"));
        return seen.nen + seen.tuki + seen.niti + seen.jikan;
    };
    EXPECT_EQ(slotChosenBy([grid] {
                  const QPoint cell = grid->visualRect(grid->model()->index(1, 2)).center();
                  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell);
                  QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell);
              }),
              QStringLiteral("2026120809"))
        << "a double-click on Tuesday the 8th at 9 時";
    EXPECT_EQ(slotChosenBy([grid] {
                  grid->selectCell(5, 10);
                  QTest::keyClick(grid, Qt::Key_Return);
              }),
              QStringLiteral("2026121017"))
        << "Enter on Thursday the 10th at 17 時";

    auto* tablePopup = window->findChild<QMenu*>(QStringLiteral("PopupMenuYoyaku"));
    QTest::keyClick(grid, Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_TRUE(tablePopup->isVisible());
    tablePopup->close();

    window->actUserItiran->trigger();
    window->actUserReport->trigger();
    auto* listPopup = window->findChild<QMenu*>(QStringLiteral("PopupMenuUserItiran"));
    QTest::keyClick(window->userListView()->reportView(), Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_TRUE(listPopup->isVisible());
    listPopup->close();
}

TEST_F(DialogCommandsTest, WithoutTableFocusTheSlotIsNowAndCancelKeepsTheFile) {
    const QByteArray content =
        fileOf({reservationLine("2026", "12", "09", "10", "佐藤", "モモ"), QByteArray("short")});
    writeReservations({reservationLine("2026", "12", "09", "10", "佐藤", "モモ"), "short"});
    auto window = openWindow();
    window->show();
    auto* tabs = window->findChild<QTabWidget*>(QStringLiteral("PageControlMain"));
    tabs->setCurrentIndex(1);

    SlotSeen seen;
    auto visit = onNextModal([&](QWidget* dialog) {
        seen = slotOf(dialog);
        QTest::mouseClick(dialog->findChild<QAbstractButton*>(QStringLiteral("Button2")),
                          Qt::LeftButton);
    });
    window->actYoyakuDialogShow->trigger();

    ASSERT_TRUE(visit->appeared);
    EXPECT_EQ(seen.nen + seen.tuki + seen.niti + seen.jikan, QStringLiteral("2026120910"));
    EXPECT_EQ(readBytes(yoyakuFile()), content);
    EXPECT_EQ(window->yoyakuGrid()->cellText(4, 3), QStringLiteral("佐藤/モモ"));
}

TEST_F(DialogCommandsTest, AFailedWriteIsReportedAndTheTableStillFollowsTheList) {
    auto window = openWindow();
    window->show();
    QFile::remove(yoyakuFile());  // an append to a missing file fails
    std::shared_ptr<ModalVisit> error, reopened;
    QString petNameShown;
    auto visit = onNextModal([&](QWidget* dialog) {
        error = answerNextMessage(QMessageBox::Ok, [&] {
            // The dialog comes back with what was typed; its cancel writes the list back.
            reopened = onNextModal([&](QWidget* again) {
                petNameShown = again->findChild<QLineEdit*>(QStringLiteral("edtPetName"))->text();
                static_cast<QDialog*>(again)->reject();
            });
        });
        book(dialog, QStringLiteral("山田"), QStringLiteral("ポチ"));
    });
    window->actYoyakuDialogShow->trigger();

    ASSERT_TRUE(visit->appeared);
    ASSERT_TRUE(error && error->appeared);
    ASSERT_TRUE(reopened && reopened->appeared);
    EXPECT_EQ(petNameShown, QStringLiteral("ポチ"));
    EXPECT_EQ(error->title, QStringLiteral("Trimora Light"));
    EXPECT_EQ(error->icon, QMessageBox::Critical);
    EXPECT_TRUE(error->text.contains(QStringLiteral("カット予約.csv")));
    EXPECT_TRUE(window->honjitu().YoyakuList.isEmpty());
    EXPECT_EQ(window->yoyakuGrid()->cellText(4, 3), QString());
}

namespace {

QString petNameOf(QWidget* dialog) {
    return dialog->findChild<QLineEdit*>(QStringLiteral("edtPetName"))->text();
}

}  // namespace

TEST_F(DialogCommandsTest, RegisteringACustomerAppendsItAndRefillsTheList) {
    writeUsers({customerLine("モモ", "猫", "佐藤", "さとう")});
    auto window = openWindow();
    window->show();
    auto visit = onNextModal([](QWidget* dialog) {
        dialog->findChild<QLineEdit*>(QStringLiteral("edtPetName"))
            ->setText(QStringLiteral("ポチ"));
        QTest::mouseClick(dialog->findChild<QAbstractButton*>(QStringLiteral("Button1")),
                          Qt::LeftButton);
    });
    window->actUserTouroku->trigger();

    ASSERT_TRUE(visit->appeared);
    EXPECT_EQ(visit->title, QStringLiteral("お客様登録"));
    EXPECT_EQ(window->honjitu().UserList.size(), 2);
    EXPECT_EQ(window->honjitu().UserList.last(),
              sjisOf("ポチ") + QByteArray("\t\xF9\xD3").repeated(9));
    EXPECT_EQ(readBytes(userFile()), fileOf(window->honjitu().UserList));
    EXPECT_EQ(window->userListView()->model()->rowCount(), 2);
}

TEST_F(DialogCommandsTest, DoubleClickOpensTheCustomerAndAChangeMovesItToTheEnd) {
    writeUsers({customerLine("モモ", "猫", "佐藤", "さとう"),
                customerLine("ポチ", "犬", "山田", "やまだ"),
                customerLine("ココ", "犬", "鈴木", "すずき")});
    auto window = openWindow();
    window->show();
    window->actUserItiran->trigger();
    QString shown;
    auto visit = onNextModal([&](QWidget* dialog) {
        shown = petNameOf(dialog);
        dialog->findChild<QLineEdit*>(QStringLiteral("edtPetName"))
            ->setText(QStringLiteral("モモ子"));
        QTest::mouseClick(dialog->findChild<QAbstractButton*>(QStringLiteral("Button1")),
                          Qt::LeftButton);
    });
    doubleClickCustomer(*window->userListView(), 0);

    ASSERT_TRUE(visit->appeared);
    EXPECT_EQ(shown, QStringLiteral("モモ"));
    const QByteArrayList lines = window->honjitu().UserList;
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith(sjisOf("ポチ")));
    EXPECT_TRUE(lines[2].startsWith(sjisOf("モモ子")));
    EXPECT_EQ(readBytes(userFile()), fileOf(lines));
    EXPECT_EQ(window->userListView()->model()->index(2, 0).data().toString(),
              QStringLiteral("モモ子"));
}

TEST_F(DialogCommandsTest, DoubleClickWithNothingSelectedOpensAnEmptyDialog) {
    const QByteArrayList users{customerLine("モモ", "猫", "佐藤", "さとう")};
    writeUsers(users);
    auto window = openWindow();
    window->show();
    window->actUserItiran->trigger();
    QString shown = QStringLiteral("unset");
    auto visit = onNextModal([&](QWidget* dialog) {
        shown = petNameOf(dialog);
        static_cast<QDialog*>(dialog)->reject();
    });
    QWidget* viewport = window->userListView()->iconView()->viewport();
    const QPoint empty(viewport->width() - 5, viewport->height() - 5);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, empty);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, empty);

    ASSERT_TRUE(visit->appeared);
    EXPECT_EQ(shown, QString());
    EXPECT_EQ(readBytes(userFile()), fileOf(users));
}
