#pragma once
// The settings files added beside the fixed binary records (CfgLine, and the
// files of later features) are "key=value" lines read tolerantly: a key this
// version knows is handed to its reader, a value that does not parse leaves
// the default, and every other line (the user's '#' notes, blank lines, a
// newer version's keys) is kept as it stood and written back just before the
// known key it stood before, or at the end when no known key followed it.
// A file is read whole or not at all; one that exists but cannot be read whole
// (too long, not a regular file, unreadable, a link that may not be followed)
// is reported and must then never be overwritten.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/file_io.h"

namespace comtrax {

struct KeptLine {
    std::string text;       // the line without its line end
    std::string beforeKey;  // empty: after the last known key
    bool operator==(const KeptLine&) const = default;
};

// Reads text: readKnown(key, value) is asked for every "key=value" line (both
// trimmed) and returns whether it knew the key; the lines it did not know, and
// all others, are returned in order with their places. A line equal to
// firstLine (the file's own heading, written again at the top) is dropped.
std::vector<KeptLine>
parseKeyValues(const std::string& text, const std::string& firstLine,
               const std::function<bool(const std::string&, const std::string&)>& readKnown);

// The file's text: firstLine, then each known key=value in the order given,
// each after the kept lines that stood before it, then the rest of the kept lines.
std::string formatKeyValues(const std::string& firstLine,
                            const std::vector<std::pair<std::string, std::string>>& known,
                            const std::vector<KeptLine>& kept);

// Values as these files write them.
std::optional<bool> parseKeyValueBool(const std::string& value);  // 1/0, true/false, yes/no, on/off
std::optional<long long> parseKeyValueInt(const std::string& value);
inline const char* keyValueBool(bool on)
{
    return on ? "1" : "0";
}

struct KeyValueLoad {
    std::string text;
    FileResult io;       // failed: the file exists but could not be read whole (leave it as it is)
    bool found = false;  // false: no file yet, the defaults stand
};
// Only a name with nothing behind it means "no file yet"; anything else there
// (a directory, a FIFO, a file that may not be read or is longer than
// maxBytes, a link someone else left) holds what the user may still need.
KeyValueLoad loadKeyValueFile(const std::string& path, std::size_t maxBytes);
// The text written atomically (see replaceFileAtomically).
FileResult saveKeyValueFile(const std::string& path, const std::string& text);

}  // namespace comtrax
