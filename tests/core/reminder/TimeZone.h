#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

// Runs a test in a fixed time zone and restores the previous one afterwards.
class TimeZoneTest : public ::testing::Test {
protected:
    void UseZone(const char* zone) {
        if (!m_savedOnce) {
            const char* old = std::getenv("TZ");
            if (old != nullptr)
                m_saved = old;
            m_savedOnce = true;
        }
        setenv("TZ", zone, 1);
        tzset();
    }
    void SetUp() override { UseZone("Europe/Berlin"); }
    void TearDown() override {
        if (m_saved)
            setenv("TZ", m_saved->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

    // A local time of the current zone, daylight saving decided by the zone.
    static std::int64_t Local(int year, int month, int day, int hour, int minute, int second = 0) {
        std::tm tm{};
        tm.tm_year = year - 1900;
        tm.tm_mon = month - 1;
        tm.tm_mday = day;
        tm.tm_hour = hour;
        tm.tm_min = minute;
        tm.tm_sec = second;
        tm.tm_isdst = -1;
        return static_cast<std::int64_t>(std::mktime(&tm));
    }
    static std::tm Broken(std::int64_t time) {
        const std::time_t t = static_cast<std::time_t>(time);
        std::tm tm{};
        localtime_r(&t, &tm);
        return tm;
    }

private:
    std::optional<std::string> m_saved;
    bool m_savedOnce = false;
};
