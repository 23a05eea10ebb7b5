#pragma once

#include "calls/uKakuninDenwa.h"
#include "kaikei/KaikeiOutputs.h"
#include "records/Karte.h"
#include "records/RecordLists.h"
#include "records/VisitHistory.h"
#include "records/uLib.h"

#include <QDateTime>
#include <QMainWindow>
#include <QPointer>
#include <QString>

#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QMenuBar;
class QStatusBar;
class QTabWidget;
class QToolBar;

namespace records::backup {
class AutoBackup;
}

namespace mainwindow {
class CellBookingsEntry;
class EditCommands;
class KarteCommands;
class TYoyakuGrid;
class TUserListView;
struct OwnFiles;
}  // namespace mainwindow

// Where the main window keeps its records and its placement.
struct MainWindowOptions {
    QString appDir;   // record folder, without a trailing separator
    QString iniPath;  // window placement file
    // The record files of appDir already being read ahead; when none are given, the window starts
    // reading them itself as it is created.
    std::shared_ptr<records::StartUpReads> readAhead = {};
    // Back up the record files once the window is shown and, when one was written, at close.
    bool keepBackups = false;

    // The record folder chosen for the executable's folder, with "<executable>.ini" in it.
    static MainWindowOptions ofExecutable();
};

// The main window: the weekly reservation table, the customer list page and the commands of the
// menus, the toolbar and the context menus.
class TfmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TfmMain(const MainWindowOptions& options = MainWindowOptions::ofExecutable(),
                     QWidget* parent = nullptr);
    ~TfmMain() override;

    // Rebuilds the weekly table for the week beginning on `weekStart`.
    void YoyakuhyouShow(const QDateTime& weekStart);
    // Clears the customer list page and UserList and refills both from the customer file. Events
    // are let through while it reads; the commands that change customers are held off meanwhile.
    void UserListLoad();
    // Adds the item of one customer line to the customer list page.
    void UserItemAdd(const QByteArray& line);
    bool isUserListLoading() const { return userListLoading_; }

    const THonjitu& honjitu() const { return *Honjitu; }
    records::RecordLists& recordLists() { return recordLists_; }
    QString AppDir() const { return appDir_; }
    QString userFilePath() const { return recordLists_.userFilePath(); }
    QString yoyakuFilePath() const { return recordLists_.yoyakuFilePath(); }
    QString iniFilePath() const { return iniPath_; }

    mainwindow::TYoyakuGrid* yoyakuGrid() const { return StringGridYoyaku; }
    mainwindow::TUserListView* userListView() const { return ListView1; }

    // Restores the window when minimized and brings it to the front.
    void bringToFront();

    // The commands; each carries its name as objectName and its hint as tool and status tip.
    QAction* actClose;
    QAction* actYoyakuDialogShow;
    QAction* actUserTouroku;
    QAction* actYoteihyouHyouji;
    QAction* actUserItiran;
    QAction* actUserIcon;
    QAction* actUserReport;
    QAction* actAbout;
    QAction* actKanvoHomepageLink;
    QAction* actKanvoBBSLink;
    QAction* actYoyakuWeekNext;
    QAction* actYoyakuWeekBack;
    QAction* actYoyakuWeekNow;
    QAction* actPrintWeek;
    QAction* actPrintDay;
    QAction* actPdfWeek;
    QAction* actPdfDay;
    QAction* actExportCustomers;
    QAction* actExportReservations;
    QAction* actFukugen;
    // The visit history of the customer selected in the customer list.
    QAction* actRirekiHyouji;
    // The reservation lines that no cell of the table leads to.
    QAction* actKirokuTenken;
    // Ctrl+F: finds a customer and shows it selected in the customer list.
    QAction* actUserKensaku;
    // The day board of the selected column's day, beside the table.
    QAction* actHibetuYotei;
    // The confirmation calls of tomorrow's bookings, in a window beside the table.
    QAction* actKakuninDenwa;
    // The カルテ of the customer selected in the customer list.
    QAction* actKarte;
    // The takings of a month or a day.
    QAction* actUriage;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    struct Command;
    void createActions();
    void addCommands(std::initializer_list<Command> commands);
    void createBars();
    void createPages();
    void createContextMenus();
    void connectCommand(QAction* action, void (TfmMain::*handler)());
    // Runs a command and then tells of the record files it found changed elsewhere, showing
    // them as they are now.
    void runCommand(void (TfmMain::*handler)());
    void runCommand(const std::function<void()>& command);
    void reportFilesReloaded();
    // Opens the store beside the record files when there is one; tells once what keeps it shut.
    void openStore();
    void reportStoreProblem();

    void FormCreate();
    void FormDestroy();
    void YoyakuFileLoad();
    void ensureYoyakuListLoaded();
    void YoyakuhyouFill();
    // A cancelled booking is drawn struck through.
    void YoyakuCellSet(qsizetype position, const QDate& today, bool cancelled);
    void ListView1KeyDown();
    QList<qsizetype> bookingsInCell(int column, int row) const;
    // The context menu's entries for the bookings of the selected cell.
    void PopupMenuYoyakuFill();
    void setCustomerCommandsEnabled(bool enabled);
    // The customer line selected on the list page; nothing while none is or the list refills.
    std::optional<qsizetype> selectedCustomer() const;

    void actCloseExecute();
    void actYoyakuDialogShowExecute();
    void YoyakuDialogRun(const std::function<void()>& runDialog);
    void actUserTourokuExecute();
    void ListView1DblClick();
    void KokyakuTourokuDialogShow(int n);
    void actYoteihyouHyoujiExecute();
    void actUserItiranExecute();
    void actUserIconExecute();
    void actUserReportExecute();
    void actAboutExecute();
    void actKanvoHomepageLinkExecute();
    void actKanvoBBSLinkExecute();
    void actYoyakuWeekNextExecute();
    void actYoyakuWeekBackExecute();
    void actYoyakuWeekNowExecute();
    void actPrintWeekExecute();
    void actPrintDayExecute();
    void actPdfWeekExecute();
    void actPdfDayExecute();
    void actExportCustomersExecute();
    void actExportReservationsExecute();
    // The day of the table's selected column, or today when no day is selected.
    QDate selectedDay() const;
    mainwindow::OwnFiles ownFiles() const;
    void actFukugenExecute();
    // Reads both record files again and shows them as a fresh start would.
    void reloadRecords();
    void startAutoBackup();
    void warnAboutBackup(const QString& text);
    void actRirekiHyoujiExecute();
    void actKirokuTenkenExecute();
    // Says on the status bar how many reservation lines need checking, when there are any.
    void showLinesToCheck();
    // `karteNow` gives the pet's カルテ as it is, whose flags the history shows; `openKarte`
    // opens it over the history window.
    void RirekiShow(const records::history::Subject& subject,
                    const std::function<std::optional<records::karte::Karte>()>& karteNow,
                    const std::function<void(QWidget*)>& openKarte);
    void actUserKensakuExecute();
    void actHibetuYoteiExecute();
    void actKakuninDenwaExecute();
    void actUriageExecute();
    // The desk's windows print and save as the other sheets do.
    kaikei::Outputs kaikeiOutputs() const;
    // The payment of the booking at `position`, over `over`.
    void openPayment(QWidget* over, qsizetype position);

    QString appDir_;
    QString iniPath_;
    THonjitu* Honjitu;
    records::RecordLists recordLists_;
    // The record files read ahead while the window is being built; gone once it is.
    std::shared_ptr<records::StartUpReads> startUpReads_;
    QDate shownWeekStart_;
    bool userListLoading_ = false;
    bool userListReloadPending_ = false;
    bool linesToCheckShown_ = false;
    bool keepBackups_;
    std::unique_ptr<records::backup::AutoBackup> autoBackup_;
    QPointer<TfmKakuninDenwa> fmKakuninDenwa_;
    // The 編集 menu's undo, redo and trash.
    mainwindow::EditCommands* editCommands_;
    mainwindow::KarteCommands* karteCommands_;

    QMenuBar* ActionMainMenuBar1;
    QToolBar* ActionToolBar1;
    QTabWidget* PageControlMain;
    QWidget* SheetYoyaku;
    QFrame* pnlYoyaku;
    mainwindow::TYoyakuGrid* StringGridYoyaku;
    QWidget* SheetKokyakuItiran;
    mainwindow::TUserListView* ListView1;
    QStatusBar* StatusBarMain;
    // The displayed week with its years, kept on the status bar.
    QLabel* lbHyoujiShuu;
    QMenu* PopupMenuYoyaku;
    QMenu* PopupMenuUserItiran;
    // The table's context menu entries for the history and the details of a booking in the
    // selected cell.
    mainwindow::CellBookingsEntry* PopupMenuYoyakuRireki;
    mainwindow::CellBookingsEntry* PopupMenuYoyakuShousai;
    mainwindow::CellBookingsEntry* PopupMenuYoyakuKarte;
    mainwindow::CellBookingsEntry* PopupMenuYoyakuKaikei;
};
