// Writes the two record files with generated customers and reservations into a folder.
//   gen-records FOLDER [--customers N] [--reservations M] [--seed S] [--last-day YYYY-MM-DD]

#include "records/uLib.h"
#include "tools/RecordGenerator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("Writes generated record files into FOLDER.");
    parser.addHelpOption();
    parser.addPositionalArgument("folder", "Folder that receives the two record files.");
    const QCommandLineOption customers("customers", "Number of customers.", "N", "2000");
    const QCommandLineOption reservations("reservations", "Number of reservations.", "M", "10000");
    const QCommandLineOption seed("seed", "Random seed.", "S", "1");
    const QCommandLineOption lastDay("last-day", "Last booked day.", "YYYY-MM-DD", "2026-12-31");
    parser.addOptions({customers, reservations, seed, lastDay});
    parser.process(application);
    if (parser.positionalArguments().size() != 1) {
        parser.showHelp(2);
    }
    generator::Options options;
    options.customers = parser.value(customers).toInt();
    options.reservations = parser.value(reservations).toInt();
    options.seed = parser.value(seed).toUInt();
    options.lastDay = QDate::fromString(parser.value(lastDay), Qt::ISODate);
    if (options.customers < 0 || options.reservations < 0 || !options.lastDay.isValid()) {
        std::fprintf(stderr, "gen-records: invalid numbers or date\n");
        return 2;
    }
    const QString folder = parser.positionalArguments().first();
    QDir().mkpath(folder);
    const generator::Records records = generator::generate(options);
    try {
        rewriteRecordFile(recordFilePath(folder, UserFileName), records.customerLines);
        rewriteRecordFile(recordFilePath(folder, YoyakuFileName), records.reservationLines);
    } catch (const FileError& error) {
        std::fprintf(stderr, "gen-records: %s\n", error.what());
        return 1;
    }
    return 0;
}
