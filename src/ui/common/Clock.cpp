#include "ui/common/Clock.h"

#include <ctime>

namespace uiclock {

namespace {
Clock g_clock;
}

std::int64_t Now() {
    if (g_clock)
        return g_clock();
    return static_cast<std::int64_t>(std::time(nullptr));
}

void Set(Clock clock) {
    g_clock = std::move(clock);
}

} // namespace uiclock
