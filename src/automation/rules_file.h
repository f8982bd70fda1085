#pragma once
// CfgRules: the trigger rules, the global limit and the answer timeout, as
// key=value lines beside CfgTerminal, read tolerantly (unknown keys and notes
// kept in place, bad values give defaults) and never written over when it
// could not be read whole.
#include <cstddef>
#include <string>
#include <vector>

#include "automation/answer_timeout.h"
#include "automation/rule_engine.h"
#include "common/file_io.h"

namespace comtrax {

struct RuleSet {
    std::vector<Rule> rules;
    RuleLimit limit;
    std::size_t windowBytes = RuleEngine::DefaultWindowBytes;
    AnswerTimeoutSettings answer;
    std::vector<std::pair<std::string, std::string>> keptLines;  // (text, beforeKey), as read
    bool operator==(const RuleSet&) const = default;

    static constexpr int MaxRules = 200;
    static constexpr int MaxActions = 16;
    static constexpr std::size_t MaxFileBytes = 1024 * 1024;
};

// The file's text for the set, and the set from a text (rules numbered from
// 1; a number above MaxRules, an action above MaxActions, is kept as an
// unknown line).
std::string formatRuleSet(const RuleSet& set);
RuleSet parseRuleSet(const std::string& text);

struct RuleSetLoad {
    RuleSet set;
    FileResult io;       // failed: reported, and the file must not be written over
    bool found = false;  // false: no file yet
};
RuleSetLoad loadRuleSetFile(const std::string& path);
FileResult saveRuleSetFile(const std::string& path, const RuleSet& set);

}  // namespace comtrax
