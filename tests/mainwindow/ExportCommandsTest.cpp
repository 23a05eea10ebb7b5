#include "mainwindow/ExportCommands.h"
#include "mainwindow/YoyakuGrid.h"
#include "mainwindow/uMain.h"
#include "records/BookingDetails.h"
#include "records/FileChecks.h"
#include "tests/mainwindow/MainWindowFixture.h"
#include "tests/support/CsvReader.h"
#include "tests/support/DialogFields.h"
#include "tests/support/Files.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/PdfText.h"

#include <QAction>
#include <QDateEdit>
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

// Answers the next day question: OK with `day` in the date field, キャンセル when there is none;
// `offered` gets the day the field started on.
std::shared_ptr<ModalVisit> answerDay(std::optional<QDate> day, QDate& offered) {
    return onNextModal([day, &offered](QWidget* dialog) {
        auto* field = dialog->findChild<QDateEdit*>(QStringLiteral("dtHizuke"));
        offered = field->date();
        field->setDate(day.value_or(offered));
        click(*dialog, day ? "btnHizukeOK" : "btnHizukeCancel");
    });
}

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

    // Nothing but the placement file and the lock file that reads share may have appeared, and
    // the record files are as they were.
    void expectRecordFilesUntouched() const {
        EXPECT_EQ(readBytes(userFile()), usersBefore);
        EXPECT_EQ(readBytes(yoyakuFile()), reservationsBefore);
        QStringList files = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden);
        files.removeAll(QFileInfo(iniFile()).fileName());
        files.removeAll(QFileInfo(records::FolderLock::lockFilePath(folder.path())).fileName());
        EXPECT_EQ(files.size(), 2) << files.join(' ').toStdString();
    }

    QString outFile(const QString& name) const { return out.filePath(name); }

    // Runs an export command onto `target` and checks that it says where it wrote.
    void exportTo(QAction* command, const QString& target) {
        chooser.answer = target;
        auto said = answerNextMessage(QMessageBox::Ok);
        command->trigger();
        ASSERT_TRUE(said->appeared) << command->objectName().toStdString();
        EXPECT_EQ(said->icon, QMessageBox::Information);
        EXPECT_EQ(said->title, command->toolTip());
        EXPECT_TRUE(said->text.contains(QDir::toNativeSeparators(target)))
            << said->text.toStdString();
    }

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
    exportTo(window->actExportReservations, outFile("予約.csv"));

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

// A pet's flags reach the day sheet's 注意 column beside its booking.
TEST_F(ExportCommandsTest, ThePetsFlagsReachTheDaySheet) {
    writeUsers({customerLine("ポチ", "犬", "佐藤", "さとう")});
    auto window = openWindow();
    window->show();
    giveKarte(window->recordLists(), 0, {records::karte::Flag::Kamu});
    QDate offered;
    answerDay(QDate(2026, 12, 9), offered);
    exportTo(window->actPdfDay, outFile("day.pdf"));
    const QString text = withoutSpaces(pdfPages(readBytes(chooser.answer)).join(QString()));
    EXPECT_TRUE(text.contains("爪切り注意"));
    EXPECT_LT(text.indexOf("ポチ"), text.indexOf("噛む"));
    EXPECT_EQ(text.count("噛む"), 1);
}

// The day sheet shows the details only once the salon keeps them; the CSV always has them, in one
// query of the store for the whole list.
TEST_F(ExportCommandsTest, TheDetailsKeptInTheStoreReachTheDaySheetAndTheCsv) {
    auto window = openWindow();
    window->show();
    const auto daySheetText = [&] {
        QDate offered;
        answerDay(QDate(2026, 12, 9), offered);
        exportTo(window->actPdfDay, outFile("day.pdf"));
        return withoutSpaces(pdfPages(readBytes(chooser.answer)).join(QString()));
    };
    EXPECT_FALSE(daySheetText().contains("担当"));

    records::RecordLists& lists = window->recordLists();
    lists.setDetails(records::RecordFile::Yoyaku, 0, lists.lines(records::RecordFile::Yoyaku).at(0),
                     records::booking::BookingDetails{QStringLiteral("田中"), std::nullopt,
                                                      records::booking::Status::Kakuninzumi}
                         .into({}));
    const QString text = daySheetText();
    EXPECT_TRUE(text.contains("担当"));
    EXPECT_TRUE(text.contains("田中") && text.contains("60分・確認済"));
    EXPECT_EQ(text.count("60分・予約"), 3);  // the day's others, the ones without a date included

    exportTo(window->actExportReservations, outFile("予約.csv"));
    const auto rows = readCsv(readBytes(chooser.answer));
    ASSERT_TRUE(rows.has_value());
    ASSERT_EQ(rows->size(), 6);
    EXPECT_EQ(rows->at(1).mid(21), (QStringList{"田中", "60", "確認済"}));
    EXPECT_EQ(rows->at(2).mid(21), (QStringList{"未定", "60", "予約"}));
    EXPECT_EQ(readBytes(yoyakuFile()), reservationsBefore);
}

TEST_F(ExportCommandsTest, CustomersCsvAndTheLastFolderRemembered) {
    auto window = openWindow();
    exportTo(window->actExportCustomers, outFile("お客様.csv"));
    exportTo(window->actExportCustomers, outFile("お客様.csv"));

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

// Every export is owner-only, whether it makes a new file or replaces one that was not.
TEST_F(ExportCommandsTest, ExportsAreOwnerOnlyNewOrReplaced) {
    auto window = openWindow();
    const QString replaced = outFile("old.csv");
    for (QAction* command : {window->actExportCustomers, window->actExportReservations,
                             window->actPdfWeek, window->actPdfDay}) {
        const QString made = outFile(command->objectName() + ".out");
        writeBytes(replaced, "old");
        ASSERT_TRUE(QFile::setPermissions(
            replaced, QFile::permissions(replaced) | QFile::ReadGroup | QFile::ReadOther));
        for (const QString& target : {made, replaced}) {
            QDate offered;
            if (command == window->actPdfDay) {
                answerDay(QDate(2026, 12, 9), offered);
            }
            exportTo(command, target);
            EXPECT_NE(readBytes(target), "old");
            EXPECT_EQ(QFileInfo(target).permissions() & ~(QFile::ReadUser | QFile::WriteUser),
                      QFile::ReadOwner | QFile::WriteOwner)
                << command->objectName().toStdString() << " " << target.toStdString();
        }
    }
    expectRecordFilesUntouched();
}

// The record files, the program's own files beside them and whatever is inside a backup are
// refused as the target, by whatever path they are named; none of them changes.
TEST_F(ExportCommandsTest, TheProgramsOwnFilesAreRefusedAsTheTarget) {
    auto window = openWindow();
    const QString backup = path("バックアップ/2026-12-08_1000/");
    ASSERT_TRUE(QDir().mkpath(backup) && QFile::link(path("バックアップ"), outFile("link")));
    const QStringList kept = {backup + YoyakuFileName, path("trimbook"), path(".trimbook.lock"),
                              iniFile()};
    for (const QString& file : kept) {
        writeBytes(file, "kept");
    }
    const struct {
        QString target;
        const char* says;
    } cases[] = {
        {yoyakuFile(), "記録ファイル"},
        {folder.path() + "/./" + UserFileName, "記録ファイル"},
        {path("trimbook"), "このプログラムのファイル"},
        {path(".trimbook.lock"), "このプログラムのファイル"},
        {iniFile(), "このプログラムのファイル"},
        {path("trimbook.db"), "このプログラムのファイル"},
        {backup + YoyakuFileName, "バックアップ"},
        {backup + "new.pdf", "バックアップ"},
        {outFile("link/2026-12-08_1000/") + YoyakuFileName, "バックアップ"},
    };
    for (const auto& c : cases) {
        for (QAction* command : {window->actExportCustomers, window->actPdfWeek}) {
            chooser.answer = c.target;
            auto warning = answerNextMessage(QMessageBox::Ok);
            command->trigger();
            ASSERT_TRUE(warning->appeared) << c.target.toStdString();
            EXPECT_EQ(warning->icon, QMessageBox::Warning);
            EXPECT_EQ(warning->title, command->toolTip());
            EXPECT_TRUE(warning->text.contains(QString::fromUtf8(c.says)));
        }
    }
    for (const QString& file : kept) {
        EXPECT_EQ(readBytes(file), "kept") << file.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(path("trimbook.db")) || QFileInfo::exists(backup + "new.pdf"));
    EXPECT_EQ(readBytes(yoyakuFile()), reservationsBefore);
    EXPECT_EQ(readBytes(userFile()), usersBefore);
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
    exportTo(window->actPdfWeek, outFile("week.pdf"));

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

TEST_F(ExportCommandsTest, DayPdfAsksForTheDayStartingOnTheSelectedColumn) {
    auto window = openWindow();
    window->show();
    window->yoyakuGrid()->selectCell(2, 3);  // Monday the 7th
    QDate offered;
    auto asked = answerDay(QDate(2026, 12, 7), offered);
    exportTo(window->actPdfDay, outFile("day.pdf"));
    ASSERT_TRUE(asked->appeared);
    EXPECT_EQ(asked->objectName, "fmHizukeSentaku");
    EXPECT_EQ(asked->title, "日の予約表をPDFに保存");
    EXPECT_EQ(offered, QDate(2026, 12, 7));
    EXPECT_EQ(QFileInfo(chooser.suggested.first()).fileName(), "日の予約表_2026-12-07.pdf");
    QString text = withoutSpaces(pdfPages(readBytes(chooser.answer)).join(QString()));
    EXPECT_TRUE(text.contains("鈴木"));
    EXPECT_FALSE(text.contains("佐藤"));

    // Another day chosen in the field: the sheet is of that day, not of the selected column.
    answerDay(QDate(2026, 12, 9), offered);
    exportTo(window->actPdfDay, outFile("day.pdf"));
    EXPECT_EQ(QFileInfo(chooser.suggested.last()).fileName(), "日の予約表_2026-12-09.pdf");
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

    auto asked = onNextModal([&visit](QWidget* dialog) {
        visit = onNextModal([](QWidget* preview) { preview->close(); });
        click(*dialog, "btnHizukeOK");
    });
    window->actPrintDay->trigger();
    EXPECT_EQ(asked->title, "日の予約表を印刷");
    ASSERT_TRUE(visit->appeared);
    EXPECT_EQ(visit->className, "QPrintPreviewDialog");
    expectRecordFilesUntouched();
}

TEST_F(ExportCommandsTest, CancellingTheDayQuestionPrintsAndSavesNothing) {
    auto window = openWindow();
    window->show();
    QDate offered;
    std::shared_ptr<ModalVisit> preview;
    onNextModal([&preview](QWidget* dialog) {
        // Short, so that the watchdog soon marks a preview that never came.
        preview = onNextModal([](QWidget* shown) { shown->close(); }, 300);
        click(*dialog, "btnHizukeCancel");
    });
    window->actPrintDay->trigger();
    ASSERT_TRUE(preview);
    QTRY_VERIFY(preview->closedByWatchdog);
    EXPECT_FALSE(preview->appeared);

    const auto asked = answerDay(std::nullopt, offered);
    window->actPdfDay->trigger();
    EXPECT_TRUE(asked->appeared);
    EXPECT_TRUE(chooser.suggested.isEmpty()) << "no file is asked for";
    expectRecordFilesUntouched();
}

}  // namespace
