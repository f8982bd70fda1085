#pragma once
// What a rule or a wait looks for in the received bytes: text with the $XX
// escapes of command lines, HEX bytes with ?? for any byte, or a regular
// expression (bounded, so that no pattern can hold the window).
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/bounded_regex.h"

namespace comtrax {

enum class PatternKind { Text, Hex, Regex };

struct PatternSource {
    PatternKind kind = PatternKind::Text;
    std::string text;  // as the user typed it (Windows-1251)
    bool operator==(const PatternSource&) const = default;
};

// "text", "hex", "regex": the names the rule file and the directives use.
const char* patternKindName(PatternKind kind);
std::optional<PatternKind> patternKindFromName(std::string_view name);

// One match: where it is, and the captured groups' bytes (group 0 the whole
// match; a group that took no part is empty) with the groups' names.
struct PatternMatch {
    std::size_t start = 0;
    std::size_t length = 0;
    std::vector<std::string> groups;
    std::vector<std::string> names;  // names[i] is the name of groups[i + 1], or empty
};

class CompiledPattern {
public:
    // The compiled pattern, or nothing with error set (UTF-8, the program's text).
    static std::optional<CompiledPattern> compile(const PatternSource& source, std::string& error,
                                                  uint32_t matchLimit = BoundedRegex::DefaultMatchLimit);

    enum class Outcome { Match, NoMatch, LimitReached };
    // The first match that starts at or after start.
    Outcome find(std::string_view subject, std::size_t start, PatternMatch* match) const;

private:
    PatternKind kind_ = PatternKind::Text;
    std::string bytes_;  // Text and Hex: the bytes looked for
    std::string mask_;   // Hex: 1 where the byte must be equal, 0 for ??
    BoundedRegex regex_;
};

// Text with $XX escapes turned into bytes: "$" and two hex digits is that
// byte; any other "$" stands for itself.
std::string decodeEscapes(std::string_view text);

}  // namespace comtrax
