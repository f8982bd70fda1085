// Ports that keep their identity: the list's labels, recognising a device
// under another name, and the reconnection that follows it there.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "serial/connection.h"
#include "serial/port_holder.h"
#include "serial/port_identity.h"
#include "support/fake_serial_port.h"
#include "support/recording_view.h"

#include <unistd.h>

using namespace comtrax;
using namespace comtrax::testing;

namespace {

PortInfo usb(std::string name, std::string serial, std::string location = "1-1.2:1.0",
             std::string vendor = "10c4", std::string product = "ea60")
{
    return {std::move(name),   "CP2102",           std::move(serial),
            std::move(vendor), std::move(product), std::move(location)};
}

}  // namespace

TEST(PortIdentity, TheLabelShowsDescriptionAndSerialNumberWhereKnown)
{
    EXPECT_EQ(portLabel(usb("ttyUSB0", "0001")), "ttyUSB0 \u2014 CP2102 (0001)");
    EXPECT_EQ(portLabel({"ttyACM0", "Pico", "", "2e8a", "000a", "1-2:1.0"}), "ttyACM0 \u2014 Pico");
    EXPECT_EQ(portLabel({"ttyUSB1", "", "A50285BI", "", "", ""}), "ttyUSB1 (A50285BI)");
    // Built-in ports, ptys and links: the bare name, as the list always showed.
    EXPECT_EQ(portLabel({"ttyS0", "", "", "", "", ""}), "ttyS0");
    EXPECT_EQ(portLabel({"/dev/serial/by-id/usb-x-if00-port0", "", "", "", "", ""}),
              "/dev/serial/by-id/usb-x-if00-port0");
}

TEST(PortIdentity, ASerialNumberFindsItsDeviceUnderAnyName)
{
    const std::vector<PortInfo> ports = {usb("ttyUSB0", "0002"), usb("ttyUSB1", "0001", "1-1.3:1.0")};
    const PortInfo* found = findByIdentity(ports, identityOf(usb("ttyUSB0", "0001")));
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->name, "ttyUSB1");  // in another socket, too

    // The same serial number from another maker is another device.
    EXPECT_EQ(findByIdentity({usb("ttyUSB1", "0001", "1-1.2:1.0", "0403", "6001")},
                             identityOf(usb("ttyUSB0", "0001"))),
              nullptr);
    // Twins with one serial number: the one in the old socket, else none.
    const PortIdentity twin = identityOf(usb("ttyUSB0", "0001", "1-1.2:1.0"));
    const std::vector<PortInfo> twins = {usb("ttyUSB3", "0001", "1-1.4:1.0"),
                                         usb("ttyUSB2", "0001", "1-1.2:1.0")};
    ASSERT_NE(findByIdentity(twins, twin), nullptr);
    EXPECT_EQ(findByIdentity(twins, twin)->name, "ttyUSB2");
    EXPECT_EQ(
        findByIdentity({usb("ttyUSB3", "0001", "1-1.4:1.0"), usb("ttyUSB2", "0001", "1-1.5:1.0")}, twin),
        nullptr);
}

TEST(PortIdentity, WithoutASerialNumberOnlyTheSameModelInTheSameSocketMatches)
{
    const PortIdentity id = identityOf(usb("ttyACM0", "", "1-2:1.0", "2e8a", "000a"));
    const std::vector<PortInfo> ports = {usb("ttyACM0", "", "1-3:1.0", "2e8a", "000a"),
                                         usb("ttyACM1", "", "1-2:1.0", "2e8a", "000a")};
    const PortInfo* found = findByIdentity(ports, id);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->name, "ttyACM1");
    EXPECT_EQ(findByIdentity({usb("ttyACM1", "", "1-2:1.0", "2e8a", "000b")}, id), nullptr);
    EXPECT_EQ(findByIdentity({usb("ttyACM1", "", "1-3:1.0", "2e8a", "000a")}, id), nullptr);
    // A device with a serial number is not the one that had none.
    EXPECT_EQ(findByIdentity({usb("ttyACM1", "X1", "1-2:1.0", "2e8a", "000a")}, id), nullptr);
    // Nothing known, nothing found: a pty is only ever its name.
    const PortInfo pty{"/dev/pts/4", "", "", "", "", ""};
    EXPECT_TRUE(identityOf(pty).empty());
    EXPECT_EQ(findByIdentity({pty}, identityOf(pty)), nullptr);
    EXPECT_EQ(findByIdentity({usb("ttyACM1", "", "", "2e8a", "000a")},
                             identityOf(usb("x", "", "", "2e8a", "000a"))),
              nullptr);
}

TEST(PortIdentity, TheScanListsNamesWithTheirLabels)
{
    FakeSerialPort port;
    FakePortLister lister;
    RecordingView view;
    PortAccess access{port, lister, view};
    lister.infos = {usb("ttyUSB0", "0001"), {"ttyS0", "", "", "", "", ""}};
    const PortChoice c = access.scanPorts(false);
    EXPECT_EQ(c.names, (std::vector<std::string>{"ttyUSB0", "ttyS0"}));
    EXPECT_EQ(c.labels, (std::vector<std::string>{"ttyUSB0 \u2014 CP2102 (0001)", "ttyS0"}));
    EXPECT_EQ(c.selected, 0);

    // A lister that knows names only gives them as their own labels.
    lister.infos.clear();
    lister.ports = {"ttyV0"};
    EXPECT_EQ(access.scanPorts(false).labels, (std::vector<std::string>{"ttyV0"}));
}

namespace {

// A USB adapter that can be pulled out and plugged in again under another
// name; only the names the lister shows can be opened.
struct ReconnectRig {
    FakeSerialPort port;
    FakePortLister lister;
    RecordingView view;
    PortAccess access{port, lister, view};
    std::vector<int> sleeps;
    Connection connection{access, view, {[this](int ms) { sleeps.push_back(ms); }, {}}};
    PortParameters params{"ttyUSB0", "115200", "8", 0, {}, {}};

    ReconnectRig(std::vector<PortInfo> ports)
    {
        lister.infos = std::move(ports);
        port.present = [this](const std::string& name) {
            return std::any_of(lister.infos.begin(), lister.infos.end(),
                               [&](const PortInfo& i) { return i.name == name; });
        };
        connection.toggle(params, false);
    }
    void unplug()
    {
        lister.infos.clear();
        port.deviceGone = true;
        tick();
        port.deviceGone = false;
    }
    void tick() { connection.check(params, true, false); }
    std::string lastOpened() const { return port.opens.back().name; }
};

}  // namespace

TEST(PortIdentity, AutoConnectReopensTheDeviceUnderItsNewName)
{
    ReconnectRig r({usb("ttyUSB0", "0001")});
    ASSERT_TRUE(r.connection.connected());
    r.unplug();
    EXPECT_EQ(r.connection.indicatorColour(), clYellow);

    // Back as ttyUSB1 (something else got ttyUSB0's number meanwhile, or the
    // old name is still held): the same serial number is the same device.
    r.lister.infos = {usb("ttyUSB1", "0001", "1-1.3:1.0")};
    r.tick();
    EXPECT_EQ(r.lastOpened(), "ttyUSB1");
    EXPECT_TRUE(r.access.portOpen());
    EXPECT_EQ(r.access.portName(), "ttyUSB1");  // the window's selection follows
    EXPECT_EQ(r.connection.indicatorColour(), clLime);
    EXPECT_EQ(r.sleeps, (std::vector<int>{2000}));
    EXPECT_EQ(r.port.opens.back().baud, 115200);
    EXPECT_TRUE(r.view.messages.empty());
}

TEST(PortIdentity, AutoConnectFindsADeviceWithoutSerialNumberByModelAndSocket)
{
    ReconnectRig r({usb("ttyUSB0", "", "1-2:1.0", "1a86", "7523")});
    r.unplug();
    r.lister.infos = {usb("ttyUSB0", "", "1-4:1.0", "1a86", "7523"),
                      usb("ttyUSB1", "", "1-2:1.0", "1a86", "7523")};
    r.tick();
    EXPECT_EQ(r.lastOpened(), "ttyUSB1");
    EXPECT_EQ(r.connection.indicatorColour(), clLime);
}

TEST(PortIdentity, AutoConnectNeverOpensAnotherDevice)
{
    ReconnectRig r({usb("ttyUSB0", "0001")});
    r.unplug();
    const std::size_t opensBefore = r.port.opens.size();

    // Another adapter appears, under a new name and then under the old one:
    // neither is opened, the indicator stays yellow.
    r.lister.infos = {usb("ttyUSB1", "0002")};
    r.tick();
    r.lister.infos = {usb("ttyUSB0", "0002")};
    r.tick();
    EXPECT_FALSE(r.access.portOpen());
    EXPECT_EQ(r.connection.indicatorColour(), clYellow);
    for (std::size_t i = opensBefore; i < r.port.opens.size(); ++i)
        EXPECT_NE(r.port.opens[i].name, "ttyUSB1");
    EXPECT_FALSE(r.port.opened);

    // The right one comes back.
    r.lister.infos = {usb("ttyUSB0", "0002"), usb("ttyUSB1", "0001")};
    r.tick();
    EXPECT_EQ(r.lastOpened(), "ttyUSB1");
    EXPECT_EQ(r.connection.indicatorColour(), clLime);
}

TEST(PortIdentity, APortWithoutIdentityIsReopenedByItsNameAsBefore)
{
    ReconnectRig r({{"ttyUSB0", "", "", "", "", ""}, {"ttyUSB1", "", "", "", "", ""}});
    r.unplug();
    r.lister.infos = {{"ttyUSB1", "", "", "", "", ""}};
    r.tick();
    EXPECT_EQ(r.lastOpened(), "ttyUSB0");
    EXPECT_EQ(r.connection.indicatorColour(), clYellow);
    r.lister.infos = {{"ttyUSB0", "", "", "", "", ""}};
    r.tick();
    EXPECT_EQ(r.lastOpened(), "ttyUSB0");
    EXPECT_EQ(r.connection.indicatorColour(), clLime);
}

// A path typed into ComPort (a pty, a /dev/serial/by-id link) is opened when
// it names a character device; a name typed by hand still is no choice.
TEST(TypedPort, APathToACharacterDeviceIsOpenedAndAnythingElseIsRefusedWithOneMessage)
{
    FakeSerialPort port;
    FakePortLister lister;
    RecordingView view;
    PortAccess access{port, lister, view};
    Connection connection{access, view, {}};

    PortParameters p{"", "9600", "8", 0, {}, "/dev/null"};
    connection.toggle(p, false);
    ASSERT_TRUE(connection.connected());
    EXPECT_EQ(port.opens.back().name, "/dev/null");
    EXPECT_EQ(access.portName(), "/dev/null");
    EXPECT_TRUE(view.messages.empty());
    connection.toggle(p, false);

    port.opens.clear();
    for (const char* notADevice : {"/tmp", "/no/such/port"}) {
        view.messages.clear();
        p.typedText = notADevice;
        connection.toggle(p, false);
        EXPECT_FALSE(connection.connected());
        EXPECT_TRUE(port.opens.empty());
        ASSERT_EQ(view.messages.size(), 1u) << notADevice;
        EXPECT_NE(view.messages[0].find(notADevice), std::string::npos);
        EXPECT_NE(view.messages[0].find("символьного устройства"), std::string::npos);
    }

    view.messages.clear();
    p.typedText = "ttyUSB7";
    connection.toggle(p, false);
    EXPECT_TRUE(port.opens.empty());
    EXPECT_EQ(view.messages, (std::vector<std::string>{"Выбери порт!"}));
}

TEST(PortHolderMessage, ARefusedOpenNamesTheProgramThatHoldsThePort)
{
    FakeSerialPort port;
    FakePortLister lister;
    RecordingView view;
    PortAccess access{port, lister, view};
    Connection connection{access, view, {}};
    port.failOpen = true;
    const PortParameters p{"ttyUSB0", "9600", "8", 0, {}, {}};

    for (const OpenFailure why : {OpenFailure::HeldByOther, OpenFailure::Busy}) {
        view.messages.clear();
        port.failure = why;
        port.holder = "picocom (pid 4242)";
        connection.toggle(p, false);
        ASSERT_EQ(view.messages.size(), 1u);
        EXPECT_NE(view.messages[0].find("picocom (pid 4242)"), std::string::npos) << view.messages[0];
        EXPECT_NE(view.messages[0].find("занят"), std::string::npos) << view.messages[0];
    }
    // When the system does not tell, the message says only that the port is taken.
    view.messages.clear();
    port.holder.clear();
    connection.toggle(p, false);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0], "Порт занят: его открыла другая программа.");
}

// One fault, one message: a path that leads to no device is told the same
// whether it was typed into the box or came chosen (from --port, or a link
// in the list). A reconnection that meets it says nothing: the colour does.
TEST(TypedPort, APathToNoDeviceIsToldTheSameWhicheverWayItCame)
{
    FakeSerialPort port;
    FakePortLister lister;
    RecordingView view;
    PortAccess access{port, lister, view};
    Connection connection{access, view, {}};

    const PortParameters typed{"", "9600", "8", 0, {}, "/no/such/dir/ttyV0"};
    const PortParameters chosen{"/no/such/dir/ttyV0", "9600", "8", 0, {}, {}};
    std::vector<std::string> said;
    for (const PortParameters& p : {typed, chosen}) {
        view.messages.clear();
        connection.toggle(p, false);
        EXPECT_FALSE(connection.connected());
        ASSERT_EQ(view.messages.size(), 1u);
        said.push_back(view.messages[0]);
    }
    EXPECT_EQ(said[0], said[1]);
    EXPECT_NE(said[0].find("/no/such/dir/ttyV0"), std::string::npos) << said[0];
    EXPECT_TRUE(port.opens.empty());
    // A refused typed path never becomes the port's name (which is stored at close).
    connection.toggle(typed, false);
    EXPECT_EQ(access.portName(), "");

    // Connected to a path that then goes away: the reconnection tries quietly.
    PortParameters p{"/dev/null", "9600", "8", 0, {}, {}};
    connection.toggle(p, false);
    ASSERT_TRUE(connection.connected());
    view.messages.clear();
    port.deviceGone = true;
    p.portName = "/no/such/dir/ttyV0";
    connection.check(p, true, false);
    EXPECT_EQ(connection.indicatorColour(), clYellow);
    EXPECT_TRUE(view.messages.empty());
}

// A device that opens but is no terminal (/dev/null, /dev/zero, /dev/kmsg)
// is not busy and nobody holds it, whatever has it open besides; an unsafe
// lock file is named so that the user can see to it.
TEST(PortHolderMessage, ANonTerminalIsNoBusyPortAndAnUnsafeLockFileIsNamed)
{
    FakeSerialPort port;
    FakePortLister lister;
    RecordingView view;
    PortAccess access{port, lister, view};
    Connection connection{access, view, {}};
    port.failOpen = true;
    port.failure = OpenFailure::NotATerminal;
    port.holder = "bash (pid 77)";
    connection.toggle({"/dev/null", "9600", "8", 0, {}, {}}, false);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0],
              "/dev/null — не последовательный порт: у этого устройства нет настроек линии.");

    view.messages.clear();
    port.failure = OpenFailure::UnsafeLockFile;
    port.lockFile = "/run/lock/LCK..ttyS0";
    connection.toggle({"ttyS0", "9600", "8", 0, {}, {}}, false);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_NE(view.messages[0].find("/run/lock/LCK..ttyS0"), std::string::npos) << view.messages[0];
    EXPECT_EQ(view.messages[0].find("занят"), std::string::npos) << view.messages[0];
    EXPECT_FALSE(connection.connected());
}
