#pragma once

#include <QDateTime>

namespace testing_support {

// Stands the program's clock at `now` until the clock source is set again.
void standClockAt(const QDateTime& now);

}  // namespace testing_support
