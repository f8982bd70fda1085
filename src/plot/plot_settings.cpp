#include "plot/plot_settings.h"

#include <algorithm>
#include <cctype>

namespace comtrax {

namespace {

constexpr const char* FirstLine = "# Comtrax plot settings";
constexpr std::size_t MaxColours = PlotStore::MaxChannels;

const char* sourceText(PlotSource s)
{
    switch (s) {
    case PlotSource::Plotter:
        return "plotter";
    case PlotSource::Csv:
        return "csv";
    case PlotSource::Regex:
        return "regex";
    case PlotSource::HexFields:
        return "hex";
    }
    return "plotter";
}

std::string checksumText(const ChecksumCondition& c)
{
    switch (c.kind) {
    case ChecksumCondition::Kind::None:
        return "none";
    case ChecksumCondition::Kind::ModbusFrame:
        return "modbus";
    case ChecksumCondition::Kind::Tag:
        return "tag " + std::to_string(c.tagIndex);
    }
    return "none";
}

bool isColour(const std::string& v)
{
    return v.size() == 7 && v[0] == '#' && std::all_of(v.begin() + 1, v.end(), [](char c) {
               return std::isxdigit(static_cast<unsigned char>(c));
           });
}

bool readKnown(PlotSettings& s, const std::string& key, const std::string& value)
{
    auto number = [&](int& into, long long low, long long high) {
        if (const auto v = parseKeyValueInt(value); v && *v >= low && *v <= high)
            into = static_cast<int>(*v);
        return true;
    };
    if (key == "source") {
        for (PlotSource p :
             {PlotSource::Plotter, PlotSource::Csv, PlotSource::Regex, PlotSource::HexFields}) {
            if (value == sourceText(p))
                s.source.source = p;
        }
        return true;
    }
    if (key == "pattern") {
        s.source.pattern = value;
        return true;
    }
    if (key == "hex_fields") {
        s.source.hexFields = value;
        return true;
    }
    if (key == "checksum") {
        if (value == "none") {
            s.source.checksum = {};
        } else if (value == "modbus") {
            s.source.checksum = {ChecksumCondition::Kind::ModbusFrame, 0};
        } else if (value.rfind("tag ", 0) == 0) {
            const auto v = parseKeyValueInt(value.substr(4));
            if (v && *v >= 0 && *v < ChecksumTagCount)
                s.source.checksum = {ChecksumCondition::Kind::Tag, static_cast<int>(*v)};
        }
        return true;
    }
    if (key == "capacity") {
        if (const auto v = parseKeyValueInt(value))
            s.capacity = static_cast<std::size_t>(
                std::clamp<long long>(*v, PlotStore::MinCapacity, PlotStore::MaxCapacity));
        return true;
    }
    if (key == "x_axis") {
        if (value == "sample" || value == "time")
            s.xAxis = value == "time" ? PlotStore::XAxis::Time : PlotStore::XAxis::Sample;
        return true;
    }
    if (key == "x")
        return number(s.x, -100000, 100000);
    if (key == "y")
        return number(s.y, -100000, 100000);
    if (key == "width")
        return number(s.width, 0, 100000);
    if (key == "height")
        return number(s.height, 0, 100000);
    if (key.rfind("colour.", 0) == 0) {
        const auto index = parseKeyValueInt(key.substr(7));
        if (!index || *index < 0 || *index >= static_cast<long long>(MaxColours))
            return false;
        if (isColour(value)) {
            if (s.colours.size() <= static_cast<std::size_t>(*index))
                s.colours.resize(*index + 1);
            s.colours[*index] = value;
        }
        return true;
    }
    return false;
}

}  // namespace

std::string formatPlotSettings(const PlotSettings& s)
{
    std::vector<std::pair<std::string, std::string>> known = {
        {"source", sourceText(s.source.source)},
        {"pattern", s.source.pattern},
        {"hex_fields", s.source.hexFields},
        {"checksum", checksumText(s.source.checksum)},
        {"capacity", std::to_string(s.capacity)},
        {"x_axis", s.xAxis == PlotStore::XAxis::Time ? "time" : "sample"},
        {"x", std::to_string(s.x)},
        {"y", std::to_string(s.y)},
        {"width", std::to_string(s.width)},
        {"height", std::to_string(s.height)},
    };
    for (std::size_t i = 0; i < s.colours.size() && i < MaxColours; ++i) {
        if (isColour(s.colours[i]))
            known.emplace_back("colour." + std::to_string(i), s.colours[i]);
    }
    return formatKeyValues(FirstLine, known, s.kept);
}

PlotSettings parsePlotSettings(const std::string& text)
{
    PlotSettings s;
    s.kept = parseKeyValues(text, FirstLine, [&s](const std::string& key, const std::string& value) {
        return readKnown(s, key, value);
    });
    return s;
}

PlotSettingsLoad loadPlotSettingsFile(const std::string& path)
{
    PlotSettingsLoad r;
    const KeyValueLoad file = loadKeyValueFile(path, MaxPlotSettingsBytes);
    r.found = file.found;
    r.io = file.io;
    if (r.found && r.io)
        r.settings = parsePlotSettings(file.text);
    return r;
}

FileResult savePlotSettingsFile(const std::string& path, const PlotSettings& settings)
{
    return saveKeyValueFile(path, formatPlotSettings(settings));
}

}  // namespace comtrax
