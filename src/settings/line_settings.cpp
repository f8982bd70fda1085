#include "settings/line_settings.h"

namespace comtrax {

namespace {

// The key's value into out when the key is name; a value that does not
// parse leaves out as it was. True when the key was name.
bool readBool(bool& out, const std::string& key, const std::string& value, const char* name)
{
    if (key != name)
        return false;
    if (const auto b = parseKeyValueBool(value))
        out = *b;
    return true;
}

bool readPulseMs(int& out, const std::string& key, const std::string& value, const char* name)
{
    if (key != name)
        return false;
    if (const auto n = parseKeyValueInt(value);
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
        {"timeArrival", s.packetTimes.arrival ? "1" : "0"},
        {"timeSilenceBefore", s.packetTimes.silenceBefore ? "1" : "0"},
        {"timeSinceSent", s.packetTimes.sinceSent ? "1" : "0"},
        {"timeoutCharacters", s.timeoutInCharacters ? "1" : "0"},
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
        if (const auto n = parseKeyValueInt(value); n && *n >= 0 && *n <= 100000000)
            s.typedBaud = static_cast<int>(*n);
        return true;
    }
    if (readBool(s.modem.dtrOnConnect, key, value, "dtrOnConnect")
        || readBool(s.modem.rtsOnConnect, key, value, "rtsOnConnect")
        || readBool(s.modem.resetPulseDtr, key, value, "resetPulseDtr")
        || readBool(s.modem.resetPulseRts, key, value, "resetPulseRts")
        || readPulseMs(s.modem.resetPulseMs, key, value, "resetPulseMs")
        || readPulseMs(s.modem.breakMs, key, value, "breakMs")
        || readBool(s.packetTimes.arrival, key, value, "timeArrival")
        || readBool(s.packetTimes.silenceBefore, key, value, "timeSilenceBefore")
        || readBool(s.packetTimes.sinceSent, key, value, "timeSinceSent")
        || readBool(s.timeoutInCharacters, key, value, "timeoutCharacters"))
        return true;
    return false;
}

const char* const FirstLine = "# Comtrax settings beside CfgTerminal";

}  // namespace

std::string formatLineSettings(const LineSettings& settings)
{
    return formatKeyValues(FirstLine, knownValues(settings), settings.kept);
}

LineSettings parseLineSettings(const std::string& text)
{
    LineSettings s;
    s.kept = parseKeyValues(text, FirstLine, [&s](const std::string& key, const std::string& value) {
        return readKnown(s, key, value);
    });
    return s;
}

LineSettingsLoad loadLineSettingsFile(const std::string& path)
{
    LineSettingsLoad r;
    const KeyValueLoad file = loadKeyValueFile(path, MaxLineSettingsBytes);
    r.found = file.found;
    r.io = file.io;
    if (r.found && r.io)
        r.settings = parseLineSettings(file.text);
    return r;
}

FileResult saveLineSettingsFile(const std::string& path, const LineSettings& settings)
{
    return saveKeyValueFile(path, formatLineSettings(settings));
}

}  // namespace comtrax
