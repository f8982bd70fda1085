#include "terminal/line_settings.h"

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

}  // namespace

std::string formatLineSettings(const LineSettings& settings)
{
    std::string text = "# Comtrax settings beside CfgTerminal\n";
    for (const auto& [key, value] : knownValues(settings))
        text += key + '=' + value + '\n';
    for (const auto& [key, value] : settings.unknown)
        text += key + '=' + value + '\n';
    return text;
}

LineSettings parseLineSettings(const std::string& text)
{
    LineSettings s;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = trim(text.substr(pos, end - pos));
        pos = end + 1;
        const auto eq = line.find('=');
        if (line.empty() || line[0] == '#' || eq == std::string::npos)
            continue;
        const std::string key = trim(line.substr(0, eq));
        const std::string value = trim(line.substr(eq + 1));
        if (key.empty())
            continue;
        if (!readKnown(s, key, value))
            s.unknown.emplace_back(key, value);
    }
    return s;
}

LineSettingsLoad loadLineSettingsFile(const std::string& path)
{
    LineSettingsLoad r;
    // Only a name with nothing behind it means "no file yet"; anything else
    // there (a directory, a FIFO, a file we may not read, a link someone else
    // left) holds what the user may still need.
    if (lookUpDataFile(path).kind == DataFileLookup::Missing)
        return r;
    r.found = true;
    std::string text;
    // A settings file of a few lines; anything past this is not ours.
    r.io = readFilePrefix(path, 64 * 1024, text);
    if (r.io)
        r.settings = parseLineSettings(text);
    return r;
}

FileResult saveLineSettingsFile(const std::string& path, const LineSettings& settings)
{
    return replaceFileAtomically(path, formatLineSettings(settings));
}

}  // namespace comtrax
