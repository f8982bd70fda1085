#pragma once
// CfgLine: the settings that came after the fixed CfgTerminal record, kept as
// "key=value" lines beside it. The record stays exactly as it was; everything
// new is stored here, so an old CfgTerminal with no CfgLine starts with the
// defaults below.
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "common/file_io.h"
#include "serial/modem_control.h"
#include "serial/serial_port.h"

namespace comtrax {

struct LineSettings {
    bool checkModbusCrc = false;  // mark received HEX frames [CRC ok] / [CRC bad]
    LineOptions line;             // parity and flow control
    int typedBaud = 0;            // a rate typed into the baud box (not in its list); 0: none
    ModemSettings modem;          // DTR and RTS on connect, the reset pulse, break

    // Lines this version does not know, kept in their order so a newer
    // version's settings survive a run of this one.
    std::vector<std::pair<std::string, std::string>> unknown;
};

// The file's text: one "key=value" line per setting, known keys first.
std::string formatLineSettings(const LineSettings& settings);
// Reads the text tolerantly: blank lines and lines starting with '#' are
// skipped, a value that does not parse leaves its default, unknown keys are kept.
LineSettings parseLineSettings(const std::string& text);

struct LineSettingsLoad {
    LineSettings settings;
    FileResult io;       // failed: the file exists but could not be read
    bool found = false;  // false: no file yet, the defaults stand
};
LineSettingsLoad loadLineSettingsFile(const std::string& path);
FileResult saveLineSettingsFile(const std::string& path, const LineSettings& settings);

}  // namespace comtrax
