#include "automation/rule.h"

#include <array>
#include <utility>

namespace comtrax {

namespace {

constexpr std::array<std::pair<RuleAction::Kind, const char*>, 9> KindNames{{
    {RuleAction::Kind::Send, "send"},
    {RuleAction::Kind::SendMacro, "macro"},
    {RuleAction::Kind::Note, "note"},
    {RuleAction::Kind::PulseDtr, "pulse-dtr"},
    {RuleAction::Kind::PulseRts, "pulse-rts"},
    {RuleAction::Kind::Break, "break"},
    {RuleAction::Kind::StartLog, "log-start"},
    {RuleAction::Kind::StopLog, "log-stop"},
    {RuleAction::Kind::StopSending, "stop-sending"},
}};

void appendCapture(std::string& out, const std::string& bytes, bool hex)
{
    if (!hex) {
        out += bytes;
        return;
    }
    static const char* const digits = "0123456789ABCDEF";
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (!out.empty() && out.back() != ' ')
            out += ' ';
        out += digits[b >> 4];
        out += digits[b & 15];
    }
}

}  // namespace

const char* actionKindName(RuleAction::Kind kind)
{
    for (const auto& [k, name] : KindNames)
        if (k == kind)
            return name;
    return "send";
}

bool actionKindFromName(const std::string& name, RuleAction::Kind& kind)
{
    for (const auto& [k, n] : KindNames)
        if (name == n) {
            kind = k;
            return true;
        }
    return false;
}

std::string substituteCaptures(const std::string& text, const PatternMatch& match, bool hex)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\\' || i + 1 >= text.size()) {
            out += c;
            continue;
        }
        const char next = text[i + 1];
        if (next == '\\') {
            out += '\\';
            ++i;
        } else if (next >= '0' && next <= '9') {
            const auto group = static_cast<std::size_t>(next - '0');
            if (group < match.groups.size())
                appendCapture(out, match.groups[group], hex);
            ++i;
        } else if (next == '{') {
            const std::size_t close = text.find('}', i + 2);
            if (close == std::string::npos) {
                out += c;
                continue;
            }
            const std::string name = text.substr(i + 2, close - i - 2);
            for (std::size_t g = 0; g < match.names.size(); ++g)
                if (!name.empty() && match.names[g] == name && g + 1 < match.groups.size())
                    appendCapture(out, match.groups[g + 1], hex);
            i = close;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace comtrax
