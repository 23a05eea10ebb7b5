// The backups the program makes by itself and the restore window, through the real main window:
// what is backed up when, the warning when a backup cannot be made, and a restore that leaves the
// program as a fresh start on the restored files.

#include "backup/uFukugen.h"
#include "mainwindow/YoyakuGrid.h"
#include "mainwindow/uMain.h"
#include "records/Backup.h"
#include "tests/mainwindow/MainWindowFixture.h"
#include "tests/support/Files.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/Mounts.h"

#include <QAbstractButton>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

using namespace testing_support;
namespace backup = records::backup;

namespace {

// Built when first used: the record format's tables are not ready while globals are built.
const QByteArrayList& users() {
    static const QByteArrayList lines{customerLine("モモ", "猫", "佐藤", "さとう"),
                                      customerLine("ポチ", "犬", "山田", "やまだ")};
    return lines;
}
// Wednesday the 9th at 10 時, this week, and a reservation of the week after.
const QByteArrayList& reservations() {
    static const QByteArrayList lines{reservationLine("2026", "12", "09", "10", "佐藤", "モモ"),
                                      reservationLine("2026", "12", "16", "11", "鈴木", "ココ")};
    return lines;
}
const QByteArrayList& otherUsers() {
    static const QByteArrayList lines{customerLine("ハナ", "犬", "田中", "たなか")};
    return lines;
}
const QByteArrayList& otherReservations() {
    static const QByteArrayList lines{reservationLine("2026", "12", "08", "09", "田中", "ハナ"),
                                      reservationLine("2026", "12", "10", "14", "田中", "ハナ"),
                                      reservationLine("2026", "12", "11", "15", "高橋", "クロ")};
    return lines;
}

class FukugenTest : public MainWindowTest {
protected:
    std::unique_ptr<TfmMain> openWithBackups() const {
        return std::make_unique<TfmMain>(MainWindowOptions{folder.path(), iniFile(), {}, true});
    }
    // Starts the program, lets `during` run while it is shown, and closes it.
    void run(const std::function<void(TfmMain&)>& during = {}) const {
        auto window = openWithBackups();
        window->show();
        if (during) {
            during(*window);
        }
        window->close();
    }
    QStringList backups() const {
        QStringList names;
        for (const backup::Entry& entry : backup::listBackups(folder.path())) {
            names.append(entry.name);
        }
        return names;
    }
    QString backupFile(const QString& name, const QString& file) const {
        return backup::backupRoot(folder.path()) + "/" + name + "/" + file;
    }
    void writeState(const QByteArrayList& users, const QByteArrayList& reservations) const {
        writeUsers(users);
        writeReservations(reservations);
    }
};

// Registers a new customer through its dialog: a record file written during the run.
void registerCustomer(TfmMain& window) {
    auto dialog = onNextModal([](QWidget* shown) {
        shown->findChild<QLineEdit*>("edtPetName")->setText(QStringLiteral("クロ"));
        QTest::mouseClick(shown->findChild<QAbstractButton*>("Button1"), Qt::LeftButton);
    });
    window.actUserTouroku->trigger();
    EXPECT_TRUE(dialog->appeared);
}

TEST_F(FukugenTest, StartsAndClosesBackUpOnlyWhatChanged) {
    writeState(users(), reservations());
    run();
    ASSERT_EQ(backups(), QStringList{"2026-12-09_103000"}) << "the first start makes one backup";
    EXPECT_EQ(readBytes(backupFile(backups().first(), UserFileName)), fileOf(users()));
    EXPECT_EQ(readBytes(backupFile(backups().first(), YoyakuFileName)), fileOf(reservations()));

    setNow(FixedNow.addSecs(60));
    run();
    EXPECT_EQ(backups().size(), 1) << "an unchanged restart made a backup";

    setNow(FixedNow.addSecs(120));
    writeReservations(otherReservations());
    run();
    ASSERT_EQ(backups().size(), 2) << "a change before the start was not backed up";
    EXPECT_EQ(readBytes(backupFile(backups().first(), YoyakuFileName)),
              fileOf(otherReservations()));

    // A customer registered during the run is backed up as the program closes.
    setNow(FixedNow.addSecs(180));
    run([](TfmMain& window) { registerCustomer(window); });
    ASSERT_EQ(backups().size(), 3) << "a file written during the run was not backed up at close";
    EXPECT_EQ(backups().first(), QStringLiteral("2026-12-09_103300"));
    EXPECT_EQ(readBytes(backupFile(backups().first(), UserFileName)), readBytes(userFile()));
}

TEST_F(FukugenTest, TheCommandStandsInTheFileMenuBetweenSeparators) {
    auto window = openWindow();
    QMenu* file = window->menuBar()->actions().first()->menu();
    const QList<QAction*> entries = file->actions();
    const qsizetype at = entries.indexOf(window->actFukugen);
    ASSERT_GE(at, 2);
    EXPECT_EQ(entries.first(), window->actClose);
    EXPECT_TRUE(entries[at - 1]->isSeparator());
    ASSERT_GT(entries.size(), at + 1);
    EXPECT_TRUE(entries[at + 1]->isSeparator());
    EXPECT_EQ(window->actFukugen->objectName(), QStringLiteral("actFukugen"));
    EXPECT_EQ(window->actFukugen->text(), QStringLiteral("バックアップから復元...(&B)"));
}

// What the restore command said: the confirmation and the message after the restore (appeared is
// false where none came).
struct RestoreMessages {
    std::shared_ptr<ModalVisit> confirmation, outcome;
};

// Opens the restore window, lets `drive` work in it, answers the confirmation with `answer` and
// the message after the restore with OK.
RestoreMessages throughTheRestoreWindow(TfmMain& window,
                                        const std::function<void(TfmFukugen&)>& drive,
                                        QMessageBox::StandardButton answer) {
    ModalVisits messages;
    auto shown = onNextModal([&](QWidget* dialog) {
        messages = answerMessages({answer, QMessageBox::Ok});
        drive(*static_cast<TfmFukugen*>(dialog));
    });
    window.actFukugen->trigger();
    EXPECT_TRUE(shown->appeared);
    EXPECT_EQ(shown->objectName, QStringLiteral("fmFukugen"));
    EXPECT_FALSE(shown->closedByWatchdog);
    if (!messages->back()->appeared) {
        forgetMessages();  // an unused answer must not answer a later box
    }
    return {messages->front(), messages->back()};
}

// The texts of the restore window's rows, the columns joined by "|".
QStringList rowTexts(const TfmFukugen& dialog) {
    QStringList rows;
    for (int row = 0; row < dialog.ListViewBackup->topLevelItemCount(); ++row) {
        QStringList texts;
        for (int column = 0; column < dialog.ListViewBackup->columnCount(); ++column) {
            texts.append(dialog.ListViewBackup->topLevelItem(row)->text(column));
        }
        rows.append(texts.join('|'));
    }
    return rows;
}

void chooseRow(TfmFukugen& dialog, int row) {
    QTreeWidget* list = dialog.ListViewBackup;
    const QRect place = list->visualItemRect(list->topLevelItem(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, place.center());
}

TEST_F(FukugenTest, ARestoreBringsBackTheFilesAndTheWindowsOfAFreshStart) {
    setNow(FixedNow.addDays(-1));
    writeState(otherUsers(), otherReservations());
    const QString older = *backup::backUpIfChanged(folder.path());
    writeState(users(), reservations());
    setNow(FixedNow);
    ASSERT_TRUE(backup::backUpIfChanged(folder.path()));
    // Changes since the last backup, which the restore must keep in a backup of their own.
    writeUsers(users() + QByteArrayList{customerLine("シロ", "猫", "伊藤", "いとう")});

    auto window = openWindow();
    window->show();
    window->actYoyakuWeekNext->trigger();  // a fresh start shows this week
    window->actUserItiran->trigger();
    QStringList rows;
    bool secondEnabled = false;
    const auto [confirmation, outcome] = throughTheRestoreWindow(
        *window,
        [&](TfmFukugen& dialog) {
            rows = rowTexts(dialog);
            chooseRow(dialog, 1);
            secondEnabled = dialog.btnFukugen->isEnabled();
            QTest::mouseClick(dialog.btnFukugen, Qt::LeftButton);
        },
        QMessageBox::Yes);

    ASSERT_EQ(rows.size(), 2);
    EXPECT_TRUE(rows[0].startsWith(QStringLiteral("2026年12月09日 10:30:00|2 件|2 件|")))
        << rows[0].toStdString();
    EXPECT_TRUE(rows[1].startsWith(QStringLiteral("2026年12月08日 10:30:00|1 件|3 件|")))
        << rows[1].toStdString();
    EXPECT_TRUE(secondEnabled);
    ASSERT_TRUE(confirmation->appeared);
    EXPECT_EQ(confirmation->icon, QMessageBox::Question);
    EXPECT_TRUE(confirmation->text.contains(QStringLiteral("2026年12月08日 10:30:00")))
        << confirmation->text.toStdString();
    ASSERT_TRUE(outcome->appeared) << "the restore was not said";
    EXPECT_EQ(outcome->icon, QMessageBox::Information);
    EXPECT_EQ(outcome->title, QStringLiteral("バックアップから復元"));
    EXPECT_EQ(outcome->text,
              QStringLiteral("2026年12月08日 10:30:00 のバックアップから復元しました。"));

    EXPECT_EQ(readBytes(userFile()), fileOf(otherUsers()));
    EXPECT_EQ(readBytes(yoyakuFile()), fileOf(otherReservations()));
    const QStringList after = backups();
    ASSERT_EQ(after.size(), 3);
    EXPECT_TRUE(after.contains(older));
    EXPECT_EQ(readBytes(backupFile(after.first(), UserFileName)),
              fileOf(users() + QByteArrayList{customerLine("シロ", "猫", "伊藤", "いとう")}));
    EXPECT_EQ(window->yoyakuGrid()->cellText(3, 2), QStringLiteral("田中/ハナ"));
    auto restarted = openWindow();
    expectSame(seenIn(*window), seenIn(*restarted));

    // After a restart, the backup of the files the restore replaced is marked as such, and no
    // other is.
    throughTheRestoreWindow(
        *restarted,
        [&](TfmFukugen& dialog) {
            rows = rowTexts(dialog);
            QTest::mouseClick(dialog.btnFukugenCancel, Qt::LeftButton);
        },
        QMessageBox::Yes);
    ASSERT_EQ(rows.size(), 3);
    EXPECT_TRUE(rows[0].startsWith(QStringLiteral("2026年12月09日 10:30:01（復元前の状態）|3 件|")))
        << rows[0].toStdString();
    EXPECT_FALSE(rows[1].contains(QStringLiteral("復元前")) || rows[2].contains("復元前"));
}

TEST_F(FukugenTest, CancelOrNoChangesNothingAndAnIncompleteBackupCannotBeChosen) {
    writeState(otherUsers(), otherReservations());
    const QString broken = *backup::backUpIfChanged(folder.path());
    ASSERT_TRUE(QFile::remove(backupFile(broken, YoyakuFileName)));
    writeState(users(), reservations());
    ASSERT_TRUE(backup::backUpIfChanged(folder.path()));
    auto window = openWindow();
    window->show();
    const Seen before = seenIn(*window);

    QString brokenText;
    bool brokenChosen = true;
    auto confirmation =
        throughTheRestoreWindow(
            *window,
            [&](TfmFukugen& dialog) {
                QTreeWidgetItem* row = dialog.ListViewBackup->topLevelItem(1);
                brokenText = row->text(1);
                chooseRow(dialog, 1);
                brokenChosen = row->isSelected() || dialog.ListViewBackup->currentItem() == row;
                QTest::mouseClick(dialog.btnFukugenCancel, Qt::LeftButton);
            },
            QMessageBox::Yes)
            .confirmation;
    EXPECT_FALSE(confirmation->appeared);
    EXPECT_EQ(brokenText, QStringLiteral("不完全なため復元できません"));
    EXPECT_FALSE(brokenChosen);

    const RestoreMessages answeredNo = throughTheRestoreWindow(
        *window, [](TfmFukugen& dialog) { QTest::mouseClick(dialog.btnFukugen, Qt::LeftButton); },
        QMessageBox::No);
    EXPECT_TRUE(answeredNo.confirmation->appeared);
    EXPECT_FALSE(answeredNo.outcome->appeared);
    expectSame(seenIn(*window), before);
    EXPECT_EQ(backups().size(), 2);
}

// A clock that once ran ahead left a backup of 2032: while the newest backup lies ahead, the
// backups of the start and of the close delete none of the old ones, and that is said once,
// naming the newest.
TEST_F(FukugenTest, ANewestBackupAheadOfTheClockKeepsTheOldOnesAndIsSaidOnce) {
    for (int month = 1; month <= 12; ++month) {
        setNow(QDateTime(QDate(2015, month, 10), QTime(9, 0)));
        writeState({customerLine("ハナ", "犬", "田中", QByteArray::number(month).constData())}, {});
        ASSERT_TRUE(backup::backUpIfChanged(folder.path()));
    }
    setNow(QDateTime(QDate(2032, 5, 1), QTime(12, 0)));
    writeState(otherUsers(), otherReservations());
    ASSERT_TRUE(backup::backUpIfChanged(folder.path()));
    const QStringList before = backups();
    setNow(FixedNow);
    writeState(users(), reservations());

    auto warning = answerNextMessage(QMessageBox::Ok);
    auto window = openWithBackups();
    window->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return warning->appeared; }, 5000));
    EXPECT_EQ(warning->icon, QMessageBox::Warning);
    EXPECT_TRUE(warning->text.contains(QStringLiteral("2032年05月01日 12:00:01")))
        << warning->text.toStdString();
    registerCustomer(*window);
    NoMessageWatch second;
    window->close();
    QCoreApplication::processEvents();  // a report posted from the closing backup
    EXPECT_FALSE(second.sawMessage()) << second.firstSeen().toStdString();
    const QStringList after = backups();
    ASSERT_EQ(after.size(), before.size() + 2);
    EXPECT_EQ(after.mid(2), before);
    EXPECT_EQ(after.first(), QStringLiteral("2032-05-01_120002"));
}

// A backup that cannot be made: one warning naming the folder and the reason, whatever else fails
// during the run, and no record file touched.
TEST_F(FukugenTest, AReadOnlyFolderIsSaidOnceAndTheFilesStayAsTheyWere) {
    writeState(users(), reservations());
    auto view = TestMount::readOnly(folder.path());
    if (!view.mounted()) {
        GTEST_SKIP() << "no read-only bind mount here";
    }
    // The placement goes elsewhere, so that its failure does not count.
    QTemporaryDir elsewhere;
    auto window = std::make_unique<TfmMain>(
        MainWindowOptions{folder.path(), elsewhere.filePath("trimbook.ini"), {}, true});
    auto warning = answerNextMessage(QMessageBox::Ok);
    window->show();
    // The report comes from the backup's thread; it is waited for, not timed.
    ASSERT_TRUE(QTest::qWaitFor([&] { return warning->appeared; }, 5000));
    EXPECT_EQ(warning->icon, QMessageBox::Warning);
    EXPECT_TRUE(warning->text.contains(QDir::toNativeSeparators(backup::backupRoot(folder.path()))))
        << warning->text.toStdString();
    EXPECT_TRUE(warning->text.contains("読み取り専用")) << warning->text.toStdString();
    EXPECT_EQ(readBytes(userFile()), fileOf(users()));
    EXPECT_EQ(readBytes(yoyakuFile()), fileOf(reservations()));

    // A customer written once the folder can be written; the closing backup fails again, unsaid.
    view.unmount();
    registerCustomer(*window);
    const QByteArray written = readBytes(userFile());
    const auto again = TestMount::readOnly(folder.path());
    NoMessageWatch second;
    window->close();
    QCoreApplication::processEvents();  // a report posted from the closing backup
    EXPECT_FALSE(second.sawMessage()) << second.firstSeen().toStdString();
    EXPECT_EQ(readBytes(userFile()), written);
    EXPECT_EQ(readBytes(yoyakuFile()), fileOf(reservations()));
    EXPECT_FALSE(QFileInfo::exists(backup::backupRoot(folder.path())));
}

TEST_F(FukugenTest, AFullDiskIsSaidAndLeavesNoBackupAndTheFilesAsTheyWere) {
    const QString small = folder.filePath("small");
    const auto disk = TestMount::smallDisk(small, "64k");
    if (!disk.mounted()) {
        GTEST_SKIP() << "cannot mount a small tmpfs here";
    }
    // 40 KiB of records: a copy does not fit beside them.
    QByteArrayList many;
    while (fileOf(many).size() < 40 * 1024) {
        many.append(reservationLine("2026", "12", "09", "10", "佐藤", "モモ"));
    }
    writeBytes(recordFilePath(small, UserFileName), fileOf(users()));
    writeBytes(recordFilePath(small, YoyakuFileName), fileOf(many));
    auto window = std::make_unique<TfmMain>(MainWindowOptions{small, iniFile(), {}, true});
    auto warning = answerNextMessage(QMessageBox::Ok);
    window->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return warning->appeared; }, 5000));
    EXPECT_TRUE(warning->text.contains(QDir::toNativeSeparators(backup::backupRoot(small))))
        << warning->text.toStdString();
    EXPECT_TRUE(warning->text.contains("ディスクの空きがありません"))
        << warning->text.toStdString();
    window->close();
    EXPECT_EQ(readBytes(recordFilePath(small, UserFileName)), fileOf(users()));
    EXPECT_EQ(readBytes(recordFilePath(small, YoyakuFileName)), fileOf(many));
    EXPECT_TRUE(backup::listBackups(small).isEmpty());
    EXPECT_TRUE(QDir(backup::backupRoot(small))
                    .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                    .isEmpty());
}

}  // namespace
