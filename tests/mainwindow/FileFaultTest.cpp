// Faults of the file system under the record files, met through the real windows. Each failed
// write must be reported by a message naming the file, leave the program usable, keep every byte
// that was on disk, and leave UserList, YoyakuList, the customer list page and the weekly table as
// they were; once the fault is gone the same commands work and the window shows what a fresh
// start would show.

#include "mainwindow/UserListView.h"
#include "mainwindow/YoyakuGrid.h"
#include "mainwindow/uMain.h"
#include "records/FileChecks.h"
#include "tests/mainwindow/MainWindowFixture.h"
#include "tests/support/DialogFields.h"
#include "tests/support/Files.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/Mounts.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <functional>
#include <optional>
#include <vector>

using namespace testing_support;

namespace {

constexpr int PageSize = 4096;

const QByteArrayList Users{customerLine("モモ", "猫", "佐藤", "さとう"),
                           customerLine("ポチ", "犬", "山田", "やまだ")};
// Tuesday the 8th at 9 時 (column 3, row 2) and Thursday the 10th at 11 時.
const QByteArrayList Reservations{reservationLine("2026", "12", "08", "09", "佐藤", "モモ"),
                                  reservationLine("2026", "12", "10", "11", "鈴木", "ココ")};

// The lines with the last one lengthened (its last field) so that the file fills whole pages:
// on a full disk an append then needs a page that is not there.
QByteArrayList pageFilling(QByteArrayList lines) {
    const qsizetype size = fileOf(lines).size();
    lines.last().append(QByteArray((PageSize - size % PageSize) % PageSize, 'x'));
    return lines;
}

// The four writes a user makes: a booking (append), an update of the reservation on Tuesday at
// 9 時 (rewrite), a new customer (append) and a change of the last customer (rewrite). Repeated,
// they change the same records again, so the first customer and the Thursday reservation are
// never touched.
enum Command { Booking, Update, NewCustomer, CustomerEdit };
constexpr std::array<Command, 4> Commands{Booking, Update, NewCustomer, CustomerEdit};
const char* const CommandNames[] = {"booking", "update", "new customer", "customer edit"};

void setText(QWidget* dialog, const char* name, const QString& text) {
    dialog->findChild<QLineEdit*>(QString::fromLatin1(name))->setText(text);
}

void pressOk(QWidget* dialog) {
    QTest::mouseClick(dialog->findChild<QAbstractButton*>(QStringLiteral("Button1")),
                      Qt::LeftButton);
}

void fill(QWidget* dialog, Command command) {
    switch (command) {
        case Booking:
            setText(dialog, "edtYoyakuHun", QStringLiteral("15"));
            setText(dialog, "edtShimei", QStringLiteral("田中"));
            setText(dialog, "edtPetName", QStringLiteral("ハナ"));
            break;
        case Update:
            setText(dialog, "edtShimei", QStringLiteral("高橋"));
            break;
        case NewCustomer:
            setText(dialog, "edtPetName", QStringLiteral("クロ"));
            break;
        case CustomerEdit:
            setText(dialog, "edtPetName", QStringLiteral("モモ子"));
            break;
    }
}

void open(TfmMain& window, Command command) {
    switch (command) {
        case Booking:  // from the list page, so the slot is now: Wednesday the 9th at 10 時, free
            window.actUserItiran->trigger();
            window.actYoyakuDialogShow->trigger();
            break;
        case Update: {
            window.actYoteihyouHyouji->trigger();
            mainwindow::TYoyakuGrid* grid = window.yoyakuGrid();
            // A message box may have taken the activation; the slot comes from the focused table.
            window.activateWindow();
            grid->setFocus();
            EXPECT_TRUE(QTest::qWaitFor([grid] { return grid->hasFocus(); }));
            grid->selectCell(3, 2);
            window.actYoyakuDialogShow->trigger();
            break;
        }
        case NewCustomer:
            window.actUserTouroku->trigger();
            break;
        case CustomerEdit: {
            window.actUserItiran->trigger();
            QListView* view = window.userListView()->iconView();
            // The last customer: a changed customer moves to the end, so it is changed again.
            const int last = view->model()->rowCount() - 1;
            const QPoint item = view->visualRect(view->model()->index(last, 0)).center();
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item);
            QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, item);
            break;
        }
    }
}

using FileFaultTest = MainWindowTest;

// Everything a dialog shows: its title, every field's text and the checked buttons.
QStringList dialogState(QWidget* dialog) {
    QStringList state{dialog->windowTitle()};
    for (const QLineEdit* edit : dialog->findChildren<QLineEdit*>()) {
        state.append(edit->objectName() + '=' + edit->text());
    }
    for (const QComboBox* box : dialog->findChildren<QComboBox*>()) {
        state.append(box->objectName() + '=' + box->currentText());
    }
    for (const QPlainTextEdit* memo : dialog->findChildren<QPlainTextEdit*>()) {
        state.append(memo->objectName() + '=' + memo->toPlainText());
    }
    return state + checkedButtons(*dialog);
}

// What followed OK: the message, and when the write failed, the dialog opened again (then
// cancelled, which for the reservation dialog rewrites the file and may bring a second message).
struct AfterOk {
    std::optional<ModalVisit> message;
    QStringList filled, reopened;
    bool cancelReported = false;
};

// Runs `command` through its dialog and answers what follows. Everything happens before the
// command returns: a failed write's message, the dialog opened again and cancelled, and the
// message of a failed cancel; what did not come is taken back then, so nothing waits.
AfterOk run(TfmMain& window, Command command) {
    SCOPED_TRACE(CommandNames[command]);
    std::shared_ptr<ModalVisit> reopened, cancelMessage;
    AfterOk after;
    auto message = answerNextMessage(QMessageBox::Ok, [&] {
        reopened = onNextModal([&](QWidget* again) {
            after.reopened = dialogState(again);
            cancelMessage = answerNextMessage(QMessageBox::Ok);
            static_cast<QDialog*>(again)->reject();
        });
    });
    auto dialog = onNextModal([&](QWidget* shown) {
        fill(shown, command);
        after.filled = dialogState(shown);
        pressOk(shown);
    });
    open(window, command);
    forgetMessages();
    EXPECT_TRUE(dialog->appeared);
    EXPECT_FALSE(dialog->closedByWatchdog);
    if (message->appeared) {
        after.message = *message;
        EXPECT_TRUE(reopened->appeared) << "the dialog did not come back after a failed write";
        after.cancelReported = cancelMessage && cancelMessage->appeared;
    }
    return after;
}

bool isReservationCommand(Command command) {
    return command == Booking || command == Update;
}

void expectFailureNamingTheFile(TfmMain& window, Command command) {
    SCOPED_TRACE(CommandNames[command]);
    const Seen before = seenIn(window);
    const AfterOk after = run(window, command);
    ASSERT_TRUE(after.message.has_value()) << "no message for a failed write";
    EXPECT_EQ(after.message->icon, QMessageBox::Critical);
    EXPECT_EQ(after.message->title, QStringLiteral("Trimora Light"));
    const QString file =
        isReservationCommand(command) ? window.yoyakuFilePath() : window.userFilePath();
    EXPECT_TRUE(after.message->text.contains(QDir::toNativeSeparators(file)))
        << after.message->text.toStdString();
    // The reason is Japanese, not the system's English.
    const QString reason = QString(after.message->text).remove(QDir::toNativeSeparators(file));
    EXPECT_FALSE(reason.contains(QRegularExpression(QStringLiteral("[A-Za-z]{4,}"))))
        << reason.toStdString();
    // What was typed comes back in the dialog, on the same page.
    EXPECT_EQ(after.reopened, after.filled);
    Seen expected = before;
    // A cancel of the reservation dialog writes the list back; where that works (the file had
    // been removed) the file is there again.
    if (isReservationCommand(command) && !after.cancelReported) {
        expected.yoyakuBytes = fileOf(window.honjitu().YoyakuList);
    }
    expectSame(seenIn(window), expected);
}

void expectSuccess(TfmMain& window, Command command) {
    SCOPED_TRACE(CommandNames[command]);
    const AfterOk after = run(window, command);
    EXPECT_FALSE(after.message.has_value()) << after.message->text.toStdString();
    if (command == Booking || command == Update) {
        EXPECT_EQ(bytesOf(window.yoyakuFilePath()), fileOf(window.honjitu().YoyakuList));
    } else {
        EXPECT_EQ(bytesOf(window.userFilePath()), fileOf(window.honjitu().UserList));
    }
}

// The record folder and the mounts that make a fault, if any do.
struct FaultSite {
    QString folder;
    std::vector<TestMount> mounts;

    QString file(const QString& name) const { return recordFilePath(folder, name); }
    // Why the last mount could not be made, or nothing.
    QString mounted(TestMount mount, const char* whyNot) {
        mounts.push_back(std::move(mount));
        return mounts.back().mounted() ? QString() : QString::fromLatin1(whyNot);
    }
};

// One fault: what it needs before the records are written (a small disk under them), how it is
// made and undone, when it strikes, and which of the four commands it makes fail. `prepare` and
// `make` return why they could not, or nothing.
struct Fault {
    const char* name;
    std::function<QString(FaultSite&)> prepare;
    std::function<QString(FaultSite&)> make;
    std::function<void(FaultSite&)> undo;
    bool atStartUp;
    std::array<bool, 4> fails;  // in the order of Commands
};

const char* const NoReadOnlyMount = "no read-only bind mount here";

// Root ignores permissions: read-only means a read-only mount of the thing over itself.
QString readOnlyFolder(FaultSite& site) {
    return site.mounted(TestMount::readOnly(site.folder), NoReadOnlyMount);
}

QString readOnlyFiles(FaultSite& site) {
    const QString whyNot =
        site.mounted(TestMount::readOnly(site.file(UserFileName)), NoReadOnlyMount);
    return whyNot.isEmpty()
               ? site.mounted(TestMount::readOnly(site.file(YoyakuFileName)), NoReadOnlyMount)
               : whyNot;
}

QString smallDisk(FaultSite& site) {
    return site.mounted(TestMount::smallDisk(site.folder, "64k"),
                        "cannot mount a small tmpfs here");
}

QString fillTheDisk(FaultSite& site) {
    const int fd = ::open(QFile::encodeName(site.file(QStringLiteral("filler"))).constData(),
                          O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    const QByteArray block(PageSize, 'f');
    while (fd >= 0 && ::write(fd, block.constData(), block.size()) == block.size()) {
    }
    ::close(fd);
    return {};
}

QString removeTheFiles(FaultSite& site) {
    QFile::remove(site.file(UserFileName));
    QFile::remove(site.file(YoyakuFileName));
    return {};
}

QString foldersForTheFiles(FaultSite& site) {
    removeTheFiles(site);
    QDir(site.folder).mkdir(UserFileName);
    QDir(site.folder).mkdir(YoyakuFileName);
    return {};
}

// Root opens any lock file: a folder in its place keeps the lock from being taken.
QString lockCannotBeTaken(FaultSite& site) {
    const QString lockFile = records::FolderLock::lockFilePath(site.folder);
    QFile::remove(lockFile);
    return QDir().mkdir(lockFile) ? QString() : QStringLiteral("cannot put a folder there");
}

QString nothing(FaultSite&) {
    return {};
}

void unmount(FaultSite& site) {
    site.mounts.clear();
}

constexpr std::array<bool, 4> AllFail{true, true, true, true};

const Fault Faults[] = {
    {"ReadOnlyFolderAtStartUp", nothing, readOnlyFolder, unmount, true, AllFail},
    {"ReadOnlyFolderWhileRunning", nothing, readOnlyFolder, unmount, false, AllFail},
    {"ReadOnlyFilesWhileRunning", nothing, readOnlyFiles, unmount, false, AllFail},
    {"FolderLockCannotBeTakenWhileRunning", nothing, lockCannotBeTaken,
     [](FaultSite& site) { QDir().rmdir(records::FolderLock::lockFilePath(site.folder)); }, false,
     AllFail},
    {"FullDiskWhileRunning", smallDisk, fillTheDisk,
     [](FaultSite& site) { QFile::remove(site.file(QStringLiteral("filler"))); }, false, AllFail},
    // An append does not create a missing file; a rewrite writes the whole list back.
    {"FilesRemovedWhileRunning",
     nothing,
     removeTheFiles,
     [](FaultSite&) {},
     false,
     {true, false, true, false}},
    {"FilesReplacedByFoldersWhileRunning", nothing, foldersForTheFiles,
     [](FaultSite& site) {
         QDir(site.folder).rmdir(UserFileName);
         QDir(site.folder).rmdir(YoyakuFileName);
     },
     false, AllFail},
};

void expectAsAFreshStart(TfmMain& window, const std::unique_ptr<TfmMain>& fresh) {
    SCOPED_TRACE("compared with a fresh start");
    expectSame(seenIn(window), seenIn(*fresh));
}

// Names each case in the test's output.
void PrintTo(const Fault& fault, std::ostream* out) {
    *out << fault.name;
}

}  // namespace

class FileFaults : public FileFaultTest, public ::testing::WithParamInterface<Fault> {};

TEST_P(FileFaults, AreReportedByFileAndLoseNothingAndTheWindowsGoOn) {
    const Fault& fault = GetParam();
    FaultSite site{folder.path(), {}};
    if (const QString whyNot = fault.prepare(site); !whyNot.isEmpty()) {
        GTEST_SKIP() << fault.name << " not tested: " << whyNot.toStdString();
    }
    const QByteArrayList users = pageFilling(Users);
    const QByteArrayList reservations = pageFilling(Reservations);
    writeUsers(users);
    writeReservations(reservations);
    const auto makeFault = [&] { return fault.make(site); };
    QString whyNot = fault.atStartUp ? makeFault() : QString();
    auto window = openWindow();
    if (!fault.atStartUp) {
        whyNot = makeFault();
    }
    if (!whyNot.isEmpty()) {
        GTEST_SKIP() << fault.name << " not tested: " << whyNot.toStdString();
    }
    window->show();
    ASSERT_EQ(window->honjitu().UserList, users);
    ASSERT_EQ(window->honjitu().YoyakuList, reservations);

    for (const Command command : Commands) {
        if (fault.fails[command]) {
            expectFailureNamingTheFile(*window, command);
        } else {
            expectSuccess(*window, command);
        }
    }

    fault.undo(site);
    for (const Command command : {Update, CustomerEdit, Booking, NewCustomer}) {
        expectSuccess(*window, command);
    }
    EXPECT_TRUE(window->honjitu().UserList.contains(users[0]));
    EXPECT_TRUE(window->honjitu().YoyakuList.contains(reservations[1]));
    EXPECT_EQ(window->honjitu().UserList.size(), 3);
    EXPECT_EQ(window->honjitu().YoyakuList.size(), 3);
    expectAsAFreshStart(*window, openWindow());
}

INSTANTIATE_TEST_SUITE_P(, FileFaults, ::testing::ValuesIn(Faults),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileFaultTest, AReadOnlyFolderWithoutRecordFilesIsReportedAndNothingIsCreated) {
    auto view = TestMount::readOnly(folder.path());
    if (!view.mounted()) {
        GTEST_SKIP() << "read-only record folder at start-up not tested: " << NoReadOnlyMount;
    }
    auto report = answerNextMessage(QMessageBox::Ok);
    auto window = openWindow();
    ASSERT_TRUE(report->appeared);
    EXPECT_EQ(report->icon, QMessageBox::Critical);
    EXPECT_TRUE(report->text.contains(userFile())) << report->text.toStdString();
    EXPECT_TRUE(QDir(folder.path()).isEmpty());

    // Start-up stopped before the reservation file was looked for; the first week step looks.
    window->show();
    auto missing = answerNextMessage(QMessageBox::Ok);
    window->actYoyakuWeekNext->trigger();
    ASSERT_TRUE(missing->appeared);
    EXPECT_EQ(missing->title, QStringLiteral("予約ファイル読込みエラー"));
    EXPECT_EQ(window->yoyakuGrid()->cellText(1, 0), QStringLiteral("13日(日)"));

    // Once the folder can be written, closing the reservation dialog writes the file, and a
    // booking then goes into it.
    view.unmount();
    window->actYoyakuWeekNow->trigger();
    auto dialog = onNextModal([](QWidget* shown) { static_cast<QDialog*>(shown)->reject(); });
    window->actYoyakuDialogShow->trigger();
    ASSERT_TRUE(dialog->appeared);
    EXPECT_EQ(readBytes(yoyakuFile()), QByteArray());
    expectSuccess(*window, Booking);
    EXPECT_EQ(window->yoyakuGrid()->cellText(4, 3), QStringLiteral("田中/ハナ"));
}

TEST_F(FileFaultTest, ACustomerFileThatIsAFolderAtStartUpCostsNoReservation) {
    ASSERT_TRUE(QDir(folder.path()).mkdir(UserFileName));
    writeReservations(Reservations);
    auto report = answerNextMessage(QMessageBox::Ok);
    auto window = openWindow();
    ASSERT_TRUE(report->appeared);
    EXPECT_TRUE(report->text.contains(userFile())) << report->text.toStdString();
    window->show();

    // Closing the reservation dialog rewrites the file from the list: the reservations that
    // start-up did not get to are read first, not erased.
    auto dialog = onNextModal([](QWidget* shown) { static_cast<QDialog*>(shown)->reject(); });
    window->actYoyakuDialogShow->trigger();
    ASSERT_TRUE(dialog->appeared);
    EXPECT_EQ(readBytes(yoyakuFile()), fileOf(Reservations));
    EXPECT_EQ(window->honjitu().YoyakuList, Reservations);
    EXPECT_EQ(window->yoyakuGrid()->cellText(3, 2), QStringLiteral("佐藤/モモ"));
    expectFailureNamingTheFile(*window, NewCustomer);
    EXPECT_TRUE(QFileInfo(userFile()).isDir());
}

TEST_F(FileFaultTest, AReservationDeletedInTheDialogStaysWhenItsRemovalCannotBeWritten) {
    writeUsers(Users);
    writeReservations(Reservations);
    auto window = openWindow();
    window->show();
    auto view = TestMount::readOnly(folder.path());
    if (!view.mounted()) {
        GTEST_SKIP() << "failed deletion not tested: " << NoReadOnlyMount;
    }
    const Seen before = seenIn(*window);

    // The question, the note that the page was deleted, then the failed write.
    const ModalVisits messages =
        answerMessages({QMessageBox::Yes, QMessageBox::Ok, QMessageBox::Ok});
    auto dialog = onNextModal([](QWidget* shown) {
        QTest::mouseClick(shown->findChild<QAbstractButton*>(QStringLiteral("btnDeletePage")),
                          Qt::LeftButton);
    });
    open(*window, Update);

    ASSERT_TRUE(dialog->appeared);
    const std::shared_ptr<ModalVisit> error = messages->at(2);
    ASSERT_TRUE(error->appeared);
    EXPECT_EQ(error->icon, QMessageBox::Critical);
    EXPECT_TRUE(error->text.contains(yoyakuFile())) << error->text.toStdString();
    expectSame(seenIn(*window), before);
}

namespace {

// Record files that are not what they seem, each put in place of one record file at start-up.
struct Foreign {
    const char* name;
    std::function<void(const QString& path)> make;
    const char* shownReason;
};

void makeFifo(const QString& path) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
}

void linkTo(const QString& target, const QString& path) {
    ASSERT_TRUE(QFile::link(target, path));
}

const QByteArray Utf16Text(
    "\xFF\xFE"
    "2\0"
    "0\0"
    "2\0"
    "6\0"
    "\t\0",
    12);

const Foreign ForeignFiles[] = {
    {"Fifo", makeFifo, "通常のファイルではありません"},
    {"LinkToDevZero", [](const QString& path) { linkTo(QStringLiteral("/dev/zero"), path); },
     "通常のファイルではありません"},
    {"LinkToDevNull", [](const QString& path) { linkTo(QStringLiteral("/dev/null"), path); },
     "通常のファイルではありません"},
    {"Utf16", [](const QString& path) { writeBytes(path, Utf16Text); }, "Shift-JIS"},
};

void PrintTo(const Foreign& foreign, std::ostream* out) {
    *out << foreign.name;
}

}  // namespace

class ForeignRecordFiles : public FileFaultTest,
                           public ::testing::WithParamInterface<std::tuple<Foreign, bool>> {};

// The window opens, the user is told which file it is and why, and no write touches it; the
// other record file goes on working.
TEST_P(ForeignRecordFiles, AreRefusedByNameAndNeverWritten) {
    const auto& [foreign, customers] = GetParam();
    const QString refused = customers ? userFile() : yoyakuFile();
    if (customers) {
        writeReservations(Reservations);
    } else {
        writeUsers(Users);
    }
    foreign.make(refused);
    const auto kind = [&refused] {
        struct stat info {};
        ::lstat(QFile::encodeName(refused).constData(), &info);
        return info.st_mode;
    };
    const mode_t kindBefore = kind();
    const QByteArray bytesBefore = S_ISREG(kindBefore) ? readBytes(refused) : QByteArray();

    auto report = answerNextMessage(QMessageBox::Ok);
    auto window = openWindow();
    window->show();
    ASSERT_TRUE(report->appeared);
    EXPECT_TRUE(report->text.contains(refused)) << report->text.toStdString();
    EXPECT_TRUE(report->text.contains(QString::fromUtf8(foreign.shownReason)))
        << report->text.toStdString();

    // The commands that write the refused file report it again and write nothing.
    for (const Command command : Commands) {
        if (isReservationCommand(command) != customers) {
            SCOPED_TRACE(CommandNames[command]);
            // The reservation commands stop before their dialog; the customer dialog opens,
            // its OK is refused, and it comes back, to be cancelled.
            std::shared_ptr<ModalVisit> error, reopened;
            if (customers) {
                onNextModal([&](QWidget* shown) {
                    error = answerNextMessage(QMessageBox::Ok, [&] {
                        reopened = onNextModal(
                            [](QWidget* again) { static_cast<QDialog*>(again)->reject(); });
                    });
                    fill(shown, NewCustomer);
                    pressOk(shown);
                });
                open(*window, command);
                EXPECT_TRUE(reopened && reopened->appeared);
            } else {
                error = answerNextMessage(QMessageBox::Ok);
                open(*window, command);
            }
            forgetMessages();
            ASSERT_TRUE(error);
            EXPECT_TRUE(error->appeared);
            EXPECT_TRUE(error->text.contains(refused)) << error->text.toStdString();
        }
    }
    EXPECT_EQ(kind(), kindBefore);
    if (S_ISREG(kindBefore)) {
        EXPECT_EQ(readBytes(refused), bytesBefore);
    }
    // The other file is still booked into.
    expectSuccess(*window, customers ? Booking : NewCustomer);
}

INSTANTIATE_TEST_SUITE_P(, ForeignRecordFiles,
                         ::testing::Combine(::testing::ValuesIn(ForeignFiles), ::testing::Bool()),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) ? "AsCustomerFile"
                                                             : "AsReservationFile");
                         });

// Another program appends to both record files while the window is open: the next change
// keeps those lines, the window shows them, and one warning says that the file was read again.
TEST_F(FileFaultTest, LinesAppendedElsewhereAreKeptShownAndReported) {
    writeUsers(Users);
    writeReservations(Reservations);
    auto window = openWindow();
    window->show();
    const QByteArray elsewhere = reservationLine("2026", "12", "11", "14", "伊藤", "ハル");
    const QByteArray customerElsewhere = customerLine("ハル", "犬", "伊藤", "いとう");
    writeBytes(yoyakuFile(), readBytes(yoyakuFile()) + elsewhere + "\r\n");
    writeBytes(userFile(), readBytes(userFile()) + customerElsewhere + "\r\n");

    for (const Command command : {Update, CustomerEdit}) {
        SCOPED_TRACE(CommandNames[command]);
        std::shared_ptr<ModalVisit> warning;
        auto dialog = onNextModal([&](QWidget* shown) {
            warning = answerNextMessage(QMessageBox::Ok);
            fill(shown, command);
            pressOk(shown);
        });
        open(*window, command);
        ASSERT_TRUE(dialog->appeared);
        ASSERT_TRUE(warning && warning->appeared);
        EXPECT_EQ(warning->icon, QMessageBox::Warning);
        const QString file = isReservationCommand(command) ? yoyakuFile() : userFile();
        EXPECT_TRUE(warning->text.contains(file)) << warning->text.toStdString();
    }
    // The update replaced Tuesday's reservation; the appended one stays and is shown.
    const QByteArrayList reservations = window->honjitu().YoyakuList;
    ASSERT_EQ(reservations.size(), 3);
    EXPECT_EQ(reservations.mid(0, 2), (QByteArrayList{Reservations[1], elsewhere}));
    EXPECT_TRUE(reservations[2].contains(sjisOf("高橋")));
    EXPECT_EQ(readBytes(yoyakuFile()), fileOf(reservations));
    EXPECT_EQ(window->yoyakuGrid()->cellText(6, 7), QStringLiteral("伊藤/ハル"));
    EXPECT_EQ(window->yoyakuGrid()->cellText(3, 2), QStringLiteral("高橋/モモ"));
    // The customer edit changed the last customer shown; the one appended elsewhere stays.
    const QByteArrayList users = window->honjitu().UserList;
    ASSERT_EQ(users.size(), 3);
    EXPECT_EQ(users.mid(0, 2), (QByteArrayList{Users[0], customerElsewhere}));
    EXPECT_EQ(readBytes(userFile()), fileOf(users));
    EXPECT_EQ(window->userListView()->model()->rowCount(), 3);
}
