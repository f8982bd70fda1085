// A port that connects in the background (a port across the network): the
// click does not wait for it, the tick ends it, Disconnect cancels it.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "serial/connection.h"
#include "support/fake_serial_port.h"
#include "support/recording_view.h"

using namespace comtrax;
using namespace comtrax::testing;

namespace {

struct Rig {
    FakeSerialPort port;
    FakePortLister lister;
    RecordingView view;
    PortAccess access{port, lister, view};
    std::vector<int> sleeps;
    int sends = 0;
    Connection connection{access, view, {[this](int ms) { sleeps.push_back(ms); }, [this] { ++sends; }}};
    PortParameters params{"", "9600", "8", 0, {}, "rfc2217://127.0.0.1:2000"};
    Rig() { port.connectingNow = true; }
    void click() { connection.toggle(params, true); }
    void tick(bool autoConnect) { connection.check(params, autoConnect, true); }
    int opens() const { return static_cast<int>(port.opens.size()); }
};

}  // namespace

TEST(ConnectingInTheBackground, TheClickDoesNotWaitAndTheTickEndsIt)
{
    Rig r;
    r.click();
    // A typed network name is no path: it is opened as it stands.
    ASSERT_EQ(r.opens(), 1);
    EXPECT_EQ(r.port.opens[0].name, "rfc2217://127.0.0.1:2000");
    EXPECT_TRUE(r.connection.connecting());
    EXPECT_TRUE(r.connection.connected());  // Disconnect can cancel it
    EXPECT_EQ(r.connection.indicatorColour(), clYellow);
    EXPECT_EQ(r.sends, 0);  // nothing is sent before the line is there

    r.tick(false);
    EXPECT_TRUE(r.connection.connecting());
    EXPECT_EQ(r.sends, 0);

    r.port.connectingNow = false;
    r.port.notice = "baud differs";
    r.tick(false);
    EXPECT_FALSE(r.connection.connecting());
    EXPECT_EQ(r.connection.indicatorColour(), clLime);
    EXPECT_EQ(r.sends, 1);
    EXPECT_TRUE(r.sleeps.empty());  // the pause belongs to a reconnection
    EXPECT_EQ(r.view.messages, std::vector<std::string>{"baud differs"});
}

TEST(ConnectingInTheBackground, AFailedAttemptIsToldOnceAndLeavesTheButtonAsBefore)
{
    for (const bool autoConnect : {false, true}) {
        SCOPED_TRACE(autoConnect);
        Rig r;
        r.click();
        r.port.connectingNow = false;
        r.port.deviceGone = true;
        r.port.notice = "no answer within 5 s";
        r.tick(autoConnect);
        EXPECT_EQ(r.view.messages, std::vector<std::string>{"no answer within 5 s"});
        EXPECT_FALSE(r.port.opened);
        EXPECT_EQ(r.sends, 0);
        if (autoConnect) {
            EXPECT_TRUE(r.connection.connected());  // retried, quietly
            EXPECT_EQ(r.connection.indicatorColour(), clYellow);
        } else {
            EXPECT_FALSE(r.connection.connected());
            EXPECT_EQ(r.connection.indicatorColour(), clWindow);
        }
    }
}

TEST(ConnectingInTheBackground, DisconnectCancelsAtOnce)
{
    Rig r;
    r.click();
    r.click();
    EXPECT_FALSE(r.port.opened);
    EXPECT_FALSE(r.connection.connected());
    EXPECT_FALSE(r.connection.connecting());
    EXPECT_EQ(r.connection.indicatorColour(), clWindow);
    r.tick(true);
    EXPECT_EQ(r.opens(), 1);
}

TEST(ConnectingInTheBackground, AnOpenRefusedWithANoticeSaysThatNotice)
{
    Rig r;
    r.port.failOpen = true;
    r.port.notice = "port number must be 1..65535";
    r.click();
    EXPECT_EQ(r.view.messages, std::vector<std::string>{"port number must be 1..65535"});
    EXPECT_FALSE(r.connection.connected());
}

// A server gone for good is not hammered: the pause between background
// reconnections grows (1, 2, 4, 8 ticks ...) and comes back to none once it
// answers; the attempts are quiet.
TEST(ConnectingInTheBackground, ReconnectionsWaitLongerEachTime)
{
    Rig r;
    r.click();
    r.port.connectingNow = false;
    r.tick(true);
    ASSERT_EQ(r.connection.indicatorColour(), clLime);
    r.port.deviceGone = true;
    std::vector<int> attemptTicks;
    for (int t = 0; t < 80; ++t) {
        const int before = r.opens();
        // An attempt under way ends (failing) on this tick; a new one connects in the background.
        r.port.connectingNow = !r.connection.connecting();
        r.tick(true);
        if (r.opens() > before)
            attemptTicks.push_back(t);
        EXPECT_NE(r.connection.indicatorColour(), clLime);
    }
    ASSERT_GE(attemptTicks.size(), 4u);
    std::vector<int> gaps;
    for (std::size_t i = 1; i < attemptTicks.size(); ++i)
        gaps.push_back(attemptTicks[i] - attemptTicks[i - 1]);
    EXPECT_TRUE(std::is_sorted(gaps.begin(), gaps.end()));
    EXPECT_GT(gaps.back(), gaps.front());
    EXPECT_LE(gaps.back(), Connection::MaxRetryPause + 2);
    EXPECT_TRUE(r.view.messages.empty());

    r.port.deviceGone = false;
    for (int t = 0; t < 2 * (Connection::MaxRetryPause + 2) && r.connection.indicatorColour() != clLime;
         ++t) {
        r.port.connectingNow = !r.connection.connecting();
        r.tick(true);
    }
    EXPECT_EQ(r.connection.indicatorColour(), clLime);
    EXPECT_EQ(r.sleeps, std::vector<int>{2000});
}
