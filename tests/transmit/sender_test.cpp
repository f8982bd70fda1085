#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "log/log_file.h"
#include "log/statistics.h"
#include "serial/port_access.h"
#include "support/fake_clock.h"
#include "support/fake_serial_port.h"
#include "support/recording_view.h"
#include "support/temp_dir.h"
#include "transmit/history.h"
#include "transmit/sender.h"

namespace comtrax {
namespace {

using testing::hexBytes;
using testing::toHex;
using Lines = std::vector<std::string>;

// A view that can act while a modal window of the send path is open, as the
// nested event loop of a real window does.
class NestingView : public testing::RecordingView {
public:
    std::function<void()> duringNoPortWindow;
    std::function<void()> duringLogLine;
    void showNoPortWindow() override
    {
        RecordingView::showNoPortWindow();
        if (duringNoPortWindow)
            duringNoPortWindow();
    }
    void addLogLine(const std::string& line) override
    {
        RecordingView::addLogLine(line);
        if (duringLogLine)
            duringLogLine();
    }
};

class SenderTest : public ::testing::Test {
protected:
    testing::TempDir dir;
    testing::FakeSerialPort port;
    testing::FakePortLister lister;
    NestingView view;
    testing::FakeClock clock;
    TerminalOptions opts;
    PortAccess access{port, lister, view};
    SentHistory history;
    TrafficCounters counters{view};
    LogFile logFile{view, dir.path()};
    LogOutput log{view, logFile};
    Sender sender{access, history, log, counters, opts, clock, view};

    void connect()
    {
        ASSERT_TRUE(access.openPort({"ttyUSB0", "9600", "8", 0, {}}));
        port.calls.clear();
    }
    std::string logFileText() { return testing::readFileBytes(dir.file(logFile.fileName())); }
};

TEST_F(SenderTest, WritesAndCountsWithoutPurgingWhatTheDeviceSent)
{
    connect();
    port.feed("unread");
    sender.send("AT");
    EXPECT_EQ(port.calls, (Lines{"write:41 54 0D"}));
    EXPECT_EQ(port.input, "unread");
    EXPECT_EQ(view.logLines, Lines{"AT"});
    EXPECT_EQ(view.logDirections, std::vector<LogDirection>{LogDirection::Sent});
    EXPECT_EQ(view.byteTotals, "TX: 3 RX: 0");
    EXPECT_EQ(view.sentCount, "Send: 1");
    EXPECT_EQ(history.slot(1), "AT");
    EXPECT_FALSE(sender.busy());
}

TEST_F(SenderTest, TxBytesCountSuffixBytes)
{
    connect();
    opts.suffix = "$0D$0A";
    sender.send("AT");
    EXPECT_EQ(view.byteTotals, "TX: 4 RX: 0");
    sender.send("AT");
    EXPECT_EQ(view.byteTotals, "TX: 8 RX: 0");
    EXPECT_EQ(view.sentCount, "Send: 2");
    EXPECT_EQ(toHex(port.written), "41 54 0D 0A 41 54 0D 0A");
}

TEST_F(SenderTest, HexEchoShowsTheTypedTextWithTheExpandedSuffix)
{
    connect();
    opts.hex = true;
    opts.suffix = "$[SUM_8(0..n)]$0D";
    sender.send("01 02 03");
    EXPECT_EQ(view.logLines, Lines{"01 02 03$06$0D"});
    EXPECT_EQ(toHex(port.written), "01 02 03 06 0D");
}

TEST_F(SenderTest, FilterDecidesWhatIsShownAndLoggedNotWhatIsSent)
{
    connect();
    logFile.toggleLogFile(clock.now());
    ASSERT_TRUE(logFile.active());
    clock.set(2024, 1, 1, 12, 34, 56, 789);

    opts.filter = "OK";
    sender.send("AT");  // rejected, yet written and counted
    EXPECT_TRUE(view.logLines.empty());
    EXPECT_EQ(toHex(port.written), "41 54 0D");
    EXPECT_EQ(view.sentCount, "Send: 1");

    opts.showTime = true;
    opts.filter = "5";  // only the time stamp holds it
    sender.send("AT");
    opts.filter = "";
    opts.showTime = false;
    sender.send("B");
    // The suffix's CR ends the line: one line break, no empty line after it.
    const std::string stamped = " [ 12:34:56:789 > ] AT";
    EXPECT_EQ(view.logLines, (Lines{stamped, "B"}));
    EXPECT_EQ(logFileText(), stamped + "\r\n" + "B\r\n");
    EXPECT_EQ(view.sentCount, "Send: 3");
}

TEST_F(SenderTest, ClosedPortShowsOnlyTheNoPortWindow)
{
    sender.send("AT");
    EXPECT_EQ(view.noPortWindows, 1);
    EXPECT_TRUE(view.logLines.empty());
    EXPECT_TRUE(history.nonEmpty().empty());
    EXPECT_TRUE(port.calls.empty());
    EXPECT_EQ(view.byteTotals, "TX: 0, RX: 0");
    EXPECT_EQ(view.sentCount, "Send: 0");
    EXPECT_FALSE(sender.busy());
}

TEST_F(SenderTest, EmptyLineDoesNothingEvenWithASuffix)
{
    connect();
    sender.send("");
    EXPECT_TRUE(port.calls.empty());
    EXPECT_TRUE(view.logLines.empty());
    EXPECT_EQ(view.noPortWindows, 0);
    EXPECT_EQ(view.sentCount, "Send: 0");
}

TEST_F(SenderTest, NestedCallsWhileASendRunsAreDropped)
{
    // Closed port: the modal no-port window's event loop tries another send.
    int nested = 0;
    view.duringNoPortWindow = [&] {
        ++nested;
        sender.send("X");
    };
    sender.send("AT");
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(view.noPortWindows, 1);
    view.duringNoPortWindow = nullptr;

    // Open port: a nested send during the echo changes nothing of the outer one.
    connect();
    view.duringLogLine = [&] { sender.send("X"); };
    sender.send("AT");
    EXPECT_EQ(toHex(port.written), "41 54 0D");
    EXPECT_EQ(view.logLines, Lines{"AT"});
    EXPECT_EQ(history.nonEmpty(), Lines{"AT"});
    EXPECT_EQ(view.sentCount, "Send: 1");

    // The flag is down again afterwards.
    view.duringLogLine = nullptr;
    sender.send("B");
    EXPECT_EQ(view.sentCount, "Send: 2");
}

TEST_F(SenderTest, LongLinesAreSentWholeAndKeptOutOfTheHistory)
{
    connect();
    const std::string line(3000, 'x');
    sender.send(line);
    EXPECT_EQ(port.written, line + "\r");
    EXPECT_EQ(view.byteTotals, "TX: 3001 RX: 0");
    EXPECT_TRUE(history.nonEmpty().empty());
    sender.send(std::string(254, 'y'));
    EXPECT_EQ(history.nonEmpty(), Lines{std::string(254, 'y')});
}

TEST_F(SenderTest, LogWriteFailureStillSendsAndCounts)
{
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    logFile.setOpener([](const std::string&) { return std::fopen("/dev/full", "ab"); });
    connect();
    logFile.toggleLogFile(clock.now());
    sender.send("AT");
    EXPECT_EQ(toHex(port.written), "41 54 0D");
    EXPECT_EQ(view.sentCount, "Send: 1");
    EXPECT_EQ(view.byteTotals, "TX: 3 RX: 0");
    EXPECT_EQ(view.logLines, Lines{"AT"});
    EXPECT_EQ(view.errors.size(), 1u);
    EXPECT_FALSE(logFile.active());
    sender.send("AT");
    EXPECT_EQ(view.errors.size(), 1u);
    EXPECT_EQ(view.sentCount, "Send: 2");
    EXPECT_FALSE(sender.busy());
}

}  // namespace
}  // namespace comtrax

namespace comtrax {
namespace {

const std::string NotSent = Sender::NotSentMark;

// A device that stops reading: what the port cannot take waits, in order,
// and a line is shown and logged as sent only once all of it went out.
TEST_F(SenderTest, WhatThePortCannotTakeWaitsAndIsLoggedWhenItGoesOut)
{
    connect();
    port.writeRoom = 3;
    sender.send("HELLO");
    EXPECT_EQ(port.written, "HEL");
    EXPECT_TRUE(view.logLines.empty());
    EXPECT_TRUE(sender.outputWaiting());
    EXPECT_TRUE(view.outputWaiting);
    EXPECT_EQ(view.byteTotals, "TX: 3 RX: 0");
    sender.send("NEXT");   // waits behind the first, never overtakes it
    sender.drainOutput();  // still no room
    EXPECT_EQ(port.written, "HEL");

    port.writeRoom = 4;
    sender.drainOutput();
    EXPECT_EQ(port.written, "HELLO\rN");
    EXPECT_EQ(view.logLines, Lines{"HELLO"});
    EXPECT_EQ(view.sentCount, "Send: 1");

    port.writeRoom = -1;
    sender.drainOutput();
    EXPECT_EQ(port.written, "HELLO\rNEXT\r");
    EXPECT_EQ(view.logLines, (Lines{"HELLO", "NEXT"}));
    EXPECT_EQ(view.sentCount, "Send: 2");
    EXPECT_EQ(view.byteTotals, "TX: 11 RX: 0");
    EXPECT_FALSE(sender.outputWaiting());
    EXPECT_FALSE(view.outputWaiting);
}

// A line the port refused, one that finds the waiting room full, and those
// still waiting when the port closes are marked and counted apart; none is
// ever shown as sent.
TEST_F(SenderTest, LinesThatDidNotGoOutWholeAreMarkedAndCountedApart)
{
    connect();
    access.setClosedListener([this] { sender.abandonOutput(); });  // as the terminal wires them
    logFile.toggleLogFile(clock.now());
    port.writeRoom = 0;
    const std::string line(200, 'x');
    int queued = 0;
    while (view.logLines.empty()) {
        sender.send(line);
        ++queued;
        ASSERT_LT(queued, 1000);
    }
    EXPECT_LE(sender.queuedBytes(), Sender::QueueLimit);
    EXPECT_EQ(view.logLines, Lines{line + NotSent});
    EXPECT_EQ(view.sentCount, "Send: 0 (-1)");

    access.closePort();  // Disconnect, or the device gone
    EXPECT_FALSE(sender.outputWaiting());
    EXPECT_EQ(view.logLines.size(), static_cast<std::size_t>(queued));
    for (const std::string& shown : view.logLines)
        EXPECT_EQ(shown, line + NotSent);
    EXPECT_EQ(view.sentCount, "Send: 0 (-" + std::to_string(queued) + ")");
    EXPECT_EQ(logFileText().find(line + "\r\n"), std::string::npos) << "a line logged as sent";

    ASSERT_TRUE(access.openPort({"ttyUSB0", "9600", "8", 0, {}}));
    port.writeRoom = -1;
    port.failWrites = true;  // the line is gone
    sender.send("AT");
    EXPECT_EQ(view.logLines.back(), "AT" + NotSent);
    EXPECT_EQ(view.logDirections.back(), LogDirection::Sent) << "a line not sent whole was still sent";
    port.failWrites = false;
    sender.send("AT");
    EXPECT_EQ(view.logLines.back(), "AT");
    EXPECT_EQ(view.sentCount, "Send: 1 (-" + std::to_string(queued + 1) + ")");
    counters.resetStatistics();
    EXPECT_EQ(view.sentCount, "Send: 0");
}

}  // namespace
}  // namespace comtrax
