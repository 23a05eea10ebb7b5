// Measures how the program feels with a salon's years of records: start-up, week steps, the
// reservation dialog, a customer lookup, the customer list refill, the week sheet, the CSV export,
// a backup, a customer's visit history, the customer find window, the day board, a pet's
// カルテ, and peak memory, each with growing record files, and checks the results against the speed
// targets. Prints one table.
//   trimbook-bench PROGRAM [--quick] [--takings (only the month's takings)]

#include "bench/Measure.h"
#include "dayboard/uHibetuYotei.h"
#include "mainwindow/UserListView.h"
#include "mainwindow/YoyakuGrid.h"
#include "mainwindow/uMain.h"
#include "photos/PhotoFiles.h"
#include "photos/ShashinPanel.h"
#include "printing/WeekSheet.h"
#include "records/Backup.h"
#include "records/BookingDetails.h"
#include "records/Clock.h"
#include "records/CsvExport.h"
#include "records/CustomerRecord.h"
#include "records/DetailStore.h"
#include "records/Kaikei.h"
#include "records/Karte.h"
#include "records/KarteLookup.h"
#include "records/OverlapCheck.h"
#include "records/RecordFormat.h"
#include "records/RecordLists.h"
#include "records/RecordViews.h"
#include "records/ReservationRecord.h"
#include "records/SheetBookings.h"
#include "records/Sjis.h"
#include "records/VisitPhotos.h"
#include "reservation/CutYoyakuCommand.h"
#include "tools/RecordGenerator.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <numeric>
#include <optional>

namespace {

// The week the measurements look at: a Wednesday inside every generated history.
const QDate BenchDay(2026, 12, 16);
const QDateTime BenchNow(BenchDay, QTime(10, 30));
constexpr int BusyColumn = 4;  // Wednesday
constexpr int BusyRow = 4;     // 11 時
const QByteArray BusyHour = "11";

struct DataSet {
    int reservations;
    int customers;
};

struct Results {
    DataSet data{};
    qint64 fileBytes = 0;
    double startUpMs = 0;
    double emptyStartUpMs = 0;  // on empty records, interleaved with startUpMs
    double peakMiB = 0;
    double weekStepMs = 0;
    double weekNowMs = 0;
    double dialogOpenMs = 0;
    double dialogCancelMs = 0;
    double updateMs = 0;
    double newBookingMs = 0;
    double lookupMs = 0;
    double listRefillMs = 0;
    double weekSheetMs = 0;
    double reservationsCsvMs = 0;
    double backupMs = 0;  // a backup of both files, done off the window's thread
    double historyOpenMs = 0;
    double findKeyMs = 0;  // the slowest keystroke in the customer find window
    double overlapMs = 0;  // the overlap check of a booking on the busy day, details in the store
    double dayBoardOpenMs = 0;
    double dayStepMs = 0;
    double undoDeleteMs = 0;  // 元に戻す of a deleted booking, to the repainted table
    double karteOpenMs = 0;   // the カルテ of a customer, from the command to the painted window
    double karteCheckMs = 0;  // the カルテ check of a booking whose pet has one
};

QByteArray sjis(const char* utf8) {
    return *records::sjis::fromUnicode(QString::fromUtf8(utf8));
}

// The generated history, with the bench week emptied and five bookings in its busy slot.
void writeRecords(const QString& folder, const DataSet& data) {
    generator::Options options;
    options.customers = data.customers;
    options.reservations = data.reservations;
    const generator::Records records = generator::generate(options);
    const QDate weekStart = BenchDay.addDays(-(weekdayNumber(BenchDay) - 1));
    QByteArrayList reservations;
    for (const QByteArray& line : records.reservationLines) {
        const QDate day = records::Booking(line).bookedDate(BenchDay);
        if (day < weekStart || day > weekStart.addDays(6)) {
            reservations.append(line);
        }
    }
    for (int i = 0; i < 5 && data.reservations > 0; ++i) {
        reservations.append(
            records::reservation_record::buildLine({"2026",
                                                    "12",
                                                    "16",
                                                    BusyHour,
                                                    QByteArray::number(i * 10),
                                                    sjis("やまだ　はなこ"),
                                                    sjis("山田　花子") + QByteArray::number(i),
                                                    "",
                                                    "",
                                                    "",
                                                    "",
                                                    "",
                                                    sjis("モモ"),
                                                    sjis("犬"),
                                                    "",
                                                    sjis("レギュラー"),
                                                    sjis("バリカン"),
                                                    "",
                                                    "",
                                                    ""}));
    }
    rewriteRecordFile(recordFilePath(folder, UserFileName), records.customerLines);
    rewriteRecordFile(recordFilePath(folder, YoyakuFileName), reservations);
}

qint64 recordBytes(const QString& folder) {
    return QFileInfo(recordFilePath(folder, UserFileName)).size() +
           QFileInfo(recordFilePath(folder, YoyakuFileName)).size();
}

qint64 monotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<qint64>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// The number after `key` in the program's start-up report, or nothing.
std::optional<double> reported(const QByteArray& output, const QByteArray& key) {
    const qsizetype at = output.indexOf(key + ' ');
    if (at < 0) {
        return std::nullopt;
    }
    const qsizetype end = output.indexOf('\n', at);
    return output.mid(at + key.size() + 1, end < 0 ? -1 : end - at - key.size() - 1).toDouble();
}

struct StartUp {
    double ms = 0;
    double peakMiB = 0;
};

// One start of the whole program, from starting the process until its window has painted (the
// program reports that moment on the same monotonic clock), with its peak memory. `runtimeDir`
// is a private runtime folder, so that a copy of the program the user has open does not answer
// the start in its place.
std::optional<StartUp> startOnce(const QString& program, const QString& runtimeDir) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("XDG_RUNTIME_DIR", runtimeDir);
    environment.insert("TRIMBOOK_MEASURE_STARTUP", "1");
    QProcess process;
    process.setProcessEnvironment(environment);
    const qint64 startedAt = monotonicNs();
    process.start(program, {});
    if (!process.waitForFinished(60000)) {
        return std::nullopt;
    }
    const QByteArray output = process.readAllStandardOutput();
    const std::optional<double> paintedAt = reported(output, "painted-at-ns");
    const std::optional<double> peakKiB = reported(output, "peak-rss-kib");
    if (!paintedAt || !peakKiB) {
        std::fprintf(stderr, "no start-up report from %s:\n%s\n", qPrintable(program),
                     process.readAllStandardError().constData());
        return std::nullopt;
    }
    return StartUp{(*paintedAt - startedAt) / 1e6, *peakKiB / 1024.0};
}

// The program started on the records in `folder`, each time right after a start on empty
// records in `emptyFolder`, so that both medians see the same machine load.
bool measureStartUp(const QString& program, const QString& folder, const QString& emptyFolder,
                    int repetitions, Results& results) {
    QList<double> times;
    QList<double> emptyTimes;
    QList<double> peaks;
    QTemporaryDir runtime;
    if (!runtime.isValid() ||
        !QFile::setPermissions(runtime.path(),
                               QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)) {
        return false;
    }
    for (const QString& where : {folder, emptyFolder}) {
        QFile::remove(where + "/trimbook");
        if (!QFile::copy(program, where + "/trimbook")) {
            return false;
        }
    }
    for (int i = 0; i < repetitions; ++i) {
        const std::optional<StartUp> empty = startOnce(emptyFolder + "/trimbook", runtime.path());
        const std::optional<StartUp> loaded = startOnce(folder + "/trimbook", runtime.path());
        if (!empty || !loaded) {
            return false;
        }
        emptyTimes.append(empty->ms);
        times.append(loaded->ms);
        peaks.append(loaded->peakMiB);
    }
    results.startUpMs = bench::median(times);
    results.emptyStartUpMs = bench::median(emptyTimes);
    results.peakMiB = bench::median(peaks);
    return true;
}

// Calls `act` from the event loop once the first window named `windowName` has painted.
class OnFirstPaint : public QObject {
public:
    OnFirstPaint(QString windowName, std::function<void(QWidget*)> act)
        : windowName_(std::move(windowName)), act_(std::move(act)) {
        qApp->installEventFilter(this);
    }
    ~OnFirstPaint() override { qApp->removeEventFilter(this); }
    QElapsedTimer paintedAt;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!done_ && event->type() == QEvent::Paint && widget != nullptr &&
            widget->window()->objectName() == windowName_) {
            done_ = true;
            paintedAt.start();
            QWidget* window = widget->window();
            QTimer::singleShot(0, window, [this, window] { act_(window); });
        }
        return false;
    }

private:
    QString windowName_;
    std::function<void(QWidget*)> act_;
    bool done_ = false;
};

class InProcess {
public:
    InProcess(const QString& folder, Results& results)
        : folder_(folder),
          window_(MainWindowOptions{folder, folder + "/bench.ini"}),
          results_(results) {
        window_.show();
        if (!QTest::qWaitForWindowExposed(&window_)) {
            std::fprintf(stderr, "the main window was not shown\n");
        }
    }

    void measureAll(int repetitions) {
        measureWeekSteps(repetitions * 3);
        measureDialog(repetitions);
        measureUpdate(repetitions);
        measureNewBooking(repetitions);
        measureLookup(repetitions);
        measureListRefill(repetitions);
        measureExports(repetitions);
        measureBackup(repetitions);
        measureHistory(repetitions);
        measureFind(repetitions);
        measureDayBoard(repetitions);
        measureUndoDelete(repetitions);
        measureKarte(repetitions);
        measureKarteCheck(repetitions);
        // Last: it makes the store beside the record files.
        measureOverlap(repetitions);
    }

    void measureUpdate(int repetitions) {
        results_.updateMs = bench::medianOf(repetitions, [&] {
            return runReservation({BusyColumn, BusyRow}, [](QWidget* dialog, QElapsedTimer& start) {
                start.restart();
                dialog->findChild<QAbstractButton*>("Button1")->click();
            });
        });
    }

private:
    QWidget* grid() { return window_.yoyakuGrid()->viewport(); }

    double timeCommand(QAction* action) {
        QElapsedTimer timer;
        timer.start();
        action->trigger();
        grid()->repaint();
        return bench::elapsedMs(timer);
    }

    void measureWeekSteps(int repetitions) {
        results_.weekStepMs = bench::medianOf(repetitions, [&] {
            const double next = timeCommand(window_.actYoyakuWeekNext);
            timeCommand(window_.actYoyakuWeekBack);
            return next;
        });
        results_.weekNowMs = bench::medianOf(repetitions, [&] {
            window_.actYoyakuWeekNext->trigger();
            return timeCommand(window_.actYoyakuWeekNow);
        });
    }

    // Runs the reservation command on a cell; `drive` acts on the painted dialog and may set
    // `start`, from which the time to the rebuilt table is returned.
    double runReservation(QPoint cell, const std::function<void(QWidget*, QElapsedTimer&)>& drive,
                          double* openMs = nullptr) {
        QElapsedTimer start;
        start.start();
        OnFirstPaint probe(QStringLiteral("fmCutYoyaku"), [&](QWidget* dialog) {
            if (openMs) {
                *openMs = bench::elapsedMs(start);
            }
            drive(dialog, start);
        });
        // The table follows the change by itself, as the main window's command has it.
        reservation::runCutYoyaku(&window_, window_.recordLists(), cell);
        grid()->repaint();
        return bench::elapsedMs(start);
    }

    void measureDialog(int repetitions) {
        QList<double> opens;
        results_.dialogCancelMs = bench::medianOf(repetitions, [&] {
            double openMs = 0;
            const double total = runReservation(
                {BusyColumn, BusyRow},
                [](QWidget* dialog, QElapsedTimer& start) {
                    start.restart();
                    static_cast<QDialog*>(dialog)->reject();
                },
                &openMs);
            opens.append(openMs);
            return total;
        });
        results_.dialogOpenMs = bench::median(opens);
    }

    void measureNewBooking(int repetitions) {
        int slot = 0;
        results_.newBookingMs = bench::medianOf(repetitions, [&] {
            const QPoint cell(1 + slot % 7, 10 + slot / 7 % 8);
            ++slot;
            return runReservation(cell, [](QWidget* dialog, QElapsedTimer& start) {
                dialog->findChild<QLineEdit*>("edtYoyakuHun")->setText("00");
                dialog->findChild<QLineEdit*>("edtShimei")->setText(QStringLiteral("計測　太郎"));
                dialog->findChild<QLineEdit*>("edtPetName")->setText(QStringLiteral("テスト"));
                start.restart();
                dialog->findChild<QAbstractButton*>("Button1")->click();
            });
        });
    }

    void measureLookup(int repetitions) {
        results_.lookupMs = bench::medianOf(repetitions, [&] {
            double lookupMs = 0;
            runReservation({BusyColumn, BusyRow}, [&](QWidget* dialog, QElapsedTimer&) {
                auto* furigana = dialog->findChild<QLineEdit*>("edtFurigana");
                furigana->setText(QStringLiteral("さとう"));
                QElapsedTimer pressed;
                OnFirstPaint picker(QStringLiteral("fmUserListDialog"), [&](QWidget* window) {
                    lookupMs = bench::elapsedMs(pressed);
                    window->close();
                });
                pressed.start();
                QTest::keyClick(furigana, Qt::Key_Return);
                static_cast<QDialog*>(dialog)->reject();
            });
            return lookupMs;
        });
    }

    void measureListRefill(int repetitions) {
        results_.listRefillMs = bench::medianOf(repetitions, [&] {
            QElapsedTimer timer;
            timer.start();
            window_.UserListLoad();
            return bench::elapsedMs(timer);
        });
    }

    // The week before the bench week, which holds the generated bookings (thirty a day): its
    // sheet from the reservation index to the PDF's bytes; and the whole list as CSV.
    void measureExports(int repetitions) {
        const QByteArrayList& lines = window_.honjitu().YoyakuList;
        const QDate weekStart = window_.honjitu().WeekStart.date().addDays(-7);
        results_.weekSheetMs = bench::medianOf(repetitions, [&] {
            QElapsedTimer timer;
            timer.start();
            const printing::WeekSheet sheet(
                weekStart, BenchNow,
                records::sheets::bookingsBetween(window_.recordLists().yoyakuIndex(), weekStart,
                                                 weekStart.addDays(6), BenchDay));
            const QByteArray pdf = printing::pdfOf(sheet);
            return pdf.isEmpty() ? -1 : bench::elapsedMs(timer);
        });
        results_.reservationsCsvMs = bench::medianOf(repetitions, [&] {
            QElapsedTimer timer;
            timer.start();
            const QByteArray csv = records::csv::reservationsCsv(lines, BenchDay);
            return csv.isEmpty() ? -1 : bench::elapsedMs(timer);
        });
    }

    void measureBackup(int repetitions) {
        results_.backupMs = bench::medianOf(repetitions, [&] {
            QDir(records::backup::backupRoot(folder_)).removeRecursively();
            QElapsedTimer timer;
            timer.start();
            records::backup::backUpIfChanged(folder_);
            return bench::elapsedMs(timer);
        });
    }

    QString folder_;
    // From `command` to the first painting of the modal window `windowName` it opens, which is
    // then closed.
    static double msToFirstPaint(QAction& command, const QString& windowName) {
        double openMs = 0;
        QElapsedTimer start;
        OnFirstPaint probe(windowName, [&](QWidget* shown) {
            openMs = bench::elapsedMs(start);
            static_cast<QDialog*>(shown)->reject();
        });
        start.start();
        command.trigger();
        return openMs;
    }

    // From the command to the painted history of a customer in the middle of the list.
    void measureHistory(int repetitions) {
        int customer = static_cast<int>(window_.honjitu().UserList.size() / 2);
        results_.historyOpenMs = bench::medianOf(repetitions, [&] {
            window_.userListView()->selectIndex(customer++);
            return msToFirstPaint(*window_.actRirekiHyouji, QStringLiteral("fmRireki"));
        });
    }

    // From a key pressed in the find window to its list repainted, for the slowest key of a
    // number typed digit by digit (the first digit is in almost every number), deleted again, and
    // a reading typed after it.
    void measureFind(int repetitions) {
        results_.findKeyMs = bench::medianOf(repetitions, [&] {
            double slowestMs = 0;
            OnFirstPaint probe(QStringLiteral("fmUserKensaku"), [&](QWidget* find) {
                auto* edit = find->findChild<QLineEdit*>("edtKensaku");
                QWidget* list = find->findChild<QAbstractItemView*>("ListViewKensaku")->viewport();
                auto press = [&](int key, const QString& text) {
                    QElapsedTimer timer;
                    timer.start();
                    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
                    QApplication::sendEvent(edit, &event);
                    list->repaint();
                    slowestMs = std::max(slowestMs, bench::elapsedMs(timer));
                };
                for (const QChar digit : QStringLiteral("0901")) {
                    press(0, digit);
                }
                for (int i = 0; i < 4; ++i) {
                    press(Qt::Key_Backspace, {});
                }
                for (const QChar kana : QStringLiteral("さとう")) {
                    press(0, kana);
                }
                static_cast<QDialog*>(find)->reject();
            });
            window_.actUserKensaku->trigger();
            return slowestMs;
        });
    }

    // What OK in the reservation dialog checks before a booking at the busy hour is written: the
    // salon's settings read, the day's bookings, their details from the store and their times.
    void measureOverlap(int repetitions) {
        using namespace records::booking;
        records::RecordLists& lists = window_.recordLists();
        SalonSettings salon;
        salon.groomers = {QStringLiteral("佐藤"), QStringLiteral("鈴木")};
        lists.setSetting(SalonSettings::SettingName, salon.toBytes());
        const QByteArrayList& lines = window_.honjitu().YoyakuList;
        const QList<qsizetype> day =
            lists.yoyakuIndex().bookedBetween(BenchDay, BenchDay, BenchDay);
        for (const qsizetype position : day) {
            lists.setDetails(
                records::RecordFile::Yoyaku, position, lines.at(position),
                BookingDetails{salon.groomers.first(), 45, Status::Kakuninzumi}.into({}));
        }
        const QByteArray booking = lines.at(day.first());
        results_.overlapMs = bench::medianOf(repetitions, [&] {
            QElapsedTimer timer;
            timer.start();
            const SalonSettings settings =
                SalonSettings::fromBytes(lists.setting(SalonSettings::SettingName));
            const QList<OverlappingBooking> found = overlapsToWarnOf(
                lists, settings, bookedTimeOf(booking, {}, settings, BenchDay), {}, BenchDay);
            return settings.groomers.isEmpty() ? -1 : bench::elapsedMs(timer);
        });
    }

    // What OK in the reservation dialog checks of a booking's pet: its customer found among all
    // of them, its カルテ read from the store, the salon's settings read and the rules applied.
    void measureKarteCheck(int repetitions) {
        using namespace records::karte;
        records::RecordLists& lists = window_.recordLists();
        const QByteArrayList& lines = window_.honjitu().YoyakuList;
        const QByteArrayList& customers = window_.honjitu().UserList;
        QByteArray booking;
        QList<qsizetype> found;
        for (qsizetype at = lines.size() / 2; at < lines.size() && found.isEmpty(); ++at) {
            booking = lines.at(at);
            found = customersOfBooking(customers, booking);
        }
        if (found.isEmpty()) {
            results_.karteCheckMs = -1;
            return;
        }
        Karte karte;
        karte.set(Flag::Kamu, true);
        karte.vaccinations = {{VaccineKind::Kyoukenbyou, BenchDay.addDays(-5),
                               Vaccination::usualValidUntil(BenchDay.addDays(-5)), true}};
        lists.setDetails(records::RecordFile::User, found.first(), customers.at(found.first()),
                         karte.into({}));
        results_.karteCheckMs = bench::medianOf(repetitions, [&] {
            QElapsedTimer timer;
            timer.start();
            const std::optional<BookingCheck> check = checkOfBooking(lists, booking, BenchDay);
            return check && !check->isEmpty() ? bench::elapsedMs(timer) : -1;
        });
    }

    // From the command to the painted カルテ of a customer in the middle of the list, whose
    // カルテ in the store has every flag, a note and a shot of each kind.
    void measureKarte(int repetitions) {
        using namespace records::karte;
        records::RecordLists& lists = window_.recordLists();
        const qsizetype customer = lists.lines(records::RecordFile::User).size() / 2;
        Karte karte;
        for (const Flag flag : AllFlags) {
            karte.set(flag, true);
        }
        karte.memo = QStringLiteral("耳を触ると嫌がる");
        for (const VaccineKind kind : AllVaccineKinds) {
            karte.vaccinations.append({kind, BenchDay.addMonths(-2), BenchDay.addMonths(10), true});
        }
        lists.setDetails(records::RecordFile::User, customer,
                         lists.lines(records::RecordFile::User).at(customer), karte.into({}));
        window_.userListView()->selectIndex(static_cast<int>(customer));
        results_.karteOpenMs = bench::medianOf(repetitions, [&] {
            return msToFirstPaint(*window_.actKarte, QStringLiteral("fmKarte"));
        });
    }

    // From the command to the board made and painted for the bench day; then steps between two
    // days of the week before, which holds the generated bookings.
    void measureDayBoard(int repetitions) {
        results_.dayBoardOpenMs = bench::medianOf(repetitions, [&] {
            delete window_.findChild<TfmHibetuYotei*>();
            double openMs = 0;
            QElapsedTimer start;
            OnFirstPaint probe(QStringLiteral("fmHibetuYotei"),
                               [&](QWidget*) { openMs = bench::elapsedMs(start); });
            start.start();
            window_.actHibetuYotei->trigger();
            if (!QTest::qWaitFor([&] { return openMs > 0; })) {
                std::fprintf(stderr, "the day board was not painted\n");
            }
            return openMs;
        });
        auto* board = window_.findChild<TfmHibetuYotei*>();
        board->showDay(BenchDay.addDays(-8));
        auto* next = board->findChild<QAbstractButton*>("btnYokujitu");
        auto* back = board->findChild<QAbstractButton*>("btnZenjitu");
        results_.dayStepMs = bench::medianOf(repetitions * 3, [&] {
            QElapsedTimer timer;
            timer.start();
            next->click();
            board->repaint();
            const double stepMs = bench::elapsedMs(timer);
            back->click();
            return stepMs;
        });
        board->close();
    }

    // A booking in the middle of the file deleted, then 元に戻す: the line goes back where
    // it was with its details, in a rewrite of the whole file.
    void measureUndoDelete(int repetitions) {
        auto* undo = window_.findChild<QAction*>(QStringLiteral("actUndo"));
        records::RecordLists& lists = window_.recordLists();
        results_.undoDeleteMs = bench::medianOf(repetitions, [&] {
            const qsizetype middle = lists.lines(records::RecordFile::Yoyaku).size() / 2;
            lists.change(records::RecordFile::Yoyaku,
                         {records::RecordIntent::remove(
                             middle, lists.lines(records::RecordFile::Yoyaku).at(middle))});
            return timeCommand(undo);
        });
    }

    TfmMain window_;
    Results& results_;
};

// Details in the store for every booking of the records in `folder`: `detailsOf` gives each
// position's. False when the store cannot be opened.
bool writeDetailsForEveryBooking(const QString& folder,
                                 const std::function<records::LineDetails(qsizetype)>& detailsOf) {
    THonjitu honjitu;
    records::RecordLists lists(honjitu, folder);
    lists.UserListLoad();
    lists.YoyakuFileLoad();
    QList<qsizetype> positions(honjitu.YoyakuList.size());
    std::iota(positions.begin(), positions.end(), 0);
    const QHash<qsizetype, records::LineKey> keys =
        lists.keysAt(records::RecordFile::Yoyaku, positions);
    QList<std::pair<records::LineKey, records::LineDetails>> details;
    for (const qsizetype position : positions) {
        details.append({keys.value(position), detailsOf(position)});
    }
    records::DetailStore store;
    if (!store.open(folder)) {
        return false;
    }
    store.setDetails(records::RecordFile::Yoyaku, details);
    return true;
}

// A month of `reservations` bookings, all in the bench month, as a busy salon's worst case.
void writeFullMonth(const QString& folder, int reservations) {
    QByteArrayList lines;
    lines.reserve(reservations);
    for (int i = 0; i < reservations; ++i) {
        lines.append(records::reservation_record::buildLine({"2026",
                                                             "12",
                                                             QByteArray::number(1 + i % 31),
                                                             QByteArray::number(9 + i % 10),
                                                             QByteArray::number(i % 6 * 10),
                                                             sjis("やまだ"),
                                                             sjis("山田") + QByteArray::number(i),
                                                             "",
                                                             "",
                                                             "",
                                                             "",
                                                             "",
                                                             sjis("ポチ"),
                                                             sjis("犬"),
                                                             "",
                                                             sjis("レギュラー"),
                                                             sjis(i % 2 ? "プードル" : "バリカン"),
                                                             "",
                                                             "",
                                                             ""}));
    }
    rewriteRecordFile(recordFilePath(folder, YoyakuFileName), lines);
    rewriteRecordFile(recordFilePath(folder, UserFileName), {});
}

// The takings of the bench month from the records in `folder`, every booking paid: its details
// hold a status and a payment as the desk leaves them. Nothing when they do not add up.
std::optional<double> measureMonthTakings(const QString& folder, int repetitions) {
    const records::LineDetails done =
        records::booking::BookingDetails{{}, std::nullopt, records::booking::Status::Kanryou}.into(
            {});
    const bool written = writeDetailsForEveryBooking(folder, [&done](qsizetype position) {
        records::kaikei::Payment payment;
        payment.lines = {{QStringLiteral("プードル・犬"), 6000 + position % 7 * 100},
                         {QStringLiteral("シャンプー（レギュラー）"), 1200}};
        payment.method = records::kaikei::AllMethods.at(position % 4);
        payment.handedOver = 10000;
        payment.paidAt = BenchNow;
        return records::kaikei::Payments::withAdded(done, payment);
    });
    if (!written) {
        return std::nullopt;
    }
    THonjitu honjitu;
    records::RecordLists lists(honjitu, folder);
    lists.UserListLoad();
    lists.YoyakuFileLoad();
    lists.openStoreIfPresent();
    const QDate first(BenchDay.year(), BenchDay.month(), 1);
    const QDate last = first.addMonths(1).addDays(-1);
    const qsizetype inTheMonth = lists.yoyakuIndex().bookedBetween(first, last, BenchDay).size();
    bool addsUp = inTheMonth > 0;
    const double takingsMs = bench::medianOf(repetitions, [&] {
        QElapsedTimer timer;
        timer.start();
        const records::kaikei::Takings takings =
            records::kaikei::takingsBetween(lists, first, last);
        const double elapsed = bench::elapsedMs(timer);
        addsUp = addsUp && takings.paidVisits == inTheMonth;
        return elapsed;
    });
    return addsUp ? std::optional(takingsMs) : std::nullopt;
}

// A pet's photo panel: a pet with 20 visits and two photos (before and after) each, their
// thumbnails made at import, from the panel's making to its first painting.
std::optional<double> measurePhotoPanel(const DataSet& data, int repetitions) {
    QTemporaryDir folder;
    writeRecords(folder.path(), data);
    THonjitu honjitu;
    records::RecordLists lists(honjitu, folder.path());
    lists.UserListLoad();
    lists.YoyakuFileLoad();
    QByteArrayList owner(records::customer_record::FieldCount);
    owner[records::customer_record::PetName] = sjis("シャシン");
    owner[records::customer_record::Shimei] = sjis("写真　撮子");
    const QByteArray customer = records::customer_record::buildLine(owner);
    lists.change(records::RecordFile::User, {records::RecordIntent::add(customer)});
    QImage picture(2400, 1800, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    const QString source = folder.path() + "/source.jpg";
    if (!picture.save(source)) {
        return std::nullopt;
    }
    QList<records::RecordIntent> visits;
    for (int visit = 0; visit < 20; ++visit) {
        const QDate day = BenchDay.addDays(28 * (visit - 15));
        records::photos::VisitPhotos photos;
        for (const auto kind : {records::photos::Kind::Before, records::photos::Kind::After}) {
            photos.photos.append({photos::importPhoto(folder.path(), source), kind, BenchNow});
        }
        visits.append(records::RecordIntent::add(
            records::reservation_record::buildLine({QByteArray::number(day.year()),
                                                    QByteArray::number(day.month()),
                                                    QByteArray::number(day.day()),
                                                    "10",
                                                    "00",
                                                    "",
                                                    sjis("写真　撮子"),
                                                    "",
                                                    "",
                                                    "",
                                                    "",
                                                    "",
                                                    sjis("シャシン"),
                                                    sjis("犬"),
                                                    "",
                                                    "",
                                                    "",
                                                    "",
                                                    "",
                                                    ""}),
            photos.into({})));
    }
    lists.change(records::RecordFile::Yoyaku, visits);
    return bench::medianOf(repetitions, [&] {
        QElapsedTimer timer;
        timer.start();
        photos::ShashinPanel panel(lists, customer);
        panel.resize(640, 480);
        panel.grab();
        return bench::elapsedMs(timer);
    });
}

// The store beside the records: the start with a store holding details for every booking
// against the same start without one, an update that carries details, and the store's size.
struct StoreResults {
    double startUpMs = 0;
    double startUpWithoutStoreMs = 0;
    double updateMs = 0;
    double storeMiB = 0;
};

std::optional<StoreResults> measureStore(const QString& program, const DataSet& data,
                                         int repetitions, int starts) {
    QTemporaryDir withStore;
    QTemporaryDir withoutStore;
    writeRecords(withStore.path(), data);
    writeRecords(withoutStore.path(), data);
    // As a salon that uses them all would have: a groomer, a duration and a status.
    const bool written = writeDetailsForEveryBooking(withStore.path(), [](qsizetype position) {
        return records::LineDetails{{"groomer", QStringLiteral("佐藤")},
                                    {"minutes", 30 + int(position % 10) * 10},
                                    {"status", QStringLiteral("完了")}};
    });
    if (!written) {
        return std::nullopt;
    }
    StoreResults store;
    Results startUps;
    if (!measureStartUp(program, withStore.path(), withoutStore.path(), starts, startUps)) {
        return std::nullopt;
    }
    store.startUpMs = startUps.startUpMs;
    store.startUpWithoutStoreMs = startUps.emptyStartUpMs;
    Results updates;
    InProcess(withStore.path(), updates).measureUpdate(repetitions);
    store.updateMs = updates.updateMs;
    const QString db = withStore.path() + "/" + records::DetailStore::FileName;
    store.storeMiB = (QFileInfo(db).size() + QFileInfo(db + "-wal").size()) / 1048576.0;
    return store;
}

QString mib(double value) {
    return QString::number(value, 'f', 1);
}
QString ms(double value) {
    return QString::number(value, 'f', 2);
}

void printTable(const QList<Results>& rows, QTextStream& out) {
    out << "| reservations | customers | files MiB | start-up ms | empty start-up ms | "
           "peak MiB | "
           "week step ms | "
           "今週 ms | dialog open ms | cancel ms | update ms | new booking ms | lookup ms "
           "| "
           "list refill ms | week sheet ms | reservations CSV ms | backup ms | history ms "
           "| find "
           "ms | overlap ms | day board ms | day step ms | undo delete ms | カルテ ms | カルテ "
           "check ms |\n"
           "|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|--"
           "-|---|---|---|---|---|"
           "\n";
    for (const Results& r : rows) {
        out << "| " << r.data.reservations << " | " << r.data.customers << " | "
            << mib(r.fileBytes / 1048576.0) << " | " << ms(r.startUpMs) << " | "
            << ms(r.emptyStartUpMs) << " | " << mib(r.peakMiB) << " | " << ms(r.weekStepMs) << " | "
            << ms(r.weekNowMs) << " | " << ms(r.dialogOpenMs) << " | " << ms(r.dialogCancelMs)
            << " | " << ms(r.updateMs) << " | " << ms(r.newBookingMs) << " | " << ms(r.lookupMs)
            << " | " << ms(r.listRefillMs) << " | " << ms(r.weekSheetMs) << " | "
            << ms(r.reservationsCsvMs) << " | " << ms(r.backupMs) << " | " << ms(r.historyOpenMs)
            << " | " << ms(r.findKeyMs) << " | " << ms(r.overlapMs) << " | " << ms(r.dayBoardOpenMs)
            << " | " << ms(r.dayStepMs) << " | " << ms(r.undoDeleteMs) << " | " << ms(r.karteOpenMs)
            << " | " << ms(r.karteCheckMs) << " |\n";
    }
}

// Checks the targets with 100,000 reservations and 20,000 customers; false when one is
// missed.
bool printTargets(const Results& empty, const Results& small, const Results& large,
                  const StoreResults& store, QTextStream& out) {
    bool allMet = true;
    auto check = [&](const QString& what, double value, double limit, const QString& unit) {
        const bool met = value <= limit;
        allMet = allMet && met;
        out << "| " << what << " | " << QString::number(value, 'f', 2) << unit << " | ≤ "
            << QString::number(limit, 'f', 2) << unit << " | " << (met ? "met" : "MISSED")
            << " |\n";
    };
    out << "\n| target (100,000 reservations, 20,000 customers) | measured | limit | |\n"
           "|---|---|---|---|\n";
    check("start-up / start-up on empty files", large.startUpMs / large.emptyStartUpMs, 1.5, "×");
    check("week step / week step with 1,000 reservations", large.weekStepMs / small.weekStepMs, 1.5,
          "×");
    check("week step", large.weekStepMs, 16, " ms");
    check("customer lookup", large.lookupMs, 50, " ms");
    check("dialog opening", large.dialogOpenMs, 50, " ms");
    check("customer list refill", large.listRefillMs, 50, " ms");
    check("visit history opening", large.historyOpenMs, 50, " ms");
    check("customer find, one keystroke", large.findKeyMs, 30, " ms");
    check("overlap check", large.overlapMs, 5, " ms");
    check("day board opening", large.dayBoardOpenMs, 50, " ms");
    check("day step on the day board", large.dayStepMs, 16, " ms");
    check("update", large.updateMs, 100, " ms");
    check("week sheet (PDF)", large.weekSheetMs, 2000, " ms");
    check("reservations CSV", large.reservationsCsvMs, 2000, " ms");
    check("undo of a delete", large.undoDeleteMs, 100, " ms");
    check("カルテ opening", large.karteOpenMs, 100, " ms");
    check("カルテ check of a booking", large.karteCheckMs, 5, " ms");
    check("peak memory", large.peakMiB, empty.peakMiB + 3 * large.fileBytes / 1048576.0, " MiB");
    check("start-up with details for every booking / without a store",
          store.startUpMs / store.startUpWithoutStoreMs, 1.10, "×");
    check("update with details", store.updateMs, 100, " ms");
    check("store with details for every booking", store.storeMiB, 30, " MiB");
    return allMet;
}

}  // namespace

// The month's takings row of the targets, on the years of records the other targets are measured
// with; false when it is missed. A month holding every one of the reservations is measured as
// well and told, beyond any target.
bool printMonthTakings(const DataSet& data, int repetitions, QTextStream& out) {
    constexpr double LimitMs = 200;
    QTemporaryDir history;
    writeRecords(history.path(), data);
    const std::optional<double> takingsMs = measureMonthTakings(history.path(), repetitions);
    const bool met = takingsMs && *takingsMs <= LimitMs;
    out << "| month's takings, every booking paid | "
        << (takingsMs ? ms(*takingsMs) + " ms" : QStringLiteral("did not add up")) << " | ≤ "
        << ms(LimitMs) << " ms | " << (met ? "met" : "MISSED") << " |\n";
    QTemporaryDir fullMonth;
    writeFullMonth(fullMonth.path(), data.reservations);
    const std::optional<double> fullMs = measureMonthTakings(fullMonth.path(), repetitions);
    out << "\nThe takings of a month holding all " << data.reservations
        << " reservations, every one paid: "
        << (fullMs ? ms(*fullMs) + " ms" : QStringLiteral("did not add up")) << ".\n";
    return met;
}

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() < 2) {
        std::fprintf(stderr, "usage: trimbook-bench PROGRAM [--quick] [--takings]\n");
        return 2;
    }
    const QString program = QFileInfo(arguments.at(1)).absoluteFilePath();
    const bool quick = arguments.contains("--quick");
    const int repetitions = quick ? 3 : 7;
    records::clock_source::set([] { return BenchNow; });
    if (arguments.contains("--takings")) {
        QTextStream out(stdout);
        return printMonthTakings({100000, 20000}, repetitions, out) ? 0 : 1;
    }

    const QList<DataSet> dataSets = {{0, 0},        {1000, 2000},   {10000, 2000},  {100000, 2000},
                                     {1000, 20000}, {10000, 20000}, {100000, 20000}};
    QTemporaryDir emptyFolder;
    writeRecords(emptyFolder.path(), {0, 0});
    QList<Results> rows;
    for (const DataSet& data : dataSets) {
        QTemporaryDir folder;
        writeRecords(folder.path(), data);
        Results results;
        results.data = data;
        results.fileBytes = recordBytes(folder.path());
        if (!measureStartUp(program, folder.path(), emptyFolder.path(), quick ? 5 : 11, results)) {
            std::fprintf(stderr, "start-up could not be measured\n");
            return 1;
        }
        if (data.reservations > 0) {
            InProcess(folder.path(), results).measureAll(repetitions);
        }
        rows.append(results);
        std::fprintf(stderr, "measured %d reservations, %d customers\n", data.reservations,
                     data.customers);
    }
    const std::optional<StoreResults> store =
        measureStore(program, dataSets.last(), repetitions, quick ? 5 : 11);
    if (!store) {
        std::fprintf(stderr, "the store could not be measured\n");
        return 1;
    }
    QTextStream out(stdout);
    printTable(rows.mid(1), out);
    out << "\nOn empty record files: start-up " << ms(rows.first().startUpMs) << " ms, peak "
        << mib(rows.first().peakMiB) << " MiB.\n";
    out << "With details for every booking (" << dataSets.last().reservations
        << " reservations): start-up " << ms(store->startUpMs) << " ms ("
        << ms(store->startUpWithoutStoreMs) << " ms without a store), update "
        << ms(store->updateMs) << " ms, store " << mib(store->storeMiB) << " MiB.\n";
    const bool met = printTargets(rows.first(), rows.at(4), rows.last(), *store, out);
    const std::optional<double> photoPanelMs = measurePhotoPanel(dataSets.last(), repetitions);
    const bool photosMet = photoPanelMs && *photoPanelMs <= 100;
    out << "| photo panel, 20 visits and 40 photos | "
        << (photoPanelMs ? ms(*photoPanelMs) + " ms" : QStringLiteral("not measured"))
        << " | ≤ 100.00 ms | " << (photosMet ? "met" : "MISSED") << " |\n";
    const bool takingsMet = printMonthTakings(dataSets.last(), repetitions, out);
    return met && photosMet && takingsMet ? 0 : 1;
}
