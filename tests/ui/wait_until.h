#pragma once
// Waiting in widget tests for something the event loop brings about: a line
// from the device, a timer's effect. The loop runs until the condition holds;
// the deadline only ends a test that is failing anyway, so a starved machine
// can make such a test slower but never change its verdict. (A fixed sleep
// followed by a check is what a busy machine breaks.)
#include <QElapsedTimer>
#include <QTest>

#include <functional>

namespace comtrax::testing {

// Long enough that no scheduler delay reaches it, short of ctest's own limit.
inline constexpr int GenerousMs = 30000;

// Runs the event loop in small steps until done() holds; false when maxMs passed first.
inline bool waitUntil(const std::function<bool()>& done, int maxMs = GenerousMs)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > maxMs)
            return done();
        QTest::qWait(5);
    }
    return true;
}

}  // namespace comtrax::testing
