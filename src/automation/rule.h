#pragma once
// A trigger rule: what it looks for in the received packets, what it does
// when it finds it, and how often.
#include <cstdint>
#include <string>
#include <vector>

#include "automation/pattern.h"
#include "transmit/codec.h"

namespace comtrax {

struct RuleAction {
    enum class Kind {
        Send,         // text: a command line, sent with hex and suffix as the command line sends
        SendMacro,    // text: the list's name; macro: the command's number (1..)
        Note,         // text: a line added to the log
        PulseDtr,     // DTR off and on again
        PulseRts,     // RTS off and on again
        Break,        // a break on the line
        StartLog,     // start (or resume) the log file
        StopLog,      // pause the log file
        StopSending,  // stop periodic or file sending
    };
    Kind kind = Kind::Send;
    std::string text;
    bool hex = false;
    std::string suffix;
    int macro = 1;
    bool operator==(const RuleAction&) const = default;
};

// The names of the kinds in the rule file.
const char* actionKindName(RuleAction::Kind kind);
bool actionKindFromName(const std::string& name, RuleAction::Kind& kind);

struct Rule {
    std::string name;
    bool enabled = true;
    PatternSource pattern;
    bool acrossPackets = false;  // match in a sliding window over the stream, not in one packet
    ChecksumCondition checksum;  // the packet's checksum must be good
    std::vector<RuleAction> actions;
    int times = 0;           // 0: every time; otherwise acts this many times, then rests
    int64_t delayMs = 0;     // between the match and the actions
    int64_t cooldownMs = 0;  // after acting, matches are ignored this long
    bool goOn = false;       // after acting, later rules are tried as well
    bool operator==(const Rule&) const = default;
};

// An action due now, from the rule named, with the send text's captures
// already put in.
struct Firing {
    std::string ruleName;
    RuleAction action;
};

// A send text with captures put in: \1..\9 a group's bytes, \0 the whole
// match, \{name} a named group, \\ a backslash. In a HEX line a capture goes
// in as HEX pairs. Anything else after a backslash stays as it is, so the
// $XX escapes of the suffix never clash with it.
std::string substituteCaptures(const std::string& text, const PatternMatch& match, bool hex);

}  // namespace comtrax
