#include "automation/pattern.h"

#include <algorithm>
#include <cstring>

#include "common/texts.h"
#include "transmit/codec.h"

namespace comtrax {

const char* patternKindName(PatternKind kind)
{
    switch (kind) {
    case PatternKind::Text:
        return "text";
    case PatternKind::Hex:
        return "hex";
    case PatternKind::Regex:
        return "regex";
    }
    return "text";
}

std::optional<PatternKind> patternKindFromName(std::string_view name)
{
    for (const PatternKind k : {PatternKind::Text, PatternKind::Hex, PatternKind::Regex})
        if (name == patternKindName(k))
            return k;
    return std::nullopt;
}

namespace {

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

}  // namespace

std::string decodeEscapes(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '$' && i + 2 < text.size() && isHexDigit(text[i + 1]) && isHexDigit(text[i + 2])) {
            out += static_cast<char>(hexToInt(text[i + 1]) * 16 + hexToInt(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::optional<CompiledPattern> CompiledPattern::compile(const PatternSource& source, std::string& error,
                                                        uint32_t matchLimit)
{
    CompiledPattern p;
    p.kind_ = source.kind;
    error.clear();
    switch (source.kind) {
    case PatternKind::Text:
        if (source.text.find("??") != std::string::npos) {
            error = trText("«??» означает любой байт только в шаблоне HEX");
            return std::nullopt;
        }
        p.bytes_ = decodeEscapes(source.text);
        break;
    case PatternKind::Hex: {
        std::string digits;
        for (std::size_t i = 0; i < source.text.size(); ++i) {
            const char c = source.text[i];
            if (c == ' ' || c == '\t' || c == ',') {
                if (digits.size() % 2 != 0) {
                    error = trText("Нечётное число шестнадцатеричных цифр");
                    return std::nullopt;
                }
                continue;
            }
            if (c != '?' && !isHexDigit(c)) {
                error = trFormat("Не шестнадцатеричная цифра: «%1»", {std::string_view(&source.text[i], 1)});
                return std::nullopt;
            }
            digits += c;
        }
        if (digits.size() % 2 != 0) {
            error = trText("Нечётное число шестнадцатеричных цифр");
            return std::nullopt;
        }
        for (std::size_t i = 0; i < digits.size(); i += 2) {
            const bool any1 = digits[i] == '?';
            const bool any2 = digits[i + 1] == '?';
            if (any1 != any2) {
                error = trText("«?» пишется парой: «??» — любой байт");
                return std::nullopt;
            }
            p.bytes_ += any1 ? '\0' : static_cast<char>(hexToInt(digits[i]) * 16 + hexToInt(digits[i + 1]));
            p.mask_ += any1 ? '\0' : '\1';
        }
        break;
    }
    case PatternKind::Regex: {
        std::string why;
        auto re = BoundedRegex::compile(source.text, why, matchLimit);
        if (!re) {
            error = trFormat("Ошибка в регулярном выражении: %1", {why});
            return std::nullopt;
        }
        p.regex_ = std::move(*re);
        break;
    }
    }
    if (source.kind != PatternKind::Regex && p.bytes_.empty()) {
        error = trText("Пустой шаблон");
        return std::nullopt;
    }
    return p;
}

CompiledPattern::Outcome CompiledPattern::find(std::string_view subject, std::size_t start,
                                               PatternMatch* match) const
{
    if (start > subject.size())
        return Outcome::NoMatch;
    std::size_t at = std::string_view::npos;
    std::size_t length = bytes_.size();
    switch (kind_) {
    case PatternKind::Text:
        at = subject.find(bytes_, start);
        break;
    case PatternKind::Hex:
        for (std::size_t i = start; i + length <= subject.size(); ++i) {
            bool equal = true;
            for (std::size_t k = 0; k < length && equal; ++k)
                equal = mask_[k] == '\0' || subject[i + k] == bytes_[k];
            if (equal) {
                at = i;
                break;
            }
        }
        break;
    case PatternKind::Regex: {
        BoundedRegex::Match m;
        const auto outcome = regex_.search(subject, &m, start);
        if (outcome == BoundedRegex::Outcome::LimitReached)
            return Outcome::LimitReached;
        if (outcome == BoundedRegex::Outcome::NoMatch)
            return Outcome::NoMatch;
        if (match) {
            match->start = m.groups[0]->first;
            match->length = m.groups[0]->second;
            match->groups.clear();
            for (const auto& g : m.groups)
                match->groups.emplace_back(g ? subject.substr(g->first, g->second) : std::string_view());
            match->names = regex_.groupNames();
        }
        return Outcome::Match;
    }
    }
    if (at == std::string_view::npos)
        return Outcome::NoMatch;
    if (match) {
        match->start = at;
        match->length = length;
        match->groups.assign(1, std::string(subject.substr(at, length)));
        match->names.clear();
    }
    return Outcome::Match;
}

}  // namespace comtrax
