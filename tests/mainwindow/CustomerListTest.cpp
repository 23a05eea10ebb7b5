#include "mainwindow/UserListView.h"
#include "mainwindow/uMain.h"
#include "records/RecordFormat.h"
#include "tests/mainwindow/MainWindowFixture.h"
#include "tests/support/Files.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/ToolTips.h"

#include <QAbstractButton>
#include <QAbstractItemModelTester>
#include <QAction>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

using namespace testing_support;
using mainwindow::UserListModel;

namespace {

QByteArrayList sampleCustomers() {
    return {
        customerLine("ポチ", "犬", "山田　花子", "やまだ　はなこ", "東京都杉並区荻窪1-2",
                     "コーポ桜101", "03-1234-5678", "090-1111-2222"),
        customerLine("タマ", "猫", "佐藤太郎", "", "", "", "", "080-3333-4444"),
        customerLine("ピョン", "その他", "鈴木由美", "すずき", "", ""),
        customerLine("ココ", "", "田中誠", "たなか"),
        customerLine("レオ", "犬", "高橋健一", "たかはし"),
    };
}

QString textAt(const UserListModel& model, int row, int column) {
    return model.data(model.index(row, column), Qt::DisplayRole).toString();
}

}  // namespace

class CustomerListTest : public MainWindowTest {
protected:
    void pressDelete(TfmMain& window) {
        QTest::keyClick(window.userListView()->currentWidget(), Qt::Key_Delete);
    }
};

TEST_F(CustomerListTest, ItemsShowTheCustomerLinesInFileOrder) {
    QByteArrayList lines = sampleCustomers();
    lines.insert(3, QByteArray());  // a blank line keeps its place as an empty item
    writeUsers(lines);
    auto window = openWindow();
    UserListModel& model = *window->userListView()->model();
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    window->UserListLoad();

    ASSERT_EQ(model.rowCount(), 6);
    EXPECT_EQ(window->honjitu().UserList, lines);
    struct Row {
        const char* petName;
        const char* shimei;
        const char* address;
        const char* telephone;
        const char* mobil;
        int image;
    };
    const Row expected[] = {
        {"ポチ", "山田\u3000花子(やまだ\u3000はなこ)", "東京都杉並区荻窪1-2コーポ桜101",
         "03-1234-5678", "090-1111-2222", 3},
        {"タマ", "佐藤太郎()", "", "", "080-3333-4444", 4},
        {"ピョン", "鈴木由美(すずき)", "", "", "", 5},
        {"", "()", "", "", "", 0},
        {"ココ", "田中誠(たなか)", "", "", "", 0},
        {"レオ", "高橋健一(たかはし)", "", "", "", 3},
    };
    for (int row = 0; row < 6; ++row) {
        const Row& e = expected[row];
        EXPECT_EQ(textAt(model, row, UserListModel::PetNameColumn), QString::fromUtf8(e.petName));
        EXPECT_EQ(textAt(model, row, UserListModel::ShimeiColumn), QString::fromUtf8(e.shimei));
        EXPECT_EQ(textAt(model, row, UserListModel::AddressColumn), QString::fromUtf8(e.address));
        EXPECT_EQ(textAt(model, row, UserListModel::TelephoneColumn),
                  QString::fromUtf8(e.telephone));
        EXPECT_EQ(textAt(model, row, UserListModel::MobilColumn), QString::fromUtf8(e.mobil));
        EXPECT_EQ(model.data(model.index(row, 0), UserListModel::ImageIndexRole).toInt(), e.image)
            << "row " << row;
    }
}

TEST(UserItemFrom, RemovesMarksAfterJoiningButComparesTheKindAsStored) {
    const QByteArray mark = records::EmptyMark;
    const QByteArray line = sjisOf("ポチ") + '\t' + mark + sjisOf("犬") + '\t' + mark + '\t' +
                            mark + '\t' + sjisOf("山田") + '\t' + mark + '\t' + mark + '\t' + mark +
                            '\t' + mark + '\t' + mark;
    const mainwindow::UserItem item = mainwindow::UserItemFrom(line);
    EXPECT_EQ(item.image, 0);
    EXPECT_EQ(item.shimei, QStringLiteral("山田()"));
    EXPECT_EQ(item.address, QString());
    EXPECT_EQ(item.telephone, QString());
}

TEST_F(CustomerListTest, SwitchesBetweenIconAndDetailViews) {
    writeUsers(sampleCustomers());
    auto window = openWindow();
    window->show();
    window->actUserItiran->trigger();
    mainwindow::TUserListView& list = *window->userListView();
    EXPECT_FALSE(list.isReport());
    EXPECT_EQ(list.iconView()->viewMode(), QListView::IconMode);
    EXPECT_EQ(list.iconView()->iconSize(), QSize(32, 32));

    window->actUserReport->trigger();
    ASSERT_TRUE(list.isReport());
    QTreeView& report = *list.reportView();
    EXPECT_TRUE(report.isVisible());
    EXPECT_EQ(report.iconSize(), QSize(16, 16));
    QStringList captions;
    for (int section = 0; section < UserListModel::ColumnCount; ++section) {
        captions.append(
            list.model()->headerData(section, Qt::Horizontal, Qt::DisplayRole).toString());
    }
    EXPECT_EQ(captions, QStringList({"ペット名", "お客様名", "住所", "電話番号", "携帯電話番号"}));
    const int width = report.viewport()->width();
    for (int section = 0; section < UserListModel::ColumnCount; ++section) {
        EXPECT_NEAR(report.header()->sectionSize(section), width / 5, 1);
    }

    window->actUserIcon->trigger();
    EXPECT_FALSE(list.isReport());
    EXPECT_TRUE(list.iconView()->isVisible());

    auto* popup = window->findChild<QMenu*>(QStringLiteral("PopupMenuUserItiran"));
    QWidget* items = list.iconView()->viewport();
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5),
                            items->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(items, &click);
    EXPECT_TRUE(popup->isVisible()) << "a right click on the list opens its menu";
    popup->close();
}

TEST_F(CustomerListTest, DeleteAnsweredYesRewritesTheFileWithoutThatCustomer) {
    const QByteArrayList lines = sampleCustomers();
    writeUsers(lines);
    auto window = openWindow();
    window->userListView()->selectIndex(2);

    const ModalVisits visits = answerMessages({QMessageBox::Yes, QMessageBox::Ok});
    pressDelete(*window);

    ASSERT_TRUE((*visits)[0] && (*visits)[0]->appeared);
    EXPECT_EQ((*visits)[0]->title, QStringLiteral("お客様削除"));
    EXPECT_EQ((*visits)[0]->text,
              QStringLiteral("１つのお客様データを削除します。\nよろしいですか？"));
    EXPECT_EQ((*visits)[0]->icon, QMessageBox::Question);
    EXPECT_EQ((*visits)[0]->buttons, QMessageBox::Yes | QMessageBox::No);
    ASSERT_TRUE((*visits)[1] && (*visits)[1]->appeared);
    EXPECT_EQ((*visits)[1]->title, QStringLiteral("お客様削除"));
    EXPECT_EQ((*visits)[1]->text, QStringLiteral("１つのお客様データの削除しました。"));
    EXPECT_EQ((*visits)[1]->icon, QMessageBox::Information);

    QByteArrayList remaining = lines;
    remaining.removeAt(2);
    EXPECT_EQ(readBytes(userFile()), fileOf(remaining));
    EXPECT_EQ(window->honjitu().UserList, remaining);
    EXPECT_EQ(window->userListView()->model()->rowCount(), 4);
    EXPECT_EQ(textAt(*window->userListView()->model(), 2, 0), QStringLiteral("ココ"));
}

// A refill puts other customers at the old row numbers: a highlight left there would make the
// next Delete remove a customer the user never chose.
TEST_F(CustomerListTest, AChangedCustomerIsSelectedAtTheEndAndDeleteThenRemovesIt) {
    const QByteArrayList lines = sampleCustomers();
    writeUsers(lines);
    auto window = openWindow();
    window->show();
    window->actUserItiran->trigger();
    auto visit = onNextModal([](QWidget* dialog) {
        dialog->findChild<QLineEdit*>(QStringLiteral("edtPetName"))
            ->setText(QStringLiteral("モモ子"));
        QTest::mouseClick(dialog->findChild<QAbstractButton*>(QStringLiteral("Button1")),
                          Qt::LeftButton);
    });
    doubleClickCustomer(*window->userListView(), 1);
    ASSERT_TRUE(visit->appeared);
    ASSERT_EQ(textAt(*window->userListView()->model(), 4, 0), QStringLiteral("モモ子"));
    EXPECT_EQ(window->userListView()->selectedIndex(), 4);

    const ModalVisits visits = answerMessages({QMessageBox::Yes, QMessageBox::Ok});
    pressDelete(*window);
    QByteArrayList remaining = lines;
    remaining.removeAt(1);
    EXPECT_EQ(readBytes(userFile()), fileOf(remaining));
}

TEST_F(CustomerListTest, NothingIsSelectedAfterADeletionOrARefill) {
    writeUsers(sampleCustomers());
    auto window = openWindow();
    window->show();
    window->actUserItiran->trigger();
    window->userListView()->selectIndex(2);
    const ModalVisits visits = answerMessages({QMessageBox::Yes, QMessageBox::Ok});
    pressDelete(*window);
    ASSERT_EQ(window->userListView()->model()->rowCount(), 4);
    EXPECT_EQ(window->userListView()->selectedIndex(), -1);
    EXPECT_FALSE(window->userListView()->iconView()->currentIndex().isValid());

    window->userListView()->selectIndex(1);
    window->UserListLoad();
    EXPECT_EQ(window->userListView()->selectedIndex(), -1);
    EXPECT_FALSE(window->userListView()->iconView()->currentIndex().isValid());
}

// What a tooltip request over the item (row, column) of `view` shows; nothing when no tip appears.
QString toolTipOverItem(QAbstractItemView& view, int row, int column) {
    return toolTipAt(view.viewport(), view.visualRect(view.model()->index(row, column)).center());
}

TEST_F(CustomerListTest, AnItemCutShortShowsItsWholeTextAsATooltip) {
    const QString longAddress =
        QStringLiteral("東京都杉並区荻窪一丁目二番地三号コーポ桜ヶ丘百一号室");
    writeUsers({customerLine("ポチ", "犬", "山田", "やまだ", "東京都杉並区荻窪一丁目二番地三号",
                             "コーポ桜ヶ丘百一号室"),
                customerLine("チョコレートパフェ・ストロベリー・バニラ", "猫", "佐藤", "さとう")});
    auto window = openWindow();
    window->show();
    window->actUserItiran->trigger();
    window->actUserReport->trigger();
    QTreeView& report = *window->userListView()->reportView();
    EXPECT_EQ(toolTipOverItem(report, 0, UserListModel::AddressColumn), longAddress);
    EXPECT_EQ(toolTipOverItem(report, 0, UserListModel::PetNameColumn), QString())
        << "a text that fits shows no tooltip";

    window->actUserIcon->trigger();
    QListView& icons = *window->userListView()->iconView();
    EXPECT_EQ(toolTipOverItem(icons, 1, 0),
              QStringLiteral("チョコレートパフェ・ストロベリー・バニラ"));
    EXPECT_EQ(toolTipOverItem(icons, 0, 0), QString());
}

TEST_F(CustomerListTest, DeleteAnsweredNoChangesNothing) {
    const QByteArrayList lines = sampleCustomers();
    writeUsers(lines);
    auto window = openWindow();
    window->actUserReport->trigger();
    window->userListView()->selectIndex(0);

    const ModalVisits visits = answerMessages({QMessageBox::No, QMessageBox::Ok});
    pressDelete(*window);

    ASSERT_TRUE((*visits)[1] && (*visits)[1]->appeared);
    EXPECT_EQ((*visits)[1]->text, QStringLiteral("１つのお客様データの削除取り消しました。"));
    EXPECT_EQ((*visits)[1]->icon, QMessageBox::Warning);
    EXPECT_EQ((*visits)[1]->title, QStringLiteral("お客様削除"));
    EXPECT_EQ(readBytes(userFile()), fileOf(lines));
    EXPECT_EQ(window->userListView()->model()->rowCount(), 5);
}

TEST_F(CustomerListTest, DeleteWithNothingSelectedAsksNothingAndRewritesNothing) {
    // A file the program would write differently (LF line ends) shows whether it was rewritten.
    const QByteArray bytes = sampleCustomers().join('\n') + '\n';
    writeBytes(userFile(), bytes);
    auto window = openWindow();
    window->userListView()->selectIndex(-1);

    NoMessageWatch anyMessage;
    pressDelete(*window);
    EXPECT_FALSE(anyMessage.sawMessage()) << anyMessage.firstSeen().toStdString();
    EXPECT_EQ(readBytes(userFile()), bytes);
}

TEST_F(CustomerListTest, ALongLoadHoldsOffCustomerCommandsAndKeepsItemsInStepWithLines) {
    QByteArrayList lines;
    for (int number = 0; number < 20000; ++number) {
        lines.append(customerLine("ポチ", number % 2 ? "猫" : "犬", "山田花子", "やまだはなこ",
                                  "東京都", "", "03-1234-5678"));
    }
    writeUsers(lines);
    auto window = openWindow();
    window->show();
    window->actUserItiran->trigger();
    window->userListView()->selectIndex(0);

    struct Seen {
        int checks = 0;
        bool loading = true;
        bool commandsEnabled = false;
        bool inStep = true;
    } seen;
    QTimer probe;
    probe.setInterval(0);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (!window->isUserListLoading()) {
            return;
        }
        ++seen.checks;
        seen.commandsEnabled |=
            window->actUserTouroku->isEnabled() || window->actYoyakuDialogShow->isEnabled();
        seen.inStep &=
            window->userListView()->model()->rowCount() == window->honjitu().UserList.size();
        window->userListView()->selectIndex(0);
        QTest::keyClick(window->userListView()->currentWidget(), Qt::Key_Delete);
    });
    NoMessageWatch anyMessage;
    probe.start();
    QElapsedTimer elapsed;
    elapsed.start();
    window->UserListLoad();
    const qint64 loadMs = elapsed.elapsed();
    probe.stop();

    EXPECT_GT(seen.checks, 0) << "events were let through during the load";
    EXPECT_FALSE(seen.commandsEnabled);
    EXPECT_TRUE(seen.inStep);
    EXPECT_FALSE(anyMessage.sawMessage()) << "Delete was held off while loading";
    EXPECT_TRUE(window->actUserTouroku->isEnabled());
    EXPECT_TRUE(window->actYoyakuDialogShow->isEnabled());
    EXPECT_EQ(window->userListView()->model()->rowCount(), 20000);
    EXPECT_EQ(readBytes(userFile()), fileOf(lines));
    RecordProperty("load_ms", static_cast<int>(loadMs));
}
