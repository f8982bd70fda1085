// A received packet checked with the algorithm of a checksum tag, the way a
// rule or the plot asks whether a frame came whole.
#include <gtest/gtest.h>

#include <string>

#include "support/fake_serial_port.h"
#include "transmit/codec.h"

namespace comtrax {
namespace {

using testing::hexBytes;

TEST(PacketCheck, APacketEndingInItsTagsChecksumHoldsAndAnyChangedByteFails)
{
    const std::string body = hexBytes("01 03 00 00 00 01");
    for (int tag = 0; tag < ChecksumTagCount; ++tag) {
        SCOPED_TRACE(ChecksumTags[static_cast<std::size_t>(tag)]);
        // The sender appends the checksum of the line's bytes; the receiver sees both.
        const std::string packet = body + checksumOfTag(tag, body, false);
        const ChecksumCondition condition{ChecksumCondition::Kind::Tag, tag};
        EXPECT_TRUE(checksumConditionHolds(condition, packet));
        std::string damaged = packet;
        damaged.back() = static_cast<char>(damaged.back() ^ 0x01);
        EXPECT_FALSE(checksumConditionHolds(condition, damaged));
        // Bytes the tag's range leaves out change nothing; the others do.
        std::string first = packet;
        first[0] = static_cast<char>(first[0] ^ 0x40);
        EXPECT_EQ(checksumConditionHolds(condition, first), tag % 3 != 0);
        // Too short to hold the checksum and the bytes its range skips.
        EXPECT_FALSE(endsWithTagChecksum(tag, packet.substr(0, tag % 3)));
    }
}

TEST(PacketCheck, TheModbusFrameCheckAndNoConditionAtAll)
{
    const ChecksumCondition modbus{ChecksumCondition::Kind::ModbusFrame, 0};
    EXPECT_TRUE(checksumConditionHolds(modbus, hexBytes("01 03 00 00 00 01 84 0A")));
    EXPECT_FALSE(checksumConditionHolds(modbus, hexBytes("01 03 00 00 00 01 0A 84")));
    EXPECT_TRUE(checksumConditionHolds(ChecksumCondition{}, ""));
    EXPECT_FALSE(
        checksumConditionHolds(ChecksumCondition{ChecksumCondition::Kind::Tag, ChecksumTagCount}, "x"));
}

}  // namespace
}  // namespace comtrax
