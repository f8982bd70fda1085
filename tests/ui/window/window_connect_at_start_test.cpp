// A port opened from the command line is watched like one opened by a click:
// the once-a-second connection check runs from the start, so a lost device is
// noticed and a connection still being made (a network port) is finished.
#include <gtest/gtest.h>

#include <QTimer>

#include "window_rig.h"

using namespace comtrax;
using namespace comtrax::testing;

namespace {
// The connection check is the window's only one-second timer.
QTimer* connectionCheck(QObject& window)
{
    for (QTimer* t : window.findChildren<QTimer*>())
        if (t->interval() == 1000)
            return t;
    return nullptr;
}
}  // namespace

TEST(WindowConnectAtStart, TheConnectionCheckRunsFromTheStart)
{
    for (const bool background : {false, true}) {
        SCOPED_TRACE(background);
        WindowRig rig;
        rig.startTimers = true;  // the program's own timers, as at a real start
        rig.port.connectingNow = background;
        rig.startOptions = [](WindowEnvironment& env) {
            env.startPort = "ttyUSB0";
            env.connectAtStart = true;
        };
        rig.open();
        ASSERT_EQ(rig.port.opens.size(), 1u);
        QTimer* check = connectionCheck(*rig.window);
        ASSERT_NE(check, nullptr);
        EXPECT_TRUE(check->isActive());

        // The device goes: the next check notices and closes the port.
        rig.port.connectingNow = false;
        rig.port.deviceGone = true;
        QMetaObject::invokeMethod(check, "timeout");
        QMetaObject::invokeMethod(check, "timeout");
        EXPECT_FALSE(rig.port.opened);
    }
}
