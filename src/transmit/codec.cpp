#include "transmit/codec.h"

#include <string>

namespace comtrax {

const std::array<const char*, 9> ChecksumTags = {
    "[SUM_8(0..n)]",  "[SUM_8(1..n)]",      "[SUM_8(2..n)]",      "[XOR_8 (0..n)]",     "[XOR_8 (1..n)]",
    "[XOR_8 (2..n)]", "[FF - SUM_8(0..n)]", "[FF - SUM_8(1..n)]", "[FF - SUM_8(2..n)]",
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

// The bytes of the main part as the checksum sees them. In HEX only complete
// pairs count: a final lone digit is left out. Every byte is kept, however long
// the line is, so the checksum always covers the whole main part.
std::string checksumBytes(std::string_view mainPart, bool hex)
{
    if (!hex)
        return std::string(mainPart);
    std::string bytes;
    bytes.reserve(mainPart.size() / 3 + 1);
    for (std::size_t i = 0; i + 1 < mainPart.size(); i += 3)
        bytes += static_cast<char>(pairValue(mainPart, i));
    return bytes;
}

uint8_t checksumOf(int tagIndex, std::string_view bytes)
{
    const std::size_t start = static_cast<std::size_t>(tagIndex % 3);
    const int kind = tagIndex / 3;  // 0 sum, 1 xor, 2 0xFF minus sum
    uint8_t sum = 0;
    uint8_t x = 0;
    for (std::size_t i = start; i < bytes.size(); ++i) {
        const auto b = static_cast<uint8_t>(bytes[i]);
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

std::string twoHexDigits(uint8_t v)
{
    static const char digits[] = "0123456789ABCDEF";
    return {digits[v >> 4], digits[v & 0x0F]};
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

uint8_t expandChecksumTags(int tagIndex, std::string_view mainPart, bool hex)
{
    if (tagIndex < 0 || tagIndex >= static_cast<int>(ChecksumTags.size()))
        return 0;
    return checksumOf(tagIndex, checksumBytes(mainPart, hex));
}

std::string suffixForEncoding(std::string_view suffix, std::string_view mainPart, bool hex)
{
    std::string text(suffix);
    std::string bytes;  // computed once, only when a tag is present
    bool haveBytes = false;
    for (int tag = 0; tag < static_cast<int>(ChecksumTags.size()); ++tag) {
        const std::string_view name = ChecksumTags[static_cast<std::size_t>(tag)];
        auto pos = text.find(name);
        if (pos == std::string::npos)
            continue;
        if (!haveBytes) {
            bytes = checksumBytes(mainPart, hex);
            haveBytes = true;
        }
        const std::string digits = twoHexDigits(checksumOf(tag, bytes));
        // Searching again from the start after each replacement is deliberate:
        // digits may complete a later tag, and every pass shortens the text, so
        // the loop ends.
        while (pos != std::string::npos) {
            text.replace(pos, name.size(), digits);
            pos = text.find(name);
        }
    }
    return text;
}

EncodedLine encodeLine(std::string_view mainPart, std::string_view suffix, bool hex)
{
    std::string combined(mainPart);
    combined += suffixForEncoding(suffix, mainPart, hex);
    const std::size_t mainLength = mainPart.size();

    EncodedLine out;
    if (hex) {
        out.bytes.reserve(combined.size() / 3 + 1);
        for (std::size_t i = 0; i < combined.size(); i += 3)
            out.bytes += static_cast<char>(pairValue(combined, i));
        out.echo = std::move(combined);
        return out;
    }

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
