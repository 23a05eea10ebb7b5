// The desk's windows driven through the main window: a payment from the week table, corrected,
// with its receipt saved; and the takings of the month with their CSV file.
#include "dayboard/DayBoard.h"
#include "mainwindow/ExportCommands.h"
#include "mainwindow/YoyakuGrid.h"
#include "records/Kaikei.h"
#include "tests/mainwindow/MainWindowFixture.h"
#include "tests/support/CsvReader.h"
#include "tests/support/DialogFields.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/PdfText.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QTreeWidget>
#include <QtTest>

namespace testing_support {
namespace {

using records::RecordFile;
using namespace records::kaikei;

// Wednesday the 9th at 10 時 in the week from Sunday the 6th.
constexpr int Column = 4;
constexpr int Row = 3;

QStringList linesOf(const QTreeWidget& list) {
    QStringList lines;
    for (int at = 0; at < list.topLevelItemCount(); ++at) {
        lines.append(list.topLevelItem(at)->text(0) + ' ' + list.topLevelItem(at)->text(1));
    }
    return lines;
}

class KaikeiWindowsTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        writeReservations({reservationLine("2026", "12", "09", "10", "山田", "ポチ")});
        window = openWindow();
        window->show();
        PriceSettings prices;
        prices.prices[3][0] = 5000;  // その他・犬, the line's choices
        prices.salonName = QStringLiteral("サロン ポチ");
        prices.registrationNumber = QStringLiteral("T1234567890123");
        lists().setSetting(PriceSettings::SettingName, prices.toBytes());
        mainwindow::setSavePathChooser(
            [this](QWidget*, const QString&, const QString& suggested, const QString&) {
                return path(QFileInfo(suggested).fileName());
            });
    }
    void TearDown() override {
        mainwindow::setSavePathChooser({});
        MainWindowTest::TearDown();
    }
    records::RecordLists& lists() { return window->recordLists(); }
    // Picks 会計... in the table's context menu on the booking's cell.
    std::shared_ptr<ModalVisit> openPayment(std::function<void(QWidget*)> drive) {
        mainwindow::TYoyakuGrid* grid = window->yoyakuGrid();
        grid->selectCell(Column, Row);
        emit grid->customContextMenuRequested(QPoint(5, 5));
        window->findChild<QMenu*>(QStringLiteral("PopupMenuYoyaku"))->close();
        auto* kaikei = window->findChild<QAction*>(QStringLiteral("actKaikei"));
        EXPECT_TRUE(kaikei && kaikei->isEnabled());
        auto visit = onNextModal(std::move(drive));
        kaikei->trigger();
        return visit;
    }

    std::unique_ptr<TfmMain> window;
};

TEST_F(KaikeiWindowsTest, APaymentIsRecordedCompletedAndACorrectionKeepsTheFirst) {
    const QByteArray reservations = readBytes(yoyakuFile());
    QStringList shownLines;
    QString total, change;
    std::shared_ptr<ModalVisit> shortCash;
    auto paid = openPayment([&](QWidget* dialog) {
        auto* list = dialog->findChild<QTreeWidget*>(QStringLiteral("ListViewKaikeiMeisai"));
        setFieldText(*dialog, "edtMeisaiNaiyou", QStringLiteral("おやつ"));
        setFieldText(*dialog, "edtMeisaiKingaku", QStringLiteral("550"));
        click(*dialog, "btnMeisaiAdd");
        shownLines = linesOf(*list);
        total = dialog->findChild<QLabel*>(QStringLiteral("lbKaikeiGoukei"))->text();
        setFieldText(*dialog, "edtAzukari", QStringLiteral("5000"));
        shortCash = answerNextMessage(QMessageBox::Ok);
        click(*dialog, "btnKaikeiKakutei");
        setFieldText(*dialog, "edtAzukari", QStringLiteral("10,000"));
        change = dialog->findChild<QLabel*>(QStringLiteral("lbOturi"))->text();
        click(*dialog, "btnKaikeiKakutei");
    });
    ASSERT_TRUE(paid->appeared);
    EXPECT_EQ(paid->objectName, QStringLiteral("fmKaikei"));
    EXPECT_EQ(shownLines, QStringList({"その他・犬 ¥5,000", "おやつ ¥550"}));
    EXPECT_EQ(total, QStringLiteral("合計 ¥5,550（内消費税 10% ¥504）"));
    ASSERT_TRUE(shortCash && shortCash->appeared);
    EXPECT_TRUE(shortCash->text.contains(QStringLiteral("¥5,550")));
    EXPECT_EQ(change, QStringLiteral("¥4,450"));

    const records::LineDetails once = lists().detailsAt(RecordFile::Yoyaku, 0);
    EXPECT_EQ(records::booking::BookingDetails::of(once).status, records::booking::Status::Kanryou);
    const Payments first = Payments::of(once);
    ASSERT_EQ(first.versions.size(), 1);
    EXPECT_EQ(first.current().lines, QList<BillLine>({{QStringLiteral("その他・犬"), 5000},
                                                      {QStringLiteral("おやつ"), 550}}));
    EXPECT_EQ(first.current().method, Method::Genkin);
    EXPECT_EQ(first.current().handedOver, 10000);
    EXPECT_EQ(first.current().paidAt, FixedNow);
    EXPECT_EQ(readBytes(yoyakuFile()), reservations) << "only the store is written";

    // Reopened: the recorded payment, corrected to card without the treat; its receipt saved.
    QStringList reopenedLines;
    bool historyShown = false;
    std::shared_ptr<ModalVisit> saved;
    auto corrected = openPayment([&](QWidget* dialog) {
        auto* list = dialog->findChild<QTreeWidget*>(QStringLiteral("ListViewKaikeiMeisai"));
        reopenedLines = linesOf(*list);
        historyShown = !dialog->findChild<QLabel*>(QStringLiteral("lbKaikeiRireki"))->isHidden();
        list->setCurrentItem(list->topLevelItem(1));
        click(*dialog, "btnMeisaiDelete");
        dialog->findChild<QComboBox*>(QStringLiteral("cbShiharai"))->setCurrentIndex(1);
        saved = answerNextMessage(QMessageBox::Ok);
        dialog->findChild<QAction*>(QStringLiteral("actRyoushuushoPdf"))->trigger();
        click(*dialog, "btnKaikeiKakutei");
    });
    ASSERT_TRUE(corrected->appeared);
    EXPECT_EQ(reopenedLines, shownLines);
    EXPECT_TRUE(historyShown);
    const Payments both = Payments::of(lists().detailsAt(RecordFile::Yoyaku, 0));
    ASSERT_EQ(both.versions.size(), 2);
    EXPECT_EQ(both.versions.first(), first.current());
    EXPECT_EQ(both.current().method, Method::Card);
    EXPECT_EQ(both.current().taxed(), (TaxedTotal{454, 5000}));

    ASSERT_TRUE(saved && saved->appeared);
    const QStringList pages = pdfPages(readBytes(path(QStringLiteral("領収書_20261209_1030.pdf"))));
    ASSERT_EQ(pages.size(), 1);
    const QString receipt = withoutSpaces(pages.first());
    for (const char* fact : {"サロンポチ", "登録番号T1234567890123", "山田様", "¥5,000", "¥454"}) {
        EXPECT_TRUE(receipt.contains(QString::fromUtf8(fact))) << fact;
    }
    EXPECT_EQ(QFileInfo(path(QStringLiteral("領収書_20261209_1030.pdf"))).permissions() & 0x0077,
              0);
}

TEST_F(KaikeiWindowsTest, TheTakingsOfTheMonthFollowAPaymentAndGoToCsv) {
    Payment payment;
    payment.lines = {{QStringLiteral("その他・犬"), 5000}};
    payment.taxIncluded = false;
    payment.method = Method::DenshiMoney;
    payment.handedOver = 5500;
    lists().setDetails(RecordFile::Yoyaku, 0, lists().lines(RecordFile::Yoyaku).at(0),
                       Payments::withAdded({}, payment));
    window->findChild<QAction*>(QStringLiteral("actUriage"))->trigger();
    auto* uriage = window->findChild<QWidget*>(QStringLiteral("fmUriage"));
    ASSERT_NE(uriage, nullptr);
    auto* list = uriage->findChild<QTreeWidget*>(QStringLiteral("ListViewUriage"));
    const QStringList shown = linesOf(*list);
    EXPECT_TRUE(shown.contains(QStringLiteral("会計済みの来店 1")))
        << shown.join('|').toStdString();
    EXPECT_EQ(list->topLevelItem(0)->text(2), QStringLiteral("5,500"));

    // The window follows the store: the same booking marked a no-show afterwards is counted too.
    lists().setDetails(
        RecordFile::Yoyaku, 0, lists().lines(RecordFile::Yoyaku).at(0),
        records::booking::BookingDetails{{}, std::nullopt, records::booking::Status::MudanCancel}
            .into(Payments::withAdded({}, payment)));
    auto saved = answerNextMessage(QMessageBox::Ok);
    click(*uriage, "btnUriageCsv");
    ASSERT_TRUE(saved->appeared);
    const auto rows = readCsv(readBytes(path(QStringLiteral("売上_2026-12.csv"))));
    ASSERT_TRUE(rows);
    EXPECT_EQ(rows->at(1), QStringList({"期間", "2026年12月", ""}));
    EXPECT_EQ(rows->at(2), QStringList({"会計済みの来店", "1", "5,500"}));
    EXPECT_TRUE(rows->contains(QStringList({"電子マネー", "", "5,500"})));
    EXPECT_TRUE(rows->contains(QStringList({"無断キャンセル", "1", ""})));
}

TEST_F(KaikeiWindowsTest, TheDetailsAndTheDayBoardLeadToThePaymentOfTheirBooking) {
    // From the details: their price is kept first, then the payment starts from it.
    std::shared_ptr<ModalVisit> fromDetails;
    QStringList linesFromDetails;
    mainwindow::TYoyakuGrid* grid = window->yoyakuGrid();
    grid->selectCell(Column, Row);
    emit grid->customContextMenuRequested(QPoint(5, 5));
    window->findChild<QMenu*>(QStringLiteral("PopupMenuYoyaku"))->close();
    auto details = onNextModal([&](QWidget* dialog) {
        setFieldText(*dialog, "edtRyoukin", QStringLiteral("4800"));
        fromDetails = onNextModal([&](QWidget* payment) {
            linesFromDetails =
                linesOf(*payment->findChild<QTreeWidget*>(QStringLiteral("ListViewKaikeiMeisai")));
            click(*payment, "btnKaikeiCancel");
        });
        dialog->findChild<QAction*>(QStringLiteral("actKaikei"))->trigger();
    });
    window->findChild<QAction*>(QStringLiteral("actYoyakuShousai"))->trigger();
    ASSERT_TRUE(details->appeared);
    ASSERT_TRUE(fromDetails && fromDetails->appeared);
    EXPECT_EQ(fromDetails->objectName, QStringLiteral("fmKaikei"));
    EXPECT_EQ(linesFromDetails, QStringList({"その他・犬 ¥4,800"}));
    EXPECT_EQ(ownPriceOf(lists().detailsAt(RecordFile::Yoyaku, 0)), 4800);
    EXPECT_FALSE(Payments::of(lists().detailsAt(RecordFile::Yoyaku, 0)).isPaid()) << "cancelled";

    window->findChild<QAction*>(QStringLiteral("actHibetuYotei"))->trigger();
    auto* board = window->findChild<QWidget*>(QStringLiteral("fmHibetuYotei"));
    ASSERT_NE(board, nullptr);
    auto* kaikei = board->findChild<QAction*>(QStringLiteral("actKaikei"));
    ASSERT_NE(kaikei, nullptr);
    EXPECT_FALSE(kaikei->isEnabled()) << "no booking selected";
    auto* blocks = board->findChild<dayboard::TDayBoard*>();
    QTest::mouseClick(blocks, Qt::LeftButton, {}, blocks->blockRect(0).center());
    ASSERT_TRUE(kaikei->isEnabled());
    auto fromBoard = onNextModal([](QWidget* payment) { click(*payment, "btnKaikeiCancel"); });
    kaikei->trigger();
    ASSERT_TRUE(fromBoard->appeared);
    EXPECT_EQ(fromBoard->objectName, QStringLiteral("fmKaikei"));
}

}  // namespace
}  // namespace testing_support
