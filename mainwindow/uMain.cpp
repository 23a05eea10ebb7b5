#include "mainwindow/uMain.h"

#include "backup/uFukugen.h"
#include "customer/KokyakuTourokuCommand.h"
#include "customer/uUserKensaku.h"
#include "dayboard/uHibetuYotei.h"
#include "history/uRireki.h"
#include "kaikei/uKaikei.h"
#include "kaikei/uUriage.h"
#include "karte/uKarte.h"
#include "mainwindow/AboutBox.h"
#include "mainwindow/CellBookingsEntry.h"
#include "mainwindow/EditCommands.h"
#include "mainwindow/ExportCommands.h"
#include "mainwindow/FormPlacement.h"
#include "mainwindow/KarteCommands.h"
#include "mainwindow/SalonCommands.h"
#include "mainwindow/UserListView.h"
#include "mainwindow/YoyakuGrid.h"
#include "printing/DaySheet.h"
#include "printing/WeekSheet.h"
#include "recordcheck/uKirokuTenken.h"
#include "records/AutoBackup.h"
#include "records/Backup.h"
#include "records/BookingDetails.h"
#include "records/BookingFacts.h"
#include "records/Clock.h"
#include "records/CsvExport.h"
#include "records/FileChecks.h"
#include "records/KarteLookup.h"
#include "records/RecordFolder.h"
#include "records/SheetBookings.h"
#include "records/Sjis.h"
#include "reservation/CutYoyakuCommand.h"
#include "salon/uYoyakuShousai.h"
#include "widgets/Appearance.h"
#include "widgets/ErrorGuard.h"
#include "widgets/HizukeSentaku.h"
#include "widgets/MessageBox.h"
#include "widgets/Pictures.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScopeGuard>
#include <QShowEvent>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <functional>
#include <utility>

namespace {

const QString UserDeleteCaption = QStringLiteral("お客様削除");
const QString YoyakuLoadErrorCaption = QStringLiteral("予約ファイル読込みエラー");
const QString FukugenCaption = QStringLiteral("バックアップから復元");
const QString FilesReloadedCaption = QStringLiteral("記録ファイルの読み直し");
const QString StoreProblemCaption = QStringLiteral("詳細の記録");
constexpr int HourOfFirstRow = 7;
constexpr int ToolBarMinimumHeight = 26;

// A command's tool tip and status tip: its caption without the access key and the ellipsis.
QString hintOf(const QString& caption) {
    QString hint = caption.left(caption.indexOf(QStringLiteral("(&")));
    if (hint.endsWith(QStringLiteral("..."))) {
        hint.chop(3);
    }
    return hint;
}

QAction* newAction(QObject* owner, const char* name, const QString& caption, const QIcon& icon) {
    const QString hint = hintOf(caption);
    auto* action = new QAction(icon, caption, owner);
    action->setObjectName(QString::fromLatin1(name));
    action->setToolTip(hint);
    action->setStatusTip(hint);
    return action;
}

// A context menu entry with a caption of its own that runs `action`.
void addEntry(QMenu* menu, QAction* action, const QString& caption) {
    QAction* entry = menu->addAction(action->icon(), caption);
    entry->setStatusTip(action->statusTip());
    entry->setEnabled(action->isEnabled());
    QObject::connect(entry, &QAction::triggered, action, &QAction::trigger);
    QObject::connect(action, &QAction::enabledChanged, entry, &QAction::setEnabled);
}

QWidget* pageWithContent(QWidget* content, const char* name) {
    auto* page = new QWidget;
    page->setObjectName(QString::fromLatin1(name));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content);
    return page;
}

}  // namespace

MainWindowOptions MainWindowOptions::ofExecutable() {
    const QString appDir =
        records::folder::chooseRecordFolder(QCoreApplication::applicationDirPath(), qgetenv);
    const QString executableName = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    return {appDir,
            mainwindow::placementFilePath(appDir + QLatin1Char('/') + executableName),
            {},
            true};
}

TfmMain::TfmMain(const MainWindowOptions& options, QWidget* parent)
    : QMainWindow(parent),
      appDir_(QDir::cleanPath(options.appDir)),
      iniPath_(options.iniPath),
      Honjitu(new THonjitu(this)),
      recordLists_(*Honjitu, appDir_),
      startUpReads_(options.readAhead ? options.readAhead
                                      : std::make_shared<records::StartUpReads>(appDir_)),
      keepBackups_(options.keepBackups) {
    setObjectName(QStringLiteral("fmMain"));
    widgets::applyFormLook(*this);
    setWindowIcon(widgets::applicationIcon());
    move(mainwindow::DesignPlacement.left, mainwindow::DesignPlacement.top);
    resize(mainwindow::DesignPlacement.width, mainwindow::DesignPlacement.height);

    createActions();
    createBars();
    createPages();
    createContextMenus();
    // The table and the customer list follow every written change, whoever made it. What this
    // window loads itself it shows itself.
    connect(&recordLists_, &records::RecordLists::changed, this,
            [this](const records::RecordChange& change) {
                if (change.cause == records::RecordChange::Cause::Details &&
                    change.file == records::RecordFile::Yoyaku) {
                    YoyakuhyouShow(Honjitu->WeekStart);
                }
                if (change.cause != records::RecordChange::Cause::Written) {
                    return;
                }
                if (change.file == records::RecordFile::User) {
                    UserListLoad();
                } else {
                    YoyakuhyouShow(Honjitu->WeekStart);
                }
            });
    FormCreate();
}

TfmMain::~TfmMain() = default;

// A command of the window: the member that holds its action, the action's objectName, caption
// and picture, and the handler it runs.
struct TfmMain::Command {
    QAction*& action;
    const char* name;
    QString caption;
    void (TfmMain::*handler)();
    QIcon icon = {};
};

void TfmMain::createActions() {
    using widgets::Picture;
    addCommands({
        {actClose, "actClose", QStringLiteral("閉じる(&Z)"), &TfmMain::actCloseExecute},
        {actYoyakuDialogShow, "actYoyakuDialogShow", QStringLiteral("カット予約(&Y)"),
         &TfmMain::actYoyakuDialogShowExecute, widgets::picture(Picture::Yoyaku)},
        {actUserTouroku, "actUserTouroku", QStringLiteral("お客様登録(&Z)"),
         &TfmMain::actUserTourokuExecute, widgets::picture(Picture::UserTouroku)},
        {actYoteihyouHyouji, "actYoteihyouHyouji", QStringLiteral("予約表(&Y)"),
         &TfmMain::actYoteihyouHyoujiExecute},
        {actUserItiran, "actUserItiran", QStringLiteral("お客様一覧(&Z)"),
         &TfmMain::actUserItiranExecute},
        {actUserIcon, "actUserIcon", QStringLiteral("アイコン表示(&Z)"),
         &TfmMain::actUserIconExecute},
        {actUserReport, "actUserReport", QStringLiteral("詳細表示(&Y)"),
         &TfmMain::actUserReportExecute},
        {actKanvoHomepageLink, "actKanvoHomepageLink", QStringLiteral("ホームページへ(&Y)"),
         &TfmMain::actKanvoHomepageLinkExecute, widgets::picture(Picture::Homepage)},
        {actAbout, "actAbout", QStringLiteral("バージョン情報(&X)"), &TfmMain::actAboutExecute,
         widgets::picture(Picture::Version)},
        {actKanvoBBSLink, "actKanvoBBSLink", QStringLiteral("トリモラ掲示板へ(&Z)"),
         &TfmMain::actKanvoBBSLinkExecute},
        {actYoyakuWeekNext, "actYoyakuWeekNext", QStringLiteral("次週"),
         &TfmMain::actYoyakuWeekNextExecute},
        {actYoyakuWeekBack, "actYoyakuWeekBack", QStringLiteral("前週"),
         &TfmMain::actYoyakuWeekBackExecute},
        {actYoyakuWeekNow, "actYoyakuWeekNow", QStringLiteral("今週"),
         &TfmMain::actYoyakuWeekNowExecute},
        {actFukugen, "actFukugen", QStringLiteral("バックアップから復元...(&B)"),
         &TfmMain::actFukugenExecute},
        {actRirekiHyouji, "actRirekiHyouji", QStringLiteral("来店履歴(&R)"),
         &TfmMain::actRirekiHyoujiExecute},
        {actPrintWeek, "actPrintWeek", QStringLiteral("週の予約表を印刷...(&P)"),
         &TfmMain::actPrintWeekExecute},
        {actPrintDay, "actPrintDay", QStringLiteral("日の予約表を印刷...(&D)"),
         &TfmMain::actPrintDayExecute},
        {actPdfWeek, "actPdfWeek", QStringLiteral("週の予約表をPDFに保存...(&F)"),
         &TfmMain::actPdfWeekExecute},
        {actPdfDay, "actPdfDay", QStringLiteral("日の予約表をPDFに保存...(&G)"),
         &TfmMain::actPdfDayExecute},
        {actExportCustomers, "actExportCustomers", QStringLiteral("お客様をCSVに書き出す...(&C)"),
         &TfmMain::actExportCustomersExecute},
        {actExportReservations, "actExportReservations",
         QStringLiteral("予約をCSVに書き出す...(&R)"), &TfmMain::actExportReservationsExecute},
        {actKirokuTenken, "actKirokuTenken", QStringLiteral("記録の点検...(&K)"),
         &TfmMain::actKirokuTenkenExecute},
        {actUserKensaku, "actUserKensaku", QStringLiteral("お客様を探す...(&S)"),
         &TfmMain::actUserKensakuExecute},
        {actHibetuYotei, "actHibetuYotei", QStringLiteral("日別予定(&D)"),
         &TfmMain::actHibetuYoteiExecute},
        {actKakuninDenwa, "actKakuninDenwa", QStringLiteral("確認の電話(&K)"),
         &TfmMain::actKakuninDenwaExecute},
        {actUriage, "actUriage", QStringLiteral("売上..."), &TfmMain::actUriageExecute},
    });
    actUserKensaku->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    editCommands_ = new mainwindow::EditCommands(
        *this, recordLists_, [this](const std::function<void()>& command) { runCommand(command); });
    karteCommands_ = new mainwindow::KarteCommands(
        *this, recordLists_, [this] { return selectedCustomer(); },
        [this](const std::function<void()>& command) { runCommand(command); });
    actKarte = karteCommands_->actKarte;
}

void TfmMain::addCommands(std::initializer_list<Command> commands) {
    for (const Command& command : commands) {
        command.action = newAction(this, command.name, command.caption, command.icon);
        connectCommand(command.action, command.handler);
    }
}

void TfmMain::connectCommand(QAction* action, void (TfmMain::*handler)()) {
    connect(action, &QAction::triggered, this, [this, handler] { runCommand(handler); });
}

void TfmMain::runCommand(void (TfmMain::*handler)()) {
    runCommand([this, handler] { (this->*handler)(); });
}

void TfmMain::runCommand(const std::function<void()>& command) {
    widgets::runGuarded(this, command);
    widgets::runGuarded(this, [this] { reportFilesReloaded(); });
    reportStoreProblem();
}

void TfmMain::openStore() {
    recordLists_.openStoreIfPresent();
    reportStoreProblem();
}

void TfmMain::reportStoreProblem() {
    const QString problem = recordLists_.takeStoreProblem();
    if (!problem.isEmpty()) {
        widgets::showMessage(this, QMessageBox::Warning, StoreProblemCaption,
                             problem + QStringLiteral("\n予約とお客様の記録は、詳細なしで"
                                                      "これまでどおり使えます。"));
    }
}

void TfmMain::reportFilesReloaded() {
    const QStringList reloaded = recordLists_.takeFilesReloaded();
    if (reloaded.isEmpty()) {
        return;
    }
    QStringList names;
    for (const QString& path : reloaded) {
        const QString name = QLatin1Char('"') + QDir::toNativeSeparators(path) + QLatin1Char('"');
        if (!names.contains(name)) {
            names.append(name);
        }
    }
    widgets::showMessage(this, QMessageBox::Warning, FilesReloadedCaption,
                         QStringLiteral("ほかのプログラムで変更されていたため、読み込み直して"
                                        "から変更を保存しました。\n%1")
                             .arg(names.join(QLatin1Char('\n'))));
}

void TfmMain::createBars() {
    ActionMainMenuBar1 = new QMenuBar(this);
    ActionMainMenuBar1->setObjectName(QStringLiteral("ActionMainMenuBar1"));
    ActionMainMenuBar1->setFont(widgets::menuFont());
    setMenuBar(ActionMainMenuBar1);

    QMenu* file = ActionMainMenuBar1->addMenu(QStringLiteral("ファイル(&Z)"));
    file->addAction(actClose);
    file->addSeparator();
    file->addActions({actPrintWeek, actPrintDay, actPdfWeek, actPdfDay});
    file->addSeparator();
    file->addActions({actExportCustomers, actExportReservations});
    file->addSeparator();
    file->addAction(actFukugen);
    file->addSeparator();
    file->addAction(actKirokuTenken);
    QMenu* yoyaku = ActionMainMenuBar1->addMenu(QStringLiteral("予約(&Y)"));
    yoyaku->addActions({actYoyakuDialogShow, actUserTouroku});
    yoyaku->addSeparator();
    yoyaku->addAction(actRirekiHyouji);
    yoyaku->addSeparator();
    yoyaku->addAction(actKarte);
    QMenu* view = ActionMainMenuBar1->addMenu(QStringLiteral("表示(&X)"));
    view->addActions({actYoteihyouHyouji, actUserItiran});
    QMenu* listView = view->addMenu(QStringLiteral("お客様一覧表示(&X)"));
    listView->addActions({actUserIcon, actUserReport});
    view->addSeparator();
    view->addAction(actUserKensaku);
    editCommands_->addMenu(*ActionMainMenuBar1);
    QMenu* salon = mainwindow::addSalonMenu(*ActionMainMenuBar1, *this, recordLists_);
    salon->addAction(actHibetuYotei);
    salon->addAction(actKakuninDenwa);
    salon->addSeparator();
    salon->addAction(actUriage);
    QMenu* help = ActionMainMenuBar1->addMenu(QStringLiteral("ヘルプ(&W)"));
    help->addActions({actAbout, actKanvoHomepageLink, actKanvoBBSLink});
    for (QMenu* menu : {file, yoyaku, view, listView, salon, help}) {
        menu->setFont(widgets::menuFont());
    }

    ActionToolBar1 = new QToolBar(this);
    ActionToolBar1->setObjectName(QStringLiteral("ActionToolBar1"));
    ActionToolBar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    ActionToolBar1->setIconSize(QSize(16, 16));
    ActionToolBar1->setMinimumHeight(ToolBarMinimumHeight);
    ActionToolBar1->addActions({actYoyakuDialogShow, actUserTouroku});
    addToolBar(Qt::TopToolBarArea, ActionToolBar1);

    StatusBarMain = new QStatusBar(this);
    StatusBarMain->setObjectName(QStringLiteral("StatusBarMain"));
    setStatusBar(StatusBarMain);
    lbHyoujiShuu = new QLabel(StatusBarMain);
    lbHyoujiShuu->setObjectName(QStringLiteral("lbHyoujiShuu"));
    StatusBarMain->addPermanentWidget(lbHyoujiShuu);
}

void TfmMain::createPages() {
    StringGridYoyaku = new mainwindow::TYoyakuGrid;
    pnlYoyaku = new QFrame;
    pnlYoyaku->setObjectName(QStringLiteral("pnlYoyaku"));
    pnlYoyaku->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* panelLayout = new QVBoxLayout(pnlYoyaku);
    panelLayout->setContentsMargins(1, 1, 1, 1);
    panelLayout->addWidget(StringGridYoyaku);
    SheetYoyaku = pageWithContent(pnlYoyaku, "SheetYoyaku");
    // Queued, so that the dialog opens once the click or the key has been handled.
    connect(StringGridYoyaku, &mainwindow::TYoyakuGrid::cellChosen, actYoyakuDialogShow,
            &QAction::trigger, Qt::QueuedConnection);

    ListView1 = new mainwindow::TUserListView;
    connect(ListView1, &mainwindow::TUserListView::deleteKeyPressed, this,
            [this] { runCommand(&TfmMain::ListView1KeyDown); });
    connect(ListView1, &mainwindow::TUserListView::doubleClicked, this,
            [this] { runCommand(&TfmMain::ListView1DblClick); });
    connect(ListView1, &mainwindow::TUserListView::enterKeyPressed, actRirekiHyouji,
            &QAction::trigger);
    SheetKokyakuItiran = pageWithContent(ListView1, "SheetKokyakuItiran");

    PageControlMain = new QTabWidget(this);
    PageControlMain->setObjectName(QStringLiteral("PageControlMain"));
    PageControlMain->addTab(SheetYoyaku, QStringLiteral("予約表"));
    PageControlMain->addTab(SheetKokyakuItiran, QStringLiteral("お客様一覧"));
    setCentralWidget(PageControlMain);
}

void TfmMain::createContextMenus() {
    PopupMenuYoyaku = new QMenu(this);
    PopupMenuYoyaku->setObjectName(QStringLiteral("PopupMenuYoyaku"));
    PopupMenuYoyaku->addActions({actYoyakuWeekBack, actYoyakuWeekNext, actYoyakuWeekNow});
    PopupMenuYoyaku->addSeparator();
    PopupMenuYoyakuRireki = new mainwindow::CellBookingsEntry(
        this, *PopupMenuYoyaku, QStringLiteral("来店履歴"), QStringLiteral("PopupMenuYoyakuRireki"),
        QStringLiteral("PopupMenuYoyakuRirekiList"), [this](qsizetype, const QByteArray& line) {
            RirekiShow(
                records::history::subjectOfReservation(line),
                [this, line] { return records::karte::karteOfBooking(recordLists_, line); },
                [this, line](QWidget* over) { karteCommands_->openForBooking(over, line); });
        });
    PopupMenuYoyaku->addSeparator();
    PopupMenuYoyakuShousai = new mainwindow::CellBookingsEntry(
        this, *PopupMenuYoyaku, QStringLiteral("予約の詳細..."), QStringLiteral("actYoyakuShousai"),
        QStringLiteral("PopupMenuYoyakuShousaiList"),
        [this](qsizetype position, const QByteArray&) {
            salon::runYoyakuShousai(this, recordLists_, position,
                                    [this](qsizetype paid) { openPayment(this, paid); });
        });
    PopupMenuYoyaku->addSeparator();
    addEntry(PopupMenuYoyaku, actHibetuYotei, QStringLiteral("日別予定"));
    PopupMenuYoyaku->addSeparator();
    PopupMenuYoyakuKarte = new mainwindow::CellBookingsEntry(
        this, *PopupMenuYoyaku, QStringLiteral("カルテ..."), QStringLiteral("PopupMenuYoyakuKarte"),
        QStringLiteral("PopupMenuYoyakuKarteList"),
        [this](qsizetype, const QByteArray& line) { karteCommands_->openForBooking(this, line); });
    PopupMenuYoyakuKaikei = new mainwindow::CellBookingsEntry(
        this, *PopupMenuYoyaku, QStringLiteral("会計..."), QStringLiteral("actKaikei"),
        QStringLiteral("PopupMenuYoyakuKaikeiList"),
        [this](qsizetype position, const QByteArray&) { openPayment(this, position); });
    StringGridYoyaku->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(StringGridYoyaku, &QWidget::customContextMenuRequested, this, [this](QPoint at) {
        PopupMenuYoyakuFill();
        PopupMenuYoyaku->popup(StringGridYoyaku->viewport()->mapToGlobal(at));
    });

    PopupMenuUserItiran = new QMenu(this);
    PopupMenuUserItiran->setObjectName(QStringLiteral("PopupMenuUserItiran"));
    addEntry(PopupMenuUserItiran, actUserIcon, QStringLiteral("アイコン表示"));
    addEntry(PopupMenuUserItiran, actUserReport, QStringLiteral("詳細表示"));
    addEntry(PopupMenuUserItiran, actUserTouroku, QStringLiteral("お客様登録"));
    PopupMenuUserItiran->addSeparator();
    addEntry(PopupMenuUserItiran, actRirekiHyouji, QStringLiteral("来店履歴"));
    PopupMenuUserItiran->addSeparator();
    PopupMenuUserItiran->addAction(actKarte);
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ListView1, &QWidget::customContextMenuRequested, this,
            [this](QPoint at) { PopupMenuUserItiran->popup(ListView1->mapToGlobal(at)); });
}

void TfmMain::FormCreate() {
    // A restore cut off is completed before anything reads the record files.
    widgets::runGuarded(this, [this] { records::backup::finishInterruptedRestore(appDir_); });
    const std::function<void()> steps[] = {
        [this] { setWindowTitle(widgets::ApplicationTitle); },
        [this] { DataFileCheck(userFilePath()); },
        [this] { DataFileCheck(yoyakuFilePath()); },
        [this] { WeekNow(*Honjitu); },
        [this] { UserListLoad(); },
        [this] { YoyakuFileLoad(); },
        [this] { openStore(); },
        [this] { editCommands_->load(); },
        [this] { YoyakuhyouShow(Honjitu->WeekStart); },
        [this] { mainwindow::FormPositionIni(*this, iniPath_, 'R'); },
    };
    for (const auto& step : steps) {
        if (!widgets::runGuarded(this, step)) {
            break;
        }
    }
    PageControlMain->setCurrentWidget(SheetYoyaku);
    startUpReads_.reset();
}

void TfmMain::FormDestroy() {
    widgets::runGuarded(this, [this] { mainwindow::FormPositionIni(*this, iniPath_, 'W'); });
}

namespace {
constexpr int StartUpBackupDelayMs = 1000;
constexpr int LinesToCheckDelayMs = 300;
}  // namespace

void TfmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!linesToCheckShown_) {
        linesToCheckShown_ = true;
        // Reading every reservation line again takes a while on years of records: the count
        // comes once the window has been up a moment, so that it does not hold up the first
        // paint.
        QTimer::singleShot(LinesToCheckDelayMs, this, [this] {
            widgets::runGuarded(this, [this] { showLinesToCheck(); });
            widgets::runGuarded(this, [this] { recordLists_.purgeOldDetails(); });
            reportStoreProblem();
        });
    }
    if (keepBackups_ && !autoBackup_) {
        // Once the window has been up a moment, so that its first paint has the cores to itself.
        QTimer::singleShot(StartUpBackupDelayMs, this, &TfmMain::startAutoBackup);
    }
}

void TfmMain::startAutoBackup() {
    if (autoBackup_) {
        return;
    }
    // The report may come from the backup's thread: the message is shown on the window's.
    autoBackup_ =
        std::make_unique<records::backup::AutoBackup>(appDir_, [this](const QString& text) {
            QMetaObject::invokeMethod(this, [this, text] { warnAboutBackup(text); });
        });
    autoBackup_->start();
}

void TfmMain::closeEvent(QCloseEvent* event) {
    FormDestroy();
    if (keepBackups_) {
        // A window closed before its start-up backup began still makes it.
        startAutoBackup();
        autoBackup_->atClose();
    }
    event->accept();
}

void TfmMain::warnAboutBackup(const QString& text) {
    widgets::showMessage(this, QMessageBox::Warning, QStringLiteral("バックアップ"), text);
}

void TfmMain::YoyakuFileLoad() {
    if (!recordLists_.YoyakuFileLoad(startUpReads_ ? &startUpReads_->reservations : nullptr)) {
        widgets::showMessage(this, QMessageBox::Warning, YoyakuLoadErrorCaption,
                             QStringLiteral("カット予約ファイルがありません。\n\"%1\" 読込失敗")
                                 .arg(QDir::toNativeSeparators(yoyakuFilePath())));
    }
}

void TfmMain::ensureYoyakuListLoaded() {
    // A start-up that stopped early (a customer file that could not be read) or a reservation
    // file that could not be read leaves the list empty while the file may hold reservations: a
    // rewrite from it would erase them, and the table would hide them. The file is read first;
    // while it cannot be, the command ends with that error and writes nothing.
    if (!recordLists_.isYoyakuListLoaded()) {
        YoyakuFileLoad();
    }
}

void TfmMain::YoyakuhyouShow(const QDateTime& weekStart) {
    using Grid = mainwindow::TYoyakuGrid;
    shownWeekStart_ = weekStart.date();
    StringGridYoyaku->clearCells();
    for (int column = 1; column < Grid::ColumnCount; ++column) {
        StringGridYoyaku->setCellText(column, 0,
                                      mainwindow::dayHeader(shownWeekStart_.addDays(column - 1)));
    }
    StringGridYoyaku->setCellText(0, 0, mainwindow::monthHeader(Honjitu->Kijunbi.date()));
    for (int row = 1; row < Grid::RowCount; ++row) {
        StringGridYoyaku->setCellText(0, row, mainwindow::hourLabel(row + HourOfFirstRow));
    }
    StringGridYoyaku->setTodayColumn(Honjitu->Youbi);
    StringGridYoyaku->selectCell(Honjitu->Youbi, Honjitu->Jikan - HourOfFirstRow);
    YoyakuhyouFill();
    StringGridYoyaku->resetRowHeights();
    lbHyoujiShuu->setText(mainwindow::weekSpanText(shownWeekStart_));
}

void TfmMain::YoyakuhyouFill() {
    const QDate today = records::clock_source::now().date();
    const QList<qsizetype> booked = recordLists_.yoyakuIndex().bookedBetween(
        shownWeekStart_, shownWeekStart_.addDays(6), today);
    // The week's details in one look into the store; without a store there are none.
    const QHash<qsizetype, records::LineDetails> details =
        recordLists_.detailsAt(records::RecordFile::Yoyaku, booked);
    for (const qsizetype position : booked) {
        const auto found = details.constFind(position);
        YoyakuCellSet(
            position, today,
            found != details.cend() &&
                records::booking::isCancelled(records::booking::BookingDetails::of(*found).status));
    }
}

void TfmMain::YoyakuCellSet(qsizetype position, const QDate& today, bool cancelled) {
    const records::ReservationIndex& index = recordLists_.yoyakuIndex();
    // Hours without a row (before 8, after 24, not a number) are left out of the table.
    const int hour = index.bookedHour(position);
    if (!records::reservation_record::hasTableRow(hour)) {
        return;
    }
    const int row = hour - HourOfFirstRow;
    const int column =
        static_cast<int>(shownWeekStart_.daysTo(index.bookedDate(position, today))) + 1;
    StringGridYoyaku->appendCellLine(
        column, row, records::sjis::toUnicode(index.tableEntry(position)), cancelled);
}

void TfmMain::actYoyakuDialogShowExecute() {
    std::optional<QPoint> cell;
    if (StringGridYoyaku->hasFocus() && StringGridYoyaku->currentColumn() > 0 &&
        StringGridYoyaku->currentRow() > 0) {
        cell = QPoint(StringGridYoyaku->currentColumn(), StringGridYoyaku->currentRow());
    }
    YoyakuDialogRun([this, cell] { reservation::runCutYoyaku(this, recordLists_, cell); });
}

void TfmMain::YoyakuDialogRun(const std::function<void()>& runDialog) {
    ensureYoyakuListLoaded();
    runDialog();
}

void TfmMain::actUserTourokuExecute() {
    KokyakuTourokuDialogShow(0);
}

void TfmMain::ListView1DblClick() {
    // Customers are not opened from a list that is being refilled.
    if (!userListLoading_) {
        KokyakuTourokuDialogShow(ListView1->selectedIndex() + 1);
    }
}

void TfmMain::KokyakuTourokuDialogShow(int n) {
    if (customer::runKokyakuTouroku(this, recordLists_, n)) {
        // A changed customer moved to the end; a new one is not selected.
        if (n > 0) {
            ListView1->selectIndex(ListView1->model()->rowCount() - 1);
        }
    }
}

void TfmMain::setCustomerCommandsEnabled(bool enabled) {
    actUserTouroku->setEnabled(enabled);
    actExportCustomers->setEnabled(enabled);
    actYoyakuDialogShow->setEnabled(enabled);
}

std::optional<qsizetype> TfmMain::selectedCustomer() const {
    const int index = ListView1->selectedIndex();
    if (userListLoading_ || index < 0 || index >= Honjitu->UserList.size()) {
        return std::nullopt;
    }
    return index;
}

void TfmMain::UserListLoad() {
    if (userListLoading_) {
        userListReloadPending_ = true;
        return;
    }
    userListLoading_ = true;
    setCustomerCommandsEnabled(false);
    const auto finish = qScopeGuard([this] {
        userListLoading_ = false;
        setCustomerCommandsEnabled(true);
    });
    do {
        userListReloadPending_ = false;
        mainwindow::UserListModel* model = ListView1->model();
        model->clear();
        // The page shows the items taken so far whenever events are let through, so that item i
        // is customer line i whenever anything else can run.
        const auto showAdded = qScopeGuard([model] { model->showAdded(); });
        recordLists_.UserListLoad([this](const QByteArray& line) { UserItemAdd(line); },
                                  [model] {
                                      model->showAdded();
                                      QCoreApplication::processEvents();
                                  },
                                  startUpReads_ ? &startUpReads_->users : nullptr);
    } while (userListReloadPending_);
    // The rows hold other customers now: no highlight may stay on a row number.
    ListView1->selectIndex(-1);
}

void TfmMain::UserItemAdd(const QByteArray& line) {
    ListView1->model()->addItem(line);
}

void TfmMain::ListView1KeyDown() {
    if (userListLoading_) {
        return;
    }
    const int index = ListView1->selectedIndex();
    if (index < 0 || index >= Honjitu->UserList.size()) {
        return;
    }
    if (!widgets::confirmDeletion(this, UserDeleteCaption,
                                  QStringLiteral("１つのお客様データの削除取り消しました。"))) {
        return;
    }
    recordLists_.change(records::RecordFile::User,
                        {records::RecordIntent::remove(index, Honjitu->UserList.at(index))});
    widgets::showMessage(this, QMessageBox::Information, UserDeleteCaption,
                         QStringLiteral("１つのお客様データの削除しました。"));
}

void TfmMain::bringToFront() {
    if (isMinimized()) {
        setWindowState(windowState() & ~Qt::WindowMinimized);
    }
    show();
    raise();
    activateWindow();
}

void TfmMain::actCloseExecute() {
    close();
}

void TfmMain::actYoteihyouHyoujiExecute() {
    PageControlMain->setCurrentWidget(SheetYoyaku);
}

void TfmMain::actUserItiranExecute() {
    PageControlMain->setCurrentWidget(SheetKokyakuItiran);
}

void TfmMain::actUserIconExecute() {
    ListView1->showIcons();
}

void TfmMain::actUserReportExecute() {
    ListView1->showReport();
}

void TfmMain::actAboutExecute() {
    mainwindow::showAboutBox(this, appDir_);
}

void TfmMain::actKanvoHomepageLinkExecute() {
    mainwindow::openWebLink(mainwindow::HomepageUrl);
}

void TfmMain::actKanvoBBSLinkExecute() {
    mainwindow::openWebLink(mainwindow::BbsUrl);
}

void TfmMain::actYoyakuWeekNextExecute() {
    ensureYoyakuListLoaded();
    WeekNext(*Honjitu);
    YoyakuhyouShow(Honjitu->WeekStart);
}

void TfmMain::actYoyakuWeekBackExecute() {
    ensureYoyakuListLoaded();
    WeekBack(*Honjitu);
    YoyakuhyouShow(Honjitu->WeekStart);
}

void TfmMain::actFukugenExecute() {
    TfmFukugen fmFukugen(appDir_, this);
    fmFukugen.exec();
    const std::optional<records::backup::Entry> chosen = fmFukugen.chosen();
    if (!chosen || widgets::showMessage(
                       this, QMessageBox::Question, FukugenCaption,
                       QStringLiteral("%1 のバックアップから復元します。\n"
                                      "今のお客様と予約のデータは、先にバックアップしてから置き換え"
                                      "ます。\nよろしいですか？")
                           .arg(backupMomentText(*chosen)),
                       QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
        return;
    }
    // The store is one of the files put back: its connection lets go of it first.
    recordLists_.closeStore();
    try {
        records::backup::restoreBackup(appDir_, chosen->name);
    } catch (const FileError&) {
        // The lists follow the files whatever is on disk now.
        reloadRecords();
        throw;
    }
    reloadRecords();
    widgets::showMessage(
        this, QMessageBox::Information, FukugenCaption,
        QStringLiteral("%1 のバックアップから復元しました。").arg(backupMomentText(*chosen)));
}

void TfmMain::reloadRecords() {
    WeekNow(*Honjitu);
    UserListLoad();
    YoyakuFileLoad();
    openStore();
    editCommands_->restored();
    YoyakuhyouShow(Honjitu->WeekStart);
}

void TfmMain::actYoyakuWeekNowExecute() {
    ensureYoyakuListLoaded();
    WeekNow(*Honjitu);
    YoyakuhyouShow(Honjitu->WeekStart);
}

QDate TfmMain::selectedDay() const {
    const int column = StringGridYoyaku->currentColumn();
    if (column >= 1 && column < mainwindow::TYoyakuGrid::ColumnCount) {
        return shownWeekStart_.addDays(column - 1);
    }
    return records::clock_source::now().date();
}

mainwindow::OwnFiles TfmMain::ownFiles() const {
    // The program is installed as "trimbook" beside its records; the one running may be elsewhere.
    return {{userFilePath(), yoyakuFilePath()},
            {QCoreApplication::applicationFilePath(), appDir_ + QStringLiteral("/trimbook"),
             records::FolderLock::lockFilePath(appDir_), iniPath_,
             appDir_ + QStringLiteral("/trimbook.db")},
            {records::backup::backupRoot(appDir_)}};
}

namespace {

printing::WeekSheet weekSheetOf(const records::ReservationIndex& index, const QDate& weekStart) {
    const QDateTime now = records::clock_source::now();
    return printing::WeekSheet(
        weekStart, now,
        records::sheets::bookingsBetween(index, weekStart, weekStart.addDays(6), now.date()));
}

printing::DaySheet daySheetOf(const records::RecordLists& lists, const QDate& day) {
    const QDateTime now = records::clock_source::now();
    const std::optional<records::booking::BookingFacts> facts = records::booking::keptFactsOf(
        lists, lists.yoyakuIndex().bookedBetween(day, day, now.date()));
    QList<records::sheets::Booking> bookings = records::sheets::bookingsBetween(
        lists.yoyakuIndex(), day, day, now.date(), facts ? &*facts : nullptr);
    records::karte::noteCautions(lists, bookings);
    return printing::DaySheet(day, now, std::move(bookings));
}

const QString PdfFilter = QStringLiteral("PDF (*.pdf)");
const QString CsvFilter = QStringLiteral("CSV (*.csv)");

QString datedName(const QString& stem, const QDate& date, const QString& extension) {
    return stem + QLatin1Char('_') + date.toString(Qt::ISODate) + extension;
}

}  // namespace

void TfmMain::actPrintWeekExecute() {
    ensureYoyakuListLoaded();
    mainwindow::previewSheet(this, weekSheetOf(recordLists_.yoyakuIndex(), shownWeekStart_));
}

void TfmMain::actPrintDayExecute() {
    ensureYoyakuListLoaded();
    if (const auto day = widgets::askForDay(this, actPrintDay->toolTip(), selectedDay())) {
        mainwindow::previewSheet(this, daySheetOf(recordLists_, *day));
    }
}

void TfmMain::actPdfWeekExecute() {
    ensureYoyakuListLoaded();
    mainwindow::saveExport(
        this, actPdfWeek->toolTip(),
        datedName(QStringLiteral("予約表"), shownWeekStart_, QStringLiteral(".pdf")), PdfFilter,
        ownFiles(), [this] {
            return printing::pdfOf(weekSheetOf(recordLists_.yoyakuIndex(), shownWeekStart_));
        });
}

void TfmMain::actPdfDayExecute() {
    ensureYoyakuListLoaded();
    const std::optional<QDate> asked =
        widgets::askForDay(this, actPdfDay->toolTip(), selectedDay());
    if (!asked) {
        return;
    }
    const QDate day = *asked;
    mainwindow::saveExport(this, actPdfDay->toolTip(),
                           datedName(QStringLiteral("日の予約表"), day, QStringLiteral(".pdf")),
                           PdfFilter, ownFiles(),
                           [this, day] { return printing::pdfOf(daySheetOf(recordLists_, day)); });
}

void TfmMain::actExportCustomersExecute() {
    if (userListLoading_) {
        return;
    }
    const QDate today = records::clock_source::now().date();
    mainwindow::saveExport(this, actExportCustomers->toolTip(),
                           datedName(QStringLiteral("お客様"), today, QStringLiteral(".csv")),
                           CsvFilter, ownFiles(),
                           [this] { return records::csv::customersCsv(Honjitu->UserList); });
}

void TfmMain::actExportReservationsExecute() {
    ensureYoyakuListLoaded();
    const QDate today = records::clock_source::now().date();
    mainwindow::saveExport(this, actExportReservations->toolTip(),
                           datedName(QStringLiteral("予約"), today, QStringLiteral(".csv")),
                           CsvFilter, ownFiles(), [this, today] {
                               return records::csv::reservationsCsv(
                                   Honjitu->YoyakuList, today,
                                   records::booking::factsOfAll(recordLists_));
                           });
}

void TfmMain::actRirekiHyoujiExecute() {
    const std::optional<qsizetype> index = selectedCustomer();
    if (!index) {
        return;
    }
    const QByteArray line = Honjitu->UserList.at(*index);
    // The customer's line as the history was asked for: a booking made from the history may
    // register or change customers before the history is shown again.
    RirekiShow(
        records::history::subjectOfCustomer(line),
        [this, at = *index, line]() -> std::optional<records::karte::Karte> {
            const qsizetype now =
                karte::positionNow(recordLists_.lines(records::RecordFile::User), at, line);
            if (now < 0) {
                return std::nullopt;
            }
            return records::karte::Karte::of(
                recordLists_.detailsAt(records::RecordFile::User, now));
        },
        [this, at = *index, line](QWidget* over) {
            karteCommands_->openForCustomer(over, at, line);
        });
}

void TfmMain::RirekiShow(const records::history::Subject& subject,
                         const std::function<std::optional<records::karte::Karte>()>& karteNow,
                         const std::function<void(QWidget*)>& openKarte) {
    const auto flagsNow = [&karteNow] {
        const std::optional<records::karte::Karte> karte = karteNow();
        return karte ? records::karte::flagsText(*karte) : QString();
    };
    // The history is read from the list, so a list that could not be read at start-up is read now.
    ensureYoyakuListLoaded();
    // The history window is gone before the reservation command starts, as from the menu; a
    // reservation dialog left without a booking brings the history back.
    for (bool booked = false; !booked;) {
        const std::optional<records::history::NextVisit> next = history::runRireki(
            this, subject, recordLists_.yoyakuIndex(),
            records::booking::detailsLookupOf(recordLists_), flagsNow(), [&](QWidget* over) {
                openKarte(over);
                return flagsNow();
            });
        if (!next || !actYoyakuDialogShow->isEnabled()) {
            return;
        }
        YoyakuDialogRun([this, &next, &booked] {
            booked = reservation::runCutYoyaku(this, recordLists_, *next);
        });
    }
}

void TfmMain::actKakuninDenwaExecute() {
    ensureYoyakuListLoaded();
    calls::showKakuninDenwa(this, recordLists_, mainwindow::previewSheet, fmKakuninDenwa_);
}

void TfmMain::actKirokuTenkenExecute() {
    YoyakuDialogRun([this] { recordcheck::runKirokuTenken(this, recordLists_); });
    showLinesToCheck();
}

void TfmMain::showLinesToCheck() {
    const qsizetype count = recordcheck::linesToCheckCount(recordLists_);
    if (count > 0) {
        StatusBarMain->showMessage(QStringLiteral("点検が必要な予約が %1 件あります").arg(count));
    } else {
        StatusBarMain->clearMessage();
    }
}

void TfmMain::actUserKensakuExecute() {
    // A list being refilled does not yet hold the rows the positions found would name.
    if (userListLoading_) {
        return;
    }
    const std::optional<int> chosen = customer::runUserKensaku(this, Honjitu->UserList);
    if (!chosen) {
        return;
    }
    // The page comes first: a view that is shown scrolls to the item made current in it.
    actUserItiranExecute();
    ListView1->selectIndex(*chosen);
    ListView1->currentWidget()->setFocus();
}

// Positions in YoyakuList of the bookings the table shows in the cell (column, row).
QList<qsizetype> TfmMain::bookingsInCell(int column, int row) const {
    QList<qsizetype> positions;
    if (column < 1 || row < 1) {
        return positions;
    }
    const records::ReservationIndex& index = recordLists_.yoyakuIndex();
    const QDate day = shownWeekStart_.addDays(column - 1);
    for (const qsizetype position :
         index.bookedBetween(day, day, records::clock_source::now().date())) {
        if (index.bookedHour(position) - HourOfFirstRow == row) {
            positions.append(position);
        }
    }
    return positions;
}

void TfmMain::PopupMenuYoyakuFill() {
    const QList<qsizetype> booked =
        bookingsInCell(StringGridYoyaku->currentColumn(), StringGridYoyaku->currentRow());
    PopupMenuYoyakuRireki->offer(booked, recordLists_);
    PopupMenuYoyakuShousai->offer(booked, recordLists_);
    PopupMenuYoyakuKarte->offer(booked, recordLists_);
    PopupMenuYoyakuKaikei->offer(booked, recordLists_);
}

void TfmMain::actHibetuYoteiExecute() {
    ensureYoyakuListLoaded();
    TfmHibetuYotei* board = dayboard::showHibetuYotei(this, recordLists_, selectedDay());
    board->setOpenDetails([this, board](qsizetype position) {
        widgets::runGuarded(board, [&] {
            salon::runYoyakuShousai(board, recordLists_, position,
                                    [this, board](qsizetype paid) { openPayment(board, paid); });
        });
    });
    board->setOpenPayment([this, board](qsizetype position) { openPayment(board, position); });
}

kaikei::Outputs TfmMain::kaikeiOutputs() const {
    return {mainwindow::previewSheet,
            [this](QWidget* parent, const QString& caption, const QString& fileName,
                   const QString& filter, const std::function<QByteArray()>& content) {
                mainwindow::saveExport(parent, caption, fileName, filter, ownFiles(), content);
            }};
}

void TfmMain::openPayment(QWidget* over, qsizetype position) {
    widgets::runGuarded(over,
                        [&] { kaikei::runKaikei(over, recordLists_, position, kaikeiOutputs()); });
}

void TfmMain::actUriageExecute() {
    ensureYoyakuListLoaded();
    kaikei::showUriage(this, recordLists_, kaikeiOutputs(), selectedDay());
}
