#pragma once
// Directive lines in command files, which stepped sending carries out instead
// of sending them:
//   @@wait MS [go|stop|retry N] text:OK     wait for a pattern (text:, hex:, regex:)
//   @@pause MS                               a pause
//   @@note TEXT                              a line in the log
// Only "@@" followed by one of these words is a directive: no device
// protocol's command starts with two at-signs, so every existing file sends
// as before. On a timeout a wait goes on (go, the default), stops the file,
// or sends the line before it again up to N times and then stops.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "automation/pattern.h"
#include "common/clock.h"

namespace comtrax {

struct Directive {
    enum class Kind { Wait, Pause, Note };
    enum class OnTimeout { GoOn, Stop, Retry };
    Kind kind = Kind::Note;
    int64_t ms = 0;
    OnTimeout onTimeout = OnTimeout::GoOn;
    int retries = 0;
    PatternSource pattern;
    std::string text;  // Note
    bool operator==(const Directive&) const = default;
    static constexpr int64_t MaxMs = 24LL * 3600 * 1000;
};

// Whether the line is meant as a directive ("@@wait", "@@pause", "@@note").
bool isDirectiveLine(std::string_view line);
// The directive, or nothing with error set (UTF-8) when a directive line is
// malformed; a line that is no directive gives nothing and no error.
std::optional<Directive> parseDirective(std::string_view line, std::string& error);

// One file run's waits and pauses, on the monotonic clock.
class DirectiveRun {
public:
    explicit DirectiveRun(const Clock& clock) : clock_(clock) {}

    enum class Event { None, Continue, Resend, Stop };
    // Starts a pause or a wait (a note needs no run). waitNumber: which wait
    // of the file it is, for the summary.
    void start(const Directive& d, int waitNumber);
    bool busy() const { return busy_; }
    bool waiting() const { return busy_ && directive_.kind == Directive::Kind::Wait; }
    // A packet while waiting: Continue when the pattern is found (across
    // packets since the wait began, in a bounded window).
    Event packet(std::string_view bytes);
    Event tick();
    int64_t msUntilDue() const;
    void cancel() { busy_ = false; }

    // The run's summary.
    struct Summary {
        int linesSent = 0;
        int waitsMatched = 0;
        std::vector<int> timedOut;  // the waits (1..) that timed out
    };
    Summary summary;
    void resetSummary() { summary = {}; }

private:
    const Clock& clock_;
    Directive directive_;
    std::optional<CompiledPattern> pattern_;
    bool busy_ = false;
    int64_t dueNs_ = 0;
    int attempt_ = 0;
    int waitNumber_ = 0;
    std::string seen_;
};

}  // namespace comtrax
