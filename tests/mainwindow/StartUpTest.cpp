#include "mainwindow/AboutBox.h"
#include "mainwindow/FormPlacement.h"
#include "mainwindow/SingleInstance.h"
#include "mainwindow/StartUp.h"
#include "mainwindow/UserListView.h"
#include "mainwindow/YoyakuGrid.h"
#include "mainwindow/uMain.h"
#include "tests/mainwindow/MainWindowFixture.h"
#include "tests/support/Files.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/Unprivileged.h"
#include "widgets/Pictures.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>

using namespace testing_support;

namespace {

// Keeps the addresses the program hands to the desktop instead of starting a browser.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.append(url); }
};

QStringList captionsOf(const QList<QAction*>& actions) {
    QStringList captions;
    for (const QAction* action : actions) {
        captions.append(action->menu() ? action->menu()->title() : action->text());
    }
    return captions;
}

QString uniqueIdentity() {
    return QStringLiteral("trimbook-test-%1-%2")
        .arg(QCoreApplication::applicationPid())
        .arg(QRandomGenerator::global()->generate());
}

}  // namespace

class StartUpTest : public MainWindowTest {
protected:
    // Opens the window, makes it 500 by 360 and closes it, which saves the placement; no message
    // may come.
    void closeResizedWithoutAMessage() const {
        NoMessageWatch noMessage;
        auto window = openWindow();
        window->show();
        window->resize(500, 360);
        window->close();
        EXPECT_FALSE(noMessage.sawMessage()) << noMessage.firstSeen().toStdString();
    }
};

TEST_F(StartUpTest, ThePlacementFileOfASharedFolderIsAsOpenToItsGroupAsTheRecordFiles) {
    writeUsers({});
    writeReservations({});
    for (const QString& file : {userFile(), yoyakuFile()}) {
        ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0660), 0);
    }
    ASSERT_EQ(::chmod(QFile::encodeName(folder.path()).constData(), 02770), 0);
    closeResizedWithoutAMessage();
    struct stat ini {
    }, shared{};
    ASSERT_EQ(::lstat(QFile::encodeName(iniFile()).constData(), &ini), 0);
    ASSERT_EQ(::stat(QFile::encodeName(folder.path()).constData(), &shared), 0);
    EXPECT_EQ(ini.st_mode & 07777, 0660u);
    EXPECT_EQ(ini.st_gid, shared.st_gid);
}

TEST_F(StartUpTest, PlacementIsSavedOnCloseAndRestoredOnTheNextStart) {
    {
        auto window = openWindow();
        window->show();
        window->move(120, 80);
        window->resize(500, 360);
        window->actClose->trigger();
        EXPECT_FALSE(window->isVisible());
    }
    const QString ini = QString::fromLatin1(readBytes(iniFile()));
    EXPECT_TRUE(ini.contains(QStringLiteral("[fmMain]")));
    for (const char* entry : {"Top=80", "Left=120", "Width=500", "Height=360"}) {
        EXPECT_TRUE(ini.contains(QString::fromLatin1(entry))) << entry;
    }
    auto again = openWindow();
    EXPECT_EQ(again->pos(), QPoint(120, 80));
    EXPECT_EQ(again->size(), QSize(500, 360));
}

TEST_F(StartUpTest,
       KeysMissingOrNotNumbersOrOffEveryScreenKeepTheDesignValuesAndReadOnesStayOnScreen) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    struct Case {
        const char* ini;
        mainwindow::Placement read;
    };
    const Case cases[] = {
        {"[fmMain]\nWidth=500\n", {177, 251, 500, 292}},
        {"[fmMain]\nTop=10\nLeft=20\nHeight=300\n", {10, 20, 694, 300}},
        {"[fmMain]\nTop=abc\nLeft=2147483648\nWidth=12x\nHeight=\n", mainwindow::DesignPlacement},
        {"[other]\nTop=10\n", mainwindow::DesignPlacement},
        {"[fmMain]\nTop=5000\nLeft=6000\nWidth=694\nHeight=292\n", mainwindow::DesignPlacement},
        {"[fmMain]\nTop=-100\nLeft=-50\nWidth=400\nHeight=300\n", {-100, -50, 400, 300}},
        {"[fmMain]\nTop=0\nLeft=0\nWidth=3000\nHeight=2000\n", {0, 0, 3000, 2000}},
    };
    for (const Case& c : cases) {
        writeBytes(iniFile(), c.ini);
        auto window = openWindow();
        const mainwindow::Placement shown{window->y(), window->x(), window->width(),
                                          window->height()};
        if (c.read == mainwindow::DesignPlacement) {
            EXPECT_EQ(shown, mainwindow::DesignPlacement) << c.ini;
        } else {
            EXPECT_EQ(shown, keptOnScreen(c.read)) << c.ini;
            EXPECT_TRUE(screen.contains(window->geometry())) << c.ini;
        }
    }
}

TEST(KeptInside, MovesAndShrinksAPlacementIntoTheArea) {
    // A screen of 1024 x 600 with a panel of 30 px along its top.
    const QRect area(0, 30, 1024, 570);
    struct Case {
        const char* what;
        mainwindow::Placement placement, expected;
    };
    const Case cases[] = {
        {"larger than the screen", {0, 0, 1366, 768}, {30, 0, 1024, 570}},
        {"wider only, off to the right", {100, 300, 1366, 400}, {100, 0, 1024, 400}},
        {"off to the right", {100, 900, 400, 300}, {100, 624, 400, 300}},
        {"off the bottom", {500, 100, 400, 300}, {300, 100, 400, 300}},
        {"negative", {-50, -100, 400, 300}, {30, 0, 400, 300}},
        {"fits already", {100, 200, 400, 300}, {100, 200, 400, 300}},
        {"filling the area exactly", {30, 0, 1024, 570}, {30, 0, 1024, 570}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(mainwindow::keptInside(c.placement, area), c.expected) << c.what;
    }
}

TEST(IniInteger, AcceptsOnlyNumbersInRange) {
    EXPECT_EQ(mainwindow::iniInteger(QStringLiteral("177")), 177);
    EXPECT_EQ(mainwindow::iniInteger(QStringLiteral("-5")), -5);
    EXPECT_EQ(mainwindow::iniInteger(QStringLiteral("2147483647")), 2147483647);
    EXPECT_EQ(mainwindow::iniInteger(QStringLiteral("2147483648")), std::nullopt);
    EXPECT_EQ(mainwindow::iniInteger(QStringLiteral("-2147483649")), std::nullopt);
    EXPECT_EQ(mainwindow::iniInteger(QStringLiteral("1e3")), std::nullopt);
    EXPECT_EQ(mainwindow::iniInteger(QString()), std::nullopt);
}

TEST(PlacementFilePath, AppendsOrReplacesTheExtension) {
    EXPECT_EQ(mainwindow::placementFilePath(QStringLiteral("/opt/trimbook/trimbook")),
              QStringLiteral("/opt/trimbook/trimbook.ini"));
    EXPECT_EQ(mainwindow::placementFilePath(QStringLiteral("/opt/a.b/trimbook.exe")),
              QStringLiteral("/opt/a.b/trimbook.ini"));
}

TEST_F(StartUpTest, APlacementThatCannotBeWrittenIsReportedOnClose) {
    writeBytes(path(QStringLiteral("plain-file")), "not a folder");
    const QString unwritable = path(QStringLiteral("plain-file/trimbook.ini"));
    TfmMain window(MainWindowOptions{folder.path(), unwritable});
    window.show();
    auto report = answerNextMessage(QMessageBox::Ok);
    window.close();
    ASSERT_TRUE(report->appeared);
    EXPECT_EQ(report->title, QStringLiteral("Trimora Light"));
    EXPECT_EQ(report->icon, QMessageBox::Critical);
    EXPECT_TRUE(report->text.contains(unwritable)) << report->text.toStdString();
    EXPECT_FALSE(window.isVisible());
}

TEST_F(StartUpTest, ThePlacementFileIsOwnerOnlyAndALinkUnderItsNameIsReplacedNotFollowed) {
    const QString elsewhere = path(QStringLiteral("elsewhere.txt"));
    writeBytes(elsewhere, "[other]\nkept=1\n");
    ASSERT_TRUE(QFile::link(elsewhere, iniFile()));
    const mode_t umaskBefore = ::umask(0);
    closeResizedWithoutAMessage();
    ::umask(umaskBefore);

    EXPECT_EQ(readBytes(elsewhere), "[other]\nkept=1\n");
    struct stat info {};
    ASSERT_EQ(::lstat(QFile::encodeName(iniFile()).constData(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    EXPECT_TRUE(readBytes(iniFile()).contains("Width=500"));
    EXPECT_TRUE(readBytes(iniFile()).contains("kept=1")) << "other sections are kept";
    const QStringList leftOver = QDir(folder.path()).entryList({QStringLiteral("trimbook.ini?*")});
    EXPECT_TRUE(leftOver.isEmpty()) << leftOver.join(' ').toStdString();
}

TEST_F(StartUpTest, APlacementFileThatIsNoIniTextIsReplacedOnClose) {
    writeBytes(iniFile(), "\x01\x02 not [an ini");
    closeResizedWithoutAMessage();
    EXPECT_TRUE(readBytes(iniFile()).contains("Width=500"));
}

TEST_F(StartUpTest, APlacementFileThatIsNotARegularFileIsReportedAndNeverTouched) {
    const std::pair<const char*, std::function<void(const QString&)>> kinds[] = {
        {"fifo",
         [](const QString& at) {
             ASSERT_EQ(::mkfifo(QFile::encodeName(at).constData(), 0600), 0);
         }},
        {"link to /dev/null",
         [](const QString& at) { ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), at)); }},
    };
    for (const auto& [name, make] : kinds) {
        SCOPED_TRACE(name);
        QFile::remove(iniFile());
        make(iniFile());
        struct stat before {};
        ASSERT_EQ(::lstat(QFile::encodeName(iniFile()).constData(), &before), 0);

        auto atStart = answerNextMessage(QMessageBox::Ok);
        auto window = openWindow();
        window->show();
        ASSERT_TRUE(atStart->appeared);
        EXPECT_TRUE(atStart->text.contains(iniFile())) << atStart->text.toStdString();
        EXPECT_TRUE(atStart->text.contains(QStringLiteral("通常のファイルではありません")));
        EXPECT_EQ(window->pos(), mainwindow::DesignPlacement.rect().topLeft());

        auto atClose = answerNextMessage(QMessageBox::Ok);
        window->close();
        EXPECT_TRUE(atClose->appeared);
        EXPECT_TRUE(atClose->text.contains(iniFile())) << atClose->text.toStdString();
        struct stat after {};
        ASSERT_EQ(::lstat(QFile::encodeName(iniFile()).constData(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_mode, before.st_mode);
    }
}

TEST_F(StartUpTest, AReservationFileThatCannotBeCreatedIsReportedAndTheTableStillBuilt) {
    ASSERT_TRUE(QDir(folder.path()).mkdir(YoyakuFileName));
    writeUsers({customerLine("ポチ", "犬", "山田花子", "やまだはなこ")});
    auto message = answerNextMessage(QMessageBox::Ok);
    auto window = openWindow();

    ASSERT_TRUE(message->appeared);
    EXPECT_EQ(message->title, QStringLiteral("予約ファイル読込みエラー"));
    EXPECT_EQ(message->text, QStringLiteral("カット予約ファイルがありません。\n\"%1\" 読込失敗")
                                 .arg(QDir::toNativeSeparators(yoyakuFile())));
    EXPECT_EQ(message->icon, QMessageBox::Warning);
    EXPECT_EQ(message->buttons, QMessageBox::Ok);
    EXPECT_TRUE(window->honjitu().YoyakuList.isEmpty());
    EXPECT_EQ(window->yoyakuGrid()->cellText(1, 0), QStringLiteral("06日(日)"));
    EXPECT_EQ(window->honjitu().UserList.size(), 1);
}

TEST_F(StartUpTest, AFailingStepIsReportedAndTheRemainingStepsAreSkipped) {
    ASSERT_TRUE(QDir(folder.path()).mkdir(UserFileName));
    writeReservations({reservationLine("2026", "12", "09", "10", "山田", "ポチ")});
    writeBytes(iniFile(), "[fmMain]\nWidth=500\n");
    auto report = answerNextMessage(QMessageBox::Ok);
    auto window = openWindow();

    ASSERT_TRUE(report->appeared);
    EXPECT_EQ(report->title, QStringLiteral("Trimora Light"));
    EXPECT_EQ(report->icon, QMessageBox::Critical);
    EXPECT_TRUE(report->text.contains(UserFileName)) << report->text.toStdString();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Trimora Light"));
    EXPECT_TRUE(window->honjitu().YoyakuList.isEmpty());
    EXPECT_EQ(window->yoyakuGrid()->cellText(1, 0), QString());
    EXPECT_EQ(window->width(), 694);
    window->show();
    EXPECT_TRUE(window->isVisible());
}

TEST(SingleInstanceTest, ASecondStartFindsTheFirstAndAsksItToComeToTheFront) {
    const QString identity = uniqueIdentity();
    auto first = std::make_unique<mainwindow::SingleInstance>(identity);
    ASSERT_TRUE(first->becomePrimary());
    QSignalSpy activations(first.get(), &mainwindow::SingleInstance::activationRequested);

    mainwindow::SingleInstance second(identity);
    EXPECT_FALSE(second.becomePrimary());
    EXPECT_TRUE(activations.wait(2000));

    mainwindow::SingleInstance newer(uniqueIdentity(), {identity});
    EXPECT_FALSE(newer.becomePrimary()) << "an older identity is looked for as well";

    first.reset();
    mainwindow::SingleInstance afterwards(identity);
    EXPECT_TRUE(afterwards.becomePrimary()) << "nothing is left behind by the first instance";
}

TEST(SingleInstanceTest, TheNameLivesInAFolderOnlyThisUserMayEnter) {
    const QString folder = mainwindow::SingleInstance::socketFolder();
    struct stat info {};
    ASSERT_EQ(::lstat(QFile::encodeName(folder).constData(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_uid, ::getuid());
    EXPECT_EQ(info.st_mode & 077, 0u);

    // A runtime folder others may enter (or another user's, after su) is not used.
    QTemporaryDir open;
    ASSERT_TRUE(QFile::setPermissions(open.path(), QFile::permissions(open.path()) |
                                                       QFileDevice::ReadOther |
                                                       QFileDevice::ExeOther));
    const QByteArray runtimeBefore = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(open.path()));
    const QString fallback = mainwindow::SingleInstance::socketFolder();
    qputenv("XDG_RUNTIME_DIR", runtimeBefore);
    EXPECT_NE(fallback, open.path());
    ASSERT_EQ(::lstat(QFile::encodeName(fallback).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 077, 0u);
}

TEST(SingleInstanceTest, AnotherUserCanNeitherReachNorTakeTheName) {
    if (::getuid() != 0) {
        GTEST_SKIP() << "only root can act as another user";
    }
    const QString identity = uniqueIdentity();
    mainwindow::SingleInstance first(identity);
    ASSERT_TRUE(first.becomePrimary());
    QSignalSpy activations(&first, &mainwindow::SingleInstance::activationRequested);

    const QString name = mainwindow::SingleInstance::socketPath(
        mainwindow::SingleInstance::socketFolder(), identity);
    QString whyNot;
    const auto shutOut = runAsNobody(
        [&name] {
            QLocalSocket socket;
            socket.connectToServer(name);
            QLocalServer squatter;
            return !socket.waitForConnected(1000) && !squatter.listen(name);
        },
        &whyNot);
    if (!shutOut) {
        GTEST_SKIP() << "another user not tested: " << whyNot.toStdString();
    }
    EXPECT_TRUE(*shutOut) << "the other user reached or took the instance's name";

    mainwindow::SingleInstance sameUser(identity);
    EXPECT_FALSE(sameUser.becomePrimary());
    EXPECT_TRUE(activations.wait(2000));
}

// A socket under the name that another user listens on (only root could put it there) is not an
// instance to defer to: the start goes on and takes the name.
TEST(SingleInstanceTest, AStartDefersOnlyToAnInstanceOfTheSameUser) {
    const passwd* nobody = ::getpwnam("nobody");
    if (::getuid() != 0 || nobody == nullptr) {
        GTEST_SKIP() << "needs root and the user 'nobody'";
    }
    const QString identity = uniqueIdentity();
    const QByteArray name = QFile::encodeName(mainwindow::SingleInstance::socketPath(
        mainwindow::SingleInstance::socketFolder(), identity));
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Bound as root in the user's folder, listening as another user.
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, name.constData(), sizeof address.sun_path - 1);
        const bool listening =
            ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            ::setgid(nobody->pw_gid) == 0 && ::setuid(nobody->pw_uid) == 0 && ::listen(fd, 4) == 0;
        const char state = listening ? 'y' : 'n';
        (void)!::write(ready[1], &state, 1);
        ::pause();
        ::_exit(0);
    }
    char state = 'n';
    ASSERT_EQ(::read(ready[0], &state, 1), 1);
    ::close(ready[0]);
    ::close(ready[1]);
    ASSERT_EQ(state, 'y');

    mainwindow::SingleInstance start(identity);
    EXPECT_TRUE(start.becomePrimary());
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);

    mainwindow::SingleInstance second(identity);
    EXPECT_FALSE(second.becomePrimary()) << "the start that went on answers for the name";
}

TEST(SingleInstanceTest, AnInstanceThatDiedLeavesNothingThatBlocksTheNextStart) {
    const QString identity = uniqueIdentity();
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        mainwindow::SingleInstance crashed(identity);
        const bool listening = crashed.becomePrimary();
        ::kill(::getpid(), listening ? SIGKILL : SIGTERM);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    mainwindow::SingleInstance next(identity);
    EXPECT_TRUE(next.becomePrimary());
}

TEST_F(StartUpTest, AMinimizedWindowIsRestoredWhenBroughtToTheFront) {
    auto window = openWindow();
    window->showMinimized();
    window->bringToFront();
    EXPECT_FALSE(window->isMinimized());
    EXPECT_TRUE(window->isVisible());
}

TEST_F(StartUpTest, MenusToolbarAndActionsCarryTheirCaptionsHintsAndPictures) {
    auto window = openWindow();
    EXPECT_EQ(window->objectName(), QStringLiteral("fmMain"));
    for (const char* name :
         {"ActionMainMenuBar1", "ActionToolBar1", "PageControlMain", "SheetYoyaku", "pnlYoyaku",
          "StringGridYoyaku", "SheetKokyakuItiran", "ListView1", "StatusBarMain", "PopupMenuYoyaku",
          "PopupMenuUserItiran"}) {
        EXPECT_NE(window->findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
    }
    EXPECT_EQ(window->menuBar()->objectName(), QStringLiteral("ActionMainMenuBar1"));
    const QList<QAction*> top = window->menuBar()->actions();
    EXPECT_EQ(captionsOf(top), QStringList({"ファイル(&Z)", "予約(&Y)", "表示(&X)", "編集(&E)",
                                            "サロン(&S)", "ヘルプ(&W)"}));
    ASSERT_EQ(top.size(), 6);
    // Commands added later stand after a separator below 閉じる.
    const QList<QAction*> file = top[0]->menu()->actions();
    ASSERT_GE(file.size(), 2);
    EXPECT_EQ(captionsOf(file.mid(0, 1)), QStringList({"閉じる(&Z)"}));
    EXPECT_TRUE(file[1]->isSeparator());
    EXPECT_EQ(
        captionsOf(top[1]->menu()->actions()),
        QStringList({"カット予約(&Y)", "お客様登録(&Z)", "", "来店履歴(&R)", "", "カルテ..."}));
    const QList<QAction*> view = top[2]->menu()->actions();
    EXPECT_EQ(captionsOf(view), QStringList({"予約表(&Y)", "お客様一覧(&Z)", "お客様一覧表示(&X)",
                                             "", "お客様を探す...(&S)"}));
    EXPECT_EQ(captionsOf(view[2]->menu()->actions()),
              QStringList({"アイコン表示(&Z)", "詳細表示(&Y)"}));
    EXPECT_EQ(captionsOf(top[3]->menu()->actions()),
              QStringList({"元に戻す", "やり直し", "", "ゴミ箱..."}));
    EXPECT_EQ(top[4]->menu()->objectName(), QStringLiteral("MenuSalon"));
    EXPECT_EQ(
        captionsOf(top[4]->menu()->actions()),
        QStringList({"サロンの設定...(&S)", "日別予定(&D)", "確認の電話(&K)", "", "売上..."}));
    EXPECT_EQ(captionsOf(top[5]->menu()->actions()),
              QStringList({"バージョン情報(&X)", "ホームページへ(&Y)", "トリモラ掲示板へ(&Z)"}));

    const auto* toolBar = window->findChild<QToolBar*>(QStringLiteral("ActionToolBar1"));
    ASSERT_NE(toolBar, nullptr);
    EXPECT_EQ(toolBar->actions(),
              QList<QAction*>({window->actYoyakuDialogShow, window->actUserTouroku}));
    EXPECT_EQ(toolBar->toolButtonStyle(), Qt::ToolButtonIconOnly);

    struct Expected {
        QAction* action;
        const char* name;
        const char* hint;
        bool hasPicture;
    };
    const Expected actions[] = {
        {window->actClose, "actClose", "閉じる", false},
        {window->actYoyakuDialogShow, "actYoyakuDialogShow", "カット予約", true},
        {window->actUserTouroku, "actUserTouroku", "お客様登録", true},
        {window->actYoteihyouHyouji, "actYoteihyouHyouji", "予約表", false},
        {window->actUserItiran, "actUserItiran", "お客様一覧", false},
        {window->actUserIcon, "actUserIcon", "アイコン表示", false},
        {window->actUserReport, "actUserReport", "詳細表示", false},
        {window->actAbout, "actAbout", "バージョン情報", true},
        {window->actKanvoHomepageLink, "actKanvoHomepageLink", "ホームページへ", true},
        {window->actKanvoBBSLink, "actKanvoBBSLink", "トリモラ掲示板へ", false},
        {window->actYoyakuWeekNext, "actYoyakuWeekNext", "次週", false},
        {window->actYoyakuWeekBack, "actYoyakuWeekBack", "前週", false},
        {window->actYoyakuWeekNow, "actYoyakuWeekNow", "今週", false},
        {window->actRirekiHyouji, "actRirekiHyouji", "来店履歴", false},
        {window->actUserKensaku, "actUserKensaku", "お客様を探す", false},
        {window->actHibetuYotei, "actHibetuYotei", "日別予定", false},
        {window->actKakuninDenwa, "actKakuninDenwa", "確認の電話", false},
        {window->actKarte, "actKarte", "カルテ", false},
        // The hint drops an ellipsis as well as the access key.
        {window->actFukugen, "actFukugen", "バックアップから復元", false},
        {window->actPrintWeek, "actPrintWeek", "週の予約表を印刷", false},
        {window->actExportReservations, "actExportReservations", "予約をCSVに書き出す", false},
    };
    for (const Expected& e : actions) {
        EXPECT_EQ(e.action->objectName(), QString::fromLatin1(e.name));
        EXPECT_EQ(e.action->toolTip(), QString::fromUtf8(e.hint)) << e.name;
        EXPECT_EQ(e.action->statusTip(), QString::fromUtf8(e.hint)) << e.name;
        EXPECT_EQ(!e.action->icon().isNull(), e.hasPicture) << e.name;
    }

    const auto* popup = window->findChild<QMenu*>(QStringLiteral("PopupMenuUserItiran"));
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(captionsOf(popup->actions()), QStringList({"アイコン表示", "詳細表示", "お客様登録",
                                                         "", "来店履歴", "", "カルテ..."}));
    QSignalSpy touroku(window->actUserTouroku, &QAction::triggered);
    auto registration = onNextModal([](QWidget* dialog) { dialog->close(); });
    popup->actions()[2]->trigger();
    EXPECT_EQ(touroku.count(), 1);
    EXPECT_EQ(registration->objectName, QStringLiteral("fmKokyakuTouroku"));
    popup->actions()[1]->trigger();
    EXPECT_TRUE(window->userListView()->isReport());
}

TEST_F(StartUpTest, TabCommandsBringTheirPageToTheFront) {
    auto window = openWindow();
    auto* tabs = window->findChild<QTabWidget*>(QStringLiteral("PageControlMain"));
    window->actUserItiran->trigger();
    EXPECT_EQ(tabs->currentWidget()->objectName(), QStringLiteral("SheetKokyakuItiran"));
    window->actYoteihyouHyouji->trigger();
    EXPECT_EQ(tabs->currentWidget()->objectName(), QStringLiteral("SheetYoyaku"));
}

TEST_F(StartUpTest, AboutBoxShowsNameMakerVersionAndRecordFolderWithTheIcon) {
    auto window = openWindow();
    QString text, informative;
    bool hasIcon = false;
    auto visit = onNextModal([&](QWidget* widget) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        if (box != nullptr) {
            text = box->text();
            informative = box->informativeText();
            hasIcon = !box->iconPixmap().isNull();
        }
        widget->close();
    });
    window->actAbout->trigger();
    ASSERT_TRUE(visit->appeared);
    EXPECT_EQ(visit->objectName, QStringLiteral("AboutBox"));
    EXPECT_EQ(text, QStringLiteral("Trimora Light"));
    EXPECT_EQ(informative,
              QStringLiteral("カンヴォ株式会社\nTrimora Light 1.0.2.14\n\n記録フォルダ:\n") +
                  window->AppDir());
    EXPECT_TRUE(hasIcon);
    EXPECT_EQ(mainwindow::aboutText(QString()), QString());
}

TEST_F(StartUpTest, WebLinksHandTheirAddressesToTheDesktop) {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    auto window = openWindow();
    window->actKanvoHomepageLink->trigger();
    window->actKanvoBBSLink->trigger();
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    EXPECT_EQ(catcher.urls,
              QList<QUrl>({QUrl(QStringLiteral("https://www.kanvo.example/")),
                           QUrl(QStringLiteral("https://www.kanvo.example/cgi/trimora/bbs.cgi"))}));
}

TEST(Pictures, EveryPictureDrawsAtBothSizes) {
    QList<QIcon> icons;
    for (int index = 0; index < widgets::PictureCount; ++index) {
        icons.append(widgets::picture(index));
    }
    icons.append(widgets::applicationIcon());
    for (qsizetype at = 0; at < icons.size(); ++at) {
        for (const int size : {16, 32}) {
            const QImage image = icons[at].pixmap(size, size).toImage();
            ASSERT_FALSE(image.isNull()) << "picture " << at << " at " << size;
            EXPECT_EQ(image.size(), QSize(size, size));
            int opaque = 0;
            for (int y = 0; y < size; ++y) {
                for (int x = 0; x < size; ++x) {
                    opaque += qAlpha(image.pixel(x, y)) > 128 ? 1 : 0;
                }
            }
            EXPECT_GT(opaque, size * size / 5) << "picture " << at << " at " << size;
        }
    }
    EXPECT_TRUE(widgets::picture(widgets::PictureCount).isNull());
}

TEST(JapaneseTranslation, GivesTheStandardButtonsTheirJapaneseTexts) {
    ASSERT_TRUE(mainwindow::installJapaneseTranslation(*QCoreApplication::instance()));
    QMessageBox box(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("t"),
                    QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text(), QStringLiteral("はい(&Y)"));
    EXPECT_EQ(box.button(QMessageBox::No)->text(), QStringLiteral("いいえ(&N)"));
}

#include "StartUpTest.moc"

TEST(PlatformChoice, AWaylandSessionUsesX11WhenOfferedAndAChosenPlatformIsKept) {
    struct Case {
        QMap<QByteArray, QByteArray> environment;
        QByteArray expected;
    };
    const QList<Case> cases{
        {{}, {}},
        {{{"DISPLAY", ":0"}}, {}},
        {{{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}}, "xcb;wayland"},
        {{{"XDG_SESSION_TYPE", "wayland"}, {"DISPLAY", ":1"}}, "xcb;wayland"},
        {{{"WAYLAND_DISPLAY", "wayland-0"}}, "wayland;xcb"},
        {{{"XDG_SESSION_TYPE", "x11"}, {"DISPLAY", ":0"}}, {}},
        {{{"WAYLAND_DISPLAY", "wayland-0"}, {"QT_QPA_PLATFORM", "wayland"}}, {}},
    };
    for (const Case& test : cases) {
        const auto variable = [&test](const char* name) { return test.environment.value(name); };
        QByteArray described;
        for (auto it = test.environment.cbegin(); it != test.environment.cend(); ++it) {
            described += it.key() + '=' + it.value() + ' ';
        }
        EXPECT_EQ(mainwindow::chosenPlatform(variable), test.expected) << described.toStdString();
    }
}
