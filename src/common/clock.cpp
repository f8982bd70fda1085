#include "common/clock.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <time.h>

namespace comtrax {

LocalDateTime SystemClock::now() const
{
    using namespace std::chrono;
    const auto tp = system_clock::now();
    const auto ms = duration_cast<milliseconds>(tp.time_since_epoch()).count();
    const std::time_t secs = static_cast<std::time_t>(ms / 1000);
    std::tm tm{};
    localtime_r(&secs, &tm);
    LocalDateTime t;
    t.year = tm.tm_year + 1900;
    t.month = tm.tm_mon + 1;
    t.day = tm.tm_mday;
    t.hour = tm.tm_hour;
    t.minute = tm.tm_min;
    t.second = tm.tm_sec;
    t.msec = static_cast<int>(ms % 1000);
    t.dayOfWeek = tm.tm_wday == 0 ? 7 : tm.tm_wday;
    return t;
}

int64_t SystemClock::monotonicNs() const
{
    return monotonicNowNs();
}

int64_t monotonicNowNs()
{
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

int32_t timeOfDayMs(const LocalDateTime& t)
{
    return ((t.hour * 60 + t.minute) * 60 + t.second) * 1000 + t.msec;
}

int32_t weekTimeMs(const LocalDateTime& t)
{
    return (t.dayOfWeek - 1) * 86400000 + timeOfDayMs(t);
}

std::string formatLogTime(const LocalDateTime& t)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d:%03d", t.hour, t.minute, t.second, t.msec);
    return buf;
}

std::string formatLongTime(const LocalDateTime& t)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    return buf;
}

}  // namespace comtrax
