#include "automation/command_directive.h"

#include <charconv>

#include "common/texts.h"

namespace comtrax {

namespace {

constexpr int64_t NsPerMs = 1000000;
constexpr std::size_t WaitWindowBytes = 4096;

bool startsWithWord(std::string_view line, std::string_view word)
{
    return line.substr(0, word.size()) == word && (line.size() == word.size() || line[word.size()] == ' ');
}

std::string_view nextWord(std::string_view& rest)
{
    const auto b = rest.find_first_not_of(' ');
    if (b == std::string_view::npos) {
        rest = {};
        return {};
    }
    rest.remove_prefix(b);
    const auto e = rest.find(' ');
    const std::string_view word = rest.substr(0, e);
    rest.remove_prefix(e == std::string_view::npos ? rest.size() : e);
    return word;
}

std::optional<int64_t> number(std::string_view word, int64_t max)
{
    int64_t n = 0;
    const auto r = std::from_chars(word.data(), word.data() + word.size(), n);
    if (word.empty() || r.ec != std::errc() || r.ptr != word.data() + word.size() || n < 0 || n > max)
        return std::nullopt;
    return n;
}

}  // namespace

bool isDirectiveLine(std::string_view line)
{
    return startsWithWord(line, "@@wait") || startsWithWord(line, "@@pause")
        || startsWithWord(line, "@@note");
}

std::optional<Directive> parseDirective(std::string_view line, std::string& error)
{
    error.clear();
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.remove_suffix(1);
    if (!isDirectiveLine(line))
        return std::nullopt;
    Directive d;
    if (startsWithWord(line, "@@note")) {
        d.kind = Directive::Kind::Note;
        const std::string_view rest = line.substr(6);
        d.text = std::string(rest.substr(rest.empty() ? 0 : 1));
        return d;
    }
    std::string_view rest =
        line.substr(line.find(' ') == std::string_view::npos ? line.size() : line.find(' '));
    const auto ms = number(nextWord(rest), Directive::MaxMs);
    if (!ms) {
        error = trFormat("Нужно время в миллисекундах: %1", {line});
        return std::nullopt;
    }
    d.ms = *ms;
    if (startsWithWord(line, "@@pause")) {
        d.kind = Directive::Kind::Pause;
        if (!nextWord(rest).empty()) {
            error = trFormat("Лишнее после паузы: %1", {line});
            return std::nullopt;
        }
        return d;
    }
    d.kind = Directive::Kind::Wait;
    while (true) {
        std::string_view before = rest;
        const std::string_view word = nextWord(rest);
        if (word == "go") {
            d.onTimeout = Directive::OnTimeout::GoOn;
        } else if (word == "stop") {
            d.onTimeout = Directive::OnTimeout::Stop;
        } else if (word == "retry") {
            const auto n = number(nextWord(rest), 1000);
            if (!n || *n < 1) {
                error = trFormat("Нужно число повторов: %1", {line});
                return std::nullopt;
            }
            d.onTimeout = Directive::OnTimeout::Retry;
            d.retries = static_cast<int>(*n);
        } else {
            rest = before;
            break;
        }
    }
    const auto b = rest.find_first_not_of(' ');
    rest.remove_prefix(b == std::string_view::npos ? rest.size() : b);
    const auto colon = rest.find(':');
    const auto kind =
        colon == std::string_view::npos ? std::nullopt : patternKindFromName(rest.substr(0, colon));
    if (!kind) {
        error = trFormat("Нужен шаблон text:, hex: или regex: %1", {line});
        return std::nullopt;
    }
    d.pattern = {*kind, std::string(rest.substr(colon + 1))};
    std::string why;
    if (!CompiledPattern::compile(d.pattern, why)) {
        error = why;
        return std::nullopt;
    }
    return d;
}

void DirectiveRun::start(const Directive& d, int waitNumber)
{
    if (d.kind == Directive::Kind::Note)
        return;
    const bool again = busy_ && directive_ == d && waitNumber == waitNumber_;
    directive_ = d;
    waitNumber_ = waitNumber;
    attempt_ = again ? attempt_ : 0;
    busy_ = true;
    dueNs_ = clock_.monotonicNs() + d.ms * NsPerMs;
    seen_.clear();
    std::string error;
    pattern_.reset();
    if (d.kind == Directive::Kind::Wait)
        pattern_ = CompiledPattern::compile(d.pattern, error);
}

DirectiveRun::Event DirectiveRun::packet(std::string_view bytes)
{
    if (!waiting() || !pattern_)
        return Event::None;
    seen_.append(bytes);
    if (seen_.size() > WaitWindowBytes)
        seen_.erase(0, seen_.size() - WaitWindowBytes);
    if (pattern_->find(seen_, 0, nullptr) != CompiledPattern::Outcome::Match)
        return Event::None;
    busy_ = false;
    ++summary.waitsMatched;
    return Event::Continue;
}

DirectiveRun::Event DirectiveRun::tick()
{
    if (!busy_ || clock_.monotonicNs() < dueNs_)
        return Event::None;
    if (directive_.kind == Directive::Kind::Pause) {
        busy_ = false;
        return Event::Continue;
    }
    if (directive_.onTimeout == Directive::OnTimeout::Retry && attempt_ < directive_.retries) {
        ++attempt_;
        seen_.clear();
        dueNs_ = clock_.monotonicNs() + directive_.ms * NsPerMs;
        return Event::Resend;
    }
    busy_ = false;
    summary.timedOut.push_back(waitNumber_);
    return directive_.onTimeout == Directive::OnTimeout::GoOn ? Event::Continue : Event::Stop;
}

int64_t DirectiveRun::msUntilDue() const
{
    if (!busy_)
        return -1;
    const int64_t left = dueNs_ - clock_.monotonicNs();
    return left <= 0 ? 0 : (left + NsPerMs - 1) / NsPerMs;
}

}  // namespace comtrax
