#pragma once

#include <QDateTime>
#include <functional>

// The one source of the current local date and time, so that tests can run on any weekday
// and at any hour.
namespace records::clock_source {

QDateTime now();

// Replaces the clock; an empty function restores the system clock.
void set(std::function<QDateTime()> source);

}  // namespace records::clock_source
