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

const char* const OpenFailed = "Что-то не открывается порт. Программа может работать только с COM1..COM9.";

struct Rig {
    FakeSerialPort port;
    FakePortLister lister;
    RecordingView view;
    PortAccess access{port, lister, view};
    std::vector<int> sleeps;
    int sends = 0;
    Connection connection{access, view, {[this](int ms) { sleeps.push_back(ms); }, [this] { ++sends; }}};
    PortParameters params{"ttyUSB0", "9600", "8", 0, {}};

    void connect(bool sendOnConnect = false) { connection.toggle(params, sendOnConnect); }
    void tick(bool autoConnect, bool sendOnConnect = false)
    {
        connection.check(params, autoConnect, sendOnConnect);
    }
    int opens() const { return static_cast<int>(port.opens.size()); }
    int closes() const { return static_cast<int>(std::count(port.calls.begin(), port.calls.end(), "close")); }
};

void expectNotConnected(const Rig& r)
{
    EXPECT_FALSE(r.connection.connected());
    EXPECT_STREQ(r.connection.caption(), "Connect");
    EXPECT_TRUE(r.connection.parametersEnabled());
    EXPECT_EQ(r.connection.indicatorColour(), clWindow);
}

void expectConnected(const Rig& r)
{
    EXPECT_TRUE(r.connection.connected());
    EXPECT_STREQ(r.connection.caption(), "Disconnect");
    EXPECT_FALSE(r.connection.parametersEnabled());
    EXPECT_EQ(r.connection.indicatorColour(), clLime);
    EXPECT_TRUE(r.access.portOpen());
}

}  // namespace

TEST(ConnectClick, ConnectsAndDisconnects)
{
    Rig r;
    expectNotConnected(r);
    r.connect();
    expectConnected(r);
    EXPECT_TRUE(r.view.messages.empty());
    EXPECT_EQ(r.sends, 0);

    r.connect();
    expectNotConnected(r);
    EXPECT_FALSE(r.access.portOpen());
    EXPECT_FALSE(r.port.opened);

    // Asked to send on connection, the click sends at once: the pause belongs
    // to a reconnection only.
    r.connect(true);
    expectConnected(r);
    EXPECT_EQ(r.sends, 1);
    EXPECT_TRUE(r.sleeps.empty());
}

TEST(ConnectClick, AFailedOpenSaysOneThingAndChangesNothing)
{
    const struct {
        const char* what;
        PortParameters params;
        bool failOpen;
        std::vector<std::string> messages;
        size_t errors;
    } cases[] = {
        {"absent port", {"ttyUSB7", "9600", "8", 0, {}}, true, {OpenFailed}, 0},
        {"no port chosen", {"", "9600", "8", 0, {}}, false, {"Выбери порт!"}, 0},
        {"baud not in the list", {"ttyUSB0", "", "8", 0, {}}, false, {}, 1},
        {"bits not in the list", {"ttyUSB0", "9600", "", 0, {}}, false, {}, 1},
    };
    for (const auto& c : cases) {
        Rig r;
        r.port.failOpen = c.failOpen;
        r.params = c.params;
        r.connect(true);
        EXPECT_EQ(r.view.messages, c.messages) << c.what;
        EXPECT_EQ(r.view.errors.size(), c.errors) << c.what;
        expectNotConnected(r);
        EXPECT_EQ(r.sends, 0) << c.what;

        // The button stays usable: a corrected choice connects.
        r.port.failOpen = false;
        r.params = {"ttyUSB0", "9600", "8", 0, {}};
        r.connect();
        expectConnected(r);
    }
}

TEST(CheckConnect, ALiveConnectionIsLeftAlone)
{
    for (bool autoConnect : {false, true}) {
        Rig r;
        r.connect();
        r.tick(autoConnect, true);
        r.tick(autoConnect, true);
        expectConnected(r);
        EXPECT_EQ(r.opens(), 1);
        EXPECT_EQ(r.closes(), 0);
        EXPECT_EQ(r.sends, 0);
    }
}

TEST(CheckConnect, ALostDeviceWithoutAutoConnectTurnsRedAndStaysLost)
{
    Rig r;
    r.connect();
    r.port.deviceGone = true;
    r.tick(false);
    EXPECT_EQ(r.connection.indicatorColour(), clRed);
    EXPECT_FALSE(r.access.portOpen());
    EXPECT_FALSE(r.port.opened);
    EXPECT_EQ(r.closes(), 1);
    // Still "connected" as the user sees it: the caption invites a disconnect.
    EXPECT_TRUE(r.connection.connected());
    EXPECT_STREQ(r.connection.caption(), "Disconnect");
    EXPECT_FALSE(r.connection.parametersEnabled());

    // The device coming back changes nothing without AutoConnect.
    r.port.deviceGone = false;
    r.tick(false);
    r.tick(false);
    EXPECT_EQ(r.connection.indicatorColour(), clRed);
    EXPECT_EQ(r.opens(), 1);
    EXPECT_TRUE(r.view.messages.empty());

    // Disconnect only resets the display; the port is already closed.
    r.connect();
    expectNotConnected(r);
    EXPECT_EQ(r.closes(), 1);
    r.tick(false);
    expectNotConnected(r);
}

TEST(CheckConnect, AutoConnectRetriesEachTickUntilTheDeviceReturns)
{
    for (bool sendOnConnect : {false, true}) {
        Rig r;
        r.connect();
        r.port.deviceGone = true;
        r.port.failOpen = true;
        for (int t = 1; t <= 3; ++t) {
            r.tick(true, sendOnConnect);
            EXPECT_EQ(r.connection.indicatorColour(), clYellow);
            EXPECT_EQ(r.opens(), 1 + t);
            EXPECT_FALSE(r.access.portOpen());
            EXPECT_TRUE(r.connection.connected());
        }
        EXPECT_TRUE(r.view.messages.empty());
        EXPECT_TRUE(r.sleeps.empty());

        r.port.deviceGone = false;
        r.port.failOpen = false;
        r.tick(true, sendOnConnect);
        expectConnected(r);
        EXPECT_EQ(r.sleeps, std::vector<int>{2000});
        EXPECT_EQ(r.sends, sendOnConnect ? 1 : 0);
        // The same port and parameters as the click.
        EXPECT_EQ(r.port.opens.back().name, "ttyUSB0");
        EXPECT_EQ(r.port.opens.back().baud, 9600);

        r.tick(true, sendOnConnect);
        EXPECT_EQ(r.opens(), 5);
        EXPECT_EQ(r.sends, sendOnConnect ? 1 : 0);
    }
}

TEST(CheckConnect, SwitchingAutoConnectInTheLostState)
{
    Rig r;
    r.connect();
    r.port.deviceGone = true;
    r.port.failOpen = true;
    r.tick(false);
    EXPECT_EQ(r.connection.indicatorColour(), clRed);
    EXPECT_EQ(r.opens(), 1);

    // Checked: the next tick starts reconnecting.
    r.tick(true);
    EXPECT_EQ(r.connection.indicatorColour(), clYellow);
    EXPECT_EQ(r.opens(), 2);

    // Unchecked again: back to red, no more attempts.
    r.tick(false);
    EXPECT_EQ(r.connection.indicatorColour(), clRed);
    EXPECT_EQ(r.opens(), 2);

    r.connect();
    expectNotConnected(r);
}

TEST(CheckConnect, AutoConnectWhileNotConnectedOnlyShowsTheWindowColour)
{
    Rig r;
    for (int t = 0; t < 3; ++t) {
        r.tick(true, true);
        expectNotConnected(r);
    }
    EXPECT_TRUE(r.port.opens.empty());
    EXPECT_TRUE(r.view.messages.empty());
    EXPECT_EQ(r.sends, 0);

    // Also after a disconnect by the button.
    r.connect();
    r.connect();
    r.tick(true);
    expectNotConnected(r);
    EXPECT_EQ(r.opens(), 1);
}

// A port that does not open is explained by the reason the system gave.
TEST(Connection, AFailedOpenIsExplainedByItsReason)
{
    const struct {
        OpenFailure why;
        std::string text;
    } cases[] = {
        {OpenFailure::PermissionDenied,
         "Нет доступа к порту. Добавьте пользователя в группу dialout "
         "(sudo usermod -aG dialout $USER) и войдите в систему заново."},
        {OpenFailure::Busy, "Порт занят: его открыла другая программа."},
        {OpenFailure::HeldByOther,
         "Порт занят: его заблокировала другая программа (например, picocom или minicom)."},
        {OpenFailure::NoDevice, "Порт не найден: устройство отключено или такого порта нет."},
        {OpenFailure::UnsupportedSetting,
         "Порт не принимает эти параметры: скорость, биты данных или стоповые биты."},
        {OpenFailure::Unknown, "Что-то не открывается порт. Программа может работать только с COM1..COM9."},
    };
    for (const auto& c : cases) {
        Rig r;
        r.port.failOpen = true;
        r.port.failure = c.why;
        r.connect();
        EXPECT_EQ(r.view.messages, std::vector<std::string>{c.text});
        expectNotConnected(r);
    }
}
