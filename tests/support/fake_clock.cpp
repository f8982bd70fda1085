#include "support/fake_clock.h"

namespace comtrax::testing {

namespace {

// Days since 1970-01-01 for a civil date (Howard Hinnant's algorithm).
long long daysFromCivil(int y, int m, int d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void civilFromDays(long long z, int& y, int& m, int& d)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long yy = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yy + (m <= 2));
}

}  // namespace

void FakeClock::set(int y, int mo, int d, int h, int mi, int s, int ms)
{
    t.year = y;
    t.month = mo;
    t.day = d;
    t.hour = h;
    t.minute = mi;
    t.second = s;
    t.msec = ms;
    const long long days = daysFromCivil(y, mo, d);
    // 1970-01-01 was a Thursday (4).
    const long long wd = ((days % 7) + 7 + 3) % 7;  // Monday = 0
    t.dayOfWeek = static_cast<int>(wd) + 1;
}

void FakeClock::advance(long long ms)
{
    mono += ms * 1000000;
    long long days = daysFromCivil(t.year, t.month, t.day);
    long long inDay = ((t.hour * 60LL + t.minute) * 60 + t.second) * 1000 + t.msec + ms;
    const long long dayMs = 86400000LL;
    days += inDay >= 0 ? inDay / dayMs : -((-inDay + dayMs - 1) / dayMs);
    inDay = ((inDay % dayMs) + dayMs) % dayMs;
    int y, m, d;
    civilFromDays(days, y, m, d);
    set(y, m, d, static_cast<int>(inDay / 3600000), static_cast<int>(inDay / 60000 % 60),
        static_cast<int>(inDay / 1000 % 60), static_cast<int>(inDay % 1000));
}

}  // namespace comtrax::testing
