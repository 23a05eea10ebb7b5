#include "mainwindow/ExportCommands.h"
#include "mainwindow/YoyakuGrid.h"
#include "mainwindow/uMain.h"
#include "tests/mainwindow/MainWindowFixture.h"
#include "tests/support/CsvReader.h"
#include "tests/support/Files.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/PdfText.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QToolBar>
#include <QtTest>

using namespace testing_support;

namespace {

// Stands in for the file dialog: answers with a path and remembers what it was offered.
struct ChooserStandIn {
    QString answer;
    QStringList suggested;
    QStringList captions;

    void install() {
        mainwindow::setSavePathChooser(
            [this](QWidget*, const QString& caption, const QString& suggestion, const QString&) {
                captions.append(caption);
                suggested.append(suggestion);
                return answer;
            });
    }
};

class ExportCommandsTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        ASSERT_TRUE(out.isValid());
        chooser.install();
        writeUsers(
            {customerLine("ポチ", "犬", "佐藤　一郎", "さとう", "東京都", "", "03-1", "090-1"),
             customerLine("タマ", "猫", "鈴木", "すずき")});
        writeReservations({reservationLine("2026", "12", "09", "10", "佐藤", "ポチ"),
                           reservationLine("2026", "12", "07", "15", "鈴木", "タマ"),
                           reservationLine("2026", "13", "40", "09", "日付なし", "ハナ"),
                           reservationLine("2026", "12", "09", "08", "早番", "モモ"),
                           "2026\t12\t09"});
        usersBefore = readBytes(userFile());
        reservationsBefore = readBytes(yoyakuFile());
    }
    void TearDown() override {
        mainwindow::setSavePathChooser({});
        MainWindowTest::TearDown();
    }

    // Nothing but the placement file may have appeared, and the record files are as they were.
    void expectRecordFilesUntouched() const {
        EXPECT_EQ(readBytes(userFile()), usersBefore);
        EXPECT_EQ(readBytes(yoyakuFile()), reservationsBefore);
        QStringList files = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden);
        files.removeAll(QFileInfo(iniFile()).fileName());
        EXPECT_EQ(files.size(), 2) << files.join(' ').toStdString();
    }

    QString outFile(const QString& name) const { return out.filePath(name); }

    QTemporaryDir out;
    ChooserStandIn chooser;
    QByteArray usersBefore;
    QByteArray reservationsBefore;
};

TEST_F(ExportCommandsTest, FileMenuOffersTheCommandsAfterCloseWithKeysOfTheirOwn) {
    auto window = openWindow();
    QMenu* file = window->findChild<QMenuBar*>("ActionMainMenuBar1")->actions().first()->menu();
    ASSERT_NE(file, nullptr);
    QStringList entries;
    QSet<QChar> keys;
    for (QAction* action : file->actions()) {
        if (action->isSeparator()) {
            entries.append("-");
            continue;
        }
        entries.append(action->objectName());
        const qsizetype amp = action->text().indexOf('&');
        ASSERT_GE(amp, 0) << action->objectName().toStdString();
        EXPECT_FALSE(keys.contains(action->text().at(amp + 1))) << action->text().toStdString();
        keys.insert(action->text().at(amp + 1));
    }
    EXPECT_EQ(entries, (QStringList{"actClose", "-", "actPrintWeek", "actPrintDay", "actPdfWeek",
                                    "actPdfDay", "-", "actExportCustomers", "actExportReservations",
                                    "-", "actFukugen", "-", "actKirokuTenken"}));
    EXPECT_EQ(window->actPrintWeek->text(), "週の予約表を印刷...(&P)");
    EXPECT_EQ(window->actExportReservations->toolTip(), "予約をCSVに書き出す");
    for (QAction* action : window->findChild<QToolBar*>("ActionToolBar1")->actions()) {
        EXPECT_NE(action, window->actPdfWeek);
    }
}

TEST_F(ExportCommandsTest, ReservationsCsvHoldsEveryLineInFileOrder) {
    auto window = openWindow();
    chooser.answer = outFile("予約.csv");
    window->actExportReservations->trigger();

    ASSERT_EQ(chooser.suggested.size(), 1);
    EXPECT_EQ(QFileInfo(chooser.suggested.first()).fileName(), "予約_2026-12-09.csv");
    const auto rows = readCsv(readBytes(chooser.answer));
    ASSERT_TRUE(rows.has_value());
    ASSERT_EQ(rows->size(), 6);
    QStringList firstColumns;
    for (const QStringList& row : *rows) {
        firstColumns.append(row.at(0) + "|" + row.at(7) + "|" + row.at(13));
    }
    EXPECT_EQ(firstColumns,
              (QStringList{"日付|お名前|ペット名", "2026-12-09|佐藤|ポチ", "2026-12-07|鈴木|タマ",
                           "|日付なし|ハナ", "2026-12-09|早番|モモ", "2026-12-09||"}));
    expectRecordFilesUntouched();
}

TEST_F(ExportCommandsTest, CustomersCsvAndTheLastFolderRemembered) {
    auto window = openWindow();
    chooser.answer = outFile("お客様.csv");
    window->actExportCustomers->trigger();
    window->actExportCustomers->trigger();

    ASSERT_EQ(chooser.suggested.size(), 2);
    EXPECT_EQ(chooser.suggested.at(1), outFile("お客様_2026-12-09.csv"));
    EXPECT_EQ(chooser.captions.first(), "お客様をCSVに書き出す");
    const auto rows = readCsv(readBytes(chooser.answer));
    ASSERT_TRUE(rows.has_value());
    ASSERT_EQ(rows->size(), 3);
    EXPECT_EQ(rows->at(1), (QStringList{"ポチ", "犬", "", "さとう", "佐藤　一郎", "", "東京都", "",
                                        "03-1", "090-1"}));
    expectRecordFilesUntouched();
}

TEST_F(ExportCommandsTest, CancelWritesNothing) {
    auto window = openWindow();
    chooser.answer.clear();
    window->actExportReservations->trigger();
    window->actPdfWeek->trigger();
    EXPECT_EQ(chooser.suggested.size(), 2);
    EXPECT_TRUE(QDir(out.path()).isEmpty());
    expectRecordFilesUntouched();
}

TEST_F(ExportCommandsTest, ARecordFileIsRefusedAsTheTarget) {
    auto window = openWindow();
    for (const QString& target : {yoyakuFile(), userFile(), folder.path() + "/./" + UserFileName}) {
        chooser.answer = target;
        auto warning = answerNextMessage(QMessageBox::Ok);
        window->actExportCustomers->trigger();
        ASSERT_TRUE(warning->appeared) << target.toStdString();
        EXPECT_EQ(warning->icon, QMessageBox::Warning);
        EXPECT_EQ(warning->title, "お客様をCSVに書き出す");
        EXPECT_TRUE(warning->text.contains("記録ファイル"));
    }
    expectRecordFilesUntouched();
}

TEST_F(ExportCommandsTest, AFileThatCannotBeWrittenIsReported) {
    auto window = openWindow();
    chooser.answer = outFile("missing/予約.csv");
    auto report = answerNextMessage(QMessageBox::Ok);
    window->actExportReservations->trigger();
    ASSERT_TRUE(report->appeared);
    EXPECT_EQ(report->icon, QMessageBox::Critical);
    EXPECT_TRUE(report->text.contains("予約.csv"));
    expectRecordFilesUntouched();
}

TEST_F(ExportCommandsTest, WeekPdfOfTheDisplayedWeek) {
    auto window = openWindow();
    window->actYoyakuWeekNext->trigger();
    window->actYoyakuWeekBack->trigger();
    chooser.answer = outFile("week.pdf");
    window->actPdfWeek->trigger();

    EXPECT_EQ(QFileInfo(chooser.suggested.first()).fileName(), "予約表_2026-12-06.pdf");
    const QStringList pages = pdfPages(readBytes(chooser.answer));
    ASSERT_EQ(pages.size(), 1);
    const QString text = withoutSpaces(pages.first());
    for (const char* entry :
         {"10:00佐藤/ポチ", "15:00鈴木/タマ", "09:00日付なし/ハナ", "08:00早番/モモ"}) {
        EXPECT_EQ(text.count(QString::fromUtf8(entry)), 1) << entry;
    }
    expectRecordFilesUntouched();
}

TEST_F(ExportCommandsTest, DayPdfOfTheSelectedColumn) {
    auto window = openWindow();
    window->yoyakuGrid()->selectCell(2, 3);  // Monday the 7th
    chooser.answer = outFile("day.pdf");
    window->actPdfDay->trigger();
    EXPECT_EQ(QFileInfo(chooser.suggested.first()).fileName(), "日の予約表_2026-12-07.pdf");
    QString text = withoutSpaces(pdfPages(readBytes(chooser.answer)).join(QString()));
    EXPECT_TRUE(text.contains("鈴木"));
    EXPECT_FALSE(text.contains("佐藤"));

    window->yoyakuGrid()->selectCell(4, 3);  // Wednesday the 9th, today
    window->actPdfDay->trigger();
    text = withoutSpaces(pdfPages(readBytes(chooser.answer)).join(QString()));
    // Time order, the reservation without a valid date counted as today's.
    EXPECT_LT(text.indexOf("早番"), text.indexOf("日付なし"));
    EXPECT_LT(text.indexOf("日付なし"), text.indexOf("佐藤"));
    EXPECT_FALSE(text.contains("鈴木"));
    expectRecordFilesUntouched();
}

TEST_F(ExportCommandsTest, PrintOpensThePreviewOfTheSheet) {
    auto window = openWindow();
    window->show();
    int pages = 0;
    auto visit = onNextModal([&pages](QWidget* preview) {
        if (auto* view = preview->findChild<QPrintPreviewWidget*>()) {
            pages = view->pageCount();
        }
        preview->close();
    });
    window->actPrintWeek->trigger();
    ASSERT_TRUE(visit->appeared);
    EXPECT_FALSE(visit->closedByWatchdog);
    EXPECT_EQ(visit->objectName, "PrintPreviewDialog");
    EXPECT_EQ(pages, 1);

    visit = onNextModal([](QWidget* preview) { preview->close(); });
    window->actPrintDay->trigger();
    ASSERT_TRUE(visit->appeared);
    EXPECT_EQ(visit->className, "QPrintPreviewDialog");
    expectRecordFilesUntouched();
}

}  // namespace
