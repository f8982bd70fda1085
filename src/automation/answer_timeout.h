#pragma once
// The answer timeout of after-answer sending: when no answer comes within
// the time, the line goes out again up to a number of times, then the run
// goes on with the next line or stops. Optionally only a packet that matches
// a pattern, or whose checksum is good, counts as the answer. A timeout of 0
// waits for any packet for ever, as after-answer sending always did.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "automation/pattern.h"
#include "common/clock.h"
#include "transmit/codec.h"

namespace comtrax {

struct AnswerTimeoutSettings {
    int64_t timeoutMs = 0;      // 0: off
    int retries = 0;            // re-sends of the same line before giving up
    bool stopOnGiveUp = false;  // after the last re-send: stop (else go on with the next line)
    bool patternOn = false;     // only a packet matching pattern counts as the answer
    PatternSource pattern;
    ChecksumCondition checksum;  // and only with a good checksum
    bool operator==(const AnswerTimeoutSettings&) const = default;
    static constexpr int64_t MaxTimeoutMs = 3600000;
    static constexpr int MaxRetries = 100;
};

// The watch over one after-answer run. The scheduler says when it sent a
// line; each packet is offered; the window ticks it when msUntilDue() says.
class AnswerWatch {
public:
    explicit AnswerWatch(const Clock& clock) : clock_(clock) {}

    // New settings; error says why the pattern does not compile (then any
    // packet counts).
    void setSettings(const AnswerTimeoutSettings& settings, std::string& error);
    const AnswerTimeoutSettings& settings() const { return settings_; }
    bool active() const { return settings_.timeoutMs > 0; }

    // A line went out in after-answer sending: the time runs from now.
    // resend: it was a re-send of the line before.
    void lineSent(bool resend);
    // Whether the packet is the answer (and the watch ends); a packet that
    // is not waits on.
    bool answerCame(std::string_view packet);
    // Stop watching (the run stopped, the mode changed, the port closed).
    void cancel() { waiting_ = false; }
    bool waiting() const { return waiting_; }

    enum class Verdict { Nothing, Resend, GoOn, Stop };
    // What to do now: the time ran out with re-sends left, ran out for the
    // last time, or nothing yet.
    Verdict tick();
    int64_t msUntilDue() const;
    int attempt() const { return attempt_; }  // re-sends so far of the current line

private:
    const Clock& clock_;
    AnswerTimeoutSettings settings_;
    std::optional<CompiledPattern> pattern_;
    bool waiting_ = false;
    int64_t dueNs_ = 0;
    int attempt_ = 0;
};

}  // namespace comtrax
