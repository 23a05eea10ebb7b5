#include "mainwindow/UserListView.h"
#include "mainwindow/YoyakuGrid.h"
#include "mainwindow/uMain.h"
#include "records/BookingDetails.h"
#include "records/ReservationRecord.h"
#include "tests/mainwindow/MainWindowFixture.h"
#include "tests/support/Files.h"
#include "tests/support/ModalDriver.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QtTest>

#include <functional>

#include <sys/stat.h>

using namespace testing_support;
namespace rsv = records::reservation_record;

namespace {

// A booking of モモ (山田 花子) or of another pet, with the services it had.
QByteArray booking(const char* nen, const char* tuki, const char* niti, const char* jikan,
                   const char* hun, const char* shimei = "山田　花子", const char* petName = "モモ",
                   const char* telephone = "", const char* remarks = "") {
    QByteArrayList values(rsv::FieldCount);
    values[rsv::YoyakuNen] = nen;
    values[rsv::YoyakuTuki] = tuki;
    values[rsv::YoyakuNiti] = niti;
    values[rsv::YoyakuJikan] = jikan;
    values[rsv::YoyakuHun] = hun;
    values[rsv::Shimei] = sjisOf(shimei);
    values[rsv::TelephoneNo] = sjisOf(telephone);
    values[rsv::PetName] = sjisOf(petName);
    values[rsv::Shu] = sjisOf("その他");
    values[rsv::Shamp] = sjisOf("持込み");
    values[rsv::Style] = sjisOf("プードル");
    values[rsv::SonotaHigeCut] = sjisOf("ヒゲカット");
    values[rsv::SonotaBikou] = sjisOf(remarks);
    return rsv::buildLine(values);
}

// Built when asked for: the empty-field mark the lines need is not there before main.
QByteArrayList customers() {
    return {
        customerLine("モモ", "犬", "山田　花子", "やまだ", "東京都", "1-2-3", "03-1111-2222"),
        customerLine("ポチ", "犬", "佐藤", "さとう"),
        customerLine("ココ", "猫", "鈴木", "すずき"),
        customerLine("チビ", "犬", "田中", "たなか"),
    };
}

// Now is Wednesday 9 December 2026, 10:30.
QByteArrayList bookings() {
    return {
        booking("2026", "10", "21", "10", "30", "山田　花子", "モモ", "", "耳の毛も"),
        booking("2026", "12", "23", "11", "00"),
        booking("2026", "11", "18", "10", "30", "山田　花子", "モモ", "", "顔周り短め"),
        booking("2026", "12", "08", "09", "00", "佐藤", "ポチ"),
        booking("2026", "12", "08", "09", "00", "山田　花子", "モモ", "", "爪は短く"),
        booking("2026", "12", "16", "10", "00", "鈴木", "ココ"),
        booking("2026", "11", "04", "13", "00", "山田", "モモ", "03-1111-2222"),
        // Another pet of her household, with her telephone.
        booking("2026", "11", "25", "10", "00", "山田　花子", "ハナ", "03-1111-2222"),
    };
}

// What a write would change: the bytes, the file's identity (a rewrite replaces it) and its time.
struct FileState {
    QByteArray bytes;
    ino_t inode = 0;
    timespec modified{};

    bool operator==(const FileState& other) const {
        return bytes == other.bytes && inode == other.inode &&
               modified.tv_sec == other.modified.tv_sec &&
               modified.tv_nsec == other.modified.tv_nsec;
    }
};

FileState stateOf(const QString& path) {
    struct stat info {};
    ::stat(QFile::encodeName(path).constData(), &info);
    return {readBytes(path), info.st_ino, info.st_mtim};
}

struct HistorySeen {
    QString summary;
    QList<QStringList> rows;
    bool canBookNext = false;
};

HistorySeen seenIn(QWidget* window) {
    HistorySeen seen;
    seen.summary = window->findChild<QLabel*>(QStringLiteral("lbRirekiSummary"))->text();
    auto* list = window->findChild<QTreeWidget*>(QStringLiteral("ListViewRireki"));
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        QStringList texts;
        for (int column = 0; column < list->columnCount(); ++column) {
            texts.append(list->topLevelItem(row)->text(column));
        }
        seen.rows.append(texts);
    }
    seen.canBookNext =
        window->findChild<QAbstractButton*>(QStringLiteral("btnJikaiYoyaku"))->isEnabled();
    return seen;
}

void clickButton(QWidget* window, const char* name) {
    QTest::mouseClick(window->findChild<QAbstractButton*>(QString::fromLatin1(name)),
                      Qt::LeftButton);
}

void closeHistory(QWidget* window) {
    clickButton(window, "btnRirekiClose");
}

QStringList captionsOf(const QList<QAction*>& actions) {
    QStringList captions;
    for (const QAction* action : actions) {
        captions.append(action->text());
    }
    return captions;
}

class HistoryTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        writeUsers(customers());
        writeReservations(bookings());
        window = openWindow();
        window->show();
        window->actUserItiran->trigger();
    }

    // Opens (and closes again) the table's context menu on the cell; its history entry.
    QAction* historyEntryOfCell(int column, int row) {
        mainwindow::TYoyakuGrid* grid = window->yoyakuGrid();
        window->actYoteihyouHyouji->trigger();
        grid->selectCell(column, row);
        emit grid->customContextMenuRequested(QPoint(5, 5));
        popup = window->findChild<QMenu*>(QStringLiteral("PopupMenuYoyaku"));
        EXPECT_TRUE(popup->isVisible());
        popup->close();
        return popup->findChild<QAction*>(QStringLiteral("PopupMenuYoyakuRireki"));
    }

    // What the history of the customer at `index` shows, closed again; `visit` tells of the window.
    HistorySeen historyOf(int index, std::shared_ptr<ModalVisit>& visit) {
        window->userListView()->selectIndex(index);
        HistorySeen seen;
        visit = onNextModal([&seen](QWidget* history) {
            seen = seenIn(history);
            closeHistory(history);
        });
        window->actRirekiHyouji->trigger();
        return seen;
    }

    // Opens the selected customer's history and presses 次回予約; `driveDialog` meets the
    // reservation dialog that follows.
    void bookNextVisit(std::function<void(QWidget*)> driveDialog) {
        historyVisit = onNextModal([this, driveDialog](QWidget* history) {
            dialogVisit = onNextModal(driveDialog);
            clickButton(history, "btnJikaiYoyaku");
        });
        window->actRirekiHyouji->trigger();
        ASSERT_TRUE(historyVisit->appeared);
        ASSERT_TRUE(dialogVisit && dialogVisit->appeared);
        EXPECT_EQ(dialogVisit->objectName, QStringLiteral("fmCutYoyaku"));
        EXPECT_FALSE(dialogVisit->closedByWatchdog);
    }

    std::unique_ptr<TfmMain> window;
    QMenu* popup = nullptr;
    std::shared_ptr<ModalVisit> historyVisit;
    std::shared_ptr<ModalVisit> dialogVisit;
};

}  // namespace

TEST_F(HistoryTest, TheMenuCommandShowsTheSelectedCustomersVisitsNewestFirst) {
    const FileState users = stateOf(userFile());
    const FileState reservations = stateOf(yoyakuFile());
    std::shared_ptr<ModalVisit> visit;
    const HistorySeen seen = historyOf(0, visit);

    ASSERT_TRUE(visit->appeared);
    EXPECT_FALSE(visit->closedByWatchdog);
    EXPECT_EQ(visit->objectName, QStringLiteral("fmRireki"));
    EXPECT_EQ(visit->className, QStringLiteral("TfmRireki"));
    EXPECT_EQ(visit->title, QStringLiteral("来店履歴 - モモ(山田　花子)"));
    // ポチ's, ココ's and her household's ハナ's bookings are not hers; the one under another
    // spelling of her name is, by its number.
    ASSERT_EQ(seen.rows.size(), 5);
    EXPECT_EQ(seen.rows[0], QStringList({"予定", "2026/12/23(水)", "11:00", "持込み", "プードル",
                                         "ヒゲカット", ""}));
    EXPECT_EQ(seen.rows[1].mid(0, 3), QStringList({"", "2026/12/08(火)", "09:00"}));
    EXPECT_EQ(seen.rows[2][6], QStringLiteral("顔周り短め"));
    EXPECT_EQ(seen.rows[3][1], QStringLiteral("2026/11/04(水)"));
    EXPECT_EQ(seen.rows[4][6], QStringLiteral("耳の毛も"));
    // Gaps of two weeks, two weeks and twenty days.
    EXPECT_EQ(seen.summary, QStringLiteral("来店 4回　前回 2026/12/08(火)　次回予約 "
                                           "2026/12/23(水)　来店間隔 2.0週"));
    EXPECT_TRUE(seen.canBookNext);
    // Only read: neither record file was written, not even with the same bytes.
    EXPECT_TRUE(stateOf(userFile()) == users);
    EXPECT_TRUE(stateOf(yoyakuFile()) == reservations);
}

// Once the salon keeps details, each visit shows its status, and the summary counts the no-shows
// and the cancellations of the day; those of another pet of the household are not hers.
TEST_F(HistoryTest, WithDetailsEachVisitShowsItsStatusAndTheNoShowsAreCounted) {
    using records::booking::Status;
    records::RecordLists& lists = window->recordLists();
    for (const auto& [position, status] :
         {std::pair{2, Status::MudanCancel}, std::pair{6, Status::MudanCancel},
          std::pair{0, Status::TouzitsuCancel}, std::pair{7, Status::MudanCancel}}) {
        lists.setDetails(records::RecordFile::Yoyaku, position,
                         lists.lines(records::RecordFile::Yoyaku).at(position),
                         records::booking::BookingDetails{{}, {}, status}.into({}));
    }
    std::shared_ptr<ModalVisit> visit;
    const HistorySeen seen = historyOf(0, visit);
    ASSERT_TRUE(visit->appeared);
    ASSERT_EQ(seen.rows.size(), 5);
    QStringList statuses;
    for (const QStringList& row : seen.rows) {
        statuses.append(row.value(7));
    }
    EXPECT_EQ(statuses,
              QStringList({"予約", "予約", "無断キャンセル", "無断キャンセル", "当日キャンセル"}));
    EXPECT_EQ(seen.rows[2][6], QStringLiteral("顔周り短め"));
    EXPECT_TRUE(seen.summary.endsWith(QStringLiteral("　無断キャンセル 2回　当日キャンセル 1回")))
        << seen.summary.toStdString();
}

TEST_F(HistoryTest, WithoutPastVisitsTheSummarySaysSoAndNothingCanBeBookedFromIt) {
    HistorySeen planned;
    auto plannedOnly = onNextModal([&](QWidget* history) {
        planned = seenIn(history);
        QTest::keyClick(history, Qt::Key_Escape);
    });
    window->userListView()->selectIndex(2);  // ココ, booked next week only
    window->actRirekiHyouji->trigger();
    ASSERT_TRUE(plannedOnly->appeared);
    EXPECT_FALSE(plannedOnly->closedByWatchdog) << "Esc closes the history";
    EXPECT_EQ(planned.rows.size(), 1);
    EXPECT_EQ(planned.summary, QStringLiteral("来店 0回　前回 なし　次回予約 2026/12/16(水)"));
    EXPECT_FALSE(planned.canBookNext);

    HistorySeen none;
    auto noBooking = onNextModal([&](QWidget* history) {
        none = seenIn(history);
        closeHistory(history);
    });
    window->userListView()->selectIndex(3);  // チビ
    window->actRirekiHyouji->trigger();
    ASSERT_TRUE(noBooking->appeared);
    EXPECT_TRUE(none.rows.isEmpty());
    EXPECT_EQ(none.summary, QStringLiteral("来店 0回　前回 なし　次回予約 なし"));
    EXPECT_FALSE(none.canBookNext);
}

TEST_F(HistoryTest, WithNoCustomerSelectedTheCommandDoesNothing) {
    window->userListView()->selectIndex(-1);
    NoMessageWatch noMessage;
    // A window opened with exec() would be met in the first turn of its own event loop.
    auto visit = onNextModal([](QWidget* any) { any->close(); }, 0);
    window->actRirekiHyouji->trigger();
    QCoreApplication::processEvents();
    EXPECT_FALSE(visit->appeared);
    EXPECT_FALSE(noMessage.sawMessage()) << noMessage.firstSeen().toStdString();
}

TEST_F(HistoryTest, TheCommandSitsBelowTheReservationMenuAndTheListMenuAfterASeparator) {
    QMenu* yoyaku = window->menuBar()->actions().at(1)->menu();
    ASSERT_GE(yoyaku->actions().size(), 4);
    EXPECT_TRUE(yoyaku->actions()[2]->isSeparator());
    EXPECT_EQ(yoyaku->actions()[3], window->actRirekiHyouji);
    EXPECT_EQ(window->actRirekiHyouji->text(), QStringLiteral("来店履歴(&R)"));

    auto* listMenu = window->findChild<QMenu*>(QStringLiteral("PopupMenuUserItiran"));
    ASSERT_GE(listMenu->actions().size(), 5);
    EXPECT_TRUE(listMenu->actions()[3]->isSeparator());
    window->userListView()->selectIndex(1);
    auto visit = onNextModal([](QWidget* history) { closeHistory(history); });
    listMenu->actions()[4]->trigger();
    ASSERT_TRUE(visit->appeared);
    EXPECT_EQ(visit->title, QStringLiteral("来店履歴 - ポチ(佐藤)"));
}

TEST_F(HistoryTest, EnterOnTheListOpensItWhileDeleteAndDoubleClickKeepTheirMeaning) {
    mainwindow::TUserListView* list = window->userListView();
    window->actUserReport->trigger();
    list->selectIndex(1);
    list->reportView()->setFocus();
    auto visit = onNextModal([](QWidget* history) { closeHistory(history); });
    QTest::keyClick(list->reportView(), Qt::Key_Return);
    ASSERT_TRUE(visit->appeared);
    EXPECT_EQ(visit->title, QStringLiteral("来店履歴 - ポチ(佐藤)"));

    auto keypad = onNextModal([](QWidget* history) { closeHistory(history); });
    QTest::keyClick(list->reportView(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_TRUE(keypad->appeared);

    const ModalVisits answers = answerMessages({QMessageBox::No, QMessageBox::Ok});
    QTest::keyClick(list->reportView(), Qt::Key_Delete);
    ASSERT_TRUE((*answers)[0] && (*answers)[0]->appeared);
    EXPECT_EQ((*answers)[0]->title, QStringLiteral("お客様削除"));

    auto registration = onNextModal([](QWidget* dialog) { dialog->close(); });
    doubleClickCustomer(*list, 0);
    ASSERT_TRUE(registration->appeared);
    EXPECT_EQ(registration->objectName, QStringLiteral("fmKokyakuTouroku"));
}

// The pet's flags end the summary; a pet without a カルテ has none.
TEST_F(HistoryTest, TheSummaryEndsWithThePetsFlags) {
    using records::karte::Flag;
    giveKarte(window->recordLists(), 0, {Flag::Kowagari, Flag::Jibyou});
    std::shared_ptr<ModalVisit> visit;
    EXPECT_TRUE(historyOf(0, visit).summary.endsWith(
        QStringLiteral("来店間隔 2.0週　注意 怖がり・持病あり")));
    EXPECT_FALSE(historyOf(1, visit).summary.contains(QStringLiteral("注意")));
}

TEST_F(HistoryTest, TheTableMenuOpensTheHistoryOfABookingInTheSelectedCell) {
    // Tuesday the 8th at 9 時 holds ポチ and モモ.
    QAction* entry = historyEntryOfCell(3, 2);
    const QList<QAction*> actions = popup->actions();
    ASSERT_GE(actions.size(), 5);
    EXPECT_TRUE(actions[3]->isSeparator());
    EXPECT_EQ(actions[4], entry);
    EXPECT_EQ(entry->text(), QStringLiteral("来店履歴"));
    EXPECT_TRUE(entry->isEnabled());
    ASSERT_NE(entry->menu(), nullptr);
    EXPECT_EQ(captionsOf(entry->menu()->actions()), QStringList({"佐藤/ポチ", "山田　花子/モモ"}));
    auto visit = onNextModal([](QWidget* history) { closeHistory(history); });
    entry->menu()->actions()[1]->trigger();
    ASSERT_TRUE(visit->appeared);
    EXPECT_EQ(visit->title, QStringLiteral("来店履歴 - モモ(山田　花子)"));

    // Next week's Wednesday at 10 時: ココ alone.
    window->actYoyakuWeekNext->trigger();
    entry = historyEntryOfCell(4, 3);
    EXPECT_EQ(entry->menu(), nullptr);
    HistorySeen seen;
    auto single = onNextModal([&](QWidget* history) {
        seen = seenIn(history);
        closeHistory(history);
    });
    entry->trigger();
    ASSERT_TRUE(single->appeared);
    EXPECT_EQ(single->title, QStringLiteral("来店履歴 - ココ(鈴木)"));
    ASSERT_EQ(seen.rows.size(), 1);
    EXPECT_EQ(seen.rows[0][0], QStringLiteral("予定"));

    entry = historyEntryOfCell(4, 4);
    EXPECT_FALSE(entry->isEnabled()) << "an empty cell has no booking to show";
}

TEST_F(HistoryTest, NextVisitBooksTheUsualIntervalLaterWithTheLastServices) {
    // モモ's visits: 10/21, 11/04, 11/18, 12/08 -> two weeks apart; the next one two weeks after
    // her planned Wednesday the 23rd at 11 時, where a booking of someone else already stands.
    QByteArrayList lines = bookings();
    lines.append(booking("2027", "01", "06", "11", "00", "鈴木", "ココ"));
    writeReservations(lines);
    window = openWindow();
    window->show();
    window->userListView()->selectIndex(0);

    struct DialogSeen {
        QString title, slot, minute, shimei, furigana, jyusho, telephone, petName, remarks;
        bool dog = false, motikomi = false, poohDol = false, higeCut = false, tumekiri = true;
    } dialogSeen;
    bookNextVisit([&](QWidget* dialog) {
        auto text = [dialog](const char* name) {
            return dialog->findChild<QLineEdit*>(QString::fromLatin1(name))->text();
        };
        auto combo = [dialog](const char* name) {
            return dialog->findChild<QComboBox*>(QString::fromLatin1(name))->currentText();
        };
        auto checked = [dialog](const char* name) {
            return dialog->findChild<QAbstractButton*>(QString::fromLatin1(name))->isChecked();
        };
        dialogSeen = {
            dialog->windowTitle(),
            combo("cbYoyakuNen") + combo("cbYoyakuTuki") + combo("cbYoyakuNiti") +
                combo("cbYoyakuJikan"),
            text("edtYoyakuHun"),
            text("edtShimei"),
            text("edtFurigana"),
            text("edtJyusho"),
            text("edtTelephoneNo"),
            text("edtPetName"),
            dialog->findChild<QPlainTextEdit*>(QStringLiteral("memoSonotaBikou"))->toPlainText(),
            checked("rdoDog"),
            checked("rdoShamMotikomi"),
            checked("rdoStylePoohDol"),
            checked("chbSonotaHigeCut"),
            checked("chbSonotaTumekiri")};
        clickButton(dialog, "Button1");
    });
    if (HasFatalFailure()) {
        return;
    }
    EXPECT_EQ(dialogSeen.title, QStringLiteral("カット予約(新規)"));
    EXPECT_EQ(dialogSeen.slot, QStringLiteral("2027010611"));
    EXPECT_EQ(dialogSeen.minute, QStringLiteral("00"));
    EXPECT_EQ(dialogSeen.shimei, QStringLiteral("山田　花子"));
    EXPECT_EQ(dialogSeen.furigana, QStringLiteral("やまだ"));
    EXPECT_EQ(dialogSeen.jyusho, QStringLiteral("東京都"));
    EXPECT_EQ(dialogSeen.telephone, QStringLiteral("03-1111-2222"));
    EXPECT_EQ(dialogSeen.petName, QStringLiteral("モモ"));
    EXPECT_TRUE(dialogSeen.dog) << "the kind is the customer's, not the booking's その他";
    EXPECT_TRUE(dialogSeen.motikomi);
    EXPECT_TRUE(dialogSeen.poohDol);
    EXPECT_TRUE(dialogSeen.higeCut);
    EXPECT_FALSE(dialogSeen.tumekiri);
    EXPECT_EQ(dialogSeen.remarks, QString());

    // OK appended the booking; every earlier line stayed as it was, ココ's too.
    const QByteArrayList after = window->honjitu().YoyakuList;
    ASSERT_EQ(after.size(), lines.size() + 1);
    EXPECT_EQ(after.mid(0, lines.size()), lines);
    EXPECT_TRUE(after.last().startsWith("2027\t01\t06\t11\t00\t"));
    EXPECT_EQ(readBytes(yoyakuFile()), fileOf(after));
    for (int week = 0; week < 4; ++week) {
        window->actYoyakuWeekNext->trigger();
    }
    EXPECT_EQ(window->yoyakuGrid()->cellText(4, 4), QStringLiteral("鈴木/ココ\r\n山田　花子/モモ"));
}

TEST_F(HistoryTest, CancellingTheNextVisitBookingReturnsToTheHistory) {
    window->userListView()->selectIndex(0);
    const QByteArray before = readBytes(yoyakuFile());
    std::shared_ptr<ModalVisit> historyAgain;
    HistorySeen seenAgain;
    bookNextVisit([&](QWidget* dialog) {
        historyAgain = onNextModal([&](QWidget* again) {
            seenAgain = seenIn(again);
            closeHistory(again);
        });
        clickButton(dialog, "Button2");
    });
    if (HasFatalFailure()) {
        return;
    }
    ASSERT_TRUE(historyAgain && historyAgain->appeared) << "the history comes back";
    EXPECT_FALSE(historyAgain->closedByWatchdog);
    EXPECT_EQ(historyAgain->objectName, QStringLiteral("fmRireki"));
    EXPECT_EQ(historyAgain->title, QStringLiteral("来店履歴 - モモ(山田　花子)"));
    EXPECT_EQ(seenAgain.rows.size(), 5);
    EXPECT_TRUE(seenAgain.canBookNext);
    // Closing the history now ends the command; nothing was booked.
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(readBytes(yoyakuFile()), before);
    EXPECT_EQ(window->honjitu().YoyakuList, bookings());
}
