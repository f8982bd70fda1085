#pragma once
// What the window keeps in CfgTerminal, as plain values, and how they go to and
// from the record. The window only copies these values to and from its controls.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/options.h"
#include "settings/settings_record.h"

namespace comtrax {

struct WindowSettings {
    uint32_t lastPort = 0;  // the hash of the last opened port, 0 for none
    uint8_t baudIndex = 0;  // list indices; one past the list leaves no selection
    uint8_t bitsIndex = 0;
    uint8_t stopBitsIndex = 0;
    bool autoConnect = false;
    int32_t rxTimeoutMs = 0;
    std::string filter;  // Windows-1251, as every text below
    int32_t fontSize = 8;
    uint32_t backColour = 0;
    uint32_t textColour = 0;
    bool showTime = false;
    std::optional<SendMode> sendMode;  // none: the radio buttons keep their built-in choice
    std::optional<bool> hex;           // none: the encoding keeps its built-in choice
    int32_t periodMs = 1000;
    bool sendOnConnect = false;
    std::string commandText;
    std::string suffixText;
    bool showNames = false;  // the macro buttons show the list names (RBName)
};

WindowSettings readWindowSettings(const SettingsRecord& record);

// Stores the values in the record, keeping the bytes no value owns. A run that
// opened no port (empty openedPort) keeps the port of the run before; texts are
// cut to the record's 250 bytes.
void storeWindowSettings(const WindowSettings& settings, const std::string& openedPort,
                         SettingsRecord& record);

// The entry of the port list whose name has the stored hash, or -1.
int portIndexForHash(const std::vector<std::string>& names, uint32_t hash);

}  // namespace comtrax
