// The framing rules on stamped reads: every case states when the bytes came,
// so a late reader never changes where a packet ends.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "receive/framer.h"
#include "receive/hand_over_policy.h"

using namespace comtrax;

namespace {

constexpr int64_t Ms = 1000000;

struct Read {
    std::string bytes;
    int64_t atNs;
};

// Feeds the reads, asks what is due after each (nothing more waiting), then
// once more at the end; returns the packets' bytes.
std::vector<std::string> frame(const std::vector<Read>& reads, int32_t timeoutMs, int64_t endNs,
                               bool hex = false)
{
    Framer f;
    f.setGapNs(gapForTimeoutNs(timeoutMs));
    f.setHex(hex);
    std::vector<FramedPacket> out;
    for (const Read& r : reads) {
        f.feed(reinterpret_cast<const uint8_t*>(r.bytes.data()), static_cast<uint32_t>(r.bytes.size()),
               r.atNs, out);
        f.cutEarly(out);
    }
    f.due(endNs, true, out);
    std::vector<std::string> bytes;
    for (const FramedPacket& p : out)
        bytes.push_back(p.bytes);
    return bytes;
}

}  // namespace

TEST(Framer, SilencesJustUnderAndOverTheTimeout)
{
    using V = std::vector<std::string>;
    const struct {
        int32_t timeout;
        int64_t gapNs;  // between the two reads
        V packets;
    } cases[] = {
        // TimeRX 5: a silence that rounds to 5 ms is no end, one that
        // rounds to 6 ms is.
        {5, 5 * Ms + Ms / 2 - 1, V{"AB"}},
        {5, 5 * Ms + Ms / 2, V{"A", "B"}},
        {5, 5 * Ms, V{"AB"}},
        // TimeRX 0: half a millisecond of silence ends a packet.
        {0, Ms / 2 - 1, V{"AB"}},
        {0, Ms / 2, V{"A", "B"}},
        // Negative: every read is a packet of its own, however close.
        {-1, 1, V{"A", "B"}},
        {2, 2 * Ms + Ms / 2 - 1, V{"AB"}},
        {2, 2 * Ms + Ms / 2, V{"A", "B"}},
        // The largest setting keeps the same half millisecond.
        {100000, 100000 * Ms + Ms / 2 - 1, V{"AB"}},
        {100000, 100000 * Ms + Ms / 2, V{"A", "B"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.timeout) + " " + std::to_string(c.gapNs));
        const int64_t t0 = 5000 * Ms;
        EXPECT_EQ(frame({{"A", t0}, {"B", t0 + c.gapNs}}, c.timeout, t0 + 2 * c.gapNs + 1000 * Ms),
                  c.packets);
    }
}

TEST(Framer, APacketIsDueOnlyOnceItsSilenceHasRunOut)
{
    Framer f;
    f.setGapNs(gapForTimeoutNs(5));
    std::vector<FramedPacket> out;
    f.feed(reinterpret_cast<const uint8_t*>("xy"), 2, 100 * Ms, out);
    EXPECT_EQ(f.deadlineNs(), 105 * Ms + Ms / 2);
    f.due(105 * Ms + Ms / 2 - 1, true, out);
    EXPECT_TRUE(out.empty());
    f.due(105 * Ms + Ms / 2, true, out);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].bytes, "xy");
    EXPECT_EQ(out[0].firstByteNs, 100 * Ms);
    EXPECT_EQ(out[0].lastByteNs, 100 * Ms);
    EXPECT_TRUE(out[0].endedBySilence);
    EXPECT_TRUE(out[0].deviceQuiet);
    EXPECT_EQ(f.deadlineNs(), -1);
}

// Packets every 10 ms read late, all at once after a busy spell: the stamps
// still tell them apart, where a reader framing at read time would merge them.
TEST(Framer, ReadsStampedAsTheyCameKeepPacketsApartWhateverTheReaderDid)
{
    std::vector<Read> reads;
    std::vector<std::string> expected;
    for (int i = 0; i < 20; ++i) {
        const std::string packet = "pkt" + std::to_string(i % 10) + "abcd";
        reads.push_back({packet.substr(0, 3), i * 10 * Ms});
        reads.push_back({packet.substr(3), i * 10 * Ms + Ms / 2});
        expected.push_back(packet);
    }
    EXPECT_EQ(frame(reads, 5, 400 * Ms), expected);
}

TEST(Framer, SilenceBeforeAPacketIsMeasuredFromThePreviousPacketsLastByte)
{
    Framer f;
    f.setGapNs(gapForTimeoutNs(2));
    std::vector<FramedPacket> out;
    f.feed(reinterpret_cast<const uint8_t*>("a"), 1, 10 * Ms, out);
    f.feed(reinterpret_cast<const uint8_t*>("b"), 1, 11 * Ms, out);
    f.due(20 * Ms, true, out);
    f.feed(reinterpret_cast<const uint8_t*>("c"), 1, 31 * Ms, out);
    f.due(40 * Ms, true, out);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].silenceBeforeNs, -1);
    EXPECT_EQ(out[1].silenceBeforeNs, 20 * Ms);
}

TEST(Framer, TheEarlyCutTakesTextToItsLastLineBreakAndHexWhole)
{
    const std::string line(1000, 'x');
    const std::string text = line + "\r\n" + line;  // 2002 bytes, one break
    const struct {
        bool hex;
        std::vector<std::string> pieces;
    } cases[] = {
        {false, {line + "\r\n", line}},
        {true, {text.substr(0, 1501), text.substr(1501)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hex);
        std::vector<Read> reads;
        // A stream in reads 1 ms apart: no silence, only the size ends a piece.
        for (std::size_t i = 0, k = 0; i < text.size(); i += 1501, ++k) {
            const std::size_t n = std::min<std::size_t>(1501, text.size() - i);
            reads.push_back({text.substr(i, n), int64_t(k) * Ms});
        }
        const auto got = frame(reads, 50, 1000 * Ms, c.hex);
        EXPECT_EQ(got, c.pieces);
    }
}

TEST(Framer, AnEarlyCutPieceIsNoWholeFrame)
{
    Framer f;
    f.setGapNs(gapForTimeoutNs(50));
    f.setHex(true);
    std::vector<FramedPacket> out;
    const std::string big(1600, 'z');
    f.feed(reinterpret_cast<const uint8_t*>(big.data()), 1600, Ms, out);
    f.cutEarly(out);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_FALSE(out[0].endedBySilence);
    EXPECT_FALSE(out[0].deviceQuiet);
    EXPECT_EQ(f.held(), 0u);
}

TEST(Framer, AReadNeverHoldsMoreThanTheBuffer)
{
    Framer f;
    std::vector<FramedPacket> out;
    const std::string big(5000, 'q');
    EXPECT_EQ(f.room(), Framer::BufferSize);
    f.feed(reinterpret_cast<const uint8_t*>(big.data()), 5000, Ms, out);
    EXPECT_EQ(f.held(), Framer::BufferSize);
    EXPECT_EQ(f.room(), 0u);
}

TEST(Framer, FlushShowsWhatIsHeldWithoutCallingItAnAnswer)
{
    Framer f;
    f.setGapNs(gapForTimeoutNs(1000));
    std::vector<FramedPacket> out;
    f.feed(reinterpret_cast<const uint8_t*>("half"), 4, Ms, out);
    f.flush(out);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].bytes, "half");
    EXPECT_FALSE(out[0].deviceQuiet);
    EXPECT_EQ(f.held(), 0u);
}

TEST(Framer, ThreeAndAHalfCharactersFollowTheBaudRateAndFrame)
{
    const struct {
        int baud, dataBits;
        bool parity;
        int stopTimesTwo;
        int64_t ns;
    } cases[] = {
        {9600, 8, true, 2, 4010417},   // 11 bits: 38.5 bit times
        {9600, 8, false, 2, 3645833},  // 10 bits: 35 bit times
        {9600, 8, false, 4, 4010417},  // two stop bits: 11 bits
        {1200, 7, true, 3, 30625000},  // 10.5 bits: 36.75 bit times
        {19200, 8, true, 2, 2005208},  // the last rate that follows the characters
        {38400, 8, true, 2, 1750000},  // above 19200: fixed
        {115200, 8, false, 2, 1750000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.baud);
        EXPECT_EQ(gapForCharactersNs(c.baud, c.dataBits, c.parity, c.stopTimesTwo), c.ns);
    }
}

TEST(HandOverPolicy, WakesAtOnceAfterAQuietSpellAndOnceAFrameWhileAStreamFlows)
{
    HandOverPolicy p(40 * Ms);
    EXPECT_EQ(p.deadlineNs(), -1);
    EXPECT_TRUE(p.wakeNow(100 * Ms, false));   // first packet: at once
    EXPECT_FALSE(p.wakeNow(110 * Ms, false));  // within the frame: waits
    EXPECT_EQ(p.deadlineNs(), 140 * Ms);
    EXPECT_FALSE(p.wakeAtDeadline(139 * Ms));
    EXPECT_TRUE(p.wakeAtDeadline(140 * Ms));
    EXPECT_EQ(p.deadlineNs(), -1);
    EXPECT_FALSE(p.wakeAtDeadline(300 * Ms));  // nothing waits: no wake
    EXPECT_TRUE(p.wakeNow(300 * Ms, false));   // after a quiet spell: at once
    EXPECT_TRUE(p.wakeNow(301 * Ms, true));    // urgent: at once
}

TEST(HandOverPolicy, AStreamOfPacketsEvery5MsWakesTheWindowAtMostOnceAFrame)
{
    HandOverPolicy p(40 * Ms);
    int wakes = 0;
    for (int64_t t = 0; t < 1000 * Ms; t += Ms) {
        if (t % (5 * Ms) == 0)
            wakes += p.wakeNow(t, false);
        wakes += p.wakeAtDeadline(t);
    }
    EXPECT_LE(wakes, 26);
    EXPECT_GE(wakes, 24);
}

// Reads that end no packet bring counts only. They never wake the window at
// once nor use up the wake a packet after a quiet spell gets, and a trickle
// that never ends a packet still reaches the window once a frame.
TEST(HandOverPolicy, CountsAloneWaitAndLeaveThePacketItsWakeAtOnce)
{
    HandOverPolicy p(40 * Ms);
    p.countsWaiting(100 * Ms);  // the packet's bytes arrive
    EXPECT_EQ(p.deadlineNs(), 140 * Ms);
    EXPECT_FALSE(p.wakeAtDeadline(104 * Ms));
    EXPECT_TRUE(p.wakeNow(105 * Ms, false));  // its end: at once
    EXPECT_EQ(p.deadlineNs(), -1);

    // A trickle of counts: one wake a frame, none of them a packet's.
    int wakes = 0;
    for (int64_t t = 1000 * Ms; t < 1400 * Ms; t += 4 * Ms) {
        p.countsWaiting(t);
        wakes += p.wakeAtDeadline(t);
    }
    EXPECT_GE(wakes, 9);
    EXPECT_LE(wakes, 10);
    EXPECT_TRUE(p.wakeNow(1401 * Ms, false));  // a packet right after a counts wake: at once

    // Counts while a packet waits for its frame go with it: no wake of their own.
    EXPECT_FALSE(p.wakeNow(1410 * Ms, false));
    p.countsWaiting(1411 * Ms);
    EXPECT_EQ(p.deadlineNs(), 1441 * Ms);
    EXPECT_TRUE(p.wakeAtDeadline(1441 * Ms));
    EXPECT_EQ(p.deadlineNs(), -1);
}
