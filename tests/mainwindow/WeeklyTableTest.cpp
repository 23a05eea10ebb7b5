#include "mainwindow/YoyakuGrid.h"
#include "mainwindow/uMain.h"
#include "tests/mainwindow/MainWindowFixture.h"
#include "tests/support/Files.h"
#include "tests/support/ListChanges.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/ToolTips.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QtTest>

#include <algorithm>
#include <numeric>

using namespace testing_support;
using mainwindow::TYoyakuGrid;

namespace {

QStringList dayHeaders(const TYoyakuGrid& grid) {
    QStringList headers;
    for (int column = 1; column < TYoyakuGrid::ColumnCount; ++column) {
        headers.append(grid.cellText(column, 0));
    }
    return headers;
}

int filledDayCells(const TYoyakuGrid& grid) {
    int filled = 0;
    for (int column = 1; column < TYoyakuGrid::ColumnCount; ++column) {
        for (int row = 1; row < TYoyakuGrid::RowCount; ++row) {
            filled += grid.cellText(column, row).isEmpty() ? 0 : 1;
        }
    }
    return filled;
}

QList<int> rowHeights(const TYoyakuGrid& grid) {
    QList<int> heights;
    for (int row = 1; row < TYoyakuGrid::RowCount; ++row) {
        heights.append(grid.rowHeight(row - 1));
    }
    return heights;
}

// The colour a few pixels inside the top-left corner of a cell, clear of its text.
QColor sampledColor(TYoyakuGrid& grid, const QImage& image, int column, int row) {
    const int x =
        column == 0 ? 3
                    : grid.verticalHeader()->width() + grid.columnViewportPosition(column - 1) + 3;
    const int y =
        row == 0 ? 3 : grid.horizontalHeader()->height() + grid.rowViewportPosition(row - 1) + 3;
    return image.pixelColor(x, y);
}

}  // namespace

using WeeklyTableTest = MainWindowTest;

TEST_F(WeeklyTableTest, FirstStartInAnEmptyFolderShowsTheCurrentWeekEmpty) {
    NoMessageWatch anyMessage;
    auto window = openWindow();
    QCoreApplication::processEvents();  // reports posted while starting
    EXPECT_FALSE(anyMessage.sawMessage()) << anyMessage.firstSeen().toStdString();

    EXPECT_EQ(readBytes(userFile()), QByteArray());
    EXPECT_EQ(readBytes(yoyakuFile()), QByteArray());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Trimora Light"));
    EXPECT_EQ(window->geometry().size(), QSize(694, 292));
    EXPECT_EQ(window->pos(), QPoint(251, 177));
    const auto* tabs = window->findChild<QTabWidget*>(QStringLiteral("PageControlMain"));
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->currentWidget()->objectName(), QStringLiteral("SheetYoyaku"));
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("予約表"));
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("お客様一覧"));

    const TYoyakuGrid& grid = *window->yoyakuGrid();
    EXPECT_EQ(dayHeaders(grid), QStringList({"06日(日)", "07日(月)", "08日(火)", "09日(水)",
                                             "10日(木)", "11日(金)", "12日(土)"}));
    EXPECT_EQ(grid.cellText(0, 0), QStringLiteral("12月"));
    EXPECT_EQ(grid.cellText(0, 1), QStringLiteral("08 時"));
    EXPECT_EQ(grid.cellText(0, 2), QStringLiteral("09 時"));
    EXPECT_EQ(grid.cellText(0, 3), QStringLiteral("10 時"));
    EXPECT_EQ(grid.cellText(0, 17), QStringLiteral("24 時"));
    EXPECT_EQ(filledDayCells(grid), 0);
    EXPECT_EQ(grid.currentColumn(), 4);
    EXPECT_EQ(grid.currentRow(), 3);
    EXPECT_EQ(grid.verticalHeader()->width(), 50);
    EXPECT_EQ(grid.columnWidth(0), 80);
}

TEST_F(WeeklyTableTest, HeadersAcrossAMonthEndAndTheMonthOfTheReferenceDate) {
    setNow(QDateTime(QDate(2026, 12, 31), QTime(9, 15)));  // a Thursday
    auto window = openWindow();
    window->show();
    const TYoyakuGrid& grid = *window->yoyakuGrid();
    const auto* week = window->statusBar()->findChild<QLabel*>(QStringLiteral("lbHyoujiShuu"));
    ASSERT_NE(week, nullptr);
    EXPECT_EQ(week->text(), QStringLiteral("2026年12月27日(日)〜2027年1月2日(土)"));
    EXPECT_EQ(dayHeaders(grid), QStringList({"27日(日)", "28日(月)", "29日(火)", "30日(水)",
                                             "31日(木)", "01日(金)", "02日(土)"}));
    EXPECT_EQ(grid.cellText(0, 0), QStringLiteral("12月"));
    EXPECT_EQ(grid.currentColumn(), 5);
    EXPECT_EQ(grid.currentRow(), 2);

    window->actYoyakuWeekNext->trigger();
    EXPECT_EQ(grid.cellText(1, 0), QStringLiteral("03日(日)"));
    EXPECT_EQ(grid.cellText(0, 0), QStringLiteral("01月"));
    EXPECT_EQ(grid.currentColumn(), 5) << "today's weekday stays selected in every week";
    EXPECT_EQ(week->text(), QStringLiteral("2027年1月3日(日)〜2027年1月9日(土)"));

    window->actYoyakuWeekBack->trigger();
    window->actYoyakuWeekBack->trigger();
    EXPECT_EQ(grid.cellText(1, 0), QStringLiteral("20日(日)"));
    EXPECT_EQ(week->text(), QStringLiteral("2026年12月20日(日)〜2026年12月26日(土)"));
    window->actYoyakuWeekNow->trigger();
    EXPECT_EQ(grid.cellText(1, 0), QStringLiteral("27日(日)"));
    window->statusBar()->showMessage(QStringLiteral("起動しました"));
    EXPECT_TRUE(week->isVisible()) << "a message on the status bar leaves the week in view";
}

TEST_F(WeeklyTableTest, DayColumnsShareTheWidthOfAWideWindowAndKeepTheirsInANarrowOne) {
    auto window = openWindow();
    window->show();
    TYoyakuGrid& grid = *window->yoyakuGrid();
    for (const int windowWidth : {780, 500}) {  // cells wider, then narrower than 7 x 80 px
        window->resize(windowWidth, 400);
        QCoreApplication::processEvents();
        QList<int> widths;
        for (int day = 0; day < TYoyakuGrid::ColumnCount - 1; ++day) {
            widths.append(grid.columnWidth(day));
        }
        const int room = grid.viewport()->width();
        const auto [narrowest, widest] = std::minmax_element(widths.begin(), widths.end());
        if (windowWidth == 780) {
            EXPECT_GT(*narrowest, TYoyakuGrid::DefaultColumnWidth);
            EXPECT_LE(*widest - *narrowest, 1);
            EXPECT_EQ(std::accumulate(widths.begin(), widths.end(), 0), room);
        } else {
            EXPECT_EQ(widths, QList<int>(7, TYoyakuGrid::DefaultColumnWidth)) << room;
        }
        EXPECT_EQ(grid.verticalHeader()->width(), TYoyakuGrid::FixedColumnWidth);
    }
}

TEST_F(WeeklyTableTest, ReservationsLandInTheirCellsInFileOrderAndGrowTheirRow) {
    writeReservations({
        reservationLine("2026", "12", "08", "10", "山田", "ポチ"),
        reservationLine("2026", "12", "06", "08", "佐藤", "モモ"),
        reservationLine("2026", "12", "12", "24", "鈴木", "ココ"),
        reservationLine("2026", "12", "08", "7", "早朝", "テスト"),
        reservationLine("2026", "12", "08", "25", "深夜", "テスト"),
        reservationLine("2026", "12", "08", "ab", "時刻", "不明"),
        reservationLine("2026", "13", "01", "15", "日付", "不正"),
        reservationLine("2026", "12", "15", "11", "来週", "レオ"),
        reservationLine("2026", "12", "08", "10", "田中", "ハナ"),
    });
    auto window = openWindow();
    TYoyakuGrid& grid = *window->yoyakuGrid();

    EXPECT_EQ(grid.cellText(3, 3), QStringLiteral("山田/ポチ\r\n田中/ハナ"));
    EXPECT_EQ(grid.cellText(1, 1), QStringLiteral("佐藤/モモ"));
    EXPECT_EQ(grid.cellText(7, 17), QStringLiteral("鈴木/ココ"));
    EXPECT_EQ(grid.cellText(4, 8), QStringLiteral("日付/不正"))
        << "an invalid date counts as today";
    EXPECT_EQ(filledDayCells(grid), 4) << "hours 7, 25 and a non-number have no row";

    QList<int> expected(17, 26);
    expected[2] = 2 * 12 + 14;
    EXPECT_EQ(rowHeights(grid), expected);

    window->actYoyakuWeekNext->trigger();
    EXPECT_EQ(grid.cellText(3, 4), QStringLiteral("来週/レオ"));
    EXPECT_EQ(grid.cellText(4, 8), QString()) << "today is not in the week shown";
    EXPECT_EQ(filledDayCells(grid), 1);
    EXPECT_EQ(rowHeights(grid), QList<int>(17, 26));
}

TEST_F(WeeklyTableTest, ReservationsBookedLaterInTheRunAppearAfterARebuild) {
    writeReservations({reservationLine("2026", "12", "09", "12", "山田", "ポチ")});
    auto window = openWindow();
    records::RecordLists& lists = window->recordLists();
    lists.YoyakuFileSave(reservationLine("2026", "12", "09", "12", "田中", "ハナ"), 'A');
    QByteArrayList later = lists.honjitu().YoyakuList;
    later.removeFirst();
    testing_support::changeListTo(lists, records::RecordFile::Yoyaku, later);
    window->YoyakuhyouShow(window->honjitu().WeekStart);
    EXPECT_EQ(window->yoyakuGrid()->cellText(4, 5), QStringLiteral("田中/ハナ"));
}

// What a tooltip request over the day cell (column, row) shows; nothing when no tip appears.
QString toolTipOverCell(mainwindow::TYoyakuGrid& grid, int column, int row) {
    return toolTipAt(grid.viewport(),
                     grid.visualRect(grid.model()->index(row - 1, column - 1)).center());
}

TEST_F(WeeklyTableTest, ACellCutShortShowsItsWholeTextAsATooltip) {
    writeReservations(
        {reservationLine("2026", "12", "09", "12", "山田山田山田山田山田山田", "ポチ"),
         reservationLine("2026", "12", "09", "12", "A", "B"),
         reservationLine("2026", "12", "10", "12", "C", "D")});
    auto window = openWindow();
    window->show();
    mainwindow::TYoyakuGrid& grid = *window->yoyakuGrid();
    EXPECT_EQ(toolTipOverCell(grid, 4, 5), QStringLiteral("山田山田山田山田山田山田/ポチ\r\nA/B"));
    EXPECT_EQ(toolTipOverCell(grid, 5, 5), QString()) << "a text that fits shows no tooltip";
    EXPECT_EQ(toolTipOverCell(grid, 6, 5), QString());
}

TEST_F(WeeklyTableTest, NothingIsSelectedWhenTheCurrentHourHasNoRow) {
    setNow(QDateTime(QDate(2026, 12, 9), QTime(6, 0)));
    auto window = openWindow();
    EXPECT_EQ(window->yoyakuGrid()->currentColumn(), -1);
    EXPECT_EQ(window->yoyakuGrid()->currentRow(), -1);
    EXPECT_TRUE(window->yoyakuGrid()->selectionModel()->selectedIndexes().isEmpty());
}

TEST(YoyakuCellColor, FollowsTheColourTable) {
    struct Case {
        int column, row;
        bool selected;
        int today;
        QColor expected;
    };
    const Case cases[] = {
        {1, 0, false, 4, QColor(250, 67, 67)},  {1, 5, false, 4, QColor(210, 151, 151)},
        {7, 0, false, 4, QColor(74, 60, 213)},  {7, 5, false, 4, QColor(152, 143, 231)},
        {4, 0, false, 4, QColor(88, 177, 58)},  {4, 5, false, 4, QColor(220, 250, 205)},
        {2, 0, false, 4, QColor(97, 115, 220)}, {0, 3, false, 4, QColor(97, 115, 220)},
        {0, 0, false, 4, QColor(97, 115, 220)}, {2, 5, false, 4, QColor(255, 251, 240)},
        {2, 5, true, 4, QColor(255, 255, 111)}, {1, 5, true, 4, QColor(255, 255, 111)},
        {4, 0, true, 4, QColor(88, 177, 58)},   {1, 5, false, 1, QColor(210, 151, 151)},
        {7, 0, false, 7, QColor(74, 60, 213)},  {4, 5, false, 3, QColor(255, 251, 240)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(mainwindow::yoyakuCellColor(c.column, c.row, c.selected, c.today), c.expected)
            << "column " << c.column << " row " << c.row << " selected " << c.selected << " today "
            << c.today;
    }
}

TEST(YoyakuRowHeight, GrowsOnlyForMoreThanOneLine) {
    EXPECT_EQ(mainwindow::yoyakuRowHeight({"", ""}, 12), 26);
    EXPECT_EQ(mainwindow::yoyakuRowHeight({"a/b", ""}, 12), 26);
    EXPECT_EQ(mainwindow::yoyakuRowHeight({"a/b\r\nc/d", "a/b"}, 12), 38);
    EXPECT_EQ(mainwindow::yoyakuRowHeight({"a/b\r\nc/d", "1\r\n2\r\n3"}, 12), 50);
    EXPECT_EQ(mainwindow::yoyakuRowHeight({"a/b\nc/d"}, 12), 26) << "only CR LF breaks a line";
}

TEST_F(WeeklyTableTest, PaintsSundaySaturdayTodayAndTheSelectedCell) {
    writeReservations({reservationLine("2026", "12", "09", "10", "山田", "ポチ")});
    auto window = openWindow();
    window->show();
    TYoyakuGrid& grid = *window->yoyakuGrid();
    grid.resize(640, 500);
    const QImage image = grid.grab().toImage();

    struct Sample {
        int column, row;
        QColor expected;
    };
    const Sample samples[] = {
        {1, 0, QColor(250, 67, 67)},   {1, 1, QColor(210, 151, 151)}, {7, 0, QColor(74, 60, 213)},
        {7, 2, QColor(152, 143, 231)}, {4, 0, QColor(88, 177, 58)},   {4, 1, QColor(220, 250, 205)},
        {4, 3, QColor(255, 255, 111)}, {2, 0, QColor(97, 115, 220)},  {2, 1, QColor(255, 251, 240)},
        {0, 2, QColor(97, 115, 220)},
    };
    for (const Sample& sample : samples) {
        EXPECT_EQ(sampledColor(grid, image, sample.column, sample.row), sample.expected)
            << "column " << sample.column << " row " << sample.row;
    }
    // The reservation's text is drawn black inside the selected cell, from the inset corner.
    const int x = grid.verticalHeader()->width() + grid.columnViewportPosition(3);
    const int y = grid.horizontalHeader()->height() + grid.rowViewportPosition(2);
    bool darkText = false;
    for (int dx = 15; dx < 60 && !darkText; ++dx) {
        for (int dy = 7; dy < 20 && !darkText; ++dy) {
            darkText = image.pixelColor(x + dx, y + dy).lightness() < 80;
        }
    }
    EXPECT_TRUE(darkText);
}

TEST_F(WeeklyTableTest, WeekCommandsAreOfferedOnlyByTheTableContextMenu) {
    auto window = openWindow();
    auto* popup = window->findChild<QMenu*>(QStringLiteral("PopupMenuYoyaku"));
    ASSERT_NE(popup, nullptr);
    QStringList captions;
    for (const QAction* action : popup->actions()) {
        captions.append(action->text());
    }
    EXPECT_EQ(captions, QStringList({"前週", "次週", "今週", "", "来店履歴", "", "予約の詳細...",
                                     "", "日別予定", "", "カルテ...", "会計..."}));
    EXPECT_EQ(popup->actions().first(), window->actYoyakuWeekBack);

    window->show();
    QWidget* cells = window->yoyakuGrid()->viewport();
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(20, 20),
                            cells->mapToGlobal(QPoint(20, 20)));
    QApplication::sendEvent(cells, &click);
    EXPECT_TRUE(popup->isVisible()) << "a right click on the cells opens the menu";
    popup->close();

    for (QAction* week :
         {window->actYoyakuWeekBack, window->actYoyakuWeekNext, window->actYoyakuWeekNow}) {
        for (const QMenu* menu : window->menuBar()->findChildren<QMenu*>()) {
            EXPECT_FALSE(menu->actions().contains(week)) << week->objectName().toStdString();
        }
    }
}
