#include "plot/plot_feed.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace comtrax {

bool PlotFeed::configure(const PlotSourceSettings& settings, std::string& error)
{
    std::optional<BoundedRegex> regex;
    std::vector<HexField> fields;
    if (settings.source == PlotSource::Regex) {
        regex = BoundedRegex::compile(settings.pattern, error, 100000);
        if (!regex)
            return false;
    } else if (settings.source == PlotSource::HexFields) {
        std::optional<std::vector<HexField>> parsed = parseHexFields(settings.hexFields, error);
        if (!parsed)
            return false;
        fields = std::move(*parsed);
    }
    settings_ = settings;
    regex_ = std::move(regex);
    fields_ = std::move(fields);
    restartStream();
    return true;
}

void PlotFeed::restartStream()
{
    lines_.restart();
    header_.clear();
}

void PlotFeed::add(int64_t timeNs, const std::vector<NamedValue>& values)
{
    if (store_.addSample(timeNs, values))
        ++counts_.samples;
}

void PlotFeed::take(const ReceivedPacket& packet)
{
    if (settings_.source == PlotSource::HexFields) {
        // A piece of a long stream cut early is no frame.
        if (!packet.endedBySilence)
            return;
        const FrameValues frame = readHexFrame(fields_, settings_.checksum, packet.bytes);
        if (frame.rejected) {
            ++counts_.rejectedFrames;
            return;
        }
        counts_.skippedFields += frame.missingFields;
        add(packet.firstByteNs, frame.values);
        return;
    }
    // A regular expression reads log lines, which a silence ends as well.
    const bool silenceEndsLine = settings_.source == PlotSource::Regex && packet.endedBySilence;
    lines_.feed(packet.bytes, packet.firstByteNs, silenceEndsLine,
                [this](std::string_view line, int64_t timeNs) { takeLine(line, timeNs); });
    counts_.overlongLines = lines_.overlongLines();
}

void PlotFeed::takeLine(std::string_view line, int64_t timeNs)
{
    if (settings_.source == PlotSource::Regex) {
        if (!regex_)
            return;
        BoundedRegex::Match match;
        const BoundedRegex::Outcome outcome = regex_->search(line, &match);
        if (outcome == BoundedRegex::Outcome::LimitReached)
            ++counts_.regexLimits;
        if (outcome != BoundedRegex::Outcome::Match)
            return;
        std::vector<NamedValue> values;
        const int groups = regex_->groupCount();
        // Without groups the whole match is the one value.
        for (int g = groups == 0 ? 0 : 1; g <= groups && g < static_cast<int>(match.groups.size()); ++g) {
            const BoundedRegex::Capture& capture = match.groups[g];
            if (!capture)
                continue;
            const std::optional<double> v = parsePlotNumber(line.substr(capture->first, capture->second));
            if (!v) {
                ++counts_.skippedFields;
                continue;
            }
            const std::string& named = g > 0 ? regex_->groupNames()[g - 1] : std::string();
            values.push_back({named.empty() ? "group " + std::to_string(g == 0 ? 1 : g) : named, *v});
        }
        add(timeNs, values);
        return;
    }
    const LineValues parsed =
        settings_.source == PlotSource::Csv ? parseCsvLine(line, header_) : parsePlotterLine(line, header_);
    counts_.skippedFields += parsed.skippedFields;
    if (!parsed.header)
        add(timeNs, parsed.values);
}

namespace {
std::string csvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + '"';
}
}  // namespace

std::string plotStoreCsv(const PlotStore& store)
{
    std::string out = "sample,time_s";
    for (std::size_t c = 0; c < store.channelCount(); ++c)
        out += ',' + csvField(store.channelName(c));
    out += '\n';
    char number[64];
    for (std::size_t row = 0; row < store.rowCount(); ++row) {
        std::snprintf(number, sizeof number, "%llu,%.9f",
                      static_cast<unsigned long long>(store.sampleNumber(row)),
                      store.x(row, PlotStore::XAxis::Time));
        out += number;
        for (std::size_t c = 0; c < store.channelCount(); ++c) {
            out += ',';
            const double v = store.value(c, row);
            if (!std::isnan(v)) {
                // The shortest text that reads back as the same number.
                const auto written = std::to_chars(number, number + sizeof number, v);
                out.append(number, written.ptr);
            }
        }
        out += '\n';
    }
    return out;
}

}  // namespace comtrax
