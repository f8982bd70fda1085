#include "automation/note_line.h"

namespace comtrax {

std::string noteLine(const LocalDateTime& t, const std::string& name, const std::string& what)
{
    return " [ " + formatLogTime(t) + " * ] " + name + ": " + what;
}

std::string describeAction(const RuleAction& a)
{
    switch (a.kind) {
    case RuleAction::Kind::Send:
        return "> " + a.text;
    case RuleAction::Kind::SendMacro:
        return "macro " + a.text + " #" + std::to_string(a.macro);
    case RuleAction::Kind::Note:
        return a.text;
    case RuleAction::Kind::PulseDtr:
        return "pulse DTR";
    case RuleAction::Kind::PulseRts:
        return "pulse RTS";
    case RuleAction::Kind::Break:
        return "break";
    case RuleAction::Kind::StartLog:
        return "log start";
    case RuleAction::Kind::StopLog:
        return "log stop";
    case RuleAction::Kind::StopSending:
        return "stop sending";
    }
    return {};
}

std::string utf8ToCp1251(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        unsigned code = 0;
        std::size_t len = 0;
        if ((c & 0xE0) == 0xC0) {
            code = c & 0x1F;
            len = 2;
        } else if ((c & 0xF0) == 0xE0) {
            code = c & 0x0F;
            len = 3;
        } else if ((c & 0xF8) == 0xF0) {
            code = c & 0x07;
            len = 4;
        } else {
            out += '?';
            ++i;
            continue;
        }
        for (std::size_t k = 1; k < len && i + k < text.size(); ++k)
            code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        i += len;
        if (code >= 0x410 && code <= 0x44F)
            out += static_cast<char>(code - 0x410 + 0xC0);
        else if (code == 0x401)
            out += '\xA8';
        else if (code == 0x451)
            out += '\xB8';
        else if (code == 0xAB)
            out += '\xAB';
        else if (code == 0xBB)
            out += '\xBB';
        else if (code == 0x2014)
            out += '\x97';
        else
            out += '?';
    }
    return out;
}

std::string cp1251ToUtf8(std::string_view text)
{
    std::string out;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        unsigned code = c;
        if (c >= 0xC0)
            code = c - 0xC0 + 0x410;
        else if (c == 0xA8)
            code = 0x401;
        else if (c == 0xB8)
            code = 0x451;
        else if (c == 0x97)
            code = 0x2014;
        else if (c >= 0x80 && c != 0xAB && c != 0xBB)
            code = '?';
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return out;
}

}  // namespace comtrax
