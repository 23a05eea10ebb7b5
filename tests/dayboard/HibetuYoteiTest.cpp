#include "dayboard/DayBoard.h"
#include "dayboard/uHibetuYotei.h"
#include "mainwindow/YoyakuGrid.h"
#include "mainwindow/uMain.h"
#include "records/BookingDetails.h"
#include "records/ReservationRecord.h"
#include "tests/mainwindow/MainWindowFixture.h"
#include "tests/support/RecordLines.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QtTest>

using namespace testing_support;
namespace rsv = records::reservation_record;
namespace booking = records::booking;
using records::RecordFile;

namespace {

QByteArray bookingAt(const char* niti, const char* jikan, const char* hun, const char* shimei,
                     const char* petName) {
    return recordLine(rsv::FieldCount, {{rsv::YoyakuNen, "2026"},
                                        {rsv::YoyakuTuki, "12"},
                                        {rsv::YoyakuNiti, niti},
                                        {rsv::YoyakuJikan, jikan},
                                        {rsv::YoyakuHun, hun},
                                        {rsv::Shimei, shimei},
                                        {rsv::PetName, petName},
                                        {rsv::Shu, "犬"},
                                        {rsv::Style, "プードル"}});
}

class HibetuYoteiTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        writeUsers({});
        writeReservations({bookingAt("09", "10", "30", "山田", "モモ"),
                           bookingAt("10", "11", "00", "佐藤", "ポチ")});
        window = openWindow();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        booking::SalonSettings settings;
        settings.groomers = {QStringLiteral("佐藤"), QStringLiteral("鈴木")};
        window->recordLists().setSetting(booking::SalonSettings::SettingName, settings.toBytes());
    }

    // Opens the board from the command and finds its controls.
    void openBoard() {
        window->actHibetuYotei->trigger();
        board = window->findChild<TfmHibetuYotei*>(QStringLiteral("fmHibetuYotei"));
        ASSERT_NE(board, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(board));
        grid = board->findChild<dayboard::TDayBoard*>(QStringLiteral("GridHibetuYotei"));
        ASSERT_NE(grid, nullptr);
    }

    QString shownDay() const {
        return board->findChild<QLabel*>(QStringLiteral("lbHibetuHiduke"))->text();
    }
    void click(const char* button) const {
        board->findChild<QAbstractButton*>(QString::fromLatin1(button))->click();
    }
    QList<qsizetype> shownPositions() const {
        QList<qsizetype> positions;
        for (const records::dayboard::Block& block : grid->layout().blocks) {
            positions.append(block.position);
        }
        return positions;
    }
    QString groomerOf(qsizetype position) const {
        return booking::BookingDetails::of(
                   window->recordLists().detailsAt(RecordFile::Yoyaku, position))
            .groomer;
    }
    QPoint columnPoint(int column) const {
        return {dayboard::TDayBoard::TimeColumnWidth + column * dayboard::TDayBoard::ColumnWidth +
                    dayboard::TDayBoard::ColumnWidth / 2,
                dayboard::TDayBoard::HeaderHeight + 5};
    }
    void drag(qsizetype block, int column) const {
        const QPoint from = grid->blockRect(block).center();
        QTest::mousePress(grid, Qt::LeftButton, {}, from);
        QTest::mouseMove(grid, columnPoint(column));
        QTest::mouseRelease(grid, Qt::LeftButton, {}, columnPoint(column));
    }

    std::unique_ptr<TfmMain> window;
    TfmHibetuYotei* board = nullptr;
    dayboard::TDayBoard* grid = nullptr;
};

TEST_F(HibetuYoteiTest, FollowsTheBookAndAssignsByDragging) {
    openBoard();
    EXPECT_EQ(shownDay(), QStringLiteral("2026年12月09日（水）"));
    EXPECT_EQ(grid->layout().columns, QStringList({QStringLiteral("未定"), QStringLiteral("佐藤"),
                                                   QStringLiteral("鈴木")}));
    EXPECT_EQ(shownPositions(), QList<qsizetype>{0});
    EXPECT_EQ(grid->layout().blocks.first().startMinute, 10 * 60 + 30);

    click("btnYokujitu");
    EXPECT_EQ(shownDay(), QStringLiteral("2026年12月10日（木）"));
    EXPECT_EQ(shownPositions(), QList<qsizetype>{1});
    click("btnZenjitu");
    click("btnZenjitu");
    EXPECT_EQ(shownDay(), QStringLiteral("2026年12月08日（火）"));
    EXPECT_TRUE(shownPositions().isEmpty());
    click("btnKyou");
    EXPECT_EQ(shownDay(), QStringLiteral("2026年12月09日（水）"));

    // A booking made elsewhere shows on the open board; the week table's command raises the
    // same board again.
    ASSERT_TRUE(window->recordLists().change(
        RecordFile::Yoyaku,
        {records::RecordIntent::add(bookingAt("09", "9", "00", "鈴木", "ココ"))}));
    EXPECT_EQ(shownPositions(), (QList<qsizetype>{2, 0}));
    window->actHibetuYotei->trigger();
    EXPECT_EQ(window->findChildren<TfmHibetuYotei*>().size(), 1);
    window->yoyakuGrid()->selectCell(5, 3);
    window->actHibetuYotei->trigger();
    EXPECT_EQ(shownDay(), QStringLiteral("2026年12月10日（木）"));
    click("btnKyou");

    drag(1, 2);
    EXPECT_EQ(groomerOf(0), QStringLiteral("鈴木"));
    EXPECT_EQ(grid->layout().blocks.at(1).column, 2);
    EXPECT_EQ(window->recordLists().lines(RecordFile::Yoyaku).at(0),
              bookingAt("09", "10", "30", "山田", "モモ"));
    drag(1, 0);
    EXPECT_EQ(groomerOf(0), QString());
    EXPECT_EQ(grid->layout().blocks.at(1).column, 0);

    // A groomer taken off the list keeps a column while bookings carry the name.
    drag(0, 1);
    booking::SalonSettings settings;
    settings.groomers = {QStringLiteral("鈴木")};
    window->recordLists().setSetting(booking::SalonSettings::SettingName, settings.toBytes());
    EXPECT_EQ(grid->layout().columns, QStringList({QStringLiteral("未定"), QStringLiteral("鈴木"),
                                                   QStringLiteral("佐藤")}));
    EXPECT_EQ(grid->layout().blocks.at(0).column, 2);
}

TEST_F(HibetuYoteiTest, DoubleClickAndEnterOpenTheBookingsDetails) {
    ASSERT_TRUE(window->recordLists().change(
        RecordFile::Yoyaku,
        {records::RecordIntent::add(bookingAt("09", "10", "00", "鈴木", "ココ"))}));
    openBoard();
    QList<qsizetype> opened;
    board->setOpenDetails([&opened](qsizetype position) { opened.append(position); });
    ASSERT_EQ(shownPositions(), (QList<qsizetype>{2, 0}));
    QTest::mouseDClick(grid, Qt::LeftButton, {}, grid->blockRect(1).center());
    EXPECT_EQ(opened, QList<qsizetype>{0});
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Up);
    QTest::keyClick(grid, Qt::Key_Return);
    EXPECT_EQ(opened, (QList<qsizetype>{0, 2}));
}

// A pet whose カルテ has flags wears them as a badge on its block, also after a カルテ changed
// while the board is open; a pet without one wears none.
TEST_F(HibetuYoteiTest, ABlockWearsItsPetsFlags) {
    writeUsers({customerLine("モモ", "犬", "山田", "やまだ")});
    window = openWindow();
    window->show();
    openBoard();
    ASSERT_EQ(grid->layout().blocks.size(), 1);
    EXPECT_EQ(grid->blockText(0).badge, QString());

    using records::karte::Flag;
    giveKarte(window->recordLists(), 0, {Flag::Kamu, Flag::Hifu});
    EXPECT_EQ(grid->blockText(0).badge, QStringLiteral("噛む・皮膚が弱い"));
    giveKarte(window->recordLists(), 0, {});
    EXPECT_EQ(grid->blockText(0).badge, QString());
}

}  // namespace
