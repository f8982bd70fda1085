#pragma once
// Turning a command line and the suffix into the bytes on the wire and the echo
// text of the log: ASCII or HEX pairs, $XX escapes, and the checksum tags.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace comtrax {

// The tags of LBTail, in their fixed order; the index selects the checksum.
// The first nine are the one-byte sums and xors; then come the CRCs and the
// LRC, each over the same three ranges (from byte 0, 1 or 2 of the main part).
inline constexpr int ClassicTagCount = 9;
inline constexpr int ChecksumTagCount = 36;
extern const std::array<const char*, ChecksumTagCount> ChecksumTags;

int hexToInt(char c);
// The checksum named by a tag over the main part in the given encoding: its
// bytes in the order they are sent (one, two or four); empty for no tag.
std::string checksumOfTag(int tagIndex, std::string_view mainPart, bool hex);

// A received packet checked the way its sender built it: the packet ends in
// the checksum the tag's algorithm gives over the bytes before it, from the
// tag's first byte on (0, 1 or 2). A packet too short to hold it fails.
bool endsWithTagChecksum(int tagIndex, std::string_view packet);

// What a rule or the plot may ask of a received packet's checksum.
struct ChecksumCondition {
    enum class Kind { None, ModbusFrame, Tag };
    Kind kind = Kind::None;
    int tagIndex = 0;  // for Tag: an index of ChecksumTags
    bool operator==(const ChecksumCondition&) const = default;
};
bool checksumConditionHolds(const ChecksumCondition& condition, std::string_view packet);
// The one-byte checksum of the classic tags 0..8; 0 for any other index.
uint8_t expandChecksumTags(int tagIndex, std::string_view mainPart, bool hex);
// The suffix with every tag replaced by its checksum: each byte as two
// upper-case hex digits, in the order sent. Between the bytes of a checksum
// wider than one byte goes what makes each of them a byte of its own in the
// encoding: a space in HEX, a "$" in ASCII when a "$" precedes the tag, and
// nothing in ASCII without one (the digits are then sent as text).
std::string suffixForEncoding(std::string_view suffix, std::string_view mainPart, bool hex);

struct EncodedLine {
    std::string bytes;  // what goes to the port
    std::string echo;   // what the log shows (Windows-1251)
};
// The encoding step of send: main part plus expanded suffix. In HEX a tag's
// bytes are bytes of their own, whatever blanks or "$" stand around the tag,
// and a lone last digit d before it is the byte d0 (as at the end of a line),
// in the checksum too; the echo shows the bytes as sent.
EncodedLine encodeLine(std::string_view mainPart, std::string_view suffix, bool hex);

}  // namespace comtrax
