#include <gtest/gtest.h>

#include <string>

#include "support/fake_serial_port.h"
#include "transmit/codec.h"

namespace comtrax {
namespace {

using testing::hexBytes;
using testing::toHex;

TEST(hexToInt, DigitsOfBothCasesAndEverythingElseIsZero)
{
    const std::string digits = "0123456789ABCDEF";
    for (std::size_t i = 0; i < digits.size(); ++i) {
        EXPECT_EQ(hexToInt(digits[i]), static_cast<int>(i));
        EXPECT_EQ(hexToInt(static_cast<char>(std::tolower(digits[i]))), static_cast<int>(i));
    }
    for (const char c : std::string("Gg $-/:@`\x01\xC0\xFF"))
        EXPECT_EQ(hexToInt(c), 0) << int(static_cast<unsigned char>(c));
}

struct EncodeCase {
    bool hex;
    std::string main;
    std::string suffix;
    std::string bytes;  // spaced hex
    std::string echo;   // exact echo bytes
};

class EncodeLine : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(EncodeLine, BytesAndEcho)
{
    const EncodeCase& c = GetParam();
    const EncodedLine out = encodeLine(c.main, c.suffix, c.hex);
    EXPECT_EQ(toHex(out.bytes), toHex(hexBytes(c.bytes)));
    EXPECT_EQ(out.echo, c.echo);
}

INSTANTIATE_TEST_SUITE_P(
    WorkedExamplesAndEdges, EncodeLine,
    ::testing::Values(
        // The worked examples.
        EncodeCase{true, "01 02 03", " [SUM_8(0..n)]", "01 02 03 06", "01 02 03 06"},
        EncodeCase{true, "01 02 03", "$[SUM_8(0..n)]$0D", "01 02 03 06 0D", "01 02 03$06$0D"},
        // Without a separator the checksum is still a byte of its own.
        EncodeCase{true, "01 02 03", "[SUM_8(0..n)]", "01 02 03 06", "01 02 03 06"},
        EncodeCase{true, "01 02 03", " [FF - SUM_8(0..n)]", "01 02 03 F9", "01 02 03 F9"},
        EncodeCase{false, "AB", "$[SUM_8(0..n)]$0D", "41 42 83 0D", "AB\x83\r"},
        EncodeCase{false, "AB", "*[XOR_8 (0..n)]$0D$0A", "41 42 2A 30 33 0D 0A", "AB*03\r\n"},
        EncodeCase{false, "AB", "*[XOR_8 (1..n)]$0D$0A", "41 42 2A 34 32 0D 0A", "AB*42\r\n"},
        EncodeCase{false, "A$0D", "$0d", "41 24 30 44 0D", "A$0D\r"},
        // HEX pairs and separators.
        EncodeCase{true, "0102", "", "01 20", "0102"},
        EncodeCase{true, "01 02 0", "$0D", "01 02 00 D0", "01 02 0$0D"},
        EncodeCase{true, "01-02,03", "", "01 02 03", "01-02,03"}, EncodeCase{true, "G1", "", "01", "G1"},
        EncodeCase{true, "01 02", " 0D", "01 02 0D", "01 02 0D"}, EncodeCase{true, "ff", "", "FF", "ff"},
        // ASCII escapes at and past the end of the text.
        EncodeCase{false, "A", "$0", "41 00", std::string("A\0", 2)},
        EncodeCase{false, "A", "$", "41 00", std::string("A\0", 2)},
        EncodeCase{false, "A", "$ZZ", "41 00", std::string("A\0", 2)},
        EncodeCase{false, "A", "$4", "41 40", "A@"}, EncodeCase{false, "A", "\\r$41", "41 5C 72 41", "A\\rA"},
        EncodeCase{false, "abc", "[SUM_8(0..n)]", "61 62 63 32 36", "abc26"},
        // A misspelt tag is plain text.
        EncodeCase{false, "A", "[XOR_8(1..n)]", "41 5B 58 4F 52 5F 38 28 31 2E 2E 6E 29 5D",
                   "A[XOR_8(1..n)]"}));

struct CsumCase {
    int tag;
    std::string main;
    bool hex;
    int expected;
};

TEST(expandChecksumTags, EveryTagOverShortAndLongParts)
{
    const CsumCase cases[] = {
        {0, "01 02 03", true, 0x06},
        {1, "01 02 03", true, 0x05},
        {2, "01 02 03", true, 0x03},
        {3, "01 02 03", true, 0x00},
        {4, "01 02 03", true, 0x01},
        {5, "01 02 03", true, 0x03},
        {6, "01 02 03", true, 0xF9},
        {7, "01 02 03", true, 0xFA},
        {8, "01 02 03", true, 0xFC},
        {0, "abc", false, 0x26},
        {3, "AB", false, 0x03},
        {4, "AB", false, 0x42},
        // A main part shorter than the start of the range.
        {1, "A", false, 0x00},
        {5, "A", false, 0x00},
        {7, "A", false, 0xFF},
        {2, "01 02", true, 0x00},
        {8, "01", true, 0xFF},
        {0, "", false, 0x00},
        {6, "", true, 0xFF},
        // A final lone HEX digit d counts as the byte d0, as it is sent; the third
        // character of a triple is skipped.
        {0, "01 02 0", true, 0x03},
        {0, "01x02x03", true, 0x06},
        {0, "FF FF", true, 0xFE},
    };
    for (const auto& c : cases)
        EXPECT_EQ(expandChecksumTags(c.tag, c.main, c.hex), c.expected) << c.tag << " " << c.main;
}

TEST(expandChecksumTags, CoversEveryByteOfALongMainPart)
{
    // 300 bytes of 0x01: a 255-byte working area would give 0xFF instead of 300 mod 256.
    const std::string ascii(300, '\x01');
    EXPECT_EQ(expandChecksumTags(0, ascii, false), 300 % 256);
    EXPECT_EQ(expandChecksumTags(3, ascii, false), 0x00);
    std::string hex;
    for (int i = 0; i < 300; ++i)
        hex += i ? " 01" : "01";
    EXPECT_EQ(expandChecksumTags(0, hex, true), 300 % 256);
    EXPECT_EQ(expandChecksumTags(6, hex, true), 0xFF - 300 % 256);
}

TEST(suffixForEncoding, ReplacesEveryOccurrenceWithTheSameDigits)
{
    EXPECT_EQ(suffixForEncoding("[SUM_8(0..n)]-[SUM_8(0..n)]", "abc", false), "26-26");
    EXPECT_EQ(suffixForEncoding("[SUM_8(1..n)][XOR_8 (2..n)][FF - SUM_8(1..n)]", "A", false), "0000FF");
    // Upper-case digits, and nothing else of the suffix is touched.
    EXPECT_EQ(suffixForEncoding("$[XOR_8 (0..n)]$0d", "\x0A\x01", false), "$0B$0d");
    EXPECT_EQ(suffixForEncoding("no tags", "abc", false), "no tags");
    EXPECT_EQ(suffixForEncoding("", "abc", false), "");
}

TEST(suffixForEncoding, ChecksumsNeverCoverTheSuffixOrEarlierDigits)
{
    // The XOR covers only the main part, not the "26" the SUM tag put in before it.
    EXPECT_EQ(suffixForEncoding("[SUM_8(0..n)][XOR_8 (0..n)]", "abc", false), "2660");
}

TEST(suffixForEncoding, DigitsThatCompleteALaterTagAreReplacedToo)
{
    // Over an empty main part tag 6 gives FF, so replacing the inner tag leaves
    // "[FF - SUM_8(0..n)]", which the search from the start replaces again.
    EXPECT_EQ(suffixForEncoding("[[FF - SUM_8(0..n)] - SUM_8(0..n)]", "", true), "FF");
}

TEST(EncodeLine, LongLinesAreEncodedWhole)
{
    // 3000 ASCII characters and a suffix: more than the 2048-byte send area, all kept.
    const std::string main(3000, 'x');
    const EncodedLine a = encodeLine(main, "$0D", false);
    ASSERT_EQ(a.bytes.size(), 3001u);
    EXPECT_EQ(a.bytes.back(), '\r');
    EXPECT_EQ(a.bytes.substr(0, 3000), main);

    std::string hex;
    for (int i = 0; i < 2500; ++i)
        hex += i ? " 7F" : "7F";
    const EncodedLine h = encodeLine(hex, "$[SUM_8(0..n)]", true);
    ASSERT_EQ(h.bytes.size(), 2501u);
    EXPECT_EQ(static_cast<unsigned char>(h.bytes.back()), (2500 * 0x7F) % 256);
}

}  // namespace
}  // namespace comtrax

namespace comtrax {
namespace {

// The tag named by its text, so a test reads like what the user picks.
int tagIndex(const std::string& name)
{
    for (int i = 0; i < ChecksumTagCount; ++i)
        if (name == ChecksumTags[static_cast<std::size_t>(i)])
            return i;
    ADD_FAILURE() << "no tag " << name;
    return -1;
}

TEST(CrcTags, TheProtocolExamplesSendExactlyTheirBytes)
{
    const struct {
        bool hex;
        std::string main, suffix, bytes, echo;
    } cases[] = {
        // Modbus RTU in HEX: the CRC's two bytes follow as two more pairs.
        {true, "01 03 00 00 00 01", " [CRC16_MODBUS LO-HI(0..n)]", "01 03 00 00 00 01 84 0A",
         "01 03 00 00 00 01 84 0A"},
        {true, "01 03 00 00 00 01", " [CRC16_MODBUS HI-LO(0..n)]", "01 03 00 00 00 01 0A 84",
         "01 03 00 00 00 01 0A 84"},
        // ASCII, raw bytes: a "$" before the tag makes each CRC byte a byte.
        {false, "AB", "$[CRC16_XMODEM HI-LO(0..n)]$0D", "41 42 56 7B 0D", "AB\x56\x7B\r"},
        // ASCII, as text: without "$" the digits go as characters.
        {false, "AB", "[CRC16_XMODEM HI-LO(0..n)]$0D", "41 42 35 36 37 42 0D", "AB567B\r"},
        {false, "123456789", "$[CRC32 LO-HI(0..n)]", "31 32 33 34 35 36 37 38 39 26 39 F4 CB",
         "123456789\x26\x39\xF4\xCB"},
        {false, "123456789", "[CRC32 HI-LO(0..n)]", "31 32 33 34 35 36 37 38 39 43 42 46 34 33 39 32 36",
         "123456789CBF43926"},
    };
    for (const auto& c : cases) {
        const EncodedLine out = encodeLine(c.main, c.suffix, c.hex);
        EXPECT_EQ(testing::toHex(out.bytes), testing::toHex(testing::hexBytes(c.bytes)))
            << c.main << c.suffix;
        EXPECT_EQ(out.echo, c.echo) << c.main << c.suffix;
    }
}

TEST(CrcTags, EveryTagCoversItsRangeOnShortAndLongLines)
{
    // Each algorithm by its "123456789" check value, over the range the tag names.
    const struct {
        const char* family;  // the tag text before "(k..n)]"
        std::string check;   // the checksum of "123456789", in send order
    } families[] = {
        {"[CRC16_MODBUS LO-HI", "\x37\x4B"},
        {"[CRC16_MODBUS HI-LO", "\x4B\x37"},
        {"[CRC16_CCITT HI-LO", "\x29\xB1"},
        {"[CRC16_XMODEM HI-LO", "\x31\xC3"},
        {"[CRC8_SMBUS", "\xF4"},
        {"[CRC8_MAXIM", "\xA1"},
        {"[CRC32 LO-HI", "\x26\x39\xF4\xCB"},
        {"[CRC32 HI-LO", "\xCB\xF4\x39\x26"},
        {"[LRC_8", "\x23"},
    };
    for (const auto& f : families) {
        for (int from = 0; from < 3; ++from) {
            const int tag = tagIndex(std::string(f.family) + "(" + std::to_string(from) + "..n)]");
            // The range starts `from` bytes in: prefixing that many bytes changes nothing.
            const std::string line = std::string(static_cast<std::size_t>(from), 'x') + "123456789";
            EXPECT_EQ(checksumOfTag(tag, line, false), f.check) << f.family << from;
            // Lines of 0..3 bytes: the value over what is left of the range, never past its end.
            for (std::size_t n = 0; n <= 3; ++n) {
                const std::string shortLine = std::string("\x01\x02\x03", n);
                const std::string whole = checksumOfTag(tag, shortLine, false);
                EXPECT_EQ(whole.size(), f.check.size()) << f.family << from << " n=" << n;
                const std::string rest = n > std::size_t(from) ? shortLine.substr(std::size_t(from)) : "";
                EXPECT_EQ(whole, checksumOfTag(tagIndex(std::string(f.family) + "(0..n)]"), rest, false))
                    << f.family << from << " n=" << n;
            }
        }
    }
    // A 300-byte line in HEX gives what its bytes give in ASCII.
    std::string hexLine, raw;
    for (int i = 0; i < 300; ++i) {
        static const char digits[] = "0123456789ABCDEF";
        const auto b = static_cast<uint8_t>(i * 7);
        hexLine += std::string(i ? " " : "") + digits[b >> 4] + digits[b & 15];
        raw += static_cast<char>(b);
    }
    for (int tag = ClassicTagCount; tag < ChecksumTagCount; ++tag)
        EXPECT_EQ(checksumOfTag(tag, hexLine, true), checksumOfTag(tag, raw, false)) << ChecksumTags[tag];
}

TEST(CrcTags, TheClassicTagsKeepTheirPlacesAndNoNameHoldsAnother)
{
    EXPECT_STREQ(ChecksumTags[0], "[SUM_8(0..n)]");
    EXPECT_STREQ(ChecksumTags[8], "[FF - SUM_8(2..n)]");
    for (int a = 0; a < ChecksumTagCount; ++a) {
        for (int b = 0; b < ChecksumTagCount; ++b) {
            if (a != b) {
                EXPECT_EQ(std::string(ChecksumTags[a]).find(ChecksumTags[b]), std::string::npos)
                    << ChecksumTags[a] << " holds " << ChecksumTags[b];
            }
        }
    }
    EXPECT_EQ(checksumOfTag(-1, "abc", false), "");
    EXPECT_EQ(checksumOfTag(ChecksumTagCount, "abc", false), "");
    EXPECT_EQ(expandChecksumTags(ClassicTagCount, "abc", false),
              0);  // the one-byte view of the classic nine only
}

}  // namespace
}  // namespace comtrax
