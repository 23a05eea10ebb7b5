#include "mainwindow/StartUpReads.h"

#include "records/uLib.h"

namespace ui {
namespace {

ReservationsReadAhead indexedReservations(const QByteArray& content) {
    ReservationsReadAhead read;
    read.lines =
        splitReservationFile(content, [&read](const QByteArray& line) { read.index.append(line); });
    read.index.sync(read.lines);
    read.unreadTail = reservationFileTail(content);
    return read;
}

}  // namespace

StartUpReads::StartUpReads(const QString& appDir)
    : users(recordFilePath(appDir, UserFileName), readCustomerFile),
      reservations(recordFilePath(appDir, YoyakuFileName), indexedReservations),
      worker_([this] {
          users.run();
          reservations.run();
      }) {}

StartUpReads::~StartUpReads() {
    worker_.join();
}

}  // namespace ui
