#pragma once
// A clock tests set and advance by hand.
#include "common/clock.h"

namespace comtrax::testing {

class FakeClock : public Clock {
public:
    LocalDateTime t;
    FakeClock() { set(2024, 1, 1, 12, 0, 0, 0); }  // a Monday
    // The monotonic reading moves only with advance(), never with set().
    int64_t mono = 1000000000;
    LocalDateTime now() const override { return t; }
    int64_t monotonicNs() const override { return mono; }
    // dayOfWeek is derived from the date.
    void set(int y, int mo, int d, int h, int mi, int s, int ms);
    // Advances by ms milliseconds, carrying into the date.
    void advance(long long ms);
};

}  // namespace comtrax::testing
