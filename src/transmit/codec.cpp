#include "transmit/codec.h"

#include <algorithm>
#include <string>
#include <vector>

#include "common/checksums.h"

namespace comtrax {

// Every name is found by plain text search, so no name may hold another one.
const std::array<const char*, ChecksumTagCount> ChecksumTags = {
    "[SUM_8(0..n)]",
    "[SUM_8(1..n)]",
    "[SUM_8(2..n)]",
    "[XOR_8 (0..n)]",
    "[XOR_8 (1..n)]",
    "[XOR_8 (2..n)]",
    "[FF - SUM_8(0..n)]",
    "[FF - SUM_8(1..n)]",
    "[FF - SUM_8(2..n)]",
    "[CRC16_MODBUS LO-HI(0..n)]",
    "[CRC16_MODBUS LO-HI(1..n)]",
    "[CRC16_MODBUS LO-HI(2..n)]",
    "[CRC16_MODBUS HI-LO(0..n)]",
    "[CRC16_MODBUS HI-LO(1..n)]",
    "[CRC16_MODBUS HI-LO(2..n)]",
    "[CRC16_CCITT HI-LO(0..n)]",
    "[CRC16_CCITT HI-LO(1..n)]",
    "[CRC16_CCITT HI-LO(2..n)]",
    "[CRC16_XMODEM HI-LO(0..n)]",
    "[CRC16_XMODEM HI-LO(1..n)]",
    "[CRC16_XMODEM HI-LO(2..n)]",
    "[CRC8_SMBUS(0..n)]",
    "[CRC8_SMBUS(1..n)]",
    "[CRC8_SMBUS(2..n)]",
    "[CRC8_MAXIM(0..n)]",
    "[CRC8_MAXIM(1..n)]",
    "[CRC8_MAXIM(2..n)]",
    "[CRC32 LO-HI(0..n)]",
    "[CRC32 LO-HI(1..n)]",
    "[CRC32 LO-HI(2..n)]",
    "[CRC32 HI-LO(0..n)]",
    "[CRC32 HI-LO(1..n)]",
    "[CRC32 HI-LO(2..n)]",
    "[LRC_8(0..n)]",
    "[LRC_8(1..n)]",
    "[LRC_8(2..n)]",
};

namespace {

// A missing character (past the end of the text) counts as the digit 0.
int digitAt(std::string_view text, std::size_t i)
{
    return i < text.size() ? hexToInt(text[i]) : 0;
}

uint8_t pairValue(std::string_view text, std::size_t i)
{
    return static_cast<uint8_t>(digitAt(text, i) * 16 + digitAt(text, i + 1));
}

// HEX text as pairs at 0, 3, 6, …: the character after each pair is a
// separator of any kind, and a pair cut by the end of the text takes 0 for its
// missing digit (a lone digit d is the byte d0).
void appendPairs(std::string_view text, std::string& bytes)
{
    for (std::size_t i = 0; i < text.size(); i += 3)
        bytes += static_cast<char>(pairValue(text, i));
}

// What a user puts between a HEX line and a checksum tag to set them apart.
bool isTagSeparator(char c)
{
    return c == ' ' || c == '\t' || c == '$';
}

std::string_view withoutTrailingSeparators(std::string_view text)
{
    while (!text.empty() && isTagSeparator(text.back()))
        text.remove_suffix(1);
    return text;
}

// The bytes of the main part as the checksum sees them: the bytes the line
// sends before a tag. In HEX blanks and "$" at its end are no byte, and a
// lone last digit d is the byte d0, on the wire and in the checksum alike.
// Every byte is kept, however long the line is, so the checksum always covers
// the whole main part.
std::string checksumBytes(std::string_view mainPart, bool hex)
{
    if (!hex)
        return std::string(mainPart);
    std::string bytes;
    bytes.reserve(mainPart.size() / 3 + 1);
    appendPairs(withoutTrailingSeparators(mainPart), bytes);
    return bytes;
}

uint8_t classicChecksum(int kind, std::string_view bytes)
{
    uint8_t sum = 0;
    uint8_t x = 0;
    for (const char c : bytes) {
        const auto b = static_cast<uint8_t>(c);
        sum = static_cast<uint8_t>(sum + b);
        x = static_cast<uint8_t>(x ^ b);
    }
    switch (kind) {
    case 0:
        return sum;
    case 1:
        return x;
    default:
        return static_cast<uint8_t>(0xFF - sum);
    }
}

// The value's low `width` bits as bytes, high byte first or low byte first.
std::string valueBytes(uint32_t value, int width, bool lowFirst)
{
    std::string out;
    for (int shift = width - 8; shift >= 0; shift -= 8)
        out += static_cast<char>((value >> shift) & 0xFF);
    if (lowFirst)
        return std::string(out.rbegin(), out.rend());
    return out;
}

// The checksum of a tag over bytes that already start at the tag's range.
std::string checksumOf(int tagIndex, std::string_view bytes)
{
    const int kind = tagIndex / 3;
    switch (kind) {
    case 0:
    case 1:
    case 2:
        return std::string(1, static_cast<char>(classicChecksum(kind, bytes)));
    case 3:
        return valueBytes(crc(Crc16Modbus, bytes), 16, true);
    case 4:
        return valueBytes(crc(Crc16Modbus, bytes), 16, false);
    case 5:
        return valueBytes(crc(Crc16CcittFalse, bytes), 16, false);
    case 6:
        return valueBytes(crc(Crc16Xmodem, bytes), 16, false);
    case 7:
        return valueBytes(crc(Crc8Smbus, bytes), 8, false);
    case 8:
        return valueBytes(crc(Crc8Maxim, bytes), 8, false);
    case 9:
        return valueBytes(crc(Crc32IsoHdlc, bytes), 32, true);
    case 10:
        return valueBytes(crc(Crc32IsoHdlc, bytes), 32, false);
    default:
        return std::string(1, static_cast<char>(lrc8(bytes)));
    }
}

std::string_view rangeOf(int tagIndex, std::string_view bytes)
{
    const auto start = static_cast<std::size_t>(tagIndex % 3);
    return start < bytes.size() ? bytes.substr(start) : std::string_view();
}

std::string twoHexDigits(uint8_t v)
{
    static const char digits[] = "0123456789ABCDEF";
    return {digits[v >> 4], digits[v & 0x0F]};
}

// Where a tag's checksum stands in the expanded suffix, and its bytes.
struct TagValue {
    std::size_t pos = 0;
    std::size_t length = 0;
    std::string bytes;
};

struct ExpandedSuffix {
    std::string text;
    std::vector<TagValue> tags;  // in the order of the text
};

// Each byte as two upper-case hex digits; between them what makes each a byte
// of its own in the encoding (see suffixForEncoding).
std::string digitsOf(std::string_view value, const char* between)
{
    std::string digits;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (i > 0)
            digits += between;
        digits += twoHexDigits(static_cast<uint8_t>(value[i]));
    }
    return digits;
}

ExpandedSuffix expandTags(std::string_view suffix, std::string_view mainPart, bool hex)
{
    ExpandedSuffix out{std::string(suffix), {}};
    std::string bytes;  // computed once, only when a tag is present
    bool haveBytes = false;
    for (int tag = 0; tag < static_cast<int>(ChecksumTags.size()); ++tag) {
        const std::string_view name = ChecksumTags[static_cast<std::size_t>(tag)];
        auto pos = out.text.find(name);
        if (pos == std::string::npos)
            continue;
        if (!haveBytes) {
            bytes = checksumBytes(mainPart, hex);
            haveBytes = true;
        }
        const std::string value = checksumOf(tag, rangeOf(tag, bytes));
        // Searching again from the start after each replacement is deliberate:
        // digits may complete a later tag, and every pass shortens the text, so
        // the loop ends.
        while (pos != std::string::npos) {
            const char* between = hex ? " " : (pos > 0 && out.text[pos - 1] == '$' ? "$" : "");
            const std::string digits = digitsOf(value, between);
            out.text.replace(pos, name.size(), digits);
            // Digits the tag swallowed are gone; those after it move.
            std::vector<TagValue> kept;
            for (TagValue& t : out.tags) {
                if (t.pos + t.length <= pos) {
                    kept.push_back(std::move(t));
                } else if (t.pos >= pos + name.size()) {
                    t.pos = t.pos - name.size() + digits.size();
                    kept.push_back(std::move(t));
                }
            }
            kept.push_back({pos, digits.size(), value});
            std::sort(kept.begin(), kept.end(),
                      [](const TagValue& a, const TagValue& b) { return a.pos < b.pos; });
            out.tags = std::move(kept);
            pos = out.text.find(name);
        }
    }
    return out;
}

// HEX: the text between tags is read as pairs three characters apart, as
// everywhere, but a tag's bytes are bytes of their own: blanks and "$" right
// before a tag are no byte and do not shift it, a lone digit before it is
// completed as at the end of the text, and the text after it starts after the
// blanks and "$" that follow it. The echo shows the same: one separator on
// each side of the tag's digits, and a completed lone digit with its 0, so
// that it reads back as the bytes that were sent.
EncodedLine encodeHex(std::string_view mainPart, const ExpandedSuffix& suffix)
{
    std::string combined(mainPart);
    combined += suffix.text;
    EncodedLine out;
    out.bytes.reserve(combined.size() / 3 + 1);
    std::size_t from = 0;
    bool afterTag = false;
    // The separators that follow a tag, and the first of them for the echo.
    auto skipLeading = [&afterTag](std::string_view& run) {
        char first = ' ';
        if (afterTag && !run.empty() && isTagSeparator(run.front())) {
            first = run.front();
            while (!run.empty() && isTagSeparator(run.front()))
                run.remove_prefix(1);
        }
        return first;
    };
    for (const TagValue& tag : suffix.tags) {
        const std::size_t at = mainPart.size() + tag.pos;
        std::string_view run(combined.data() + from, at - from);
        const char lead = skipLeading(run);
        const std::string_view body = withoutTrailingSeparators(run);
        const char trail = body.size() < run.size() ? run.back() : ' ';
        if (!body.empty()) {
            if (afterTag)
                out.echo += lead;
            appendPairs(body, out.bytes);
            out.echo += body;
            if (body.size() % 3 == 1)
                out.echo += '0';
            // A body that ends on a separator's place needs none of its own.
            if (body.size() % 3 != 0)
                out.echo += trail;
        } else if (!out.echo.empty()) {
            out.echo += run.empty() ? lead : trail;
        }
        out.bytes += tag.bytes;
        out.echo += digitsOf(tag.bytes, " ");
        from = at + tag.length;
        afterTag = true;
    }
    std::string_view rest(combined.data() + from, combined.size() - from);
    const char lead = skipLeading(rest);
    if (afterTag && !rest.empty())
        out.echo += lead;
    appendPairs(rest, out.bytes);
    out.echo += rest;
    return out;
}

}  // namespace

int hexToInt(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return 0;
}

std::string checksumOfTag(int tagIndex, std::string_view mainPart, bool hex)
{
    if (tagIndex < 0 || tagIndex >= ChecksumTagCount)
        return {};
    const std::string bytes = checksumBytes(mainPart, hex);
    return checksumOf(tagIndex, rangeOf(tagIndex, bytes));
}

bool endsWithTagChecksum(int tagIndex, std::string_view packet)
{
    if (tagIndex < 0 || tagIndex >= ChecksumTagCount)
        return false;
    const std::size_t width = checksumOf(tagIndex, {}).size();
    if (packet.size() < width + static_cast<std::size_t>(tagIndex % 3))
        return false;
    const std::string_view covered = packet.substr(0, packet.size() - width);
    return checksumOf(tagIndex, rangeOf(tagIndex, covered)) == packet.substr(packet.size() - width);
}

bool checksumConditionHolds(const ChecksumCondition& condition, std::string_view packet)
{
    switch (condition.kind) {
    case ChecksumCondition::Kind::None:
        return true;
    case ChecksumCondition::Kind::ModbusFrame:
        return endsWithValidModbusCrc(packet);
    case ChecksumCondition::Kind::Tag:
        return endsWithTagChecksum(condition.tagIndex, packet);
    }
    return false;
}

uint8_t expandChecksumTags(int tagIndex, std::string_view mainPart, bool hex)
{
    if (tagIndex < 0 || tagIndex >= ClassicTagCount)
        return 0;
    return static_cast<uint8_t>(checksumOfTag(tagIndex, mainPart, hex)[0]);
}

std::string suffixForEncoding(std::string_view suffix, std::string_view mainPart, bool hex)
{
    return expandTags(suffix, mainPart, hex).text;
}

EncodedLine encodeLine(std::string_view mainPart, std::string_view suffix, bool hex)
{
    const ExpandedSuffix expanded = expandTags(suffix, mainPart, hex);
    if (hex)
        return encodeHex(mainPart, expanded);

    std::string combined(mainPart);
    combined += expanded.text;
    const std::size_t mainLength = mainPart.size();
    EncodedLine out;
    out.bytes.reserve(combined.size());
    std::size_t i = 0;
    while (i < combined.size()) {
        // Only a "$" of the suffix is an escape; in the main part it is a plain character.
        if (combined[i] == '$' && i >= mainLength) {
            out.bytes += static_cast<char>(pairValue(combined, i + 1));
            i += 3;
        } else {
            out.bytes += combined[i];
            ++i;
        }
    }
    // In ASCII the echo shows exactly the characters whose codes are sent.
    out.echo = out.bytes;
    return out;
}

}  // namespace comtrax
