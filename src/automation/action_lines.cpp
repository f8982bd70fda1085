#include "automation/action_lines.h"

#include <charconv>

#include "common/texts.h"

namespace comtrax {

namespace {

std::string trimmed(const std::string& s)
{
    const auto b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos)
        return {};
    const auto e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

}  // namespace

ActionLinesResult parseActionLines(const std::string& text, const std::string& suffix)
{
    ActionLinesResult out;
    std::size_t start = 0;
    int lineNumber = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = trimmed(text.substr(start, end - start));
        start = end + 1;
        ++lineNumber;
        if (line.empty())
            continue;
        const auto space = line.find(' ');
        const std::string word = line.substr(0, space);
        const std::string rest = space == std::string::npos ? std::string() : trimmed(line.substr(space + 1));
        RuleAction a;
        if (word == "send" || word == "sendhex") {
            a.kind = RuleAction::Kind::Send;
            a.hex = word == "sendhex";
            a.text = rest;
            a.suffix = suffix;
        } else if (word == "macro") {
            a.kind = RuleAction::Kind::SendMacro;
            const auto lastSpace = rest.rfind(' ');
            int n = 0;
            const char* numberStart = rest.data() + (lastSpace == std::string::npos ? 0 : lastSpace + 1);
            const auto r = std::from_chars(numberStart, rest.data() + rest.size(), n);
            if (lastSpace == std::string::npos || r.ec != std::errc() || r.ptr != rest.data() + rest.size()
                || n < 1) {
                out.error = trFormat("Строка %1: нужно «macro СПИСОК НОМЕР»", {std::to_string(lineNumber)});
                return out;
            }
            a.text = trimmed(rest.substr(0, lastSpace));
            a.macro = n;
        } else if (word == "note") {
            a.kind = RuleAction::Kind::Note;
            a.text = rest;
        } else if (!actionKindFromName(word, a.kind) || a.kind == RuleAction::Kind::Send
                   || a.kind == RuleAction::Kind::SendMacro || a.kind == RuleAction::Kind::Note) {
            out.error = trFormat("Строка %1: неизвестное действие «%2»", {std::to_string(lineNumber), word});
            return out;
        }
        out.actions.push_back(a);
    }
    return out;
}

std::string formatActionLines(const std::vector<RuleAction>& actions)
{
    std::string out;
    for (const RuleAction& a : actions) {
        switch (a.kind) {
        case RuleAction::Kind::Send:
            out += (a.hex ? "sendhex " : "send ") + a.text;
            break;
        case RuleAction::Kind::SendMacro:
            out += "macro " + a.text + " " + std::to_string(a.macro);
            break;
        case RuleAction::Kind::Note:
            out += "note " + a.text;
            break;
        default:
            out += actionKindName(a.kind);
            break;
        }
        out += '\n';
    }
    return out;
}

}  // namespace comtrax
