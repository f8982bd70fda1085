// DTR, RTS, the reset pulse and break through the port seam, timed by a fake
// clock that a hand-driven event loop advances.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "serial/connection.h"
#include "serial/modem_control.h"
#include "support/fake_clock.h"
#include "support/fake_serial_port.h"
#include "support/recording_view.h"

using namespace comtrax;
using namespace comtrax::testing;

namespace {

using Calls = std::vector<FakeSerialPort::ModemCall>;
using Names = std::vector<std::string>;

// The steps the control leaves to the event loop, run when the clock reaches them.
struct EventLoop {
    FakeClock& clock;
    long long now = 0;
    struct Pending {
        long long due;
        std::function<void()> step;
    };
    std::vector<Pending> pending;

    void schedule(int ms, std::function<void()> step) { pending.push_back({now + ms, std::move(step)}); }
    void advance(long long ms)
    {
        const long long until = now + ms;
        for (;;) {
            auto next = std::min_element(pending.begin(), pending.end(),
                                         [](const Pending& a, const Pending& b) { return a.due < b.due; });
            if (next == pending.end() || next->due > until)
                break;
            const Pending p = *next;
            pending.erase(next);
            clock.advance(p.due - now);
            now = p.due;
            p.step();
        }
        clock.advance(until - now);
        now = until;
    }
};

struct Rig {
    FakeClock clock;
    EventLoop loop{clock, 0, {}};
    FakeSerialPort port;
    FakePortLister lister;
    RecordingView view;
    PortAccess access{port, lister, view};
    ModemControl modem{port,
                       [this](int ms, std::function<void()> step) { loop.schedule(ms, std::move(step)); }};
    Connection connection{access, view, {[this](int ms) { loop.advance(ms); }, {}}};
    PortParameters params{"ttyUSB0", "9600", "8", 0, {}};
    int32_t t0 = 0;

    Rig()
    {
        port.clock = &clock;
        t0 = weekTimeMs(clock.now());
        // As the terminal wires them: every open and close reaches the control.
        access.setOpenedListener([this] { modem.portOpened(); });
        access.setClosingListener([this] { modem.portClosing(); });
        access.setClosedListener([this] { modem.portClosed(); });
    }
    void connect() { connection.toggle(params, false); }
    // The calls since the last look, times relative to the start.
    Calls take()
    {
        Calls c = port.modemCalls;
        port.modemCalls.clear();
        for (auto& call : c)
            call.atMs -= t0;
        return c;
    }
};

}  // namespace

TEST(ModemControl, ConnectAssertsOrDropsEachLineAsTheSettingsSay)
{
    const struct {
        bool dtr, rts;
        Names calls;
    } cases[] = {
        {true, true, {"dtr=1", "rts=1"}},  // the defaults: both asserted
        {false, true, {"dtr=0", "rts=1"}},
        {true, false, {"dtr=1", "rts=0"}},
        {false, false, {"dtr=0", "rts=0"}},
    };
    for (const auto& c : cases) {
        Rig r;
        ModemSettings s;
        s.dtrOnConnect = c.dtr;
        s.rtsOnConnect = c.rts;
        r.modem.setSettings(s);
        r.connect();
        EXPECT_EQ(r.port.modemCallNames(), c.calls);
        EXPECT_EQ(r.modem.dtr(), c.dtr);
        EXPECT_EQ(r.modem.rts(), c.rts);
        EXPECT_EQ(r.port.lines.dtr, c.dtr);
        EXPECT_EQ(r.port.lines.rts, c.rts);
    }
}

TEST(ModemControl, TogglesReachThePortWhileConnected)
{
    Rig r;
    r.connect();
    r.take();
    EXPECT_TRUE(r.modem.setDtr(false));
    EXPECT_TRUE(r.modem.setRts(false));
    EXPECT_TRUE(r.modem.setDtr(true));
    EXPECT_EQ(r.port.modemCallNames(), (Names{"dtr=0", "rts=0", "dtr=1"}));
    EXPECT_TRUE(r.modem.dtr());
    EXPECT_FALSE(r.modem.rts());
    EXPECT_EQ(r.modem.lines().cts, r.port.lines.cts);
    EXPECT_TRUE(r.modem.lines().valid);
}

TEST(ModemControl, TheResetPulseDropsThenRestoresAfterExactlyItsLength)
{
    const struct {
        bool dtr, rts;
        int ms;
        Calls calls;
    } cases[] = {
        {true, false, 100, {{"dtr=0", 0}, {"dtr=1", 100}}},  // the defaults
        {false, true, 10, {{"rts=0", 0}, {"rts=1", 10}}},
        {true, true, 5000, {{"dtr=0", 0}, {"rts=0", 0}, {"dtr=1", 5000}, {"rts=1", 5000}}},
    };
    for (const auto& c : cases) {
        Rig r;
        ModemSettings s;
        s.resetPulseDtr = c.dtr;
        s.resetPulseRts = c.rts;
        s.resetPulseMs = c.ms;
        r.modem.setSettings(s);
        r.connect();
        r.take();
        ASSERT_TRUE(r.modem.pulseReset());
        EXPECT_TRUE(r.modem.pulsing());
        EXPECT_FALSE(r.modem.pulseReset()) << "a second pulse while the first runs";
        r.loop.advance(c.ms - 1);
        EXPECT_TRUE(r.modem.pulsing());
        r.loop.advance(1);
        EXPECT_FALSE(r.modem.pulsing());
        EXPECT_EQ(r.take(), c.calls) << c.ms;
    }
}

TEST(ModemControl, ThePulseRestoresWhatTheUserSetAndNeedsALine)
{
    Rig r;
    ModemSettings s;
    s.dtrOnConnect = false;
    r.modem.setSettings(s);
    r.connect();
    r.take();
    ASSERT_TRUE(r.modem.pulseReset());
    // Raised by hand during the pulse: the pulse runs its length and ends on the new state.
    EXPECT_TRUE(r.modem.setDtr(true));
    r.loop.advance(100);
    EXPECT_EQ(r.take(), (Calls{{"dtr=0", 0}, {"dtr=1", 100}}));

    s.resetPulseDtr = false;
    s.resetPulseRts = false;
    r.modem.setSettings(s);
    EXPECT_FALSE(r.modem.pulseReset());
    EXPECT_TRUE(r.take().empty());
}

TEST(ModemControl, BreakSetsThenClearsAfterItsLength)
{
    Rig r;
    r.connect();
    r.take();
    ASSERT_TRUE(r.modem.sendBreak());
    EXPECT_FALSE(r.modem.sendBreak());
    r.loop.advance(249);
    EXPECT_TRUE(r.port.inBreak);
    r.loop.advance(1);
    EXPECT_FALSE(r.port.inBreak);
    EXPECT_EQ(r.take(), (Calls{{"break=1", 0}, {"break=0", 250}}));

    ModemSettings s;
    s.breakMs = 20;
    r.modem.setSettings(s);
    ASSERT_TRUE(r.modem.sendBreak());
    r.loop.advance(20);
    EXPECT_EQ(r.take(), (Calls{{"break=1", 250}, {"break=0", 270}}));
}

TEST(ModemControl, AReconnectionAppliesTheSettingsAgain)
{
    Rig r;
    ModemSettings s;
    s.rtsOnConnect = false;
    r.modem.setSettings(s);
    r.connect();
    r.modem.setDtr(false);
    r.modem.setRts(true);
    r.take();

    r.port.deviceGone = true;
    r.connection.check(r.params, true, false);  // lost: closed, and reopened at once
    r.port.deviceGone = false;
    r.connection.check(r.params, true, false);
    EXPECT_EQ(r.port.modemCallNames(), (Names{"dtr=1", "rts=0"}));
    EXPECT_TRUE(r.modem.dtr());
    EXPECT_FALSE(r.modem.rts());
}

TEST(ModemControl, NothingIsIssuedWithNoPortOpen)
{
    Rig r;
    EXPECT_FALSE(r.modem.setDtr(false));
    EXPECT_FALSE(r.modem.setRts(false));
    EXPECT_FALSE(r.modem.pulseReset());
    EXPECT_FALSE(r.modem.sendBreak());
    EXPECT_FALSE(r.modem.lines().valid);
    EXPECT_TRUE(r.port.modemCalls.empty());

    // A port lost in the middle of a pulse or a break: the ending step finds
    // it closed and does nothing, also once a new connection is up.
    r.connect();
    ASSERT_TRUE(r.modem.pulseReset());
    ASSERT_TRUE(r.modem.sendBreak());
    r.connect();  // Disconnect
    r.take();
    r.loop.advance(300);
    EXPECT_TRUE(r.take().empty());
    r.connect();
    r.take();
    r.loop.advance(300);
    EXPECT_TRUE(r.take().empty());
    EXPECT_TRUE(r.modem.pulseReset());
}

// Disconnect (or a lost device) in the middle of a break or a reset pulse:
// the break is cleared and the pulse's lines restored before the port
// closes, so no device is left with its line in break or its reset held.
// The fake port takes a modem call only while open, so its state after the
// close shows the call came first.
TEST(ModemControl, ABreakOrAPulseUnderWayEndsBeforeThePortCloses)
{
    enum class Start { Break, PulseDtr, PulseBoth };
    const struct {
        Start start;
        bool lost;  // the device went away rather than Disconnect
        Calls calls;
    } cases[] = {
        {Start::Break, false, {{"break=1", 0}, {"break=0", 100}}},
        {Start::Break, true, {{"break=1", 0}, {"break=0", 100}}},
        {Start::PulseDtr, false, {{"dtr=0", 0}, {"dtr=1", 100}}},
        {Start::PulseBoth, false, {{"dtr=0", 0}, {"rts=0", 0}, {"dtr=1", 100}, {"rts=1", 100}}},
    };
    for (const auto& c : cases) {
        Rig r;
        ModemSettings s;
        s.resetPulseRts = c.start == Start::PulseBoth;
        s.resetPulseMs = 5000;
        s.breakMs = 5000;
        r.modem.setSettings(s);
        r.connect();
        r.take();
        ASSERT_TRUE(c.start == Start::Break ? r.modem.sendBreak() : r.modem.pulseReset());
        r.loop.advance(100);
        if (c.lost) {
            r.port.deviceGone = true;
            r.connection.check(r.params, false, false);
        } else {
            r.connect();  // Disconnect
        }
        ASSERT_FALSE(r.port.opened);
        EXPECT_EQ(r.take(), c.calls);
        EXPECT_FALSE(r.port.inBreak);
        EXPECT_TRUE(r.port.lines.dtr);
        EXPECT_TRUE(r.port.lines.rts);
        EXPECT_FALSE(r.modem.breaking());
        EXPECT_FALSE(r.modem.pulsing());
        r.loop.advance(5000);  // the step that would have ended it does nothing now
        EXPECT_TRUE(r.take().empty());
    }
}

TEST(ModemControl, UnderRtsCtsFlowControlRtsIsTheDriversOwn)
{
    Rig r;
    ModemSettings s;
    s.resetPulseRts = true;
    r.modem.setSettings(s);
    r.params.line.flow = FlowControl::RtsCts;
    r.connect();
    EXPECT_TRUE(r.modem.rtsOwnedByDriver());
    EXPECT_FALSE(r.modem.setRts(false));
    ASSERT_TRUE(r.modem.pulseReset());
    r.loop.advance(100);
    EXPECT_EQ(r.port.modemCallNames(), (Names{"dtr=1", "dtr=0", "dtr=1"}));
}

TEST(ModemControl, ADeviceWithoutModemLinesIsNoFailureAndDurationsAreRangeChecked)
{
    Rig r;
    r.port.hasModemLines = false;  // a pty
    r.connect();
    EXPECT_TRUE(r.connection.connected());
    EXPECT_TRUE(r.modem.setDtr(false));
    EXPECT_FALSE(r.modem.lines().valid);
    EXPECT_TRUE(r.view.messages.empty());
    EXPECT_TRUE(r.view.errors.empty());

    ModemSettings s;
    s.resetPulseMs = 9;
    s.breakMs = 5001;
    r.modem.setSettings(s);
    EXPECT_EQ(r.modem.settings().resetPulseMs, 100);
    EXPECT_EQ(r.modem.settings().breakMs, 250);
}
