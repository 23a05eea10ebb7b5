#include "records/Clock.h"

namespace records::clock_source {
namespace {
std::function<QDateTime()>& source() {
    static std::function<QDateTime()> current;
    return current;
}
}  // namespace

QDateTime now() {
    return source() ? source()() : QDateTime::currentDateTime();
}

void set(std::function<QDateTime()> replacement) {
    source() = std::move(replacement);
}

}  // namespace records::clock_source
