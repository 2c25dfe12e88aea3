#include "core/note/ReminderSchedule.h"

#include "core/base/Strings.h"

#include <cstring>
#include <ctime>
#include <limits>
#include <optional>

namespace reminder {

namespace {

using Wide = __int128;

constexpr std::int64_t kHour = 3600;
constexpr std::int64_t kDay = 24 * kHour;

// Jumps of many calendar steps are only taken when they certainly stay at or
// before now; a step is never shorter than this (a 23-hour day, a 28-day month,
// less room for zones that moved their clocks by two hours).
constexpr std::int64_t kShortestDay = kDay - 2 * kHour;
constexpr std::int64_t kShortestMonth = 28 * kDay - 2 * kHour;

// More steps than years 1-9999 hold; keeps the broken-down fields from overflowing.
constexpr std::int64_t kMaxJump = 10000000;

// A safety net only: jumps make the catch-up take a few dozen rounds at most.
constexpr int kMaxRounds = 10000;

bool InRange(std::int64_t t) {
    return t >= kEarliestTime && t <= kLatestTime;
}

bool ToLocal(std::int64_t t, std::tm& out) {
    const std::time_t time = static_cast<std::time_t>(t);
    return localtime_r(&time, &out) != nullptr;
}

// The moment of a broken-down local time; the platform decides daylight saving,
// so the clock time is kept across changes. Overflowing fields roll over.
std::optional<std::int64_t> FromLocal(std::tm local) {
    local.tm_isdst = -1;
    const std::time_t result = std::mktime(&local);
    if (result == static_cast<std::time_t>(-1)) {
        // -1 is also one second before 1970: a success has normalised the fields to it.
        std::tm check{};
        if (!ToLocal(-1, check) || check.tm_year != local.tm_year || check.tm_mon != local.tm_mon ||
            check.tm_mday != local.tm_mday || check.tm_hour != local.tm_hour || check.tm_min != local.tm_min ||
            check.tm_sec != local.tm_sec)
            return std::nullopt;
    }
    return static_cast<std::int64_t>(result);
}

// The occurrence count calendar steps after the local time `from`.
std::optional<std::int64_t> CalendarStep(const std::tm& from, std::int32_t cycle, std::int64_t count) {
    std::tm next = from;
    if (cycle == kCycleMonthly)
        next.tm_mon += static_cast<int>(count);
    else
        next.tm_mday += static_cast<int>(count * (cycle == kCycleWeekly ? 7 : 1));
    return FromLocal(next);
}

bool AdvanceByPeriod(InformProperty& inform, std::int64_t period, std::int64_t now) {
    if (period <= 0)
        return false;
    const Wide fire = inform.FireTime;
    const Wide steps = (Wide(now) - fire) / period + 1;
    const Wide next = fire + steps * period;
    if (next > std::numeric_limits<std::int64_t>::max())
        return false;
    inform.StartTime = static_cast<std::int64_t>(next - period);
    inform.FireTime = static_cast<std::int64_t>(next);
    return true;
}

bool AdvanceByCalendar(InformProperty& inform, std::int64_t now) {
    const std::int32_t cycle = inform.Cycle;
    const std::int64_t shortest = cycle == kCycleMonthly  ? kShortestMonth
                                  : cycle == kCycleWeekly ? 7 * kDay - 2 * kHour
                                                          : kShortestDay;
    std::int64_t fire = inform.FireTime;
    std::int64_t start = inform.StartTime;
    for (int round = 0; fire <= now; ++round) {
        if (round == kMaxRounds || !InRange(fire))
            return false;
        std::tm local{};
        if (!ToLocal(fire, local))
            return false;
        // Days 29-31 may roll over into the next month, which changes the day for
        // all later steps: those are taken one by one (at most a couple of years'
        // worth before the day is 28 or less).
        std::int64_t count = 1;
        if (cycle != kCycleMonthly || local.tm_mday <= 28) {
            const Wide whole = (static_cast<Wide>(now) - fire) / shortest;
            count = whole > kMaxJump ? kMaxJump : whole > 1 ? static_cast<std::int64_t>(whole) - 1 : 1;
        }
        std::optional<std::int64_t> next = CalendarStep(local, cycle, count);
        // A jump must not pass now, so that the last step is a single one and
        // StartTime is the occurrence just before the new FireTime.
        while (count > 1 && (!next || *next > now)) {
            count /= 2;
            next = CalendarStep(local, cycle, count);
        }
        if (!next || *next <= fire)
            return false;
        if (count == 1)
            start = fire;
        fire = *next;
    }
    inform.StartTime = start;
    inform.FireTime = fire;
    return true;
}

} // namespace

InformProperty Cleared() {
    InformProperty inform;
    inform.Sound = 0;
    inform.Topmost = 0;
    return inform;
}

bool Advance(InformProperty& inform, std::int64_t now) {
    if (inform.Repeat != 1 || !InRange(inform.FireTime))
        return false;
    if (inform.FireTime > now)
        return true;
    if (inform.ByDate == 1) {
        if (inform.Cycle == kCycleHourly)
            return AdvanceByPeriod(inform, kHour, now);
        if (inform.Cycle < kCycleMonthly || inform.Cycle > kCycleDaily)
            return false;
        return AdvanceByCalendar(inform, now);
    }
    if (inform.ByTime != 1 || !InRange(inform.StartTime))
        return false;
    return AdvanceByPeriod(inform, inform.FireTime - inform.StartTime, now);
}

bool Repair(InformProperty& inform) {
    if (inform.Enabled != 1)
        return false;
    if ((inform.ByDate != 1 && inform.ByTime != 1) || !InRange(inform.FireTime)) {
        inform = Cleared();
        return true;
    }
    bool changed = false;
    if (inform.ByDate == 1 && inform.ByTime != 0) {
        inform.ByTime = 0;
        changed = true;
    }
    if (inform.Repeat == 1) {
        const bool moves = inform.ByDate == 1 ? inform.Cycle >= kCycleMonthly && inform.Cycle <= kCycleHourly
                                              : InRange(inform.StartTime) && inform.FireTime > inform.StartTime;
        if (!moves) {
            inform.Repeat = 0;
            inform.Cycle = kCycleNone;
            changed = true;
        }
    }
    return changed;
}

SetResult Set(const InformProperty& inform, std::int64_t now) {
    SetResult result;
    result.Inform = inform;
    if (inform.Enabled != 1)
        return result;
    result.Repaired = Repair(result.Inform);
    if (result.Inform.Enabled != 1)
        return result;
    if (now > result.Inform.FireTime) {
        if (result.Inform.Repeat == 1 && Advance(result.Inform, now)) {
            result.Outcome = SetOutcome::Scheduled;
            return result;
        }
        result.Outcome = SetOutcome::Missed;
        const Wide minutes = (Wide(now) - result.Inform.FireTime) / 60;
        result.MissedMinutes = minutes > std::numeric_limits<std::int64_t>::max()
                                   ? std::numeric_limits<std::int64_t>::max()
                                   : static_cast<std::int64_t>(minutes);
        result.Inform = Cleared();
        return result;
    }
    result.Outcome = SetOutcome::Scheduled;
    return result;
}

TickResult Tick(const InformProperty& inform, std::int64_t now) {
    TickResult result;
    result.Inform = inform;
    if (inform.Enabled != 1)
        return result;
    if (inform.FireTime > now) {
        result.KeepTimer = true;
        return result;
    }
    result.Fire = true;
    result.Raise = inform.Topmost == 1;
    result.PlaySound = inform.Sound == 1;
    result.WavePath.assign(inform.WavePath, strnlen(inform.WavePath, sizeof inform.WavePath));
    if (inform.Repeat == 1 && Advance(result.Inform, now)) {
        result.KeepTimer = true;
    } else {
        result.Inform = Cleared();
    }
    return result;
}

Problem Validate(const InformProperty& inform) {
    if (inform.Enabled != 1)
        return Problem::None;
    if (inform.ByDate != 1 && inform.ByTime != 1)
        return Problem::NoMethod;
    if (inform.ByDate == 1 && inform.Repeat == 1) {
        if (inform.Cycle == kCycleNone)
            return Problem::NoCycle;
        if (inform.Cycle < kCycleMonthly || inform.Cycle > kCycleHourly)
            return Problem::BadCycle;
    }
    if (!InRange(inform.FireTime))
        return Problem::TimeOutOfRange;
    if (inform.ByDate != 1 && inform.Repeat == 1 &&
        (!InRange(inform.StartTime) || inform.FireTime - inform.StartTime < 60))
        return Problem::NoPeriod;
    return Problem::None;
}

int ProblemStringId(Problem problem) {
    return problem == Problem::NoCycle ? strings::kReminderNoCycle : 0;
}

const char* ProblemText(Problem problem) {
    switch (problem) {
    case Problem::None:
        return "";
    case Problem::NoCycle:
        return strings::EnglishText(strings::kReminderNoCycle);
    case Problem::NoMethod:
        return "Choose Date or Time for the notification.";
    case Problem::BadCycle:
        return "The repeat cycle is not valid.";
    case Problem::NoPeriod:
        return "A repeating notification needs at least one minute.";
    case Problem::TimeOutOfRange:
        return "The notification time must lie between the years 1 and 9999.";
    }
    return "";
}

std::string MissedText(const std::string& displayTitle, std::int64_t minutes) {
    std::string text = strings::EnglishText(strings::kReminderMissed);
    // The title goes in last so that a "%d" in it stays as it is.
    const auto number = text.find("%d");
    if (number != std::string::npos)
        text.replace(number, 2, std::to_string(minutes));
    const auto title = text.find("%s");
    if (title != std::string::npos)
        text.replace(title, 2, displayTitle);
    return text;
}

} // namespace reminder
