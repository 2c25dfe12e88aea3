#include "core/note/ReminderInput.h"

#include <ctime>

namespace reminder {

namespace {

constexpr std::int64_t kMinute = 60;

// now + minutes * 60, or nothing when it does not fit.
std::optional<std::int64_t> AddMinutes(std::int64_t now, std::int64_t minutes) {
    std::int64_t seconds = 0;
    std::int64_t result = 0;
    if (__builtin_mul_overflow(minutes, kMinute, &seconds) || __builtin_add_overflow(now, seconds, &result))
        return std::nullopt;
    return result;
}

} // namespace

std::optional<DateFields> LocalFields(std::int64_t time) {
    const std::time_t t = static_cast<std::time_t>(time);
    std::tm local{};
    if (localtime_r(&t, &local) == nullptr)
        return std::nullopt;
    return DateFields{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min};
}

std::optional<DateFields> PrefillDate(std::int64_t now, std::int64_t minutes) {
    const auto moment = AddMinutes(now, minutes);
    if (!moment)
        return std::nullopt;
    const auto fields = LocalFields(*moment);
    if (!fields)
        return std::nullopt;
    // Clock changes are whole multiples of 5 minutes, so rounding the moment rounds
    // the clock's minute.
    const int up = (5 - fields->Minute % 5) % 5;
    if (up == 0)
        return fields;
    const auto rounded = AddMinutes(*moment, up);
    if (!rounded)
        return std::nullopt;
    return LocalFields(*rounded);
}

std::int64_t DateFireTime(const DateFields& fields) {
    std::tm local{};
    // The year edit takes any digits: keep tm_year from overflowing.
    if (fields.Year < -1000000 || fields.Year > 1000000)
        return kInvalidTime;
    local.tm_year = fields.Year - 1900;
    local.tm_mon = fields.Month - 1;
    local.tm_mday = fields.Day;
    local.tm_hour = fields.Hour;
    local.tm_min = fields.Minute;
    local.tm_sec = 0;
    local.tm_isdst = -1;
    const std::time_t result = std::mktime(&local);
    // -1 is one second before 1970, never a whole local minute: a failure.
    if (result == static_cast<std::time_t>(-1))
        return kInvalidTime;
    return static_cast<std::int64_t>(result);
}

std::int64_t TimeFireTime(std::int64_t now, std::int64_t minutes) {
    return AddMinutes(now, minutes).value_or(kInvalidTime);
}

std::int64_t MinutesUntil(std::int64_t fireTime, std::int64_t now) {
    const __int128 difference = static_cast<__int128>(fireTime) - now;
    return static_cast<std::int64_t>(difference / kMinute);
}

void ApplyMinutesEntry(InformProperty& inform, const InformProperty& opened, bool minutesEdited, std::int64_t minutes,
                       std::int64_t now) {
    const auto repeatsByTime = [](const InformProperty& record) {
        return record.Enabled == 1 && record.ByDate != 1 && record.ByTime == 1 && record.Repeat == 1;
    };
    if (!minutesEdited && repeatsByTime(opened) && repeatsByTime(inform)) {
        inform.FireTime = opened.FireTime;
        inform.StartTime = opened.StartTime;
        return;
    }
    inform.FireTime = TimeFireTime(now, minutes);
    inform.StartTime = now;
}

int EntryIndex(int value, int first, int last, int step) {
    if (step <= 0 || value < first || value > last || (value - first) % step != 0)
        return -1;
    return (value - first) / step;
}

} // namespace reminder
