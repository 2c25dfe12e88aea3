#include "core/note/ReminderInput.h"

#include "TimeZone.h"
#include "core/note/ReminderSchedule.h"

#include <gtest/gtest.h>

using namespace reminder;

namespace {
class ReminderInput : public TimeZoneTest {};
} // namespace

TEST_F(ReminderInput, DatePrefillRoundsUpToFiveMinutes) {
    EXPECT_EQ(PrefillDate(Local(2024, 5, 10, 10, 2, 41), 0), (DateFields{2024, 5, 10, 10, 5}));
    EXPECT_EQ(PrefillDate(Local(2024, 5, 10, 10, 56), 0), (DateFields{2024, 5, 10, 11, 0}));
    EXPECT_EQ(PrefillDate(Local(2024, 5, 10, 10, 5, 30), 0), (DateFields{2024, 5, 10, 10, 5}));

    // 23:57 becomes 0:00 of the next day, for which the hour list has no entry.
    const auto midnight = PrefillDate(Local(2024, 12, 31, 23, 57), 0);
    ASSERT_TRUE(midnight);
    EXPECT_EQ(*midnight, (DateFields{2025, 1, 1, 0, 0}));
    EXPECT_EQ(HourEntry(midnight->Hour), -1);
    EXPECT_EQ(MinuteEntry(midnight->Minute), 0);

    // The minutes edit is added first; negative values go back.
    EXPECT_EQ(PrefillDate(Local(2024, 5, 10, 10, 2), 30), (DateFields{2024, 5, 10, 10, 35}));
    EXPECT_EQ(PrefillDate(Local(2024, 5, 10, 10, 2), -1440), (DateFields{2024, 5, 9, 10, 5}));
    // Across the spring change: 1:58 + 5 minutes is 3:03 summer time, shown as 3:05.
    EXPECT_EQ(PrefillDate(Local(2024, 3, 31, 1, 58), 5), (DateFields{2024, 3, 31, 3, 5}));
    EXPECT_FALSE(PrefillDate(0, std::numeric_limits<std::int64_t>::max()));
}

TEST_F(ReminderInput, DateControlsRollOverAndReadBack) {
    // Hour "24" of day 30: 0:00 of day 31, or of the 1st in a 30-day month.
    EXPECT_EQ(DateFireTime({2024, 5, 30, 24, 0}), Local(2024, 5, 31, 0, 0));
    EXPECT_EQ(DateFireTime({2024, 4, 30, 24, 0}), Local(2024, 5, 1, 0, 0));
    EXPECT_EQ(DateFireTime({2023, 2, 31, 9, 15}), Local(2023, 3, 3, 9, 15));

    // A reminder at 0:15 reads back with hour 0: no hour entry is selected.
    const auto fields = LocalFields(DateFireTime({2024, 5, 10, 0, 15}));
    ASSERT_TRUE(fields);
    EXPECT_EQ(fields->Hour, 0);
    EXPECT_EQ(HourEntry(fields->Hour), -1);
    EXPECT_EQ(MinuteEntry(fields->Minute), 3);
    EXPECT_EQ(HourEntry(24), 23);
    EXPECT_EQ(MinuteEntry(7), -1);
    EXPECT_EQ(MinuteEntry(60), -1);
    EXPECT_EQ(MonthEntry(12), 11);
    EXPECT_EQ(DayEntry(0), -1);

    // An impossible year gives a time that the dialog then refuses.
    InformProperty inform;
    inform.Enabled = 1;
    inform.ByDate = 1;
    inform.FireTime = DateFireTime({2000000000, 1, 1, 0, 0});
    EXPECT_EQ(inform.FireTime, kInvalidTime);
    EXPECT_EQ(Validate(inform), Problem::TimeOutOfRange);
    inform.FireTime = DateFireTime({0, 1, 1, 0, 0}); // an empty year edit
    EXPECT_EQ(Validate(inform), Problem::TimeOutOfRange);
}

TEST_F(ReminderInput, MinutesFromNowAreALengthOfTime) {
    const std::int64_t now = Local(2024, 10, 27, 1, 50) + 3600; // 2:50 summer time, before the clocks go back
    EXPECT_EQ(TimeFireTime(now, 30), now + 1800);
    EXPECT_EQ(TimeFireTime(now, -30), now - 1800);
    EXPECT_EQ(TimeFireTime(now, std::numeric_limits<std::int64_t>::max() / 2), kInvalidTime);

    EXPECT_EQ(MinutesUntil(now + 119, now), 1);
    EXPECT_EQ(MinutesUntil(now - 90, now), -1); // truncated towards zero
    EXPECT_EQ(MinutesUntil(now - 59, now), 0);
    // A date in the past in the date controls shows a negative count.
    EXPECT_EQ(MinutesUntil(DateFireTime({2024, 10, 27, 1, 50}), now), -60);
}

TEST_F(ReminderInput, OkKeepsARepeatPeriodUnlessTheReminderWasChanged) {
    InformProperty opened;
    opened.Enabled = 1;
    opened.ByTime = 1;
    opened.Repeat = 1;
    opened.StartTime = Local(2024, 5, 10, 10, 0);
    opened.FireTime = opened.StartTime + 30 * 60;
    const std::int64_t now = opened.StartTime + 18 * 60;
    ASSERT_EQ(MinutesUntil(opened.FireTime, now), 12); // what the edit shows

    InformProperty inform = opened;
    ApplyMinutesEntry(inform, opened, false, 12, now);
    EXPECT_EQ(inform.StartTime, opened.StartTime);
    EXPECT_EQ(inform.FireTime, opened.FireTime);

    // New minutes: every 45 minutes from now.
    ApplyMinutesEntry(inform, opened, true, 45, now);
    EXPECT_EQ(inform.StartTime, now);
    EXPECT_EQ(inform.FireTime, now + 45 * 60);

    // Repeat switched on in the dialog: the shown minutes become the period.
    InformProperty once = opened;
    once.Repeat = 0;
    inform = opened;
    ApplyMinutesEntry(inform, once, false, 12, now);
    EXPECT_EQ(inform.StartTime, now);
    EXPECT_EQ(inform.FireTime, now + 12 * 60);
}
