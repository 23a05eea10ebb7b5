#include "records/StartUpReads.h"

#include "records/uLib.h"

namespace records {
namespace {

ReservationsReadAhead indexedReservations(const QByteArray& content) {
    ReservationsReadAhead read;
    RecordFileRead file = readReservationFile(
        content, [&read](const QByteArray& line) { read.index.append(line); },
        LineBytes::InContent);
    read.lines = std::move(file.lines);
    read.content = std::move(file.content);
    read.index.sync(read.lines);
    return read;
}

}  // namespace

StartUpReads::StartUpReads(const QString& appDir)
    : users(recordFilePath(appDir, UserFileName),
            [](const QByteArray& content) {
                return readCustomerFile(content, LineBytes::InContent);
            }),
      reservations(recordFilePath(appDir, YoyakuFileName), indexedReservations),
      worker_([this] {
          users.run();
          reservations.run();
      }) {}

StartUpReads::~StartUpReads() {
    worker_.join();
}

}  // namespace records
