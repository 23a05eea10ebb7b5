#pragma once

#include <QElapsedTimer>
#include <QList>
#include <algorithm>
#include <functional>

// Medians of repeated runs, in milliseconds.
namespace bench {

inline double median(QList<double> samples) {
    if (samples.isEmpty()) {
        return 0;
    }
    std::sort(samples.begin(), samples.end());
    const qsizetype middle = samples.size() / 2;
    return samples.size() % 2 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
}

inline double elapsedMs(const QElapsedTimer& timer) {
    return timer.nsecsElapsed() / 1e6;
}

// Runs `once` `repetitions` times; each run returns its own measured time in milliseconds.
inline double medianOf(int repetitions, const std::function<double()>& once) {
    QList<double> samples;
    for (int i = 0; i < repetitions; ++i) {
        samples.append(once());
    }
    return median(samples);
}

}  // namespace bench
