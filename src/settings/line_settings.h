#pragma once
// CfgLine: the settings that came after the fixed CfgTerminal record, kept as
// "key=value" lines beside it. The record stays exactly as it was; everything
// new is stored here, so an old CfgTerminal with no CfgLine starts with the
// defaults below.
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "common/file_io.h"
#include "common/options.h"
#include "serial/modem_control.h"
#include "serial/serial_port.h"
#include "settings/key_value_file.h"

namespace comtrax {

struct LineSettings {
    bool checkModbusCrc = false;       // mark received HEX frames [CRC ok] / [CRC bad]
    PacketTimes packetTimes;           // the times shown beside TIME +
    bool timeoutInCharacters = false;  // TimeRX "3.5 characters" (Modbus RTU)
    LineOptions line;                  // parity and flow control
    int typedBaud = 0;                 // a rate typed into the baud box (not in its list); 0: none
    ModemSettings modem;               // DTR and RTS on connect, the reset pulse, break

    // Every line that is not a known key (the user's '#' notes, blank lines, a
    // newer version's keys), as it stood, so they all survive a run of this
    // version. Each is written again just before the known key it stood
    // before in the file, or at the end when no known key followed it.
    std::vector<KeptLine> kept;
};

// The file's text: a first line saying what the file is, then one "key=value"
// line per known setting in a fixed order, each after the kept lines that
// stood before it, then the kept lines that came last.
std::string formatLineSettings(const LineSettings& settings);
// Reads the text tolerantly: a value that does not parse leaves its default;
// of a key given twice the last one counts; every other line is kept.
LineSettings parseLineSettings(const std::string& text);

// The longest CfgLine this version reads: a few dozen lines are all it
// writes. A longer one is not its own and is reported unread.
inline constexpr std::size_t MaxLineSettingsBytes = 64 * 1024;

struct LineSettingsLoad {
    LineSettings settings;
    FileResult io;       // failed: the file exists but could not be read whole (the
                         // caller must then leave it as it is)
    bool found = false;  // false: no file yet, the defaults stand
};
LineSettingsLoad loadLineSettingsFile(const std::string& path);
FileResult saveLineSettingsFile(const std::string& path, const LineSettings& settings);

}  // namespace comtrax
