#pragma once
// A rule's actions as the rules dialog shows them: one a line, a word and
// what follows it.
//   send TEXT          the command line TEXT in ASCII (captures: \1, \{name})
//   sendhex 01 03 \1   the command line in HEX
//   macro LIST N       command N of the command list named LIST
//   note TEXT          a line in the log
//   pulse-dtr, pulse-rts, break, log-start, log-stop, stop-sending
#include <string>
#include <vector>

#include "automation/rule.h"

namespace comtrax {

struct ActionLinesResult {
    std::vector<RuleAction> actions;
    std::string error;  // UTF-8; empty when every line was understood
};
// suffix: what a send appends (the rule's suffix, with $XX and tags).
ActionLinesResult parseActionLines(const std::string& text, const std::string& suffix);
std::string formatActionLines(const std::vector<RuleAction>& actions);

}  // namespace comtrax
