#pragma once

#include <QByteArrayList>
#include <QDate>

// Realistic record files for demonstrations and measurements, the same for the same seed.
namespace generator {

struct Options {
    int customers = 2000;
    int reservations = 10000;
    QDate lastDay = QDate(2026, 12, 31);  // reservations run back from here, 30 a day
    quint32 seed = 1;
};

struct Records {
    QByteArrayList customerLines;
    QByteArrayList reservationLines;
};

Records generate(const Options& options);

}  // namespace generator
