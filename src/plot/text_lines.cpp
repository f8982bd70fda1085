#include "plot/text_lines.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace comtrax {

namespace {

bool isPlotterSeparator(char c)
{
    return c == ' ' || c == '\t' || c == ',';
}
bool isCsvSeparator(char c)
{
    return c == ',' || c == ';' || c == '\t';
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\r'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

std::string boundedName(std::string_view name)
{
    return std::string(name.substr(0, PlotStore::MaxNameBytes));
}

std::string bareName(std::size_t index, const std::vector<std::string>& header)
{
    if (index < header.size() && !header[index].empty())
        return header[index];
    return "value " + std::to_string(index + 1);
}

// The tokens between runs of separators (empty ones left out).
template <typename IsSeparator>
std::vector<std::string_view> tokens(std::string_view line, IsSeparator isSeparator, std::size_t cap,
                                     std::size_t& beyond)
{
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isSeparator(line[i]))
            ++i;
        const std::size_t start = i;
        while (i < line.size() && !isSeparator(line[i]))
            ++i;
        if (i > start) {
            if (out.size() < cap)
                out.push_back(line.substr(start, i - start));
            else
                ++beyond;
        }
    }
    return out;
}

}  // namespace

std::optional<double> parsePlotNumber(std::string_view text)
{
    text = trimmed(text);
    if (text.empty())
        return std::nullopt;
    // from_chars reads "nan" and "inf" too; a number starts with a digit,
    // a point or a sign before one of them.
    std::string_view digits = text;
    if (digits.front() == '+' || digits.front() == '-')
        digits.remove_prefix(1);
    if (digits.empty()
        || !(std::isdigit(static_cast<unsigned char>(digits.front())) || digits.front() == '.'))
        return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size() || !std::isfinite(value))
        return std::nullopt;
    return text.front() == '-' ? -value : value;
}

void LineSplitter::restart()
{
    partial_.clear();
    started_ = false;
    dropFirst_ = true;
    overlong_ = false;
}

void LineSplitter::finishLine(const std::function<void(std::string_view, int64_t)>& onLine)
{
    if (overlong_)
        ++overlongLines_;
    else if (!dropFirst_)
        onLine(partial_, partialTimeNs_);
    partial_.clear();
    started_ = false;
    dropFirst_ = false;
    overlong_ = false;
}

void LineSplitter::feed(std::string_view bytes, int64_t timeNs, bool endsLine,
                        const std::function<void(std::string_view, int64_t)>& onLine)
{
    std::size_t i = 0;
    while (i < bytes.size()) {
        if (!started_) {
            started_ = true;
            partialTimeNs_ = timeNs;
        }
        const std::size_t newline = bytes.find('\n', i);
        const std::size_t end = newline == std::string_view::npos ? bytes.size() : newline;
        std::string_view piece = bytes.substr(i, end - i);
        if (!overlong_ && !dropFirst_) {
            if (partial_.size() + piece.size() > MaxLineBytes) {
                overlong_ = true;
                partial_.clear();
            } else {
                partial_.append(piece);
            }
        }
        i = end;
        if (newline != std::string_view::npos) {
            if (!partial_.empty() && partial_.back() == '\r')
                partial_.pop_back();
            finishLine(onLine);
            ++i;
        }
    }
    if (endsLine && started_) {
        if (!partial_.empty() && partial_.back() == '\r')
            partial_.pop_back();
        finishLine(onLine);
    }
}

LineValues parsePlotterLine(std::string_view line, std::vector<std::string>& header)
{
    LineValues out;
    std::size_t beyond = 0;
    const std::vector<std::string_view> parts = tokens(line, isPlotterSeparator, MaxFieldsPerLine, beyond);
    out.skippedFields = beyond;
    const std::size_t colon = line.find(':');
    if (colon != std::string_view::npos && colon > 0) {
        // label:value pairs; a part without both is no value.
        for (std::string_view part : parts) {
            const std::size_t at = part.find(':');
            const std::string_view label = at == std::string_view::npos ? part : trimmed(part.substr(0, at));
            const std::optional<double> value =
                at == std::string_view::npos ? std::nullopt : parsePlotNumber(part.substr(at + 1));
            if (label.empty() || at == std::string_view::npos || !value) {
                ++out.skippedFields;
                continue;
            }
            out.values.push_back({boundedName(label), *value});
        }
        return out;
    }
    std::vector<std::optional<double>> numbers;
    numbers.reserve(parts.size());
    bool anyNumber = false;
    for (std::string_view part : parts) {
        numbers.push_back(parsePlotNumber(part));
        anyNumber = anyNumber || numbers.back().has_value();
    }
    if (!anyNumber && !parts.empty()) {
        // A line of labels alone names the bare values that follow.
        header.clear();
        for (std::string_view part : parts)
            header.push_back(boundedName(part));
        out.header = true;
        return out;
    }
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        if (numbers[i])
            out.values.push_back({bareName(i, header), *numbers[i]});
        else
            ++out.skippedFields;
    }
    return out;
}

LineValues parseCsvLine(std::string_view line, std::vector<std::string>& header)
{
    LineValues out;
    // Fields keep their places: an empty one is a column with no value.
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    bool quoted = false;  // a separator between double quotes is part of the field
    for (std::size_t i = 0; i <= line.size(); ++i) {
        if (i < line.size() && line[i] == '"')
            quoted = !quoted;
        if (i == line.size() || (!quoted && isCsvSeparator(line[i]))) {
            if (fields.size() < MaxFieldsPerLine)
                fields.push_back(trimmed(line.substr(start, i - start)));
            else
                ++out.skippedFields;
            start = i + 1;
        }
    }
    if (trimmed(line).empty())
        return out;
    std::vector<std::optional<double>> numbers;
    bool anyNumber = false;
    for (std::string_view field : fields) {
        numbers.push_back(parsePlotNumber(field));
        anyNumber = anyNumber || numbers.back().has_value();
    }
    if (!anyNumber && header.empty()) {
        for (std::string_view field : fields) {
            if (field.size() >= 2 && field.front() == '"' && field.back() == '"')
                field = field.substr(1, field.size() - 2);
            header.push_back(boundedName(field));
        }
        out.header = true;
        return out;
    }
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        if (numbers[i])
            out.values.push_back({bareName(i, header), *numbers[i]});
        else if (!fields[i].empty())
            ++out.skippedFields;
    }
    return out;
}

}  // namespace comtrax
