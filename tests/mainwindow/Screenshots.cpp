// Renders one picture of each page of the main window and one of a customer's visit history,
// filled with generated records, into the folder given on the command line.

#include "history/uRireki.h"
#include "mainwindow/StartUp.h"
#include "mainwindow/UserListView.h"
#include "mainwindow/uMain.h"
#include "records/Clock.h"
#include "records/ReservationIndex.h"
#include "tools/RecordGenerator.h"
#include "widgets/Appearance.h"

#include <QApplication>
#include <QDir>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: mainwindow-screenshots FOLDER\n");
        return 2;
    }
    mainwindow::installJapaneseTranslation(application);
    widgets::installFontSubstitutes();
    const QDateTime now(QDate(2026, 12, 9), QTime(10, 30));
    records::clock_source::set([now] { return now; });

    QTemporaryDir records;
    generator::Options options;
    options.customers = 40;
    options.reservations = 210;
    options.lastDay = QDate(2026, 12, 12);
    options.seed = 7;
    const generator::Records generated = generator::generate(options);
    rewriteRecordFile(recordFilePath(records.path(), UserFileName), generated.customerLines);
    // The generator books thirty a day; a fifth of them makes a believable week.
    QByteArrayList reservations;
    for (qsizetype at = 0; at < generated.reservationLines.size(); at += 5) {
        reservations.append(generated.reservationLines.at(at));
    }
    rewriteRecordFile(recordFilePath(records.path(), YoyakuFileName), reservations);

    TfmMain window(MainWindowOptions{records.path(), records.filePath("trimbook.ini")});
    window.resize(720, 560);
    window.show();
    QApplication::processEvents();
    const QDir out(QString::fromLocal8Bit(argv[1]));
    bool saved = window.grab().save(out.filePath("yoyakuhyou.png"));

    window.actUserItiran->trigger();
    window.actUserReport->trigger();
    window.userListView()->selectIndex(2);
    QApplication::processEvents();
    saved = window.grab().save(out.filePath("kokyaku-itiran.png")) && saved;

    // Half a year of bookings among fewer customers, so that one has a history worth showing.
    options.customers = 300;
    options.reservations = 5400;
    options.lastDay = QDate(2027, 1, 31);
    const generator::Records longer = generator::generate(options);
    records::ReservationIndex longerIndex;
    longerIndex.sync(longer.reservationLines);
    TfmRireki history(&window, records::history::subjectOfCustomer(longer.customerLines.at(0)),
                      longerIndex);
    history.show();
    QApplication::processEvents();
    saved = history.grab().save(out.filePath("rireki.png")) && saved;
    return saved ? 0 : 1;
}
