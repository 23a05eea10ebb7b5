// Faults of the file system under the record files, met through the real windows. Each failed
// write must be reported by a message naming the file, leave the program usable, keep every byte
// that was on disk, and leave UserList, YoyakuList, the customer list page and the weekly table as
// they were; once the fault is gone the same commands work and the window shows what a fresh
// start would show.

#include "mainwindow/UserListView.h"
#include "mainwindow/YoyakuGrid.h"
#include "mainwindow/uMain.h"
#include "tests/mainwindow/MainWindowFixture.h"
#include "tests/support/Files.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/Mounts.h"

#include <QAbstractButton>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QListView>
#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <functional>
#include <optional>
#include <vector>

using namespace testing_support;

namespace {

constexpr int PageSize = 4096;
constexpr int MessageWaitMs = 300;

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

// Runs `command` through its dialog; returns the message box that followed, if one did.
std::optional<ModalVisit> run(TfmMain& window, Command command) {
    SCOPED_TRACE(CommandNames[command]);
    std::shared_ptr<ModalVisit> message;
    auto dialog = onNextModal([&](QWidget* shown) {
        message = answerNextMessage(QMessageBox::Ok, MessageWaitMs);
        fill(shown, command);
        pressOk(shown);
    });
    open(window, command);
    EXPECT_TRUE(dialog->appeared);
    EXPECT_FALSE(dialog->closedByWatchdog);
    // Settled either way before the next command opens a window the watcher could take.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return message && (message->appeared || message->closedByWatchdog); }, 5000));
    if (message && message->appeared) {
        return *message;
    }
    return std::nullopt;
}

void expectFailureNamingTheFile(TfmMain& window, Command command) {
    SCOPED_TRACE(CommandNames[command]);
    const Seen before = seenIn(window);
    const auto message = run(window, command);
    ASSERT_TRUE(message.has_value()) << "no message for a failed write";
    EXPECT_EQ(message->icon, QMessageBox::Critical);
    EXPECT_EQ(message->title, QStringLiteral("Trimora Light"));
    const QString file =
        command == Booking || command == Update ? window.yoyakuFilePath() : window.userFilePath();
    EXPECT_TRUE(message->text.contains(QDir::toNativeSeparators(file)))
        << message->text.toStdString();
    expectSame(seenIn(window), before);
}

void expectSuccess(TfmMain& window, Command command) {
    SCOPED_TRACE(CommandNames[command]);
    const auto message = run(window, command);
    EXPECT_FALSE(message.has_value()) << message->text.toStdString();
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

    std::shared_ptr<ModalVisit> error;
    auto dialog = onNextModal([&error](QWidget* shown) {
        onNextModal([&error](QWidget* question) {
            onNextModal([&error](QWidget* done) {
                error = answerNextMessage(QMessageBox::Ok);
                pressMessageButton(done, QMessageBox::Ok);
            });
            pressMessageButton(question, QMessageBox::Yes);
        });
        QTest::mouseClick(shown->findChild<QAbstractButton*>(QStringLiteral("btnDeletePage")),
                          Qt::LeftButton);
    });
    open(*window, Update);

    ASSERT_TRUE(dialog->appeared);
    ASSERT_TRUE(error && error->appeared);
    EXPECT_EQ(error->icon, QMessageBox::Critical);
    EXPECT_TRUE(error->text.contains(yoyakuFile())) << error->text.toStdString();
    expectSame(seenIn(*window), before);
}
