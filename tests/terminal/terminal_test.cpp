// The core wired together: what one part hands another.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "terminal/terminal.h"
#include "support/fake_clock.h"
#include "support/fake_serial_port.h"
#include "support/recording_view.h"
#include "support/temp_dir.h"

using namespace comtrax;
using namespace comtrax::testing;

namespace {

struct Rig {
    TempDir dir;
    FakeSerialPort port;
    FakePortLister lister;
    FakeClock clock;
    RecordingView view;
    Terminal terminal{Terminal::Setup{port, lister, clock, view, dir.path(), {}}};

    Rig()
    {
        terminal.toggleConnection({"ttyUSB0", "9600", "8", 0, {}});
        EXPECT_TRUE(terminal.connected());
    }
    void pollFor(int ms)
    {
        for (int i = 0; i < ms; ++i) {
            terminal.poll();
            clock.advance(1);
        }
    }
};

}  // namespace

TEST(TerminalWiring, ASendKeepsWhatTheDeviceHadAlreadySent)
{
    Rig r;
    r.terminal.setRxTimeoutMs(5);
    r.port.feed("late answer\r\n");  // arrived, not yet polled
    r.terminal.send("NEXT");
    EXPECT_EQ(r.port.written, "NEXT\r");
    r.pollFor(10);
    EXPECT_EQ(r.view.logLines, (std::vector<std::string>{"NEXT", "late answer"}));
    EXPECT_EQ(r.terminal.rxBytes(), 13);
}

TEST(TerminalWiring, AnAnswerInAfterAnswerModeSendsTheCommandLineAgain)
{
    Rig r;
    r.terminal.selectMode(SendMode::AfterAnswer);
    r.terminal.setCommandText("PING");
    r.terminal.setRxTimeoutMs(2);
    r.port.feed("PONG\r\n");
    r.pollFor(5);
    EXPECT_EQ(r.port.written, "PING\r");
}

TEST(TerminalWiring, OneWakeTakesAStreamInLargeChunksAndFramesItAsSeparatePollsWould)
{
    Rig r;
    r.terminal.setRxTimeoutMs(5);
    std::string stream;
    std::vector<std::string> sentences;
    for (int i = 0; i < 1250; ++i) {  // 100 000 bytes of 80-byte lines
        std::string s = "$GPGSV," + std::to_string(100000 + i);
        s.resize(78, '*');
        sentences.push_back(s);
        stream += s + "\r\n";
    }
    r.port.feed(stream);

    // One call reads many receive buffers, but no more than its bound, and
    // says that more is waiting.
    const Terminal::PollResult first = r.terminal.poll();
    EXPECT_GT(first.bytesRead, 8 * Receiver::BufferSize);
    EXPECT_LE(first.bytesRead, Terminal::MaxPollsPerWake * Receiver::BufferSize);
    EXPECT_TRUE(first.backlog);
    EXPECT_FALSE(r.view.logLines.empty());

    const Terminal::PollResult second = r.terminal.poll();
    EXPECT_EQ(first.bytesRead + second.bytesRead, stream.size());
    EXPECT_FALSE(second.backlog);
    r.pollFor(10);

    // Every sentence whole, once, in order; nothing lost.
    std::string shown;
    for (const std::string& line : r.view.logLines)
        shown += line + "\r\n";
    std::string expected;
    for (const std::string& s : sentences)
        expected += s + "\r\n";
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(r.terminal.rxBytes(), int64_t(stream.size()));
}

// The terminal ends a break before it lets the port go: Disconnect during a
// break leaves no line in break.
TEST(TerminalWiring, DisconnectDuringABreakClearsItBeforeTheClose)
{
    TempDir dir;
    FakeSerialPort port;
    FakePortLister lister;
    FakeClock clock;
    RecordingView view;
    std::vector<std::function<void()>> steps;  // never run: Disconnect comes first
    Terminal terminal{
        Terminal::Setup{port, lister, clock, view, dir.path(), {}, [&](int, std::function<void()> step) {
                            steps.push_back(std::move(step));
                        }}};
    terminal.toggleConnection({"ttyUSB0", "9600", "8", 0, {}});
    ASSERT_TRUE(terminal.sendBreak());
    ASSERT_TRUE(port.inBreak);
    terminal.toggleConnection({"ttyUSB0", "9600", "8", 0, {}});
    EXPECT_FALSE(port.opened);
    EXPECT_FALSE(port.inBreak);  // cleared while the port was still open
    EXPECT_EQ(port.modemCallNames().back(), "break=0");
}

// What was read before a Disconnect is shown then: it neither waits for a
// next connection that may never come nor merges into its first packet.
TEST(TerminalWiring, BytesHeldAtDisconnectAreShownAtOnce)
{
    Rig r;
    r.terminal.setRxTimeoutMs(100);
    r.port.feed("half a pack");
    r.pollFor(3);
    EXPECT_TRUE(r.view.logLines.empty());
    EXPECT_EQ(r.terminal.heldBytes(), 11u);
    r.terminal.toggleConnection({"ttyUSB0", "9600", "8", 0, {}});
    EXPECT_FALSE(r.terminal.connected());
    EXPECT_EQ(r.view.logLines, std::vector<std::string>{"half a pack"});
    EXPECT_EQ(r.terminal.heldBytes(), 0u);
}

TEST(TerminalWiring, AnAnswerIsTimedFromTheLastSentLineAndItsPreviousPacket)
{
    Rig r;
    r.terminal.setRxTimeoutMs(2);
    r.terminal.setPacketTimes({false, true, true});
    r.port.feed("hello");
    r.pollFor(10);
    r.terminal.send("Q");
    r.clock.advance(4);
    r.port.feed("A");
    r.pollFor(10);
    ASSERT_EQ(r.view.logLines.size(), 3u);
    EXPECT_EQ(r.view.logLines[0], "{gap - ans -} hello");
    EXPECT_EQ(r.view.logLines[2], "{gap 14.000ms ans 4.000ms} A");
}

// "3.5 characters" follows the open port's rate: at 9600 baud, 8N1, a
// silence of 3.646 ms ends a packet, so 3 ms polls keep it and 4 end it;
// the arrows go back to TimeRX.
TEST(TerminalWiring, ThreeAndAHalfCharactersFollowThePortsRate)
{
    Rig r;
    r.terminal.setRxTimeoutMs(50);
    r.terminal.setTimeoutInCharacters(true);
    r.port.feed("A");
    r.terminal.poll();
    r.clock.advance(3);
    r.port.feed("B");
    r.terminal.poll();
    r.clock.advance(3);
    r.terminal.poll();
    EXPECT_TRUE(r.view.logLines.empty());
    r.clock.advance(1);
    r.terminal.poll();
    EXPECT_EQ(r.view.logLines, std::vector<std::string>{"AB"});
    r.terminal.stepTimeout(true);
    EXPECT_FALSE(r.terminal.timeoutInCharacters());
}
