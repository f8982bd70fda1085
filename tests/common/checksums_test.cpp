// The catalogue check values: each model over the ASCII bytes "123456789".
#include <gtest/gtest.h>

#include "common/checksums.h"

using namespace comtrax;

TEST(Checksums, EveryModelGivesItsCatalogueCheckValue)
{
    const struct {
        const char* name;
        CrcModel model;
        uint32_t check;
    } cases[] = {
        {"CRC-16/MODBUS", Crc16Modbus, 0x4B37}, {"CRC-16/IBM-3740", Crc16CcittFalse, 0x29B1},
        {"CRC-16/XMODEM", Crc16Xmodem, 0x31C3}, {"CRC-8/SMBUS", Crc8Smbus, 0xF4},
        {"CRC-8/MAXIM-DOW", Crc8Maxim, 0xA1},   {"CRC-32/ISO-HDLC", Crc32IsoHdlc, 0xCBF43926},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(crc(c.model, "123456789"), c.check) << c.name;
        EXPECT_EQ(crc(c.model, ""), (c.model.init ^ c.model.xorOut)) << c.name << " over nothing";
    }
    EXPECT_EQ(lrc8("123456789"), 0x23);
    EXPECT_EQ(lrc8(""), 0x00);
}

TEST(Checksums, AModbusFrameIsCheckedByItsLastTwoBytesLowFirst)
{
    // Read holding registers, unit 1, register 0, count 1: its CRC is 84 0A.
    const std::string request("\x01\x03\x00\x00\x00\x01\x84\x0A", 8);
    EXPECT_TRUE(endsWithValidModbusCrc(request));
    EXPECT_FALSE(endsWithValidModbusCrc(std::string("\x01\x03\x00\x00\x00\x01\x0A\x84", 8)));  // swapped
    std::string corrupted = request;
    corrupted[3] = '\x01';
    EXPECT_FALSE(endsWithValidModbusCrc(corrupted));
    EXPECT_FALSE(endsWithValidModbusCrc(std::string("\xFF\xFF", 2)));  // a CRC with nothing before it
    EXPECT_FALSE(endsWithValidModbusCrc(""));
}
