#pragma once

#include "records/FilePrefetch.h"
#include "records/ReservationIndex.h"
#include "records/uLib.h"

#include <QByteArrayList>
#include <QString>

#include <thread>

namespace records {

// The reservation file as the record lists keep it: its lines and their index.
struct ReservationsReadAhead {
    QByteArrayList lines;
    ReservationIndex index;
    QByteArray content;  // which the lines point into
};

// Both record files of a folder, read and split on one worker thread (the reservations indexed
// as well) while the program starts, so that a decade of records adds little to the start-up.
// One thread, customers first as they are loaded first, leaves the other core to the window.
struct StartUpReads {
    explicit StartUpReads(const QString& appDir);
    ~StartUpReads();

    FilePrefetch<RecordFileRead> users;
    FilePrefetch<ReservationsReadAhead> reservations;

private:
    std::thread worker_;
};

}  // namespace records
