#pragma once
// Turning a command line and the suffix into the bytes on the wire and the echo
// text of the log: ASCII or HEX pairs, $XX escapes, and the nine checksum tags.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace comtrax {

// The nine tags of LBTail, in their fixed order; the index selects the checksum.
extern const std::array<const char*, 9> ChecksumTags;

int hexToInt(char c);
// Checksum named by tag index 0..8 over the main part in the given encoding.
uint8_t expandChecksumTags(int tagIndex, std::string_view mainPart, bool hex);
// The suffix with every tag replaced by its checksum as two upper-case digits.
std::string suffixForEncoding(std::string_view suffix, std::string_view mainPart, bool hex);

struct EncodedLine {
    std::string bytes;  // what goes to the port
    std::string echo;   // what the log shows (Windows-1251)
};
// The encoding step of send: main part plus expanded suffix.
EncodedLine encodeLine(std::string_view mainPart, std::string_view suffix, bool hex);

}  // namespace comtrax
