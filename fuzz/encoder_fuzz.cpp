// A command line and a suffix as a user, a macro list or a command file may
// give them: any bytes, tags in any number and place, "$" escapes cut short,
// stray separators. Input: byte 0 bit 0 selects HEX, byte 1 is where the
// rest splits into line and suffix.
//
// Checks properties that hold whatever the text: the checksum relations of
// the nine tags, ASCII sending the line's own bytes first, HEX giving one
// byte per three characters of a text without tags and an echo that reads back
// as the bytes sent, and that reading raw bytes in ASCII is the same as
// reading their hex pairs in HEX.
#include <algorithm>
#include <string>

#include "fuzz_support.h"
#include "transmit/codec.h"

using namespace comtrax;
using comtrax::fuzz::hexDump;

namespace {

std::string twoDigits(uint8_t v)
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    return {Digits[v >> 4], Digits[v & 15]};
}

// "41 42 0D": each byte as a pair, a blank between pairs.
std::string asHexPairs(const std::string& raw)
{
    std::string out;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (i)
            out += ' ';
        out += twoDigits(static_cast<uint8_t>(raw[i]));
    }
    return out;
}

void checkChecksums(const std::string& line, bool hex)
{
    uint8_t c[9];
    for (int t = 0; t < 9; ++t)
        c[t] = expandChecksumTags(t, line, hex);
    for (int t = 0; t < 3; ++t)
        FUZZ_CHECK(c[t + 6] == uint8_t(0xFF - c[t]), "FF - SUM is not 0xFF minus SUM");
    // The bytes the checksum covers: in HEX the pairs the line sends before a
    // tag (blanks and "$" at its end are none; a lone last digit d is d0).
    std::size_t count = line.size();
    uint8_t first = line.empty() ? 0 : static_cast<uint8_t>(line[0]);
    uint8_t second = line.size() > 1 ? static_cast<uint8_t>(line[1]) : 0;
    if (hex) {
        std::size_t end = line.size();
        while (end > 0 && (line[end - 1] == ' ' || line[end - 1] == '\t' || line[end - 1] == '$'))
            --end;
        count = (end + 2) / 3;
        const auto digit = [&](std::size_t i) { return i < end ? hexToInt(line[i]) : 0; };
        const auto pair = [&](std::size_t i) { return static_cast<uint8_t>(digit(i) * 16 + digit(i + 1)); };
        first = count > 0 ? pair(0) : 0;
        second = count > 1 ? pair(3) : 0;
    }
    // Starting one byte later takes exactly the skipped byte out of the sum and the xor.
    if (count == 0)
        FUZZ_CHECK(c[0] == 0 && c[3] == 0 && c[6] == 0xFF, "empty range");
    if (count >= 1) {
        FUZZ_CHECK(c[0] == uint8_t(first + c[1]), "SUM(0..n) != byte 0 + SUM(1..n)");
        FUZZ_CHECK(c[3] == uint8_t(first ^ c[4]), "XOR(0..n) != byte 0 ^ XOR(1..n)");
    } else {
        FUZZ_CHECK(c[1] == 0 && c[4] == 0 && c[7] == 0xFF, "range from byte 1 of nothing");
    }
    if (count >= 2) {
        FUZZ_CHECK(c[1] == uint8_t(second + c[2]), "SUM(1..n) != byte 1 + SUM(2..n)");
        FUZZ_CHECK(c[4] == uint8_t(second ^ c[5]), "XOR(1..n) != byte 1 ^ XOR(2..n)");
    } else {
        FUZZ_CHECK(c[2] == 0 && c[5] == 0 && c[8] == 0xFF, "range from byte 2 of too little");
    }
    FUZZ_CHECK(expandChecksumTags(-1, line, hex) == 0 && expandChecksumTags(9, line, hex) == 0,
               "tag index out of range");
    FUZZ_CHECK(checksumOfTag(-1, line, hex).empty() && checksumOfTag(ChecksumTagCount, line, hex).empty(),
               "tag index out of range");
    // Every wider tag: the same width over each range, and the one rule for its
    // bytes in the suffix (HEX: spaced pairs; ASCII: "$"-joined after a "$", else bare digits).
    for (int t = ClassicTagCount; t < ChecksumTagCount; ++t) {
        const std::string value = checksumOfTag(t, line, hex);
        FUZZ_CHECK(value.size() == checksumOfTag(t - t % 3, "", hex).size() && !value.empty(), "tag width");
        std::string bare, joined;
        for (std::size_t i = 0; i < value.size(); ++i) {
            const std::string pair = twoDigits(static_cast<uint8_t>(value[i]));
            bare += (i && hex ? " " : "") + pair;
            joined += (i ? "$" : "") + pair;
        }
        const std::string tag = ChecksumTags[std::size_t(t)];
        FUZZ_CHECK(suffixForEncoding(tag, line, hex) == bare, "wide tag alone: " + tag);
        if (!hex)
            FUZZ_CHECK(suffixForEncoding("$" + tag, line, hex) == "$" + joined, "wide tag after $: " + tag);
    }
    // A suffix that is one tag becomes that tag's two digits.
    for (int t = 0; t < 9; ++t)
        FUZZ_CHECK(suffixForEncoding(ChecksumTags[std::size_t(t)], line, hex) == twoDigits(c[t]),
                   std::string("tag alone: ") + ChecksumTags[std::size_t(t)]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    fuzz::ByteReader in(data, size);
    const bool hex = in.byte() & 1;
    const std::size_t split = in.byte();
    const std::string rest = in.rest();
    const std::string line = rest.substr(0, std::min(split, rest.size()));
    const std::string suffix = rest.substr(line.size());

    checkChecksums(line, hex);
    checkChecksums(suffix, !hex);

    const std::string expanded = suffixForEncoding(suffix, line, hex);
    // Every replacement puts two digits where a tag of 13 or more characters stood.
    FUZZ_CHECK(expanded.size() <= suffix.size(), "suffix grew");
    if (suffix.find('[') == std::string::npos)
        FUZZ_CHECK(expanded == suffix, "a suffix without tags changed");

    const EncodedLine out = encodeLine(line, suffix, hex);
    const std::string combined = line + expanded;
    if (hex) {
        if (expanded == suffix) {
            FUZZ_CHECK(out.echo == combined, "HEX echo is not the text");
            FUZZ_CHECK(out.bytes.size() == (combined.size() + 2) / 3,
                       "HEX: not one byte per three characters");
        }
        // The echo shows what was sent: read as a HEX line it gives the same bytes.
        FUZZ_CHECK(encodeLine(out.echo, "", true).bytes == out.bytes,
                   "HEX echo does not read back as the bytes sent: " + hexDump(out.bytes));
    } else {
        FUZZ_CHECK(out.echo == out.bytes, "ASCII echo is not what is sent");
        FUZZ_CHECK(out.bytes.compare(0, line.size(), line) == 0, "ASCII: the line is not sent as it is");
        FUZZ_CHECK(out.bytes.size() <= combined.size(), "ASCII sent more than the text");
        if (expanded.find('$') == std::string::npos)
            FUZZ_CHECK(out.bytes == combined, "ASCII without escapes changed the text");
    }

    // The same bytes typed as hex pairs in HEX mode: same checksums, same bytes.
    const std::string pairs = asHexPairs(line);
    for (int t = 0; t < 9; ++t)
        FUZZ_CHECK(expandChecksumTags(t, pairs, true) == expandChecksumTags(t, line, false),
                   "pairs and raw bytes disagree");
    const EncodedLine typed = encodeLine(pairs, "", true);
    FUZZ_CHECK(typed.bytes == line, "hex pairs did not give the bytes back: " + hexDump(typed.bytes));
    // A "$XX" escape in an ASCII suffix is the byte XX.
    if (!line.empty()) {
        const uint8_t b = static_cast<uint8_t>(line.back());
        const EncodedLine esc = encodeLine("A", "$" + twoDigits(b), false);
        FUZZ_CHECK(esc.bytes == std::string("A") + char(b), "escape $" + twoDigits(b));
    }
    return 0;
}
