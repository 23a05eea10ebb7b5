// Writes the week sheet and the day sheet of generated records, and a receipt on A6, as PDF files
// into the folder given on the command line (the README's pictures are rendered from them with
// pdftoppm).

#include "printing/DaySheet.h"
#include "printing/ReceiptSheet.h"
#include "printing/WeekSheet.h"
#include "records/CsvExport.h"
#include "records/SheetBookings.h"
#include "tools/RecordGenerator.h"

#include <QDir>
#include <QGuiApplication>
#include <cstdio>

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: sheet-samples FOLDER\n");
        return 2;
    }
    const QDateTime now(QDate(2026, 12, 9), QTime(10, 30));
    const QDate weekStart(2026, 12, 6);
    generator::Options options;
    options.customers = 40;
    options.reservations = 210;
    options.lastDay = QDate(2026, 12, 12);
    options.seed = 7;
    // The generator books thirty a day; a fifth of them makes a believable week.
    QByteArrayList reservations;
    const QByteArrayList generated = generator::generate(options).reservationLines;
    for (qsizetype at = 0; at < generated.size(); at += 5) {
        reservations.append(generated.at(at));
    }
    using records::sheets::bookingsBetween;
    const printing::WeekSheet week(
        weekStart, now, bookingsBetween(reservations, weekStart, weekStart.addDays(6), now.date()));
    const printing::DaySheet day(now.date(), now,
                                 bookingsBetween(generated, now.date(), now.date(), now.date()));
    records::kaikei::Receipt receipt;
    receipt.salonName = QStringLiteral("トリミングサロン ポチ");
    receipt.address = QStringLiteral("東京都港区芝1-2-3");
    receipt.telephone = QStringLiteral("03-1234-5678");
    receipt.registrationNumber = QStringLiteral("T1234567890123");
    receipt.customer = QStringLiteral("山田　花子");
    receipt.date = now.date();
    receipt.payment.lines = {{QStringLiteral("プードル・犬"), 6600},
                             {QStringLiteral("シャンプー（レギュラー）"), 1100},
                             {QStringLiteral("爪切り"), 550},
                             {QStringLiteral("デンタルガム"), 440}};
    receipt.payment.handedOver = 10000;
    const printing::ReceiptSheet receiptSheet(receipt, QPageSize::A6);
    const QDir out(QString::fromLocal8Bit(argv[1]));
    try {
        records::csv::writeExportFile(out.filePath("receipt.pdf"), printing::pdfOf(receiptSheet));
        records::csv::writeExportFile(out.filePath("week-sheet.pdf"), printing::pdfOf(week));
        records::csv::writeExportFile(out.filePath("day-sheet.pdf"), printing::pdfOf(day));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
