#pragma once
// The rules at work: each received packet is tried against the enabled rules
// in order; a rule that matches (and whose checksum condition holds) acts now
// or after its delay, once, N times or every time, then rests for its
// cool-down. The first rule that acts ends the search unless it says to go on.
// A global limit on actions per second stops a loop between two devices.
// Nothing here waits: the window asks msUntilDue() and calls tick() then.
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "automation/rule.h"
#include "common/clock.h"

namespace comtrax {

struct RuleLimit {
    bool on = true;
    int actionsPerSecond = 20;
    bool operator==(const RuleLimit&) const = default;
};

class RuleEngine {
public:
    // How many bytes of the stream a rule matching across packet borders sees.
    static constexpr std::size_t DefaultWindowBytes = 4096;

    explicit RuleEngine(const Clock& clock);

    // Carries out one action (sending, notes, modem lines...).
    void setActor(std::function<void(const Firing&)> actor) { actor_ = std::move(actor); }
    // Something happened to the automation itself: the limit stopped it, or
    // a rule was switched off for the session.
    struct Report {
        enum class Kind { LimitStopped, RuleDisabled };
        Kind kind = Kind::LimitStopped;
        std::string ruleName;
    };
    void setReporter(std::function<void(const Report&)> reporter) { reporter_ = std::move(reporter); }

    // Replaces the rules; each rule's error (empty when it compiled) in
    // errors(). A rule that does not compile is kept but never acts. Starts
    // the automation again after the limit stopped it.
    void setRules(std::vector<Rule> rules, RuleLimit limit = {},
                  std::size_t windowBytes = DefaultWindowBytes);
    const std::vector<Rule>& rules() const { return rules_; }
    const std::vector<std::string>& errors() const { return errors_; }
    const RuleLimit& limit() const { return limit_; }

    // One received packet.
    void packetReceived(std::string_view bytes);
    // Runs the actions that are due.
    void tick();
    // Milliseconds until tick() has something to do: 0 now, -1 nothing waits.
    int64_t msUntilDue() const;

    // The global limit stopped everything; which rule made the last action.
    bool stopped() const { return stopped_; }
    const std::string& stoppedBy() const { return stoppedBy_; }
    // A rule was switched off for this session (its expression hit the match limit).
    bool ruleDisabled(std::size_t index) const { return index < state_.size() && state_[index].disabled; }
    int actedCount(std::size_t index) const { return index < state_.size() ? state_[index].acted : 0; }

private:
    struct RuleState {
        std::optional<CompiledPattern> pattern;
        bool disabled = false;    // the match limit was reached: off for the session
        int acted = 0;            // times matched and acted
        int64_t restUntilNs = 0;  // cool-down
        uint64_t consumed = 0;    // across packets: stream offset matched up to
    };
    struct Pending {
        int64_t dueNs = 0;
        std::size_t rule = 0;
        PatternMatch match;
    };
    bool tryRule(std::size_t index, std::string_view packet, std::string_view window, std::size_t packetStart,
                 PatternMatch& match);
    void act(std::size_t index, const PatternMatch& match);
    void fire(std::size_t index, const PatternMatch& match);
    bool admitAction(const std::string& ruleName);
    void stop(const std::string& ruleName);

    const Clock& clock_;
    std::function<void(const Firing&)> actor_;
    std::function<void(const Report&)> reporter_;
    std::vector<Rule> rules_;
    std::vector<std::string> errors_;
    std::vector<RuleState> state_;
    RuleLimit limit_;
    std::size_t windowBytes_ = DefaultWindowBytes;
    std::string window_;        // the last bytes of the stream, for rules across packets
    uint64_t windowStart_ = 0;  // the stream offset of window_[0]
    bool anyAcross_ = false;
    std::deque<Pending> pending_;
    std::deque<int64_t> recentActions_;  // when the actions of the last second ran
    bool stopped_ = false;
    std::string stoppedBy_;
};

}  // namespace comtrax
