#include "netport/recent_network_ports.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "netport/port_router.h"
#include "support/fake_serial_port.h"
#include "support/temp_dir.h"

using namespace comtrax;
using namespace comtrax::testing;

TEST(RecentNetworkPorts, NewestFirstOnceAndAtMostEight)
{
    TempDir dir;
    const std::string path = dir.file("CfgNetPorts");
    {
        RecentNetworkPorts recent(path);
        for (int i = 1; i <= 10; ++i)
            recent.use("tcp://h:" + std::to_string(i));
        recent.use("tcp://h:5");
        EXPECT_EQ(recent.names().size(), RecentNetworkPorts::MaxPorts);
        EXPECT_EQ(recent.names().front(), "tcp://h:5");
        EXPECT_EQ(recent.names()[1], "tcp://h:10");
    }
    const RecentNetworkPorts again(path);  // kept between runs
    EXPECT_EQ(again.names().front(), "tcp://h:5");
    EXPECT_EQ(again.names().size(), RecentNetworkPorts::MaxPorts);
    EXPECT_EQ(std::count(again.names().begin(), again.names().end(), "tcp://h:5"), 1);
}

TEST(RecentNetworkPorts, TheUsersLinesStayAndBadNamesAreNotOffered)
{
    TempDir dir;
    const std::string path = dir.file("CfgNetPorts");
    writeFileBytes(path, "# my lab\nport2=rfc2217://[::1]:3001\nport1=tcp://nohost\nfuture=1\n");
    RecentNetworkPorts recent(path);
    EXPECT_EQ(recent.names(), std::vector<std::string>{"rfc2217://[::1]:3001"});
    recent.use("tcp://pi:2000");
    const std::string text = readFileBytes(path);
    EXPECT_NE(text.find("# my lab"), std::string::npos);
    EXPECT_NE(text.find("future=1"), std::string::npos);
    EXPECT_NE(text.find("port1=tcp://pi:2000"), std::string::npos);
    EXPECT_NE(text.find("port2=rfc2217://[::1]:3001"), std::string::npos);
}

TEST(RecentNetworkPorts, AFileThatCannotBeReadIsNeverOverwritten)
{
    TempDir dir;
    const std::string path = dir.file("CfgNetPorts");
    std::filesystem::create_directory(path);  // something the user may still need
    RecentNetworkPorts recent(path);
    recent.use("tcp://pi:2000");
    EXPECT_TRUE(std::filesystem::is_directory(path));
    EXPECT_EQ(recent.names(), std::vector<std::string>{"tcp://pi:2000"});  // offered for this run
}

TEST(RecentNetworkPorts, OfferedAfterTheLocalPorts)
{
    FakePortLister local;
    RecentNetworkPorts recent("");
    recent.use("rfc2217://pi:3001");
    RecentPortLister lister(local, recent);
    std::vector<std::string> names;
    for (const PortInfo& info : lister.listPortInfos())
        names.push_back(info.name);
    std::vector<std::string> expected = local.listPorts();
    expected.push_back("rfc2217://pi:3001");
    EXPECT_EQ(names, expected);
    const PortInfo last = lister.listPortInfos().back();
    EXPECT_TRUE(last.serialNumber.empty());
    EXPECT_FALSE(last.description.empty());  // says it is a network port
}

TEST(PortRouter, NetworkNamesGoToTheNetworkPortAndAreRememberedOnceConnected)
{
    FakeSerialPort local;
    FakeSerialPort network;
    network.connectingNow = true;
    PortRouter router(local, network);
    std::vector<std::string> remembered;
    router.setConnectedListener([&](const std::string& name) { remembered.push_back(name); });

    ASSERT_TRUE(router.open("ttyUSB0", 9600, 8, OneStop));
    EXPECT_TRUE(local.opened);
    EXPECT_FALSE(router.connecting());
    EXPECT_TRUE(remembered.empty());

    router.setLineOptions({Parity::Even, FlowControl::None});
    ASSERT_TRUE(router.open("RFC2217://pi:3001", 9600, 8, OneStop));
    EXPECT_FALSE(local.opened);  // the other one is let go
    EXPECT_TRUE(network.opened);
    EXPECT_EQ(network.opens.back().line.parity, Parity::Even);
    EXPECT_TRUE(router.connecting());
    EXPECT_TRUE(remembered.empty());
    network.connectingNow = false;
    EXPECT_FALSE(router.connecting());
    EXPECT_EQ(remembered, std::vector<std::string>{"RFC2217://pi:3001"});

    // A connection that failed is not remembered.
    network.connectingNow = true;
    ASSERT_TRUE(router.open("tcp://typo:1", 9600, 8, OneStop));
    network.connectingNow = false;
    network.deviceGone = true;
    EXPECT_FALSE(router.connecting());
    EXPECT_EQ(remembered.size(), 1u);
}
