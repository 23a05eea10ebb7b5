// The salon's settings and a booking's details, driven through the main window: what reaches the
// store, that the record files stay byte for byte, and how the week table draws cancellations.
#include "mainwindow/YoyakuGrid.h"
#include "records/BookingDetails.h"
#include "tests/mainwindow/MainWindowFixture.h"
#include "tests/support/DialogFields.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/Typing.h"

#include <QAction>
#include <QComboBox>
#include <QListWidget>
#include <QMenu>
#include <QSpinBox>
#include <QTableWidget>
#include <QtTest>

namespace testing_support {
namespace {

using namespace records::booking;
using records::RecordFile;

// Wednesday the 9th at 10 時 in the week from Sunday the 6th.
constexpr int Column = 4;
constexpr int Row = 3;

QStringList itemsOf(const QComboBox& box) {
    QStringList items;
    for (int at = 0; at < box.count(); ++at) {
        items.append(box.itemText(at));
    }
    return items;
}

QStringList itemsOf(const QListWidget& list) {
    QStringList items;
    for (int at = 0; at < list.count(); ++at) {
        items.append(list.item(at)->text());
    }
    return items;
}

class SalonWindowsTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        writeReservations({reservationLine("2026", "12", "09", "10", "山田", "ポチ"),
                           reservationLine("2026", "12", "09", "10", "佐藤", "タマ")});
        window = openWindow();
        window->show();
    }
    records::RecordLists& lists() { return window->recordLists(); }
    SalonSettings settings() {
        return SalonSettings::fromBytes(lists().setting(SalonSettings::SettingName));
    }
    void givenSettings(const SalonSettings& settings) {
        lists().setSetting(SalonSettings::SettingName, settings.toBytes());
    }
    void givenDetails(qsizetype position, const records::LineDetails& details) {
        lists().setDetails(RecordFile::Yoyaku, position,
                           lists().lines(RecordFile::Yoyaku).at(position), details);
    }
    // Opens the table's context menu on the cell and picks the details of the booking at
    // `entry` of its submenu.
    std::shared_ptr<ModalVisit> openDetails(int entry, std::function<void(QWidget*)> drive) {
        mainwindow::TYoyakuGrid* grid = window->yoyakuGrid();
        grid->selectCell(Column, Row);
        emit grid->customContextMenuRequested(QPoint(5, 5));
        window->findChild<QMenu*>(QStringLiteral("PopupMenuYoyaku"))->close();
        auto* details = window->findChild<QAction*>(QStringLiteral("actYoyakuShousai"));
        EXPECT_TRUE(details->isEnabled());
        EXPECT_NE(details->menu(), nullptr) << "two bookings in the cell: a submenu";
        auto visit = onNextModal(std::move(drive));
        details->menu()->actions().at(entry)->trigger();
        return visit;
    }

    std::unique_ptr<TfmMain> window;
};

TEST_F(SalonWindowsTest, SettingsRefuseMinutesOutOfRangeAndComeBackFromTheStore) {
    const QByteArray reservations = readBytes(yoyakuFile());
    std::shared_ptr<ModalVisit> refused;
    bool stayedOpen = false;
    auto visit = onNextModal([&](QWidget* dialog) {
        auto* name = dialog->findChild<QWidget*>(QStringLiteral("edtTantousha"));
        typeText(name, QStringLiteral("佐藤"));
        click(*dialog, "btnTantoushaAdd");
        typeText(name, QStringLiteral("鈴木"));
        QTest::keyClick(name, Qt::Key_Return);
        typeText(name, QStringLiteral("佐藤"));  // already there: not twice
        click(*dialog, "btnTantoushaAdd");
        dialog->findChild<QListWidget*>(QStringLiteral("ListBoxTantousha"))->setCurrentRow(0);
        click(*dialog, "btnTantoushaDelete");
        auto* grid = dialog->findChild<QTableWidget*>(QStringLiteral("StringGridShoyouJikan"));
        grid->item(1, 0)->setText(QStringLiteral("601"));
        refused = answerNextMessage(QMessageBox::Ok);
        click(*dialog, "btnSetteiOK");
        stayedOpen = dialog->isVisible();
        grid->item(1, 0)->setText(QStringLiteral("120"));
        grid->item(3, 2)->setText(QStringLiteral("5"));
        click(*dialog, "btnSetteiOK");
    });
    window->findChild<QAction*>(QStringLiteral("actSalonSettei"))->trigger();
    ASSERT_TRUE(visit->appeared);
    EXPECT_EQ(visit->objectName, QStringLiteral("fmSalonSettei"));
    ASSERT_TRUE(refused && refused->appeared);
    EXPECT_TRUE(refused->text.contains(QStringLiteral("プードル・犬")))
        << refused->text.toStdString();
    EXPECT_TRUE(stayedOpen);

    SalonSettings expected;
    expected.groomers = {QStringLiteral("鈴木")};
    expected.usualMinutes[1][0] = 120;
    expected.usualMinutes[3][2] = 5;
    EXPECT_EQ(settings(), expected);
    EXPECT_EQ(readBytes(yoyakuFile()), reservations);

    QStringList groomersShown, minutesShown;
    auto again = onNextModal([&](QWidget* dialog) {
        groomersShown =
            itemsOf(*dialog->findChild<QListWidget*>(QStringLiteral("ListBoxTantousha")));
        auto* grid = dialog->findChild<QTableWidget*>(QStringLiteral("StringGridShoyouJikan"));
        for (int row = 0; row < grid->rowCount(); ++row) {
            minutesShown.append(grid->item(row, 0)->text() + '/' + grid->item(row, 2)->text());
        }
        click(*dialog, "btnSetteiCancel");
    });
    window->findChild<QAction*>(QStringLiteral("actSalonSettei"))->trigger();
    ASSERT_TRUE(again->appeared);
    EXPECT_EQ(groomersShown, expected.groomers);
    EXPECT_EQ(minutesShown, QStringList({"60/60", "120/60", "60/60", "60/5"}));
}

TEST_F(SalonWindowsTest, DetailsKeepAGroomerGoneFromTheListAndWriteOnlyTheStore) {
    SalonSettings salon;
    salon.groomers = {QStringLiteral("鈴木")};
    salon.usualMinutes[static_cast<std::size_t>(Style::Sonota)]
                      [static_cast<std::size_t>(Kind::Dog)] = 75;
    givenSettings(salon);
    // 佐藤 left the salon's list after this booking was given to her.
    givenDetails(
        0, {{QStringLiteral("groomer"), QStringLiteral("佐藤")}, {QStringLiteral("calls"), 1}});
    const QByteArray reservations = readBytes(yoyakuFile());

    QStringList groomers, statuses;
    QString groomer;
    int minutes = 0;
    auto visit = openDetails(0, [&](QWidget* dialog) {
        auto* tantousha = dialog->findChild<QComboBox*>(QStringLiteral("cbTantousha"));
        auto* joutai = dialog->findChild<QComboBox*>(QStringLiteral("cbJoutai"));
        groomers = itemsOf(*tantousha);
        groomer = tantousha->currentText();
        statuses = itemsOf(*joutai);
        minutes = dialog->findChild<QSpinBox*>(QStringLiteral("edtShoyouJikan"))->value();
        tantousha->setCurrentIndex(1);
        joutai->setCurrentIndex(6);
        click(*dialog, "btnShousaiOK");
    });
    ASSERT_TRUE(visit->appeared);
    EXPECT_EQ(visit->objectName, QStringLiteral("fmYoyakuShousai"));
    EXPECT_EQ(groomers, QStringList({"未定", "鈴木", "佐藤"}));
    EXPECT_EQ(groomer, QStringLiteral("佐藤"));
    EXPECT_EQ(statuses, QStringList({"予約", "確認済", "来店", "完了", "キャンセル",
                                     "当日キャンセル", "無断キャンセル"}));
    EXPECT_EQ(minutes, 75) << "the usual time of its style and kind";

    // The usual time left as it was stays the usual time; another feature's value stays.
    EXPECT_EQ(lists().detailsAt(RecordFile::Yoyaku, 0),
              (records::LineDetails{{QStringLiteral("groomer"), QStringLiteral("鈴木")},
                                    {QStringLiteral("status"), QStringLiteral("無断キャンセル")},
                                    {QStringLiteral("calls"), 1}}));
    EXPECT_TRUE(lists().detailsAt(RecordFile::Yoyaku, 1).isEmpty());
    EXPECT_EQ(readBytes(yoyakuFile()), reservations);
    mainwindow::TYoyakuGrid* grid = window->yoyakuGrid();
    EXPECT_EQ(grid->cellText(Column, Row), QStringLiteral("山田/ポチ\r\n佐藤/タマ"));
    EXPECT_TRUE(grid->isCellLineStruck(Column, Row, 0));
    EXPECT_FALSE(grid->isCellLineStruck(Column, Row, 1));

    auto cancelled = openDetails(1, [&](QWidget* dialog) {
        dialog->findChild<QSpinBox*>(QStringLiteral("edtShoyouJikan"))->setValue(90);
        click(*dialog, "btnShousaiCancel");
    });
    ASSERT_TRUE(cancelled->appeared);
    EXPECT_TRUE(lists().detailsAt(RecordFile::Yoyaku, 1).isEmpty());
}

TEST_F(SalonWindowsTest, OnlyTheThreeCancellationsAreStruckThrough) {
    const std::pair<Status, bool> rows[] = {
        {Status::Yoyaku, false},    {Status::Kakuninzumi, false}, {Status::Raiten, false},
        {Status::Kanryou, false},   {Status::Cancel, true},       {Status::TouzitsuCancel, true},
        {Status::MudanCancel, true}};
    mainwindow::TYoyakuGrid* grid = window->yoyakuGrid();
    for (const auto& [status, struck] : rows) {
        givenDetails(1, BookingDetails{{}, std::nullopt, status}.into({}));
        EXPECT_EQ(grid->isCellLineStruck(Column, Row, 1), struck)
            << statusCaption(status).toStdString();
        EXPECT_FALSE(grid->isCellLineStruck(Column, Row, 0));
        EXPECT_EQ(grid->cellText(Column, Row), QStringLiteral("山田/ポチ\r\n佐藤/タマ"));
    }
}

}  // namespace
}  // namespace testing_support
