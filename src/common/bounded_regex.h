#pragma once
// A regular expression a user typed, matched against received bytes with a
// bound on the work: a pattern that backtracks without end on a long packet
// (such as "(a+)+$" on 64 KiB of "a") gives up with LimitReached instead of
// holding the window. Perl syntax (PCRE2), byte by byte: the bytes are
// Windows-1251, and a pattern is converted to it before it is compiled.
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace comtrax {

class BoundedRegex {
public:
    // How many backtracking steps one search may take before it gives up.
    static constexpr uint32_t DefaultMatchLimit = 1000000;

    // An empty regex matches nothing; compile() makes a real one.
    BoundedRegex();
    ~BoundedRegex();
    BoundedRegex(BoundedRegex&&) noexcept;
    BoundedRegex& operator=(BoundedRegex&&) noexcept;

    // The compiled pattern, or nothing with error set to why (and where).
    static std::optional<BoundedRegex> compile(std::string_view pattern, std::string& error,
                                               uint32_t matchLimit = DefaultMatchLimit);

    enum class Outcome { Match, NoMatch, LimitReached };
    // One capture: its start and length in the subject; nothing for a group
    // that took no part in the match.
    using Capture = std::optional<std::pair<std::size_t, std::size_t>>;
    struct Match {
        std::vector<Capture> groups;  // [0] the whole match, then each group in order
    };
    // The first match in subject at or after start.
    Outcome search(std::string_view subject, Match* match = nullptr, std::size_t start = 0) const;

    bool valid() const { return code_ != nullptr; }
    // The number of capturing groups, and each one's name (empty when unnamed), from group 1.
    int groupCount() const { return groupCount_; }
    const std::vector<std::string>& groupNames() const { return groupNames_; }

private:
    struct Code;
    std::shared_ptr<Code> code_;  // shared: a compiled pattern is read-only
    uint32_t matchLimit_ = DefaultMatchLimit;
    int groupCount_ = 0;
    std::vector<std::string> groupNames_;
};

}  // namespace comtrax
