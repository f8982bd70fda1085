// The command line's choices reach the window over what CfgTerminal restored.
#include <gtest/gtest.h>

#include <QComboBox>

#include <filesystem>

#include "window_rig.h"

using namespace comtrax;
using namespace comtrax::testing;

namespace {

// Stores a port and parameters in CfgTerminal, as a run that chose them would.
void storeChoices(WindowRig& rig)
{
    rig.open();
    rig.ui().ComPort->setCurrentIndex(1);
    rig.ui().BaudRate->setCurrentText("9600");
    rig.ui().ComBits->setCurrentText("8");
    rig.ui().ComStopBits->setCurrentIndex(0);
    rig.ui().BTConnect->click();
    ASSERT_TRUE(rig.port.opened);
    rig.close();
    rig.window.reset();
    rig.port.opens.clear();
}

}  // namespace

TEST(WindowStartOptions, WithoutThemTheStoredChoicesStand)
{
    WindowRig rig;
    storeChoices(rig);
    rig.open();
    EXPECT_EQ(rig.ui().ComPort->currentText(), "ttyUSB1");
    EXPECT_EQ(rig.ui().BaudRate->currentText(), "9600");
    EXPECT_TRUE(rig.port.opens.empty());
}

TEST(WindowStartOptions, TheCommandLineOverridesTheStoredChoicesAndConnects)
{
    WindowRig rig;
    storeChoices(rig);
    rig.startOptions = [](WindowEnvironment& env) {
        env.startPort = "ttyUSB0";
        env.startBaud = 115200;
        env.startDataBits = 7;
        env.startStopBitsIndex = 2;
        env.connectAtStart = true;
    };
    rig.open();
    ASSERT_EQ(rig.port.opens.size(), 1u);
    EXPECT_EQ(rig.port.opens[0].name, "ttyUSB0");
    EXPECT_EQ(rig.port.opens[0].baud, 115200);
    EXPECT_EQ(rig.port.opens[0].dataBits, 7);
    EXPECT_EQ(rig.port.opens[0].stopCode, 2);
    EXPECT_TRUE(rig.dialogs.errors.isEmpty()) << rig.dialogs.errors.join('\n').toStdString();
}

TEST(WindowStartOptions, ParityAndFlowControlReachTheOpen)
{
    WindowRig rig;
    rig.startOptions = [](WindowEnvironment& env) {
        env.startPort = "ttyUSB0";
        env.startParity = Parity::Even;
        env.startFlow = FlowControl::RtsCts;
        env.connectAtStart = true;
    };
    rig.open();
    ASSERT_EQ(rig.port.opens.size(), 1u);
    EXPECT_EQ(rig.port.opens[0].line.parity, Parity::Even);
    EXPECT_EQ(rig.port.opens[0].line.flow, FlowControl::RtsCts);

    // Only what is given changes: the other stays as stored.
    WindowRig other;
    other.startOptions = [](WindowEnvironment& env) {
        env.startPort = "ttyUSB0";
        env.startFlow = FlowControl::XonXoff;
        env.connectAtStart = true;
    };
    other.open();
    ASSERT_EQ(other.port.opens.size(), 1u);
    EXPECT_EQ(other.port.opens[0].line.parity, Parity::None);
    EXPECT_EQ(other.port.opens[0].line.flow, FlowControl::XonXoff);
}

TEST(WindowStartOptions, APortTheScanDoesNotListIsOfferedByItsPath)
{
    // A link in the user's own directory to a character device (the fake
    // port opens nothing behind it), under a Cyrillic name: the box shows
    // the path as it is spelt and the port gets the system's bytes for it.
    TempDir home;
    std::filesystem::create_directory(home.file("порт"));
    const std::string link = home.file("порт/ttyV0");
    std::filesystem::create_symlink("/dev/null", link);
    WindowRig rig;
    rig.startOptions = [&](WindowEnvironment& env) {
        env.startPort = link;
        env.connectAtStart = true;
    };
    rig.open();
    EXPECT_EQ(rig.ui().ComPort->currentText(), QString::fromUtf8(link.c_str()));
    ASSERT_EQ(rig.port.opens.size(), 1u);
    EXPECT_EQ(rig.port.opens[0].name, link);
    EXPECT_TRUE(rig.dialogs.messages.isEmpty());
}

TEST(WindowStartOptions, ARateTheListDoesNotHaveIsUsedAsTyped)
{
    WindowRig rig;
    storeChoices(rig);
    rig.startOptions = [](WindowEnvironment& env) {
        env.startBaud = 250000;
        env.connectAtStart = true;
    };
    rig.open();
    EXPECT_EQ(rig.ui().BaudRate->currentIndex(), -1);
    EXPECT_EQ(rig.ui().BaudRate->currentText(), "250000");
    EXPECT_TRUE(rig.dialogs.errors.isEmpty());
    ASSERT_FALSE(rig.port.opens.empty());
    EXPECT_EQ(rig.port.opens.back().baud, 250000);
}
