#include "core/note/ReminderSchedule.h"

#include "TimeZone.h"
#include "core/base/Strings.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <random>

using namespace reminder;

namespace {

InformProperty OneTime(std::int64_t fire, std::int64_t start) {
    InformProperty inform;
    inform.Enabled = 1;
    inform.ByDate = 1;
    inform.FireTime = fire;
    inform.StartTime = start;
    return inform;
}

InformProperty Calendar(std::int64_t fire, std::int32_t cycle) {
    InformProperty inform = OneTime(fire, fire - 60);
    inform.Repeat = 1;
    inform.Cycle = cycle;
    return inform;
}

InformProperty Every(std::int64_t start, std::int64_t minutes) {
    InformProperty inform;
    inform.Enabled = 1;
    inform.ByTime = 1;
    inform.Repeat = 1;
    inform.StartTime = start;
    inform.FireTime = start + minutes * 60;
    return inform;
}

bool IsAllZero(const InformProperty& inform) {
    return inform.Enabled == 0 && inform.ByDate == 0 && inform.ByTime == 0 && inform.FireTime == 0 &&
           inform.StartTime == 0 && inform.Repeat == 0 && inform.Cycle == 0 && inform.Sound == 0 &&
           inform.Topmost == 0 && inform.WavePath[0] == 0;
}

// Fires the reminder one occurrence at a time, as a running program would.
InformProperty StepByStep(InformProperty inform, std::int64_t now) {
    while (inform.FireTime <= now) {
        if (!Advance(inform, inform.FireTime))
            ADD_FAILURE() << "step failed at " << inform.FireTime;
    }
    return inform;
}

class Reminder : public TimeZoneTest {};

} // namespace

TEST_F(Reminder, MissedOneTimeReminderIsReportedOnceAndRemoved) {
    const std::int64_t now = Local(2024, 5, 10, 12, 0);
    InformProperty inform = OneTime(now - 125 * 60 - 59, now - 86400);
    std::strcpy(inform.WavePath, "/tmp/bell.wav");

    const SetResult result = Set(inform, now);
    EXPECT_EQ(result.Outcome, SetOutcome::Missed);
    EXPECT_EQ(result.MissedMinutes, 125);
    EXPECT_TRUE(IsAllZero(result.Inform));
    EXPECT_EQ(MissedText("Shopping", result.MissedMinutes),
              "Notification time for message Shopping is already passed 125 minutes.");
    EXPECT_EQ(strings::EnglishText(strings::kReminderMissed),
              std::string("Notification time for message %s is already passed %d minutes."));

    // Due this very second is not missed: it fires at the next tick.
    EXPECT_EQ(Set(OneTime(now, now - 60), now).Outcome, SetOutcome::Scheduled);
    // A ByTime reminder set with a negative number of minutes is missed as well.
    InformProperty past = Every(now, -3);
    past.Repeat = 0;
    EXPECT_EQ(Set(past, now).MissedMinutes, 3);
}

TEST_F(Reminder, DisabledRecordIsKeptWithoutTimer) {
    InformProperty inform;
    inform.Sound = 0;
    inform.Topmost = 1;
    const SetResult result = Set(inform, Local(2024, 5, 10, 12, 0));
    EXPECT_EQ(result.Outcome, SetOutcome::Off);
    EXPECT_EQ(result.Inform.Sound, 0);
    EXPECT_EQ(result.Inform.Topmost, 1);
    EXPECT_FALSE(Tick(inform, 0).KeepTimer);
    EXPECT_FALSE(Tick(inform, 0).Fire);
}

TEST_F(Reminder, FiresAtFirstTickAtOrAfterItsTime) {
    const std::int64_t set = Local(2024, 5, 10, 12, 0, 17);
    InformProperty inform = OneTime(set + 5 * 60 + 25, set);
    inform.Sound = 1;
    inform.Topmost = 1;
    ASSERT_EQ(Set(inform, set).Outcome, SetOutcome::Scheduled);

    std::int64_t firedAt = -1;
    for (std::int64_t tick = set + kTimerPeriodMs / 1000; tick < set + 3600; tick += kTimerPeriodMs / 1000) {
        const TickResult result = Tick(inform, tick);
        if (!result.Fire) {
            EXPECT_TRUE(result.KeepTimer);
            continue;
        }
        firedAt = tick;
        EXPECT_TRUE(result.Raise);
        EXPECT_TRUE(result.PlaySound);
        EXPECT_EQ(result.WavePath, ""); // the warning beep
        EXPECT_FALSE(result.KeepTimer);
        EXPECT_TRUE(IsAllZero(result.Inform));
        break;
    }
    ASSERT_GE(firedAt, inform.FireTime);
    EXPECT_LT(firedAt - inform.FireTime, 60);

    inform.Sound = 0;
    inform.Topmost = 0;
    std::strcpy(inform.WavePath, "/home/me/bell.wav");
    const TickResult quiet = Tick(inform, inform.FireTime);
    EXPECT_TRUE(quiet.Fire);
    EXPECT_FALSE(quiet.Raise);
    EXPECT_FALSE(quiet.PlaySound);
    EXPECT_EQ(quiet.WavePath, "/home/me/bell.wav");
}

TEST_F(Reminder, ThirtyMinuteRepeatFiresEveryThirtyMinutes) {
    const std::int64_t set = Local(2024, 5, 10, 9, 0, 30);
    InformProperty inform = Set(Every(set, 30), set).Inform;
    int fired = 0;
    for (std::int64_t tick = set + 60; tick <= set + 3 * 3600; tick += 60) {
        const TickResult result = Tick(inform, tick);
        ASSERT_TRUE(result.KeepTimer);
        if (result.Fire) {
            ++fired;
            EXPECT_EQ(tick - set, fired * 1800);
            EXPECT_EQ(result.Inform.FireTime, set + (fired + 1) * 1800);
            EXPECT_EQ(result.Inform.FireTime - result.Inform.StartTime, 1800);
        }
        inform = result.Inform;
    }
    EXPECT_EQ(fired, 6);
}

TEST_F(Reminder, RepeatingReminderMissedWhileClosedMovesOnSilently) {
    const std::int64_t now = Local(2024, 5, 10, 12, 0);
    // Daily at 9:00, last due three days ago: next at 9:00 tomorrow.
    SetResult result = Set(Calendar(Local(2024, 5, 7, 9, 0), kCycleDaily), now);
    EXPECT_EQ(result.Outcome, SetOutcome::Scheduled);
    EXPECT_EQ(result.Inform.FireTime, Local(2024, 5, 11, 9, 0));
    EXPECT_EQ(result.Inform.StartTime, Local(2024, 5, 10, 9, 0));
    // Daily at 15:00: still due today.
    result = Set(Calendar(Local(2024, 5, 7, 15, 0), kCycleDaily), now);
    EXPECT_EQ(result.Inform.FireTime, Local(2024, 5, 10, 15, 0));
    // Weekly and hourly.
    EXPECT_EQ(Set(Calendar(Local(2024, 4, 1, 8, 0), kCycleWeekly), now).Inform.FireTime, Local(2024, 5, 13, 8, 0));
    result = Set(Calendar(Local(2024, 5, 9, 11, 20), kCycleHourly), now);
    EXPECT_EQ(result.Inform.FireTime, Local(2024, 5, 10, 12, 20));
    EXPECT_EQ(result.Inform.StartTime, Local(2024, 5, 10, 11, 20));
    // A ByTime period keeps its phase.
    result = Set(Every(now - 10 * 3600 - 1, 45), now);
    EXPECT_EQ(result.Inform.FireTime - (now - 10 * 3600 - 1), 14 * 45 * 60);
    EXPECT_EQ(result.Inform.FireTime - result.Inform.StartTime, 45 * 60);
}

TEST_F(Reminder, MonthlyStepRollsOverShortMonths) {
    InformProperty inform = Calendar(Local(2023, 1, 31, 9, 0), kCycleMonthly);
    ASSERT_TRUE(Advance(inform, inform.FireTime));
    EXPECT_EQ(inform.FireTime, Local(2023, 3, 3, 9, 0));
    EXPECT_EQ(inform.StartTime, Local(2023, 1, 31, 9, 0));
    ASSERT_TRUE(Advance(inform, inform.FireTime));
    EXPECT_EQ(inform.FireTime, Local(2023, 4, 3, 9, 0)); // the rolled-over day stays

    InformProperty leap = Calendar(Local(2024, 1, 31, 9, 0), kCycleMonthly);
    ASSERT_TRUE(Advance(leap, leap.FireTime));
    EXPECT_EQ(leap.FireTime, Local(2024, 3, 2, 9, 0));

    // Catching up over many months gives what firing every month would have.
    InformProperty late = Calendar(Local(2023, 1, 31, 9, 0), kCycleMonthly);
    ASSERT_TRUE(Advance(late, Local(2023, 6, 15, 0, 0)));
    EXPECT_EQ(late.FireTime, Local(2023, 7, 3, 9, 0));
    EXPECT_EQ(late.StartTime, Local(2023, 6, 3, 9, 0));
    // The 30th survives until February.
    InformProperty thirtieth = Calendar(Local(2023, 3, 30, 9, 0), kCycleMonthly);
    ASSERT_TRUE(Advance(thirtieth, Local(2024, 2, 10, 0, 0)));
    EXPECT_EQ(thirtieth.FireTime, Local(2024, 3, 1, 9, 0));
}

TEST_F(Reminder, DailyReminderKeepsItsClockTimeOverDaylightSavingChanges) {
    // Berlin: clocks go from 2:00 to 3:00 on 31 March 2024 and back on 27 October.
    InformProperty inform = Calendar(Local(2024, 3, 30, 10, 0), kCycleDaily);
    ASSERT_TRUE(Advance(inform, inform.FireTime));
    EXPECT_EQ(Broken(inform.FireTime).tm_hour, 10);
    EXPECT_EQ(inform.FireTime - inform.StartTime, 23 * 3600);
    ASSERT_TRUE(Advance(inform, Local(2024, 10, 30, 11, 0)));
    EXPECT_EQ(inform.FireTime, Local(2024, 10, 31, 10, 0));

    // 2:30 does not exist on 31 March: it fires at the instant 2:30 standard
    // time would be (3:30 summer time), and the series keeps 3:30 from then on.
    InformProperty night = Calendar(Local(2024, 3, 30, 2, 30), kCycleDaily);
    ASSERT_TRUE(Advance(night, night.FireTime));
    EXPECT_EQ(night.FireTime, Local(2024, 3, 30, 2, 30) + 24 * 3600);
    EXPECT_EQ(Broken(night.FireTime).tm_hour, 3);
    EXPECT_EQ(Broken(night.FireTime).tm_min, 30);
    EXPECT_EQ(Broken(night.FireTime).tm_mday, 31);
    ASSERT_TRUE(Advance(night, night.FireTime));
    EXPECT_EQ(night.FireTime - night.StartTime, 24 * 3600);

    // In the hour that happens twice, a daily reminder fires once.
    InformProperty twice = Calendar(Local(2024, 10, 26, 2, 30), kCycleDaily);
    ASSERT_TRUE(Advance(twice, twice.FireTime));
    ASSERT_TRUE(Advance(twice, twice.FireTime));
    EXPECT_EQ(twice.FireTime, Local(2024, 10, 28, 2, 30));

    // Hourly is a fixed hour of time, so the repeated hour gets both occurrences.
    InformProperty hourly = Calendar(Local(2024, 10, 27, 1, 30), kCycleHourly);
    for (int i = 1; i <= 3; ++i) {
        const std::int64_t before = hourly.FireTime;
        ASSERT_TRUE(Advance(hourly, before));
        EXPECT_EQ(hourly.FireTime - before, 3600);
    }
    EXPECT_EQ(Broken(hourly.FireTime).tm_hour, 3);
}

TEST_F(Reminder, CatchingUpMatchesFiringEveryOccurrence) {
    std::mt19937 random(20240510);
    const std::int64_t base = Local(2021, 1, 1, 0, 0);
    for (const char* zone : {"Europe/Berlin", "America/New_York", "UTC", "Australia/Lord_Howe"}) {
        UseZone(zone);
        for (int i = 0; i < 60; ++i) {
            const std::int32_t cycle = static_cast<std::int32_t>(random() % 4) + 1;
            std::int64_t fire = base + static_cast<std::int64_t>(random() % (3 * 365)) * 86400 +
                                static_cast<std::int64_t>(random() % 86400);
            // Clock times that a spring change skips drift on the day they are
            // skipped; a jump over that day keeps them. Leave them out here.
            const int hour = Broken(fire).tm_hour;
            if (hour == 2 || hour == 1)
                fire += 3 * 3600;
            const std::int64_t now =
                fire + static_cast<std::int64_t>(random() % (cycle == kCycleMonthly ? 1500 : 400)) * 86400 /
                           (cycle == kCycleHourly ? 24 : 1);
            const InformProperty start = Calendar(fire, cycle);
            InformProperty jumped = start;
            ASSERT_TRUE(Advance(jumped, now));
            const InformProperty stepped = StepByStep(start, now);
            EXPECT_EQ(jumped.FireTime, stepped.FireTime) << zone << " cycle " << cycle << " from " << fire;
            EXPECT_EQ(jumped.StartTime, stepped.StartTime) << zone << " cycle " << cycle << " from " << fire;
            EXPECT_GT(jumped.FireTime, now);
            EXPECT_LE(jumped.StartTime, now);
        }
    }
}

TEST_F(Reminder, RecordsThatCannotMoveForwardAreRepaired) {
    const std::int64_t now = Local(2024, 5, 10, 12, 0);

    // Zero minutes: fires once instead of looping.
    InformProperty zero = Every(now - 600, 0);
    EXPECT_FALSE(Advance(zero, now));
    EXPECT_TRUE(Repair(zero));
    EXPECT_EQ(zero.Repeat, 0);
    EXPECT_EQ(zero.Enabled, 1);
    SetResult result = Set(Every(now - 600, -5), now);
    EXPECT_TRUE(result.Repaired);
    EXPECT_EQ(result.Outcome, SetOutcome::Missed);
    result = Set(Every(now + 600, 0), now);
    EXPECT_EQ(result.Outcome, SetOutcome::Scheduled);
    TickResult tick = Tick(result.Inform, now + 600);
    EXPECT_TRUE(tick.Fire);
    EXPECT_FALSE(tick.KeepTimer);

    // A cycle from a file that means nothing.
    for (const std::int32_t cycle : {0, 5, -1, 1000}) {
        InformProperty odd = Calendar(now - 3600, cycle);
        EXPECT_FALSE(Advance(odd, now));
        EXPECT_TRUE(Repair(odd));
        EXPECT_EQ(odd.Repeat, 0);
        EXPECT_EQ(odd.Cycle, 0);
    }
    // Unrepaired records that reach the timer end after firing once.
    tick = Tick(Calendar(now - 60, 9), now);
    EXPECT_TRUE(tick.Fire);
    EXPECT_FALSE(tick.KeepTimer);
    EXPECT_TRUE(IsAllZero(tick.Inform));

    // Neither Date nor Time, or a time no calendar holds: removed.
    InformProperty none = Calendar(now - 60, kCycleDaily);
    none.ByDate = 0;
    EXPECT_TRUE(Repair(none));
    EXPECT_TRUE(IsAllZero(none));
    for (const std::int64_t fire : {std::int64_t{-1} << 62, std::int64_t{1} << 62, kLatestTime + 1}) {
        InformProperty far = Calendar(fire, kCycleDaily);
        EXPECT_FALSE(Advance(far, now));
        EXPECT_EQ(Set(far, now).Outcome, SetOutcome::Off);
    }
    // Both methods: Date wins.
    InformProperty both = Calendar(now + 60, kCycleDaily);
    both.ByTime = 1;
    EXPECT_TRUE(Repair(both));
    EXPECT_EQ(both.ByTime, 0);
    EXPECT_EQ(both.Repeat, 1);
    // A sound record is left alone.
    InformProperty sound = Calendar(now + 60, kCycleMonthly);
    EXPECT_FALSE(Repair(sound));
    InformProperty off;
    off.Cycle = 77;
    EXPECT_FALSE(Repair(off));
}

TEST_F(Reminder, CenturiesOfMissedOccurrencesCatchUpAtOnce) {
    const std::int64_t now = Local(2024, 5, 10, 12, 0, 13);
    const auto started = std::chrono::steady_clock::now();
    for (const std::int32_t cycle : {kCycleMonthly, kCycleWeekly, kCycleDaily, kCycleHourly}) {
        InformProperty inform = Calendar(kEarliestTime + 86400 * 30 + 1234, cycle);
        ASSERT_TRUE(Advance(inform, now)) << cycle;
        EXPECT_GT(inform.FireTime, now);
        EXPECT_LE(inform.StartTime, now);
        EXPECT_LE(inform.FireTime - now, 31 * 86400);
    }
    // Daily from the year 1000 still falls on the same clock time.
    InformProperty daily = Calendar(Local(1000, 6, 1, 7, 45), kCycleDaily);
    ASSERT_TRUE(Advance(daily, now));
    EXPECT_EQ(daily.FireTime, Local(2024, 5, 11, 7, 45));
    // A one-second period over two thousand years.
    InformProperty fast = Every(kEarliestTime, 0);
    fast.FireTime = kEarliestTime + 1;
    ASSERT_TRUE(Advance(fast, now));
    EXPECT_EQ(fast.FireTime, now + 1);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
}

TEST_F(Reminder, DialogRefusesRemindersThatCannotWork) {
    const std::int64_t now = Local(2024, 5, 10, 12, 0);
    EXPECT_EQ(Validate(Calendar(now + 60, kCycleDaily)), Problem::None);
    EXPECT_EQ(Validate(OneTime(now - 600, now)), Problem::None); // reported as missed by Set

    const Problem noCycle = Validate(Calendar(now + 60, kCycleNone));
    EXPECT_EQ(noCycle, Problem::NoCycle);
    EXPECT_EQ(ProblemStringId(noCycle), 57697);
    EXPECT_STREQ(ProblemText(noCycle),
                 "You should choose one of Repeate Cycle when you choose a mode date for Repeate Timer.");

    EXPECT_EQ(Validate(Calendar(now + 60, 6)), Problem::BadCycle);
    EXPECT_EQ(Validate(Every(now, 0)), Problem::NoPeriod);
    EXPECT_EQ(Validate(Every(now, -10)), Problem::NoPeriod);
    EXPECT_EQ(Validate(Every(now, 1)), Problem::None);
    InformProperty once = Every(now, 0);
    once.Repeat = 0;
    EXPECT_EQ(Validate(once), Problem::None);
    InformProperty neither = Calendar(now + 60, kCycleDaily);
    neither.ByDate = 0;
    EXPECT_EQ(Validate(neither), Problem::NoMethod);
    EXPECT_EQ(Validate(OneTime(kLatestTime + 60, now)), Problem::TimeOutOfRange);
    for (const Problem problem : {Problem::NoMethod, Problem::BadCycle, Problem::NoPeriod, Problem::TimeOutOfRange}) {
        EXPECT_EQ(ProblemStringId(problem), 0);
        EXPECT_NE(std::string(ProblemText(problem)), "");
    }
    neither.Enabled = 0;
    EXPECT_EQ(Validate(neither), Problem::None);
}
