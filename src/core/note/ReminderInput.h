#pragma once

#include "core/base/Properties.h"

#include <cstdint>
#include <limits>
#include <optional>

// The arithmetic behind the reminder controls of the note property dialog: the
// date and time fields, the "minutes from now" field, and the pre-fill of one
// from the other. Local time follows the process's time zone (TZ).
namespace reminder {

// What a failed conversion yields as a fire time: out of range, so Validate
// refuses it and Repair removes it.
inline constexpr std::int64_t kInvalidTime = std::numeric_limits<std::int64_t>::min();

// The year edit and the month, day, hour and minute lists of the dialog.
struct DateFields {
    int Year = 0;
    int Month = 0; // 1-12
    int Day = 0;   // 1-31
    int Hour = 0;  // 0-23 as read back from a time; the list offers 1-24
    int Minute = 0;
    bool operator==(const DateFields&) const = default;
};

// The local date and time of a moment; nothing when it cannot be converted.
std::optional<DateFields> LocalFields(std::int64_t time);

// Clicking Date: now plus the minutes of the minutes edit, the minute rounded up
// to a multiple of 5 (a multiple stays; 23:57 becomes 0:00 of the next day).
std::optional<DateFields> PrefillDate(std::int64_t now, std::int64_t minutes);

// The fire time of the date controls: seconds 0, daylight saving decided by the
// platform, overflowing fields rolled over (hour 24 of day 30 is 0:00 of day 31,
// or of the 1st in a 30-day month). kInvalidTime when it cannot be converted.
std::int64_t DateFireTime(const DateFields& fields);

// The fire time of "minutes from now": a length of time, so a daylight-saving
// change in between does not make it an hour longer or shorter.
std::int64_t TimeFireTime(std::int64_t now, std::int64_t minutes);

// The minutes edit for a fire time: whole minutes from now, truncated towards
// zero (negative when the time has passed).
std::int64_t MinutesUntil(std::int64_t fireTime, std::int64_t now);

// OK with Time chosen: sets FireTime and StartTime of inform (the record the
// controls make) from opened (the record the dialog was opened with). The edit
// shows only the minutes that remain, so a repeating reminder left as it was
// opened (still enabled, by time and repeating, the edit untouched) keeps both
// times and with them its period. Otherwise it starts now and fires minutes later.
void ApplyMinutesEntry(InformProperty& inform, const InformProperty& opened, bool minutesEdited, std::int64_t minutes,
                       std::int64_t now);

// The index of the drop-list entry whose text is exactly value, in a list of the
// numbers first, first + step, ... up to last; -1 when there is none.
int EntryIndex(int value, int first, int last, int step = 1);

inline int MonthEntry(int month) {
    return EntryIndex(month, 1, 12);
}
inline int DayEntry(int day) {
    return EntryIndex(day, 1, 31);
}
// Hour 0 has no entry: the list runs from "1" to "24".
inline int HourEntry(int hour) {
    return EntryIndex(hour, 1, 24);
}
inline int MinuteEntry(int minute) {
    return EntryIndex(minute, 0, 55, 5);
}

} // namespace reminder
