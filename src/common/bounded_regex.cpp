#include "common/bounded_regex.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

namespace comtrax {

struct BoundedRegex::Code {
    pcre2_code* code = nullptr;
    pcre2_match_context* context = nullptr;
    ~Code()
    {
        pcre2_match_context_free(context);
        pcre2_code_free(code);
    }
};

BoundedRegex::BoundedRegex() = default;
BoundedRegex::~BoundedRegex() = default;
BoundedRegex::BoundedRegex(BoundedRegex&&) noexcept = default;
BoundedRegex& BoundedRegex::operator=(BoundedRegex&&) noexcept = default;

std::optional<BoundedRegex> BoundedRegex::compile(std::string_view pattern, std::string& error,
                                                  uint32_t matchLimit)
{
    int code = 0;
    PCRE2_SIZE offset = 0;
    pcre2_code* compiled = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), 0,
                                         &code, &offset, nullptr);
    if (!compiled) {
        PCRE2_UCHAR message[256] = {};
        pcre2_get_error_message(code, message, sizeof message);
        error = std::string(reinterpret_cast<const char*>(message)) + " (" + std::to_string(offset + 1) + ")";
        return std::nullopt;
    }
    BoundedRegex regex;
    regex.code_ = std::make_shared<Code>();
    regex.code_->code = compiled;
    regex.code_->context = pcre2_match_context_create(nullptr);
    regex.matchLimit_ = matchLimit;
    pcre2_set_match_limit(regex.code_->context, matchLimit);
    // The depth of nested backtracking is bounded too, in the same measure.
    pcre2_set_depth_limit(regex.code_->context, matchLimit);
    uint32_t groups = 0;
    pcre2_pattern_info(compiled, PCRE2_INFO_CAPTURECOUNT, &groups);
    regex.groupCount_ = static_cast<int>(groups);
    regex.groupNames_.assign(groups, std::string());
    uint32_t names = 0;
    uint32_t entrySize = 0;
    PCRE2_SPTR table = nullptr;
    pcre2_pattern_info(compiled, PCRE2_INFO_NAMECOUNT, &names);
    pcre2_pattern_info(compiled, PCRE2_INFO_NAMEENTRYSIZE, &entrySize);
    pcre2_pattern_info(compiled, PCRE2_INFO_NAMETABLE, &table);
    for (uint32_t i = 0; i < names; ++i) {
        const PCRE2_SPTR entry = table + std::size_t(i) * entrySize;
        const int number = (entry[0] << 8) | entry[1];
        if (number >= 1 && number <= static_cast<int>(groups))
            regex.groupNames_[static_cast<std::size_t>(number - 1)] =
                reinterpret_cast<const char*>(entry + 2);
    }
    return regex;
}

BoundedRegex::Outcome BoundedRegex::search(std::string_view subject, Match* match, std::size_t start) const
{
    if (!code_ || start > subject.size())
        return Outcome::NoMatch;
    pcre2_match_data* data = pcre2_match_data_create_from_pattern(code_->code, nullptr);
    if (!data)
        return Outcome::LimitReached;
    const int rc = pcre2_match(code_->code, reinterpret_cast<PCRE2_SPTR>(subject.data()), subject.size(),
                               start, 0, data, code_->context);
    Outcome outcome = Outcome::Match;
    if (rc == PCRE2_ERROR_NOMATCH || rc == PCRE2_ERROR_PARTIAL)
        outcome = Outcome::NoMatch;
    else if (rc < 0)
        outcome = Outcome::LimitReached;  // the match or depth limit, or out of memory
    if (outcome == Outcome::Match && match) {
        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data);
        match->groups.assign(static_cast<std::size_t>(groupCount_) + 1, std::nullopt);
        const int filled = rc == 0 ? groupCount_ + 1 : rc;
        for (int i = 0; i < filled && i <= groupCount_; ++i) {
            const PCRE2_SIZE b = ovector[2 * i];
            const PCRE2_SIZE e = ovector[2 * i + 1];
            if (b != PCRE2_UNSET && e >= b)
                match->groups[static_cast<std::size_t>(i)] =
                    std::make_pair(std::size_t(b), std::size_t(e - b));
        }
    }
    pcre2_match_data_free(data);
    return outcome;
}

}  // namespace comtrax
