// HEX fields: every type in both byte orders, scale and offset, fields
// beyond the packet, the field list's text, and frames kept only when their
// checksum is good.
#include <gtest/gtest.h>

#include "plot/hex_fields.h"

using namespace comtrax;

namespace {

std::string bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values)
        out += static_cast<char>(v);
    return out;
}

HexField field(FieldType type, bool bigEndian, std::size_t offset = 1, double scale = 1, double add = 0)
{
    return HexField{"f", offset, type, bigEndian, scale, add};
}

}  // namespace

TEST(HexField, EveryTypeInBothByteOrders)
{
    // A leading byte so that offsets are not all zero.
    const std::string packet = bytes({0xAA, 0xFE, 0xFF, 0x80, 0x3F, 0x01});
    struct Case {
        FieldType type;
        bool bigEndian;
        double expected;
    };
    const std::vector<Case> cases = {
        {FieldType::U8, false, 0xFE},        {FieldType::I8, false, -2},
        {FieldType::U16, false, 0xFFFE},     {FieldType::U16, true, 0xFEFF},
        {FieldType::I16, false, -2},         {FieldType::I16, true, -257},
        {FieldType::U32, false, 0x3F80FFFE}, {FieldType::U32, true, 0xFEFF803F},
        {FieldType::I32, false, 0x3F80FFFE}, {FieldType::I32, true, -16809921},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(readHexField(field(c.type, c.bigEndian), packet), c.expected)
            << static_cast<int>(c.type) << (c.bigEndian ? " be" : " le");
    }
    const std::string floats = bytes({0x00, 0x00, 0x00, 0xC0, 0x3F, 0x3F, 0xC0, 0x00, 0x00});
    EXPECT_EQ(readHexField(field(FieldType::F32, false, 1), floats), 1.5);
    EXPECT_EQ(readHexField(field(FieldType::F32, true, 5), bytes({0, 0, 0, 0, 0, 0x3F, 0xC0, 0, 0})), 1.5);
    EXPECT_EQ(readHexField(field(FieldType::I16, true, 1, 0.1, -40), bytes({0, 0x01, 0xF4})), 10.0);
}

TEST(HexField, NothingBeyondThePacketOrForAFloatThatIsNoNumber)
{
    const std::string packet = bytes({1, 2, 3});
    EXPECT_FALSE(readHexField(field(FieldType::U8, false, 3), packet));
    EXPECT_FALSE(readHexField(field(FieldType::U16, false, 2), packet));
    EXPECT_FALSE(readHexField(field(FieldType::U32, false, 0), packet));
    EXPECT_FALSE(readHexField(field(FieldType::U8, false, 65535), ""));
    EXPECT_TRUE(readHexField(field(FieldType::U16, false, 1), packet));
    EXPECT_FALSE(readHexField(field(FieldType::F32, false, 0), bytes({0, 0, 0xC0, 0x7F})));  // NaN
    EXPECT_FALSE(readHexField(field(FieldType::F32, false, 0), bytes({0, 0, 0x80, 0x7F})));  // inf
}

TEST(HexFieldList, ParsesFormatsAndNamesTheBadEntry)
{
    std::string error;
    const auto fields = parseHexFields("temp 3 i16be 0.1 -40; hum 5 u16 ;; v 0 f32le 2", error);
    ASSERT_TRUE(fields) << error;
    ASSERT_EQ(fields->size(), 3u);
    EXPECT_EQ((*fields)[0], (HexField{"temp", 3, FieldType::I16, true, 0.1, -40}));
    EXPECT_EQ((*fields)[1], (HexField{"hum", 5, FieldType::U16, false, 1, 0}));
    EXPECT_EQ((*fields)[2], (HexField{"v", 0, FieldType::F32, false, 2, 0}));
    const auto again = parseHexFields(formatHexFields(*fields), error);
    ASSERT_TRUE(again);
    EXPECT_EQ(*again, *fields);
    for (const auto& [text, where] :
         std::vector<std::pair<std::string, std::string>>{{"a 1", "1:"},
                                                          {"a 1 u8; b -1 u8", "2:"},
                                                          {"a x u8", "1:"},
                                                          {"a 1 u64", "1:"},
                                                          {"a 1 u8 x", "1:"},
                                                          {"a 1 u8 1 nan", "1:"},
                                                          {"a 1.5 u8", "1:"},
                                                          {"a 99999 u8", "1:"}}) {
        error.clear();
        EXPECT_FALSE(parseHexFields(text, error)) << text;
        EXPECT_EQ(error.rfind(where, 0), 0u) << text << ": " << error;
    }
    EXPECT_TRUE(parseHexFields("", error)->empty());
}

TEST(HexFrame, KeptOnlyWhenTheChecksumConditionHolds)
{
    const std::vector<HexField> fields = {{"reg", 3, FieldType::U16, true, 1, 0},
                                          {"far", 40, FieldType::U8, false, 1, 0}};
    // A Modbus answer to "read one holding register": 01 03 02 00 2A and its CRC.
    const std::string good = bytes({0x01, 0x03, 0x02, 0x00, 0x2A, 0x39, 0x9B});
    std::string bad = good;
    bad[4] = 0x2B;
    const ChecksumCondition modbus{ChecksumCondition::Kind::ModbusFrame, 0};
    const FrameValues taken = readHexFrame(fields, modbus, good);
    EXPECT_FALSE(taken.rejected);
    EXPECT_EQ(taken.values, (std::vector<NamedValue>{{"reg", 42}}));
    EXPECT_EQ(taken.missingFields, 1u);
    EXPECT_TRUE(readHexFrame(fields, modbus, bad).rejected);
    EXPECT_TRUE(readHexFrame(fields, modbus, bad).values.empty());
    EXPECT_FALSE(readHexFrame(fields, {}, bad).rejected);
    // A tag's checksum: the 8-bit sum of all bytes before it.
    const ChecksumCondition sum{ChecksumCondition::Kind::Tag, 0};
    EXPECT_FALSE(readHexFrame(fields, sum, bytes({1, 2, 3, 0, 5, 11})).rejected);
    EXPECT_TRUE(readHexFrame(fields, sum, bytes({1, 2, 3, 0, 5, 12})).rejected);
}
