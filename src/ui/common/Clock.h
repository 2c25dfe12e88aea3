#pragma once

#include <cstdint>
#include <functional>

// The wall clock of the note windows and their dialogs (seconds since 1970),
// replaceable so tests can put reminders and date pre-fills at any moment.
namespace uiclock {

using Clock = std::function<std::int64_t()>;

std::int64_t Now();
// Installs a clock; an empty one restores the system clock.
void Set(Clock clock);

} // namespace uiclock
