#pragma once

#include "core/base/Properties.h"

#include <cstdint>
#include <string>

// The reminder arithmetic of a note, as pure functions over an InformProperty and
// a clock value (seconds since 1970). Calendar steps use the process's local time
// zone (localtime_r/mktime), so TZ decides what "daily at 10:00" means.
//
// No input can make these loop: records that cannot move forward are repaired on
// load, refused by Validate in the dialog, and Advance itself works in closed form
// or in jumps of many steps, so a reminder years in the past catches up at once.
namespace reminder {

// The note window's reminder timer.
inline constexpr int kTimerId = 100;
inline constexpr int kTimerPeriodMs = 60000;

enum Cycle : std::int32_t {
    kCycleNone = 0,
    kCycleMonthly = 1,
    kCycleWeekly = 2,
    kCycleDaily = 3,
    kCycleHourly = 4,
};

// Fire times outside years 1 to 9999 are refused: beyond them the calendar
// conversions of the platform overflow or fail.
inline constexpr std::int64_t kEarliestTime = -62135596800; // 0001-01-01 00:00:00 UTC
inline constexpr std::int64_t kLatestTime = 253402300799;   // 9999-12-31 23:59:59 UTC

// The record of a note without a reminder, as it is after a reminder ended:
// every field zero (Sound and Topmost included).
InformProperty Cleared();

// Moves a repeating reminder on to its first occurrence later than now; StartTime
// becomes the occurrence before it. Missed occurrences are skipped. Does nothing
// when FireTime is already later than now. Daily, weekly and monthly steps keep the
// local clock time across daylight-saving changes; a day that does not exist in the
// target month rolls over (31 January + 1 month = 3 March, 2 March in a leap year).
// Hourly steps and ByTime periods are fixed lengths of time.
// Returns false, leaving the record unchanged, when it cannot move forward: not
// repeating, a ByTime period <= 0, a Cycle outside 1-4, or times out of range.
bool Advance(InformProperty& inform, std::int64_t now);

// What Set made of a record.
enum class SetOutcome {
    Off,       // not enabled: no timer
    Scheduled, // start the reminder timer
    Missed,    // a one-time reminder already due: show 57681, record cleared, no timer
};

struct SetResult {
    SetOutcome Outcome = SetOutcome::Off;
    InformProperty Inform;          // what the note keeps
    std::int64_t MissedMinutes = 0; // whole minutes since FireTime, for Missed
    bool Repaired = false;          // Repair changed the record
};

// Setting a reminder, at load or when the property dialog closes with OK. The
// record is repaired first. A repeating reminder whose time passed moves on to
// its next occurrence without a message (one that cannot move on is reported as
// missed, like a one-time reminder).
SetResult Set(const InformProperty& inform, std::int64_t now);

// What one tick of the reminder timer does.
struct TickResult {
    bool Fire = false;      // show the note (if hidden); the flags below say what else
    bool Raise = false;     // put the note into the top-most band, TopWindow = 1
    bool PlaySound = false; // WavePath empty: the warning beep, else play WavePath
    std::string WavePath;
    bool KeepTimer = false; // false: stop the timer
    InformProperty Inform;  // the record after the tick (advanced or cleared when fired)
};

TickResult Tick(const InformProperty& inform, std::int64_t now);

// The repair applied to records read from a file (Set applies it too), so that no
// stored record can make the reminder loop or misbehave:
//  - enabled with neither ByDate nor ByTime, or a FireTime outside years 1-9999:
//    the reminder is removed (record cleared);
//  - ByDate and ByTime both set: ByDate wins, ByTime is cleared;
//  - repeating ByDate with a Cycle outside 1-4, or repeating ByTime whose period
//    (FireTime - StartTime) is not positive or not computable: Repeat and Cycle are
//    cleared, so the reminder fires once at its FireTime.
// Records that are not enabled are left alone. Returns true when it changed anything.
bool Repair(InformProperty& inform);

// Why the property dialog refuses a reminder.
enum class Problem {
    None,
    NoCycle,        // Date with Repeat and no cycle (string 57697)
    NoMethod,       // neither Date nor Time
    BadCycle,       // Cycle outside 0-4
    NoPeriod,       // Time with Repeat and no positive number of minutes
    TimeOutOfRange, // FireTime outside years 1-9999
};

// Checks a record built by the property dialog (StartTime = now). Only enabled
// records can be refused.
Problem Validate(const InformProperty& inform);

// The string id of a problem (57697 for NoCycle), or 0 when it has none.
int ProblemStringId(Problem problem);
// The English text of a problem: the string table's for NoCycle, else our own.
const char* ProblemText(Problem problem);

// The text of message 57681 for a note's display title and the missed minutes.
std::string MissedText(const std::string& displayTitle, std::int64_t minutes);

} // namespace reminder
