#include "tests/support/FixedClock.h"

#include "records/Clock.h"

namespace testing_support {

void standClockAt(const QDateTime& now) {
    records::clock_source::set([now] { return now; });
}

}  // namespace testing_support
