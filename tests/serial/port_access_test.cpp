#include <gtest/gtest.h>

#include "serial/port_access.h"
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
};

PortParameters params(std::string name, std::string baud = "9600", std::string bits = "8", int stop = 0)
{
    return {std::move(name), std::move(baud), std::move(bits), stop, {}};
}

}  // namespace

TEST(PortScan, FoundPortsAreListedWithTheFirstSelected)
{
    Rig r;
    r.lister.ports = {"ttyUSB3", "ttyV0"};
    const PortChoice c = r.access.scanPorts(false);
    EXPECT_EQ(c.names, (std::vector<std::string>{"ttyUSB3", "ttyV0"}));
    EXPECT_EQ(c.selected, 0);
    EXPECT_TRUE(r.view.messages.empty());
}

TEST(PortScan, NothingFoundGivesTheFallbackListAndMessagesOnlyWhenAsked)
{
    Rig r;
    PortChoice c = r.access.scanPorts(true);
    EXPECT_EQ(c.names, fallbackPortNames());
    EXPECT_EQ(c.selected, -1);
    EXPECT_TRUE(r.view.messages.empty());

    c = r.access.scanPorts(false);
    EXPECT_EQ(c.selected, -1);
    ASSERT_EQ(r.view.messages.size(), 2u);
    EXPECT_EQ(r.view.messages[0], ":-(");
    EXPECT_EQ(r.view.messages[1], noPortsFoundText());
}

// The Windows advice (run as administrator) is no help on Linux: there the
// message says where the adapters appear and which group may use them.
TEST(PortScan, OnLinuxTheEmptyListSaysWhereAdaptersAppearAndWhoMayUseThem)
{
#ifdef _WIN32
    EXPECT_STREQ(noPortsFoundText(), "Запустите программу от имени администратора или выберите порт вручную");
#else
    Rig r;
    r.access.scanPorts(false);
    ASSERT_EQ(r.view.messages.size(), 2u);
    const std::string& said = r.view.messages[1];
    EXPECT_EQ(said, linuxNoPortsFoundText());
    for (const char* part : {"не найдены", "/dev/ttyUSB*", "/dev/ttyACM*", "dialout"})
        EXPECT_NE(said.find(part), std::string::npos) << part;
    EXPECT_EQ(said.find("администратора"), std::string::npos);
#endif
}

TEST(PortOpen, PassesTheChosenParametersAndStopBitCodes)
{
    Rig r;
    ASSERT_TRUE(r.access.openPort(params("ttyUSB0", "115200", "7", 2)));
    EXPECT_TRUE(r.access.portOpen());
    ASSERT_EQ(r.port.opens.size(), 1u);
    EXPECT_EQ(r.port.opens[0].name, "ttyUSB0");
    EXPECT_EQ(r.port.opens[0].baud, 115200);
    EXPECT_EQ(r.port.opens[0].dataBits, 7);
    EXPECT_EQ(r.port.opens[0].stopCode, 2);

    r.access.closePort();
    // No stop-bit selection keeps the code of the previous attempt.
    ASSERT_TRUE(r.access.openPort(params("ttyUSB0", "9600", "8", -1)));
    EXPECT_EQ(r.port.opens[1].stopCode, 2);
    r.access.closePort();
    ASSERT_TRUE(r.access.openPort(params("ttyUSB0", "9600", "8", 1)));
    EXPECT_EQ(r.port.opens[2].stopCode, 1);
}

TEST(PortOpen, NoSelectedPortSaysSoAndOpensNothing)
{
    Rig r;
    EXPECT_FALSE(r.access.openPort(params("")));
    EXPECT_EQ(r.view.messages, std::vector<std::string>{"Выбери порт!"});
    EXPECT_TRUE(r.port.opens.empty());
    EXPECT_FALSE(r.access.portOpen());
}

TEST(PortOpen, ABaudRateThatIsNoListEntryIsAConversionError)
{
    Rig r;
    EXPECT_FALSE(r.access.openPort(params("ttyUSB0", "", "8")));
    EXPECT_EQ(r.view.errors, std::vector<std::string>{"'' is not a valid integer value"});
    EXPECT_TRUE(r.port.opens.empty());
    EXPECT_EQ(r.access.portName(), "ttyUSB0");

    r.view.errors.clear();
    EXPECT_FALSE(r.access.openPort(params("ttyUSB0", "9600", "")));
    EXPECT_EQ(r.view.errors.size(), 1u);
}

TEST(PortOpen, FailureLeavesThePortClosedAndRemembersTheName)
{
    Rig r;
    r.port.failOpen = true;
    EXPECT_FALSE(r.access.openPort(params("ttyUSB9")));
    EXPECT_FALSE(r.access.portOpen());
    EXPECT_EQ(r.access.portName(), "ttyUSB9");
}

TEST(PortClose, PurgesThenClosesAndASecondCloseDoesNothing)
{
    Rig r;
    ASSERT_TRUE(r.access.openPort(params("ttyUSB0")));
    r.port.calls.clear();
    r.access.closePort();
    EXPECT_EQ(r.port.calls, (std::vector<std::string>{"purge", "close"}));
    r.access.closePort();
    EXPECT_EQ(r.port.calls.size(), 2u);
    EXPECT_FALSE(r.access.probePort());
}
