#include <gtest/gtest.h>

#include "log/log_file.h"
#include "receive/receiver.h"
#include "log/statistics.h"
#include "serial/port_access.h"
#include "support/fake_clock.h"
#include "support/fake_serial_port.h"
#include "support/recording_view.h"
#include "support/temp_dir.h"

using namespace comtrax;
using namespace comtrax::testing;

namespace {

struct Rig {
    FakeSerialPort port;
    FakePortLister lister;
    RecordingView view;
    FakeClock clock;
    TerminalOptions options;
    PortAccess access{port, lister, view};
    TrafficCounters counters{view};
    LogFile logFile{view, "."};
    LogOutput log{view, logFile};
    Receiver rx{access, counters, log, options, clock};
    int afterAnswers = 0;

    explicit Rig(int32_t timeout, bool hex = false)
    {
        options.hex = hex;
        rx.setRxTimeoutMs(timeout);
        rx.setAfterAnswer([this] { ++afterAnswers; });
        access.openPort({"ttyUSB0", "9600", "8", 0, {}});
    }
    // One 1 ms tick of the poll.
    void tick()
    {
        clock.advance(1);
        rx.poll();
    }
    // Ticks until a line appears; returns how many it took (0: none within limit).
    int ticksUntilLine(int limit = 5000)
    {
        const std::size_t before = view.logLines.size();
        for (int i = 1; i <= limit; ++i) {
            tick();
            if (view.logLines.size() > before)
                return i;
        }
        return 0;
    }
};

}  // namespace

TEST(Receiver, APacketEndsAtTheFirstTickPastTheTimeout)
{
    const std::pair<int32_t, int> cases[] = {{0, 1}, {50, 51}, {1000, 1001}};
    for (auto [timeout, ticks] : cases) {
        SCOPED_TRACE(timeout);
        Rig r(timeout, true);
        r.port.feed(hexBytes("01 02 0D"));
        r.rx.poll();
        EXPECT_EQ(r.ticksUntilLine(), ticks);
        EXPECT_EQ(r.view.logLines, std::vector<std::string>{"01 02 0D"});
        EXPECT_EQ(r.view.logDirections, std::vector<LogDirection>{LogDirection::Received});
        EXPECT_EQ(r.rx.rxCount(), 0u);
    }
}

TEST(Receiver, ANegativeTimeoutShowsEveryReadAsItsOwnLine)
{
    Rig r(-1);
    r.port.feed("AB");
    r.rx.poll();
    r.port.feed("C");
    r.tick();
    EXPECT_EQ(r.view.logLines, (std::vector<std::string>{"AB", "C"}));
    EXPECT_EQ(r.view.readCount, "Read: 2");
    EXPECT_EQ(r.view.byteTotals, "TX: 0 RX: 3");
}

TEST(Receiver, ALineBreakAtTheEndDoesNotEndAPacketEarly)
{
    for (const std::string end : {"\r", "\n", "\r\n"}) {
        Rig r(50);
        r.port.feed("AB" + end);
        r.rx.poll();
        r.port.feed("CD" + end);
        r.tick();  // more bytes within the timeout join the packet
        EXPECT_EQ(r.ticksUntilLine(), 51);
        ASSERT_EQ(r.view.logLines.size(), 1u);
        EXPECT_EQ(r.view.logLines[0].substr(0, 2), "AB");
    }
}

TEST(Receiver, MoreThan1500HeldBytesAreShownWithoutWaitingForSilence)
{
    Rig r(1000);
    r.port.feed(std::string(1000, 'x'));
    r.rx.poll();
    EXPECT_TRUE(r.view.logLines.empty());
    r.port.feed(std::string(600, 'y'));
    r.tick();
    ASSERT_EQ(r.view.logLines.size(), 1u);
    EXPECT_EQ(r.view.logLines[0], std::string(1000, 'x') + std::string(600, 'y'));

    // The buffer takes 2048 bytes at most; the rest waits for the next poll.
    r.port.feed(std::string(3000, 'z'));
    r.tick();
    ASSERT_EQ(r.view.logLines.size(), 2u);
    EXPECT_EQ(r.view.logLines[1].size(), 2048u);
    EXPECT_EQ(r.port.input.size(), 952u);
    r.tick();
    EXPECT_EQ(r.rx.rxCount(), 952u);
    EXPECT_EQ(r.view.byteTotals, "TX: 0 RX: 4600");
}

TEST(Receiver, AnEarlyCutOfTextEndsAtItsLastLineBreak)
{
    // Twenty 80-byte sentences arriving a little at a time, as a GPS receiver
    // sends them; the long timeout leaves the early cut to end the packets.
    std::vector<std::string> sentences;
    std::string stream;
    for (int i = 0; i < 20; ++i) {
        std::string s = "$GNGSV," + std::to_string(100 + i) + ",";
        s += std::string(78 - s.size(), char('a' + i));
        sentences.push_back(s);
        stream += s + "\r\n";
    }
    ASSERT_EQ(stream.size(), 1600u);
    for (const std::size_t chunk : {std::size_t(193), std::size_t(1520), std::size_t(7)}) {
        SCOPED_TRACE(chunk);
        Rig r(1000);
        for (std::size_t at = 0; at < stream.size(); at += chunk) {
            r.port.feed(stream.substr(at, chunk));
            r.tick();
        }
        ASSERT_EQ(r.view.logLines.size(), 1u) << "the cut came before the silence";
        EXPECT_GT(r.ticksUntilLine(), 0);
        ASSERT_EQ(r.view.logLines.size(), 2u);
        // Every sentence whole, once, in order, over both lines.
        std::vector<std::string> shown;
        for (const std::string& line : r.view.logLines) {
            std::string piece;
            for (const char c : line + "\r") {
                if (c == '\n')
                    continue;
                if (c != '\r') {
                    piece += c;
                } else if (!piece.empty()) {
                    shown.push_back(piece);
                    piece.clear();
                }
            }
        }
        EXPECT_EQ(shown, sentences);
        EXPECT_EQ(r.view.byteTotals, "TX: 0 RX: 1600");
    }
}

TEST(Receiver, AnEarlyCutWithoutALineBreakOrInHexTakesEverythingHeld)
{
    struct Case {
        std::string bytes;
        bool hex;
        std::size_t firstLineSize;
    };
    const Case cases[] = {
        {std::string(1600, 'x'), false, 1600},
        // The tail after the break is longer than the cut: split anyway.
        {"a\r\n" + std::string(1598, 'x'), false, 1601},
        {std::string(700, 'x') + "\r\n" + std::string(898, 'y'), true, 1600 * 3 - 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hex);
        Rig r(1000, c.hex);
        r.port.feed(c.bytes);
        r.tick();
        ASSERT_EQ(r.view.logLines.size(), 1u);
        EXPECT_EQ(r.view.logLines[0].size(), c.firstLineSize);
        EXPECT_EQ(r.rx.rxCount(), 0u);
    }
}

TEST(Receiver, DisplayLinesKeepEverythingButWhatTheConversionAdded)
{
    struct Case {
        std::string bytes;
        bool hex;
        std::string line;
    };
    const Case cases[] = {
        {"OK\r\n", false, "OK"},  // the closing break is the line's own end
        {"OK", false, "OK"},
        {hexBytes("41 00 42 43"), false, "A<NULL>BC"},
        {"A\rB\n\nC", false, "A\r\nBC"},
        {"\r", false, ""},
        {"\xC0\xFF", false, "\xC0\xFF"},
        {hexBytes("00 0D 58 00"), false, "<NULL>\r\nX<NULL>"},  // the runs between breaks and NULs
        {"long run " + std::string(300, 'z') + "\rend", false,
         "long run " + std::string(300, 'z') + "\r\nend"},
        {hexBytes("01 02 0D"), true, "01 02 0D"},
        {hexBytes("FF 00 0A"), true, "FF 00 0A"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        Rig r(0, c.hex);
        r.port.feed(c.bytes);
        r.rx.poll();
        r.tick();
        EXPECT_EQ(r.view.logLines, std::vector<std::string>{c.line});
    }
}

TEST(Receiver, APacketOfOnlyLineFeedsShowsNothingAndSendsNothing)
{
    Rig r(0);
    r.options.sendMode = SendMode::AfterAnswer;
    r.port.feed("\n\n");
    r.rx.poll();
    r.tick();
    EXPECT_TRUE(r.view.logLines.empty());
    EXPECT_EQ(r.rx.rxCount(), 0u);
    EXPECT_EQ(r.afterAnswers, 0);
}

TEST(Receiver, TheTimeStampIsTheMomentOfDisplay)
{
    Rig r(50, true);
    r.options.showTime = true;
    r.clock.set(2024, 3, 6, 14, 3, 6, 994);
    r.port.feed(hexBytes("01 02 0D"));
    r.rx.poll();
    r.ticksUntilLine();
    EXPECT_EQ(r.view.logLines, std::vector<std::string>{" [ 14:03:07:045 < ] 01 02 0D"});
}

TEST(Receiver, TheAfterAnswerStepFollowsEveryBuiltLineOnceNothingWaits)
{
    Rig r(-1);
    r.options.sendMode = SendMode::AfterAnswer;
    r.options.filter = "ERR";
    r.port.maxPerRead = 2;
    r.port.feed("OKOK");
    r.rx.poll();  // "OK" built, two bytes still waiting
    EXPECT_EQ(r.afterAnswers, 0);
    r.tick();  // the filter keeps it out, the next command still goes
    EXPECT_TRUE(r.view.logLines.empty());
    EXPECT_EQ(r.afterAnswers, 1);

    r.options.sendMode = SendMode::Manual;
    r.port.maxPerRead = 100;
    r.port.feed("ERROR 5");
    r.tick();
    EXPECT_EQ(r.view.logLines, std::vector<std::string>{"ERROR 5"});
    EXPECT_EQ(r.afterAnswers, 1);
}

TEST(Receiver, MondayMidnightNeitherStretchesNorShortensASilence)
{
    Rig r(50);
    r.clock.set(2024, 1, 7, 23, 59, 59, 990);  // a Sunday
    r.port.feed("A");
    r.rx.poll();
    // Silence is measured on the monotonic clock, which has no week.
    EXPECT_EQ(r.ticksUntilLine(), 51);
    EXPECT_EQ(r.view.logLines, std::vector<std::string>{"A"});
    r.port.feed("B");
    r.tick();
    EXPECT_EQ(r.ticksUntilLine(), 51);
}

TEST(Receiver, ANestedTickDuringTheAfterAnswerStepDoesNothing)
{
    Rig r(-1);
    r.options.sendMode = SendMode::AfterAnswer;
    r.rx.setAfterAnswer([&] {
        ++r.afterAnswers;
        r.port.feed("late");
        r.tick();  // a modal box's own loop delivering the timer
    });
    r.port.feed("A");
    r.rx.poll();
    EXPECT_EQ(r.view.logLines, std::vector<std::string>{"A"});
    EXPECT_EQ(r.port.input, "late");
    r.rx.setAfterAnswer({});
    r.tick();  // the busy flag was cleared: the next tick polls normally
    EXPECT_EQ(r.view.logLines, (std::vector<std::string>{"A", "late"}));
}

TEST(Receiver, HeldBytesWaitWhileThePortIsClosed)
{
    Rig r(10);
    r.port.feed("AB");
    r.rx.poll();
    r.access.closePort();
    for (int i = 0; i < 100; ++i)
        r.tick();
    EXPECT_TRUE(r.view.logLines.empty());
    EXPECT_EQ(r.rx.msUntilPacketEnd(), -1);
    r.access.openPort({"ttyUSB0", "9600", "8", 0, {}});
    r.tick();
    EXPECT_EQ(r.view.logLines, std::vector<std::string>{"AB"});
}

TEST(Receiver, AFailedLogWriteStillShowsTheLineAndSendsTheNextCommand)
{
    Rig r(-1);
    r.options.sendMode = SendMode::AfterAnswer;
    r.logFile.setOpener([](const std::string&) { return std::fopen("/dev/full", "ab"); });
    r.logFile.toggleLogFile(r.clock.now());
    r.port.feed("OK");
    r.rx.poll();
    EXPECT_EQ(r.view.logLines, std::vector<std::string>{"OK"});
    EXPECT_EQ(r.view.errors.size(), 1u);
    EXPECT_EQ(r.afterAnswers, 1);
    EXPECT_EQ(r.logFile.caption(), "Go Log");
}

// A window that sleeps until msUntilPacketEnd() must show each packet at the
// same moment as the plain 1 ms poll.
TEST(Receiver, SleepingUntilThePacketEndChangesNothingObservable)
{
    struct Case {
        int32_t timeout;
        int startMs;  // Sunday 23:59:59.startMs
    };
    const Case cases[] = {{0, 100}, {50, 100}, {50, 990}, {1000, 500}, {-1, 100}, {5, 998}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.timeout) + " at " + std::to_string(c.startMs));
        std::vector<std::string> shown[2];
        for (int sleeping = 0; sleeping < 2; ++sleeping) {
            Rig r(c.timeout);
            r.options.showTime = true;
            r.clock.set(2024, 1, 7, 23, 59, 59, c.startMs);
            r.port.feed("A");
            r.rx.poll();
            r.clock.advance(3);
            r.port.feed("B");
            r.rx.poll();
            for (int guard = 0; guard < 5000 && r.rx.msUntilPacketEnd() >= 0; ++guard) {
                const int64_t wait = r.rx.msUntilPacketEnd();
                if (sleeping) {
                    r.clock.advance(std::max<int64_t>(wait, 1));
                    r.rx.poll();
                } else {
                    r.tick();
                }
            }
            EXPECT_EQ(r.rx.rxCount(), 0u);
            shown[sleeping] = r.view.logLines;
        }
        EXPECT_FALSE(shown[0].empty());
        EXPECT_EQ(shown[0], shown[1]);
    }
}

TEST(Receiver, TheWaitIsUntilTheFirstTickPastTheTimeout)
{
    struct Case {
        int32_t timeout;
        int readAtMs;  // Sunday 23:59:59.readAtMs
        int elapsed;
        int64_t wait;
    };
    const Case cases[] = {{50, 0, 0, 51},   {50, 0, 20, 31},   {0, 0, 0, 1},
                          {50, 990, 0, 51}, {50, 990, 10, 41}, {1000, 0, 2000, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.timeout) + " " + std::to_string(c.readAtMs) + " "
                     + std::to_string(c.elapsed));
        Rig r(c.timeout);
        EXPECT_EQ(r.rx.msUntilPacketEnd(), -1);
        r.clock.set(2024, 1, 7, 23, 59, 59, c.readAtMs);
        r.port.feed("A");
        r.rx.poll();
        r.clock.advance(c.elapsed);
        EXPECT_EQ(r.rx.msUntilPacketEnd(), c.wait);
    }
}

TEST(Receiver, TheModbusCheckMarksEveryWholeHexFrameAndNothingElse)
{
    const std::string good("\x01\x03\x02\x00\x2A\x39\x9B", 7);  // a register read answer, value 42
    std::string bad = good;
    bad[4] = '\x2B';
    const struct {
        bool check;
        bool hex;
        std::string frame;
        std::string line;
    } cases[] = {
        {true, true, good, "01 03 02 00 2A 39 9B [CRC ok]"},
        {true, true, bad, "01 03 02 00 2B 39 9B [CRC bad]"},
        {true, true, std::string("\x01\x83", 2), "01 83 [CRC bad]"},  // too short to hold a CRC
        {false, true, good, "01 03 02 00 2A 39 9B"},                  // off by default
        {true, false, "OK\r\n", "OK"},                                // ASCII packets are text
    };
    for (const auto& c : cases) {
        Rig r(5, c.hex);
        r.options.checkModbusCrc = c.check;
        r.port.feed(c.frame);
        ASSERT_GT(r.ticksUntilLine(), 0);
        ASSERT_EQ(r.view.logLines.size(), 1u);
        EXPECT_EQ(r.view.logLines[0], c.line);
    }
    // The early cut of a long stream is a piece, not a frame: it is not judged.
    Rig r(1000, true);
    r.options.checkModbusCrc = true;
    r.port.feed(std::string(1600, '\x11'));
    r.tick();
    ASSERT_EQ(r.view.logLines.size(), 1u);
    EXPECT_EQ(r.view.logLines[0].find("CRC"), std::string::npos);
}

// Whoever reads the device's answers (rules, waits, the plot) sees every byte
// once, in order, packet by packet, with when the packet's bytes came: the
// packets one after another are the stream, whatever the window showed.
TEST(Receiver, EveryPacketReachesTheObserverWithItsBytesAndTimes)
{
    struct Case {
        const char* name;
        bool hex;
        int32_t timeout;
    };
    for (const Case c :
         {Case{"text", false, 5}, Case{"hex", true, 5}, Case{"text, every read a packet", false, -1}}) {
        SCOPED_TRACE(c.name);
        Rig r(c.timeout, c.hex);
        std::vector<ReceivedPacket> seen;
        std::vector<std::string> bytes;
        r.rx.setPacketObserver([&](const ReceivedPacket& p) {
            seen.push_back(p);
            bytes.emplace_back(p.bytes);
        });
        const int64_t start = r.clock.monotonicNs();
        r.port.feed("AB");
        r.rx.poll();
        r.clock.advance(2);
        r.port.feed("C\n");  // a packet of text ending in a line break, then LF alone
        r.rx.poll();
        r.ticksUntilLine();
        r.port.feed("\n");
        r.rx.poll();
        for (int i = 0; i < 10; ++i)
            r.tick();
        std::string all;
        for (const std::string& b : bytes)
            all += b;
        EXPECT_EQ(all, "ABC\n\n");
        ASSERT_FALSE(seen.empty());
        EXPECT_EQ(seen.front().firstByteNs, start);
        if (c.timeout >= 0) {
            EXPECT_EQ(bytes.front(), "ABC\n");
            EXPECT_EQ(seen.front().lastByteNs, start + 2000000);
            EXPECT_TRUE(seen.front().endedBySilence);
        }
    }
}

TEST(Receiver, AStreamCutEarlyReachesTheObserverAsPiecesThatAreNoWholeFrame)
{
    Rig r(1000);
    std::string bytes;
    std::vector<bool> silence;
    r.rx.setPacketObserver([&](const ReceivedPacket& p) {
        bytes += p.bytes;
        silence.push_back(p.endedBySilence);
    });
    std::string stream;
    for (int i = 0; i < 100; ++i)  // more than the early cut's 1500 bytes
        stream += "line " + std::to_string(i) + " of a long stream\r\n";
    r.port.feed(stream);
    r.rx.poll();
    r.ticksUntilLine();
    for (int i = 0; i < 1100; ++i)
        r.tick();
    EXPECT_EQ(bytes, stream);
    ASSERT_GE(silence.size(), 2u);
    EXPECT_FALSE(silence.front());
    EXPECT_TRUE(silence.back());
}
