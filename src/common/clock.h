#pragma once
// Local date and time with milliseconds, behind an interface so that tests can
// set and advance the time the terminal's timing rules are stated in.
#include <cstdint>
#include <string>

namespace comtrax {

struct LocalDateTime {
    int year = 2000;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;   // 0..23
    int minute = 0;
    int second = 0;
    int msec = 0;       // 0..999
    int dayOfWeek = 1;  // Monday = 1 .. Sunday = 7
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalDateTime now() const = 0;
    // Nanoseconds on a clock that only moves forward (CLOCK_MONOTONIC): what
    // intervals are measured on, so that a change of the wall clock or of the
    // time zone never stretches or shrinks a silence, a timeout or a delay.
    virtual int64_t monotonicNs() const = 0;
};

class SystemClock final : public Clock {
public:
    LocalDateTime now() const override;
    int64_t monotonicNs() const override;
};

// CLOCK_MONOTONIC in nanoseconds; safe from any thread.
int64_t monotonicNowNs();

// Milliseconds since Monday 00:00 local time (0..604799999), the receive clock.
int32_t weekTimeMs(const LocalDateTime& t);
// Milliseconds since midnight (0..86399999), the clock of periodic sending.
int32_t timeOfDayMs(const LocalDateTime& t);
// "hh:mm:ss:zzz", the time stamp of log lines.
std::string formatLogTime(const LocalDateTime& t);
// "hh:mm:ss", the clock of the window.
std::string formatLongTime(const LocalDateTime& t);

}  // namespace comtrax
