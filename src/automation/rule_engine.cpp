#include "automation/rule_engine.h"

#include <algorithm>
#include <utility>

namespace comtrax {

namespace {
constexpr int64_t NsPerMs = 1000000;
constexpr int64_t LimitSpanNs = 1000 * NsPerMs;
}  // namespace

RuleEngine::RuleEngine(const Clock& clock) : clock_(clock) {}

void RuleEngine::setRules(std::vector<Rule> rules, RuleLimit limit, std::size_t windowBytes)
{
    rules_ = std::move(rules);
    limit_ = limit;
    windowBytes_ = std::max<std::size_t>(windowBytes, 1);
    errors_.assign(rules_.size(), {});
    state_.clear();
    state_.resize(rules_.size());
    anyAcross_ = false;
    for (std::size_t i = 0; i < rules_.size(); ++i) {
        state_[i].pattern = CompiledPattern::compile(rules_[i].pattern, errors_[i]);
        state_[i].consumed = windowStart_ + window_.size();  // only what comes from now on
        anyAcross_ = anyAcross_ || (rules_[i].enabled && rules_[i].acrossPackets);
    }
    pending_.clear();
    recentActions_.clear();
    stopped_ = false;
    stoppedBy_.clear();
}

void RuleEngine::packetReceived(std::string_view bytes)
{
    std::size_t packetStart = 0;
    if (anyAcross_) {
        // What came before, bounded, then the whole packet.
        if (window_.size() > windowBytes_) {
            const std::size_t drop = window_.size() - windowBytes_;
            window_.erase(0, drop);
            windowStart_ += drop;
        }
        packetStart = window_.size();
        window_.append(bytes);
    }
    if (stopped_)
        return;
    PatternMatch match;
    for (std::size_t i = 0; i < rules_.size() && !stopped_; ++i) {
        if (!tryRule(i, bytes, window_, packetStart, match))
            continue;
        act(i, match);
        if (!rules_[i].goOn)
            break;
    }
    if (anyAcross_ && window_.size() > windowBytes_) {
        const std::size_t drop = window_.size() - windowBytes_;
        window_.erase(0, drop);
        windowStart_ += drop;
    }
}

bool RuleEngine::tryRule(std::size_t index, std::string_view packet, std::string_view window,
                         std::size_t packetStart, PatternMatch& match)
{
    const Rule& rule = rules_[index];
    RuleState& state = state_[index];
    if (!rule.enabled || state.disabled || !state.pattern)
        return false;
    if (rule.times > 0 && state.acted >= rule.times)
        return false;
    const int64_t now = clock_.monotonicNs();
    if (state.restUntilNs > now)
        return false;
    if (!checksumConditionHolds(rule.checksum, packet))
        return false;

    CompiledPattern::Outcome outcome = CompiledPattern::Outcome::NoMatch;
    if (!rule.acrossPackets) {
        outcome = state.pattern->find(packet, 0, &match);
    } else {
        // A match must end in the new packet and start after the last one this
        // rule used, so no bytes make it act twice.
        std::size_t from = state.consumed > windowStart_ ? state.consumed - windowStart_ : 0;
        while (true) {
            outcome = state.pattern->find(window, from, &match);
            if (outcome != CompiledPattern::Outcome::Match || match.start + match.length > packetStart)
                break;
            from = match.start + 1;
        }
        if (outcome == CompiledPattern::Outcome::Match)
            state.consumed = windowStart_ + match.start + std::max<std::size_t>(match.length, 1);
    }
    if (outcome == CompiledPattern::Outcome::LimitReached) {
        // Too much work for this packet: off for the session, and said once.
        state.disabled = true;
        if (reporter_)
            reporter_({Report::Kind::RuleDisabled, rule.name});
        return false;
    }
    return outcome == CompiledPattern::Outcome::Match;
}

void RuleEngine::act(std::size_t index, const PatternMatch& match)
{
    const Rule& rule = rules_[index];
    RuleState& state = state_[index];
    ++state.acted;
    const int64_t now = clock_.monotonicNs();
    if (rule.cooldownMs > 0)
        state.restUntilNs = now + rule.cooldownMs * NsPerMs;
    if (rule.delayMs > 0) {
        Pending p{now + rule.delayMs * NsPerMs, index, match};
        const auto at = std::upper_bound(pending_.begin(), pending_.end(), p.dueNs,
                                         [](int64_t due, const Pending& q) { return due < q.dueNs; });
        pending_.insert(at, std::move(p));
        return;
    }
    fire(index, match);
}

void RuleEngine::fire(std::size_t index, const PatternMatch& match)
{
    // Copied: an actor may replace the rules while it runs.
    const Rule rule = rules_[index];
    for (const RuleAction& action : rule.actions) {
        if (!admitAction(rule.name))
            return;
        Firing firing{rule.name, action};
        if (action.kind == RuleAction::Kind::Send)
            firing.action.text = substituteCaptures(action.text, match, action.hex);
        if (actor_)
            actor_(firing);
    }
}

bool RuleEngine::admitAction(const std::string& ruleName)
{
    if (stopped_)
        return false;
    if (!limit_.on)
        return true;
    const int64_t now = clock_.monotonicNs();
    while (!recentActions_.empty() && recentActions_.front() <= now - LimitSpanNs)
        recentActions_.pop_front();
    if (static_cast<int64_t>(recentActions_.size()) >= std::max(limit_.actionsPerSecond, 1)) {
        stop(ruleName);
        return false;
    }
    recentActions_.push_back(now);
    return true;
}

void RuleEngine::stop(const std::string& ruleName)
{
    stopped_ = true;
    stoppedBy_ = ruleName;
    pending_.clear();
    if (reporter_)
        reporter_({Report::Kind::LimitStopped, ruleName});
}

void RuleEngine::tick()
{
    const int64_t now = clock_.monotonicNs();
    while (!stopped_ && !pending_.empty() && pending_.front().dueNs <= now) {
        Pending p = std::move(pending_.front());
        pending_.pop_front();
        if (p.rule < rules_.size())
            fire(p.rule, p.match);
    }
}

int64_t RuleEngine::msUntilDue() const
{
    if (stopped_ || pending_.empty())
        return -1;
    const int64_t left = pending_.front().dueNs - clock_.monotonicNs();
    if (left <= 0)
        return 0;
    return (left + NsPerMs - 1) / NsPerMs;
}

}  // namespace comtrax
