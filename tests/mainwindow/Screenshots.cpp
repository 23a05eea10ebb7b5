// Renders one picture of each page of the main window, one of the day board, one of a customer's
// visit history, one each of the salon's settings, a booking's details, a pet's カルテ and the
// takings, filled with generated records, into the folder given on the command line.

#include "dayboard/uHibetuYotei.h"
#include "history/uRireki.h"
#include "kaikei/uUriage.h"
#include "karte/uKarte.h"
#include "mainwindow/StartUp.h"
#include "mainwindow/UserListView.h"
#include "mainwindow/uMain.h"
#include "records/BookingDetails.h"
#include "records/Clock.h"
#include "records/Kaikei.h"
#include "records/ReservationIndex.h"
#include "salon/uSalonSettei.h"
#include "salon/uYoyakuShousai.h"
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

    // Today on the day board, with two groomers, confirmed calls and one cancellation.
    namespace booking = records::booking;
    records::RecordLists& lists = window.recordLists();
    booking::SalonSettings salon;
    salon.groomers = {QStringLiteral("佐藤"), QStringLiteral("鈴木")};
    lists.setSetting(booking::SalonSettings::SettingName, salon.toBytes());
    const QList<qsizetype> today =
        lists.yoyakuIndex().bookedBetween(now.date(), now.date(), now.date());
    for (qsizetype i = 0; i < today.size(); ++i) {
        booking::BookingDetails details;
        details.groomer = i % 3 == 2 ? QString() : salon.groomers.at(i % 3);
        details.status = i == 3  ? booking::Status::Cancel
                         : i < 2 ? booking::Status::Kakuninzumi
                                 : booking::Status::Yoyaku;
        lists.setDetails(records::RecordFile::Yoyaku, today.at(i),
                         lists.lines(records::RecordFile::Yoyaku).at(today.at(i)),
                         details.into({}));
    }
    TfmHibetuYotei* board = dayboard::showHibetuYotei(&window, lists, now.date());
    board->resize(560, 740);
    QApplication::processEvents();
    saved = board->grab().save(out.filePath("hibetu-yotei.png")) && saved;
    board->close();

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
    history.hide();

    // A salon of three groomers whose grooms take longer than an hour for the bigger styles.
    using namespace records::booking;
    salon.groomers = {QStringLiteral("佐藤"), QStringLiteral("鈴木"), QStringLiteral("高橋")};
    const auto usual = [&salon](Style style, Kind kind, int minutes) {
        salon.usualMinutes[static_cast<std::size_t>(style)][static_cast<std::size_t>(kind)] =
            minutes;
    };
    usual(Style::Barikan, Kind::Dog, 90);
    usual(Style::Poodle, Kind::Dog, 120);
    usual(Style::Monpe, Kind::Dog, 75);
    usual(Style::Barikan, Kind::Cat, 45);
    TfmSalonSettei settei(&window, salon);
    records::kaikei::PriceSettings prices;
    prices.prices = {
        {{5500, 4400, 4400}, {7700, 6600, 6600}, {6600, 5500, 5500}, {6600, 5500, 5500}}};
    prices.shampooPrices = {0, 1100, 1650};
    prices.extraPrices = {550, 550};
    prices.salonName = QStringLiteral("トリミングサロン ポチ");
    prices.address = QStringLiteral("東京都港区芝1-2-3");
    prices.telephone = QStringLiteral("03-1234-5678");
    prices.registrationNumber = QStringLiteral("T1234567890123");
    settei.showPrices(prices);
    settei.show();
    QApplication::processEvents();
    saved = settei.grab().save(out.filePath("salon-settei.png")) && saved;
    settei.hide();

    TfmYoyakuShousai shousai(
        &window, QStringLiteral("2026/12/09 10:00  山田　花子/モモ  (プードル・犬)"),
        BookingDetails{salon.groomers.at(1), std::nullopt, Status::Kakuninzumi}, salon,
        salon.usualMinutesOf(Style::Poodle, Kind::Dog));
    shousai.showPrice(std::nullopt, prices.priceOf(Style::Poodle, Kind::Dog));
    shousai.show();
    QApplication::processEvents();
    saved = shousai.grab().save(out.filePath("yoyaku-shousai.png")) && saved;
    shousai.hide();

    // Two of today's bookings called off: the week table keeps them, struck through.
    for (const auto& [at, status] :
         {std::pair{0, Status::TouzitsuCancel}, std::pair{2, Status::MudanCancel}}) {
        const qsizetype position = today.at(at);
        lists.setDetails(records::RecordFile::Yoyaku, position,
                         lists.lines(records::RecordFile::Yoyaku).at(position),
                         BookingDetails{{}, std::nullopt, status}.into({}));
    }
    window.actYoteihyouHyouji->trigger();
    QApplication::processEvents();
    saved = window.grab().save(out.filePath("yoyakuhyou-cancel.png")) && saved;

    // A dog that bites when its skin is touched, with this year's shots.
    records::karte::Karte karte;
    karte.set(records::karte::Flag::Kamu, true);
    karte.set(records::karte::Flag::Hifu, true);
    karte.memo = QStringLiteral("背中に湿疹あり。低刺激シャンプーで。");
    karte.vaccinations = {
        {records::karte::VaccineKind::Kyoukenbyou, QDate(2026, 4, 18), QDate(2027, 4, 18), true},
        {records::karte::VaccineKind::Kongou, QDate(2026, 9, 2), QDate(2027, 9, 2), false}};
    const QByteArray customer = lists.lines(records::RecordFile::User).at(0);
    lists.setDetails(records::RecordFile::User, 0, customer, karte.into({}));
    TfmKarte shownKarte(&window, lists, 0, customer);
    shownKarte.show();
    QApplication::processEvents();
    saved = shownKarte.grab().save(out.filePath("karte.png")) && saved;
    // The month's takings once the desk took the payment of every booking of the month so far
    // that was not called off.
    namespace money = records::kaikei;
    const QList<qsizetype> month =
        lists.yoyakuIndex().bookedBetween(QDate(2026, 12, 1), now.date(), now.date());
    const QHash<qsizetype, records::LineDetails> monthDetails =
        lists.detailsAt(records::RecordFile::Yoyaku, month);
    for (qsizetype i = 0; i < month.size(); ++i) {
        const records::LineDetails stored = monthDetails.value(month.at(i));
        if (isCancelled(BookingDetails::of(stored).status)) {
            continue;
        }
        money::Payment payment;
        payment.lines = {{QStringLiteral("トリミング"), 5500 + i % 4 * 1100}};
        payment.method = money::AllMethods.at(static_cast<std::size_t>(i % 3));
        payment.handedOver = payment.taxed().total;
        payment.paidAt = now;
        BookingDetails details = BookingDetails::of(stored);
        details.status = Status::Kanryou;
        lists.setDetails(records::RecordFile::Yoyaku, month.at(i),
                         lists.lines(records::RecordFile::Yoyaku).at(month.at(i)),
                         details.into(money::Payments::withAdded(stored, payment)));
    }
    TfmUriage* uriage = kaikei::showUriage(&window, lists, {}, now.date());
    uriage->resize(420, 440);
    QApplication::processEvents();
    saved = uriage->grab().save(out.filePath("uriage.png")) && saved;
    return saved ? 0 : 1;
}
