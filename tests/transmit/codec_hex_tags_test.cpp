// Checksum tags in HEX mode: the tag's bytes are bytes of their own wherever
// the tag stands, and the checksum covers exactly the bytes the line sends.
// The expected checksums come from a reference written here, independent of
// the program's own: the textbook bit-at-a-time CRC (one message bit per
// step), checked against the catalogue's check values before it is used.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "support/fake_serial_port.h"
#include "transmit/codec.h"

namespace comtrax {
namespace {

using testing::hexBytes;
using testing::toHex;

uint32_t mirrored(uint32_t v, int bits)
{
    uint32_t r = 0;
    for (int i = 0; i < bits; ++i)
        r = (r << 1) | ((v >> i) & 1u);
    return r;
}

// The direct algorithm: each message bit (low bit first for the reflected
// models) enters the register's top; the polynomial is taken when the bit
// shifted out differs from it.
uint32_t referenceCrc(const std::string& bytes, int width, uint32_t poly, uint32_t init, bool reflected,
                      uint32_t xorOut)
{
    const uint32_t mask = width == 32 ? 0xFFFFFFFFu : (1u << width) - 1;
    uint32_t reg = init;
    for (const char c : bytes) {
        const auto byte = static_cast<uint8_t>(c);
        for (int k = 0; k < 8; ++k) {
            const uint32_t in = reflected ? (byte >> k) & 1u : (byte >> (7 - k)) & 1u;
            const uint32_t out = (reg >> (width - 1)) & 1u;
            reg = (reg << 1) & mask;
            if (in != out)
                reg ^= poly;
        }
    }
    if (reflected)
        reg = mirrored(reg, width);
    return (reg ^ xorOut) & mask;
}

// The value's bytes, high byte first unless lowFirst.
std::string inOrder(uint32_t value, int width, bool lowFirst)
{
    std::string out;
    for (int shift = width - 8; shift >= 0; shift -= 8)
        out += static_cast<char>((value >> shift) & 0xFF);
    return lowFirst ? std::string(out.rbegin(), out.rend()) : out;
}

uint8_t sumOf(const std::string& bytes)
{
    unsigned sum = 0;
    for (const char c : bytes)
        sum += static_cast<uint8_t>(c);
    return static_cast<uint8_t>(sum % 256);
}

struct Family {
    const char* prefix;  // the tag's text before "k..n)]"
    std::function<std::string(const std::string&)> value;
    std::string check;  // over "123456789"
};

const std::vector<Family>& families()
{
    static const std::vector<Family> all = {
        {"[SUM_8(", [](const std::string& b) { return std::string(1, static_cast<char>(sumOf(b))); }, "\xDD"},
        {"[XOR_8 (",
         [](const std::string& b) {
             uint8_t x = 0;
             for (const char c : b)
                 x = static_cast<uint8_t>(x ^ static_cast<uint8_t>(c));
             return std::string(1, static_cast<char>(x));
         },
         "\x31"},
        {"[FF - SUM_8(",
         [](const std::string& b) { return std::string(1, static_cast<char>(0xFF - sumOf(b))); }, "\x22"},
        {"[CRC16_MODBUS LO-HI(",
         [](const std::string& b) { return inOrder(referenceCrc(b, 16, 0x8005, 0xFFFF, true, 0), 16, true); },
         "\x37\x4B"},
        {"[CRC16_MODBUS HI-LO(",
         [](const std::string& b) {
             return inOrder(referenceCrc(b, 16, 0x8005, 0xFFFF, true, 0), 16, false);
         },
         "\x4B\x37"},
        {"[CRC16_CCITT HI-LO(",
         [](const std::string& b) {
             return inOrder(referenceCrc(b, 16, 0x1021, 0xFFFF, false, 0), 16, false);
         },
         "\x29\xB1"},
        {"[CRC16_XMODEM HI-LO(",
         [](const std::string& b) { return inOrder(referenceCrc(b, 16, 0x1021, 0, false, 0), 16, false); },
         "\x31\xC3"},
        {"[CRC8_SMBUS(",
         [](const std::string& b) { return inOrder(referenceCrc(b, 8, 0x07, 0, false, 0), 8, false); },
         "\xF4"},
        {"[CRC8_MAXIM(",
         [](const std::string& b) { return inOrder(referenceCrc(b, 8, 0x31, 0, true, 0), 8, false); },
         "\xA1"},
        {"[CRC32 LO-HI(",
         [](const std::string& b) {
             return inOrder(referenceCrc(b, 32, 0x04C11DB7, 0xFFFFFFFF, true, 0xFFFFFFFF), 32, true);
         },
         "\x26\x39\xF4\xCB"},
        {"[CRC32 HI-LO(",
         [](const std::string& b) {
             return inOrder(referenceCrc(b, 32, 0x04C11DB7, 0xFFFFFFFF, true, 0xFFFFFFFF), 32, false);
         },
         "\xCB\xF4\x39\x26"},
        {"[LRC_8(", [](const std::string& b) { return std::string(1, static_cast<char>(-sumOf(b))); },
         "\x23"},
    };
    return all;
}

TEST(HexChecksumTags, TheReferenceGivesTheCataloguesCheckValues)
{
    int tags = 0;
    for (const Family& f : families()) {
        EXPECT_EQ(toHex(f.value("123456789")), toHex(f.check)) << f.prefix;
        for (int from = 0; from < 3; ++from) {
            const std::string name = std::string(f.prefix) + std::to_string(from) + "..n)]";
            bool known = false;
            for (const char* tag : ChecksumTags)
                known = known || name == tag;
            EXPECT_TRUE(known) << name;
            tags += known;
        }
    }
    EXPECT_EQ(tags, ChecksumTagCount);  // the reference covers every tag
}

// Every tag, placed every way a user places it, after lines that end in a
// pair, in a blank or in a lone digit: the line's bytes, then the reference's
// checksum over them, then what follows the tag. The echo, read back as a HEX
// line, gives the same bytes.
TEST(HexChecksumTags, EveryTagSendsItsBytesWhateverTheSpacingAroundIt)
{
    const struct {
        std::string text;
        std::string bytes;  // what the line sends before the tag
    } lines[] = {
        {"01 03 00 00 00 01", "01 03 00 00 00 01"},
        {"01 03 00 00 00 01 ", "01 03 00 00 00 01"},  // ends in a blank
        {"01 03 0", "01 03 00"},                      // a lone digit: d pairs with nothing, d0
        {"A5 5", "A5 50"},
        {"7F", "7F"},  // shorter than the ranges that start later
    };
    const struct {
        std::string before, after;  // around the tag in the suffix
        std::string tail;           // the bytes of `after`
    } layouts[] = {
        {"", "", ""},       {"$", "", ""},      {" ", "", ""},    {"  ", "", ""},
        {"$", "$0D", "0D"}, {" ", " 0D", "0D"}, {"", "0D", "0D"}, {"  ", "  0D 0A", "0D 0A"},
    };
    for (const Family& f : families()) {
        for (int from = 0; from < 3; ++from) {
            const std::string tag = std::string(f.prefix) + std::to_string(from) + "..n)]";
            for (const auto& line : lines) {
                const std::string sent = hexBytes(line.bytes);
                const std::string range =
                    sent.size() > std::size_t(from) ? sent.substr(std::size_t(from)) : "";
                for (const auto& layout : layouts) {
                    const std::string suffix = layout.before + tag + layout.after;
                    const EncodedLine out = encodeLine(line.text, suffix, true);
                    const std::string expected = sent + f.value(range) + hexBytes(layout.tail);
                    EXPECT_EQ(toHex(out.bytes), toHex(expected))
                        << "'" << line.text << "' + '" << suffix << "'";
                    EXPECT_EQ(toHex(encodeLine(out.echo, "", true).bytes), toHex(out.bytes))
                        << "echo '" << out.echo << "' of '" << line.text << "' + '" << suffix << "'";
                }
            }
        }
    }
}

struct HexCase {
    std::string main, suffix;
    std::string bytes;  // spaced hex
    std::string echo;
};

// What a user sees: the bytes on the wire and the echo of the log.
TEST(HexChecksumTags, TheLinesAUserTypesSendAndEchoTheirChecksum)
{
    const HexCase cases[] = {
        // The bare tag, as the suffix drop-down puts it in.
        {"01 03 00 00 00 01", "[CRC16_MODBUS LO-HI(0..n)]", "01 03 00 00 00 01 84 0A",
         "01 03 00 00 00 01 84 0A"},
        {"01 03 00 00 00 01 ", " [CRC16_MODBUS LO-HI(0..n)]", "01 03 00 00 00 01 84 0A",
         "01 03 00 00 00 01 84 0A"},
        // A lone digit counts as d0 on the wire and in the checksum alike.
        {"01 03 0", " [CRC16_MODBUS LO-HI(0..n)]", "01 03 00 20 F0", "01 03 00 20 F0"},
        {"01 03 5", "[CRC16_MODBUS LO-HI(0..n)]", "01 03 50 20 CC", "01 03 50 20 CC"},
        {"01 02 5", " [SUM_8(0..n)]", "01 02 50 53", "01 02 50 53"},
        {"0102", "[SUM_8(0..n)]", "01 20 21", "01020 21"},
        {"01 02 03", "[SUM_8(0..n)]", "01 02 03 06", "01 02 03 06"},
        {"01 02 03", "$[SUM_8(0..n)]$0D", "01 02 03 06 0D", "01 02 03$06$0D"},
        {"01 02 03", " $[SUM_8(0..n)]", "01 02 03 06", "01 02 03$06"},
        {"01 02 03,", "[SUM_8(0..n)]", "01 02 03 06", "01 02 03,06"},
        // Text after a tag starts after the blanks or "$" that follow it.
        {"01 02 03", "[SUM_8(0..n)]0D", "01 02 03 06 0D", "01 02 03 06 0D"},
        {"01 02 03", "[SUM_8(0..n)][XOR_8 (0..n)]", "01 02 03 06 00", "01 02 03 06 00"},
        {"01 02 03", " [SUM_8(0..n)]  [XOR_8 (1..n)] ", "01 02 03 06 01", "01 02 03 06 01"},
        {"01 02 03", "[CRC16_XMODEM HI-LO(0..n)]$[SUM_8(0..n)]", "01 02 03 61 31 06", "01 02 03 61 31$06"},
        // Text between the line and the tag is read as before: pairs three apart.
        {"01 02 03", " 0D [XOR_8 (0..n)]", "01 02 03 0D 00", "01 02 03 0D 00"},
        // Without a tag nothing changes.
        {"01 02 0", "$0D", "01 02 00 D0", "01 02 0$0D"},
        {"0102", "", "01 20", "0102"},
    };
    for (const HexCase& c : cases) {
        const EncodedLine out = encodeLine(c.main, c.suffix, true);
        EXPECT_EQ(toHex(out.bytes), toHex(hexBytes(c.bytes))) << "'" << c.main << "' + '" << c.suffix << "'";
        EXPECT_EQ(out.echo, c.echo) << "'" << c.main << "' + '" << c.suffix << "'";
    }
}

TEST(HexChecksumTags, TheChecksumCountsALoneLastDigitAsTheLineSendsIt)
{
    EXPECT_EQ(expandChecksumTags(0, "01 02 5", true), 0x53);
    EXPECT_EQ(expandChecksumTags(3, "F", true), 0xF0);
    EXPECT_EQ(toHex(checksumOfTag(9, "01 03 0", true)), "20 F0");
    // Blanks and "$" at the end of the line are no byte.
    EXPECT_EQ(toHex(checksumOfTag(9, "01 03 00 00 00 01   ", true)), "84 0A");
    EXPECT_EQ(toHex(checksumOfTag(9, "01 03 00 00 00 01 $", true)), "84 0A");
}

}  // namespace
}  // namespace comtrax
