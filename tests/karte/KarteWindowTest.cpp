// The カルテ window driven through the main window's commands: what reaches the store with the
// customer line, that the record files stay byte for byte, and the salon's カルテ settings.
#include "mainwindow/UserListView.h"
#include "mainwindow/YoyakuGrid.h"
#include "records/Karte.h"
#include "tests/mainwindow/MainWindowFixture.h"
#include "tests/support/DialogFields.h"
#include "tests/support/ModalDriver.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSpinBox>
#include <QTreeWidget>
#include <QtTest>

namespace testing_support {
namespace {

using namespace records::karte;
using records::RecordFile;

// Wednesday the 9th at 10 時 in the week from Sunday the 6th.
constexpr int Column = 4;
constexpr int Row = 3;

QStringList rowsOf(const QTreeWidget& list) {
    QStringList rows;
    for (int at = 0; at < list.topLevelItemCount(); ++at) {
        QStringList texts;
        for (int column = 0; column < list.columnCount(); ++column) {
            texts.append(list.topLevelItem(at)->text(column));
        }
        rows.append(texts.join('|'));
    }
    return rows;
}

// The entries of `menu` from the last separator on, by objectName or caption.
QStringList lastGroupOf(const QMenu& menu) {
    QStringList group;
    for (const QAction* entry : menu.actions()) {
        if (entry->isSeparator()) {
            group.clear();
        } else {
            group.append(entry->objectName().isEmpty() ? entry->text() : entry->objectName());
        }
    }
    return group;
}

void setDate(QWidget& window, const char* name, const QDate& date) {
    window.findChild<QDateEdit*>(QLatin1String(name))->setDate(date);
}

QDate dateIn(const QWidget& window, const char* name) {
    return window.findChild<QDateEdit*>(QLatin1String(name))->date();
}

class KarteWindowTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        writeUsers(customers);
        writeReservations({reservationLine("2026", "12", "09", "10", "山田　花子", "ポチ"),
                           reservationLine("2026", "12", "09", "10", "鈴木", "クロ")});
        window = openWindow();
        window->show();
        window->actUserItiran->trigger();
    }
    records::RecordLists& lists() { return window->recordLists(); }
    std::optional<Karte> karteAt(qsizetype position) {
        return Karte::of(lists().detailsAt(RecordFile::User, position));
    }
    QMenu* menu(const char* name) { return window->findChild<QMenu*>(QLatin1String(name)); }

    const QByteArrayList customers = {
        customerLine("ポチ", "犬", "山田　花子", "やまだ", "", "", "03-1234-5678"),
        customerLine("タマ", "猫", "佐藤太郎", "さとう")};
    std::unique_ptr<TfmMain> window;
};

Karte biterWithRabiesShot() {
    Karte karte;
    karte.set(Flag::Kamu, true);
    karte.memo = QStringLiteral("耳を触ると嫌がる");
    karte.vaccinations = {{VaccineKind::Kyoukenbyou, QDate(2026, 4, 10), QDate(2027, 4, 10), true}};
    return karte;
}

TEST_F(KarteWindowTest, FlagsNoteAndShotsReachTheStoreOnOkAndCancelWritesNothing) {
    const QByteArray userBytes = readBytes(userFile());
    QMenu* popup = menu("PopupMenuUserItiran");
    EXPECT_EQ(lastGroupOf(*popup), QStringList({"actKarte"}));
    EXPECT_EQ(window->actKarte->text(), QStringLiteral("カルテ..."));

    std::shared_ptr<ModalVisit> refused;
    QStringList rejectedRows, rows;
    QDate followed, keptWhenGivenMoved;
    window->userListView()->selectIndex(1);
    auto visit = onNextModal([&](QWidget* karte) {
        for (const char* name : {"chbKamu", "chbKourei"}) {
            button(*karte, name)->setChecked(true);
        }
        setFieldText(*karte, "memoKarte", QStringLiteral("爪切りで暴れる"));
        auto* list = karte->findChild<QTreeWidget*>(QStringLiteral("ListViewWakuchin"));
        setDate(*karte, "dtSesshubi", QDate(2026, 11, 20));
        followed = dateIn(*karte, "dtYuukouKigen");
        setDate(*karte, "dtYuukouKigen", QDate(2026, 11, 1));
        refused = answerNextMessage(QMessageBox::Ok);
        click(*karte, "btnWakuchinAdd");
        rejectedRows = rowsOf(*list);
        setDate(*karte, "dtYuukouKigen", QDate(2027, 12, 31));
        setDate(*karte, "dtSesshubi", QDate(2026, 11, 21));
        keptWhenGivenMoved = dateIn(*karte, "dtYuukouKigen");
        button(*karte, "chbShoumeisho")->setChecked(true);
        click(*karte, "btnWakuchinAdd");
        karte->findChild<QComboBox*>(QStringLiteral("cbWakuchinShurui"))->setCurrentIndex(1);
        setDate(*karte, "dtSesshubi", QDate(2026, 6, 1));
        click(*karte, "btnWakuchinAdd");
        rows = rowsOf(*list);
        click(*karte, "btnKarteOK");
    });
    popup->actions().last()->trigger();
    ASSERT_TRUE(visit->appeared);
    EXPECT_FALSE(visit->closedByWatchdog);
    EXPECT_EQ(visit->objectName, QStringLiteral("fmKarte"));
    EXPECT_EQ(visit->title, QStringLiteral("カルテ - タマ (佐藤太郎)"));
    EXPECT_EQ(followed, QDate(2027, 11, 20));
    ASSERT_TRUE(refused && refused->appeared);
    EXPECT_TRUE(refused->text.contains(QStringLiteral("有効期限 (2026/11/01)")))
        << refused->text.toStdString();
    EXPECT_TRUE(rejectedRows.isEmpty());
    EXPECT_EQ(keptWhenGivenMoved, QDate(2027, 12, 31)) << "set by the user, it stays";
    EXPECT_EQ(rows, QStringList({"狂犬病|2026/11/21|2027/12/31|あり",
                                 "混合ワクチン|2026/06/01|2027/06/01|なし"}));

    Karte expected;
    expected.set(Flag::Kamu, true);
    expected.set(Flag::Kourei, true);
    expected.memo = QStringLiteral("爪切りで暴れる");
    expected.vaccinations = {
        {VaccineKind::Kyoukenbyou, QDate(2026, 11, 21), QDate(2027, 12, 31), true},
        {VaccineKind::Kongou, QDate(2026, 6, 1), QDate(2027, 6, 1), false}};
    EXPECT_EQ(karteAt(1), expected);
    EXPECT_EQ(karteAt(0), std::nullopt);
    EXPECT_EQ(readBytes(userFile()), userBytes);

    // A row chosen comes into the fields; added again, it replaces itself.
    QStringList checked, shownRows, corrected;
    QString chosenKind;
    auto cancelled = onNextModal([&](QWidget* karte) {
        checked = checkedButtons(*karte);
        auto* list = karte->findChild<QTreeWidget*>(QStringLiteral("ListViewWakuchin"));
        shownRows = rowsOf(*list);
        button(*karte, "chbKamu")->setChecked(false);
        list->setCurrentItem(list->topLevelItem(1));
        chosenKind =
            karte->findChild<QComboBox*>(QStringLiteral("cbWakuchinShurui"))->currentText();
        button(*karte, "chbShoumeisho")->setChecked(true);
        click(*karte, "btnWakuchinAdd");
        corrected = rowsOf(*list);
        list->setCurrentItem(list->topLevelItem(0));
        click(*karte, "btnWakuchinDelete");
        click(*karte, "btnKarteCancel");
    });
    window->actKarte->trigger();
    ASSERT_TRUE(cancelled->appeared);
    EXPECT_EQ(checked, QStringList({"chbKamu", "chbKourei"}));
    EXPECT_EQ(shownRows, rows);
    EXPECT_EQ(chosenKind, QStringLiteral("混合ワクチン"));
    EXPECT_EQ(corrected, QStringList({"狂犬病|2026/11/21|2027/12/31|あり",
                                      "混合ワクチン|2026/06/01|2027/06/01|あり"}));
    EXPECT_EQ(karteAt(1), expected);
}

TEST_F(KarteWindowTest, ACustomerGoneMeanwhileKeepsTheWindowOpenWithWhatWasTyped) {
    ModalVisits told;
    bool stayedOpen = false;
    QString memoAfter;
    window->userListView()->selectIndex(1);
    auto visit = onNextModal([&](QWidget* karte) {
        setFieldText(*karte, "memoKarte", QStringLiteral("高齢で足が弱い"));
        // Another program removes the customer.
        writeUsers({customers.at(0)});
        // Then the main window tells of the file it read again.
        told = answerMessages({QMessageBox::Ok, QMessageBox::Ok});
        click(*karte, "btnKarteOK");
        stayedOpen = karte->isVisible();
        memoAfter = fieldText(*karte, "memoKarte");
        click(*karte, "btnKarteCancel");
    });
    window->actKarte->trigger();
    ASSERT_TRUE(visit->appeared);
    ASSERT_TRUE(told && told->size() == 2u);
    EXPECT_TRUE(told->front()->text.contains(QStringLiteral("保存できませんでした")))
        << told->front()->text.toStdString();
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(memoAfter, QStringLiteral("高齢で足が弱い"));
    EXPECT_EQ(karteAt(0), std::nullopt);
}

TEST_F(KarteWindowTest, NoCustomerSelectedIsToldAndTheMenuOffersTheCommandLast) {
    QMenu* yoyaku = nullptr;
    for (QAction* entry : window->menuBar()->actions()) {
        if (entry->text() == QStringLiteral("予約(&Y)")) {
            yoyaku = entry->menu();
        }
    }
    ASSERT_NE(yoyaku, nullptr);
    EXPECT_EQ(lastGroupOf(*yoyaku), QStringList({"actKarte"}));
    window->userListView()->selectIndex(-1);
    auto told = answerNextMessage(QMessageBox::Ok);
    window->actKarte->trigger();
    ASSERT_TRUE(told->appeared);
    EXPECT_TRUE(told->text.contains(QStringLiteral("お客様一覧で選んで")));
}

// The customer match of the visit history: 山田 is registered, 鈴木's クロ is not.
TEST_F(KarteWindowTest, TheWeekTableOpensTheKarteOfEachBookingsCustomer) {
    lists().setDetails(RecordFile::User, 0, customers.at(0), biterWithRabiesShot().into({}));
    mainwindow::TYoyakuGrid* grid = window->yoyakuGrid();
    grid->selectCell(Column, Row);
    emit grid->customContextMenuRequested(QPoint(5, 5));
    QMenu* popup = menu("PopupMenuYoyaku");
    popup->close();
    EXPECT_EQ(lastGroupOf(*popup), QStringList({"PopupMenuYoyakuKarte", "actKaikei"}));
    QMenu* bookings = popup->findChild<QAction*>(QStringLiteral("PopupMenuYoyakuKarte"))->menu();
    ASSERT_NE(bookings, nullptr) << "two bookings in the cell: a submenu";
    ASSERT_EQ(bookings->actions().size(), 2);

    QStringList checked;
    auto visit = onNextModal([&](QWidget* karte) {
        checked = checkedButtons(*karte);
        click(*karte, "btnKarteCancel");
    });
    bookings->actions().at(0)->trigger();
    ASSERT_TRUE(visit->appeared);
    EXPECT_EQ(visit->title, QStringLiteral("カルテ - ポチ (山田　花子)"));
    EXPECT_EQ(checked, QStringList({"chbKamu"}));

    auto told = answerNextMessage(QMessageBox::Ok);
    bookings->actions().at(1)->trigger();
    ASSERT_TRUE(told->appeared);
    EXPECT_TRUE(
        told->text.contains(QStringLiteral("(クロ / 鈴木) はお客様一覧に登録されていません")))
        << told->text.toStdString();
}

TEST_F(KarteWindowTest, TheHistoryWindowOpensTheKarteOfItsCustomerOverItself) {
    window->userListView()->selectIndex(0);
    std::shared_ptr<ModalVisit> karte;
    QString karteOwner;
    QString summary;
    auto history = onNextModal([&](QWidget* rireki) {
        karte = onNextModal([&](QWidget* shown) {
            karteOwner = shown->parentWidget()->objectName();
            button(*shown, "chbKourei")->setChecked(true);
            click(*shown, "btnKarteOK");
        });
        click(*rireki, "btnKarte");
        summary = rireki->findChild<QLabel*>(QStringLiteral("lbRirekiSummary"))->text();
        click(*rireki, "btnRirekiClose");
    });
    window->actRirekiHyouji->trigger();
    ASSERT_TRUE(history->appeared);
    ASSERT_TRUE(karte && karte->appeared);
    EXPECT_EQ(karte->title, QStringLiteral("カルテ - ポチ (山田　花子)"));
    EXPECT_EQ(karteOwner, QStringLiteral("fmRireki"));
    EXPECT_TRUE(summary.endsWith(QStringLiteral("注意 高齢"))) << summary.toStdString();
}

// What RecordLists keeps for any details, once end to end: the customer dialog's change carries
// the カルテ to the changed line at the end, and an undone deletion brings it back.
TEST_F(KarteWindowTest, ACustomerEditCarriesTheKarteAndAnUndoneDeletionBringsItBack) {
    const Karte karte = biterWithRabiesShot();
    lists().setDetails(RecordFile::User, 0, customers.at(0), karte.into({}));
    auto edited = onNextModal([](QWidget* dialog) {
        dialog->findChild<QLineEdit*>(QStringLiteral("edtPetName"))
            ->setText(QStringLiteral("ポチ丸"));
        click(*dialog, "Button1");
    });
    doubleClickCustomer(*window->userListView(), 0);
    ASSERT_TRUE(edited->appeared);
    ASSERT_EQ(lists().lines(RecordFile::User).size(), 2);
    EXPECT_EQ(lists().lines(RecordFile::User).at(0), customers.at(1));
    EXPECT_EQ(karteAt(1), karte);
    EXPECT_EQ(karteAt(0), std::nullopt);

    window->userListView()->selectIndex(1);
    const ModalVisits asked = answerMessages({QMessageBox::Yes, QMessageBox::Ok});
    QTest::keyClick(window->userListView()->currentWidget(), Qt::Key_Delete);
    ASSERT_EQ(asked->size(), 2u);
    ASSERT_EQ(lists().lines(RecordFile::User).size(), 1);
    EXPECT_EQ(karteAt(0), std::nullopt);
    window->findChild<QAction*>(QStringLiteral("actUndo"))->trigger();
    ASSERT_EQ(lists().lines(RecordFile::User).size(), 2);
    EXPECT_EQ(karteAt(1), karte);
}

TEST_F(KarteWindowTest, SalonSettingsKeepTheKarteSettingsOnlyOnceSet) {
    QAction* settei = window->findChild<QAction*>(QStringLiteral("actSalonSettei"));
    QStringList checkedFirst;
    int daysFirst = 0;
    auto untouched = onNextModal([&](QWidget* dialog) {
        checkedFirst = checkedButtons(*dialog).filter(QStringLiteral("chbHissu"));
        daysFirst = dialog->findChild<QSpinBox*>(QStringLiteral("spSesshuGoNissu"))->value();
        click(*dialog, "btnSetteiOK");
    });
    settei->trigger();
    ASSERT_TRUE(untouched->appeared);
    EXPECT_TRUE(checkedFirst.isEmpty()) << "no kind is required until the salon says so";
    EXPECT_EQ(daysFirst, KarteSettings::DefaultDaysAfterVaccination);
    EXPECT_EQ(lists().setting(KarteSettings::SettingName), std::nullopt);

    auto set = onNextModal([](QWidget* dialog) {
        button(*dialog, "chbHissuKongou")->setChecked(true);
        dialog->findChild<QSpinBox*>(QStringLiteral("spSesshuGoNissu"))->setValue(7);
        click(*dialog, "btnSetteiOK");
    });
    settei->trigger();
    ASSERT_TRUE(set->appeared);
    EXPECT_EQ(KarteSettings::fromBytes(lists().setting(KarteSettings::SettingName)),
              (KarteSettings{{VaccineKind::Kongou}, 7}));

    QStringList checkedAgain;
    int daysAgain = 0;
    auto again = onNextModal([&](QWidget* dialog) {
        checkedAgain = checkedButtons(*dialog).filter(QStringLiteral("chbHissu"));
        daysAgain = dialog->findChild<QSpinBox*>(QStringLiteral("spSesshuGoNissu"))->value();
        button(*dialog, "chbHissuKyoukenbyou")->setChecked(true);
        click(*dialog, "btnSetteiCancel");
    });
    settei->trigger();
    ASSERT_TRUE(again->appeared);
    EXPECT_EQ(checkedAgain, QStringList({"chbHissuKongou"}));
    EXPECT_EQ(daysAgain, 7);
    EXPECT_EQ(KarteSettings::fromBytes(lists().setting(KarteSettings::SettingName)),
              (KarteSettings{{VaccineKind::Kongou}, 7}));
}

}  // namespace
}  // namespace testing_support
