// The times shown beside a received packet.
#include <gtest/gtest.h>

#include "receive/packet_times.h"
#include "support/fake_clock.h"

using namespace comtrax;
using namespace comtrax::testing;

namespace {

constexpr int64_t Ms = 1000000;

}  // namespace

TEST(PacketTimes, EachChosenFieldInOneGroupAndNothingWhenNoneIsChosen)
{
    FakeClock clock;
    clock.set(2024, 3, 6, 14, 3, 7, 1);
    const PacketClockReading now{clock.now(), 500 * Ms};
    FramedPacket p;
    p.firstByteNs = 500 * Ms - 7 * Ms;  // 7 ms before the reading
    p.silenceBeforeNs = 12345678;
    const struct {
        PacketTimes times;
        int64_t lastSentNs;
        std::string text;
    } cases[] = {
        {{}, -1, ""},
        {{true, false, false}, -1, "{@14:03:06.994} "},
        {{false, true, false}, -1, "{gap 12.345ms} "},
        {{false, false, true}, 490 * Ms, "{ans 3.000ms} "},
        // Nothing sent yet, or sent after the packet began: no answer time.
        {{false, false, true}, -1, "{ans -} "},
        {{false, false, true}, 495 * Ms, "{ans -} "},
        {{true, true, true}, 480 * Ms, "{@14:03:06.994 gap 12.345ms ans 13.000ms} "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(formatPacketTimes(p, c.times, now, c.lastSentNs), c.text);
    }
    p.silenceBeforeNs = -1;  // the first packet: no silence to measure
    EXPECT_EQ(formatPacketTimes(p, {false, true, false}, now, -1), "{gap -} ");
}

TEST(PacketTimes, AnArrivalJustBeforeMidnightKeepsItsDay)
{
    FakeClock clock;
    clock.set(2024, 3, 6, 0, 0, 0, 2);
    EXPECT_EQ(formatTimeBefore({clock.now(), 0}, 5 * Ms), "23:59:59.997");
}
