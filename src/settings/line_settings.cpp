#include "settings/line_settings.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace comtrax {

namespace {

std::string trim(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

std::optional<bool> parseBool(const std::string& v)
{
    if (v == "1" || v == "true" || v == "yes" || v == "on")
        return true;
    if (v == "0" || v == "false" || v == "no" || v == "off")
        return false;
    return std::nullopt;
}

std::optional<long long> parseInt(const std::string& v)
{
    long long n = 0;
    const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
    if (ec != std::errc() || end != v.data() + v.size())
        return std::nullopt;
    return n;
}

// The key's value into out when the key is name; a value that does not
// parse leaves out as it was. True when the key was name.
bool readBool(bool& out, const std::string& key, const std::string& value, const char* name)
{
    if (key != name)
        return false;
    if (const auto b = parseBool(value))
        out = *b;
    return true;
}

bool readPulseMs(int& out, const std::string& key, const std::string& value, const char* name)
{
    if (key != name)
        return false;
    if (const auto n = parseInt(value);
        n && *n >= ModemSettings::MinPulseMs && *n <= ModemSettings::MaxPulseMs)
        out = static_cast<int>(*n);
    return true;
}

// The one table of known keys: how each is written and read. A new setting
// is one line in each list.
std::vector<std::pair<std::string, std::string>> knownValues(const LineSettings& s)
{
    return {
        {"checkModbusCrc", s.checkModbusCrc ? "1" : "0"},
        {"parity", ParityNames[static_cast<int>(s.line.parity)]},
        {"flow", FlowNames[static_cast<int>(s.line.flow)]},
        {"typedBaud", std::to_string(s.typedBaud)},
        {"dtrOnConnect", s.modem.dtrOnConnect ? "1" : "0"},
        {"rtsOnConnect", s.modem.rtsOnConnect ? "1" : "0"},
        {"resetPulseMs", std::to_string(s.modem.resetPulseMs)},
        {"resetPulseDtr", s.modem.resetPulseDtr ? "1" : "0"},
        {"resetPulseRts", s.modem.resetPulseRts ? "1" : "0"},
        {"breakMs", std::to_string(s.modem.breakMs)},
    };
}

bool readKnown(LineSettings& s, const std::string& key, const std::string& value)
{
    if (readBool(s.checkModbusCrc, key, value, "checkModbusCrc"))
        return true;
    if (key == "parity") {
        s.line.parity = valueNamed<Parity>(value, ParityNames).value_or(s.line.parity);
        return true;
    }
    if (key == "flow") {
        s.line.flow = valueNamed<FlowControl>(value, FlowNames).value_or(s.line.flow);
        return true;
    }
    if (key == "typedBaud") {
        if (const auto n = parseInt(value); n && *n >= 0 && *n <= 100000000)
            s.typedBaud = static_cast<int>(*n);
        return true;
    }
    if (readBool(s.modem.dtrOnConnect, key, value, "dtrOnConnect")
        || readBool(s.modem.rtsOnConnect, key, value, "rtsOnConnect")
        || readBool(s.modem.resetPulseDtr, key, value, "resetPulseDtr")
        || readBool(s.modem.resetPulseRts, key, value, "resetPulseRts")
        || readPulseMs(s.modem.resetPulseMs, key, value, "resetPulseMs")
        || readPulseMs(s.modem.breakMs, key, value, "breakMs"))
        return true;
    return false;
}

const char* const FirstLine = "# Comtrax settings beside CfgTerminal";

}  // namespace

std::string formatLineSettings(const LineSettings& settings)
{
    std::string text = std::string(FirstLine) + '\n';
    const auto keptBefore = [&](const std::string& key) {
        for (const LineSettings::KeptLine& line : settings.kept)
            if (line.beforeKey == key)
                text += line.text + '\n';
    };
    const auto known = knownValues(settings);
    for (const auto& [key, value] : known) {
        keptBefore(key);
        text += key + '=' + value + '\n';
    }
    // Lines whose key is gone from the table go at the end with the last ones.
    for (const LineSettings::KeptLine& line : settings.kept) {
        const bool placed = std::any_of(known.begin(), known.end(),
                                        [&](const auto& kv) { return kv.first == line.beforeKey; });
        if (!placed)
            text += line.text + '\n';
    }
    return text;
}

LineSettings parseLineSettings(const std::string& text)
{
    LineSettings s;
    // Lines not yet given a place: they go before the next known key.
    std::size_t unplaced = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        std::string raw = text.substr(pos, end - pos);
        pos = end + 1;
        while (!raw.empty() && raw.back() == '\r')
            raw.pop_back();  // a Windows line end, written back as a plain one
        const std::string line = trim(raw);
        if (line == FirstLine)
            continue;  // written again at the top
        const auto eq = line.find('=');
        const bool setting = !line.empty() && line[0] != '#' && eq != std::string::npos;
        const std::string key = setting ? trim(line.substr(0, eq)) : std::string();
        if (!key.empty() && readKnown(s, key, trim(line.substr(eq + 1)))) {
            for (; unplaced < s.kept.size(); ++unplaced)
                s.kept[unplaced].beforeKey = key;
            continue;
        }
        s.kept.push_back({raw, {}});
    }
    return s;
}

LineSettingsLoad loadLineSettingsFile(const std::string& path)
{
    LineSettingsLoad r;
    // Only a name with nothing behind it means "no file yet"; anything else
    // there (a directory, a FIFO, a file we may not read or that is too long,
    // a link someone else left) holds what the user may still need.
    if (lookUpDataFile(path).kind == DataFileLookup::Missing)
        return r;
    r.found = true;
    std::string text;
    r.io = readBoundedFile(path, MaxLineSettingsBytes, text);
    if (r.io)
        r.settings = parseLineSettings(text);
    return r;
}

FileResult saveLineSettingsFile(const std::string& path, const LineSettings& settings)
{
    return replaceFileAtomically(path, formatLineSettings(settings));
}

}  // namespace comtrax
