#include "automation/answer_timeout.h"

namespace comtrax {

namespace {
constexpr int64_t NsPerMs = 1000000;
}

void AnswerWatch::setSettings(const AnswerTimeoutSettings& settings, std::string& error)
{
    settings_ = settings;
    error.clear();
    pattern_.reset();
    if (settings_.patternOn)
        pattern_ = CompiledPattern::compile(settings_.pattern, error);
    if (settings_.timeoutMs <= 0)
        waiting_ = false;
}

void AnswerWatch::lineSent(bool resend)
{
    if (!active())
        return;
    attempt_ = resend ? attempt_ + 1 : 0;
    waiting_ = true;
    dueNs_ = clock_.monotonicNs() + settings_.timeoutMs * NsPerMs;
}

bool AnswerWatch::answerCame(std::string_view packet)
{
    if (!checksumConditionHolds(settings_.checksum, packet))
        return false;
    if (pattern_ && pattern_->find(packet, 0, nullptr) != CompiledPattern::Outcome::Match)
        return false;
    waiting_ = false;
    return true;
}

AnswerWatch::Verdict AnswerWatch::tick()
{
    if (!waiting_ || !active() || clock_.monotonicNs() < dueNs_)
        return Verdict::Nothing;
    waiting_ = false;
    if (attempt_ < settings_.retries)
        return Verdict::Resend;
    return settings_.stopOnGiveUp ? Verdict::Stop : Verdict::GoOn;
}

int64_t AnswerWatch::msUntilDue() const
{
    if (!waiting_ || !active())
        return -1;
    const int64_t left = dueNs_ - clock_.monotonicNs();
    return left <= 0 ? 0 : (left + NsPerMs - 1) / NsPerMs;
}

}  // namespace comtrax
