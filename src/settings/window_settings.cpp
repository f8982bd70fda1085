#include "settings/window_settings.h"

namespace comtrax {

WindowSettings readWindowSettings(const SettingsRecord& r)
{
    WindowSettings s;
    s.lastPort = r.lastPort();
    s.baudIndex = r.baudIndex();
    s.bitsIndex = r.bitsIndex();
    s.stopBitsIndex = r.stopBitsIndex();
    s.autoConnect = r.autoConnectOn() != 0;
    s.rxTimeoutMs = r.timeRxMs();
    s.filter = r.filterText();
    s.fontSize = r.fontSize();
    s.backColour = r.backColor();
    s.textColour = r.textColor();
    s.showTime = r.showTime() != 0;
    if (r.sendMode() >= 1 && r.sendMode() <= 4)
        s.sendMode = static_cast<SendMode>(r.sendMode());
    if (r.inputEncoding() == 1 || r.inputEncoding() == 2)
        s.hex = r.inputEncoding() == 2;
    s.periodMs = r.periodMs();
    s.sendOnConnect = r.sendOnConnect() != 0;
    s.commandText = r.commandText();
    s.suffixText = r.suffixText();
    // Any other value than 1 shows the command lines, as the data button is
    // chosen whenever the stored flag is not exactly "names".
    s.showNames = r.showNames() == 1;
    return s;
}

void storeWindowSettings(const WindowSettings& s, const std::string& openedPort, SettingsRecord& r)
{
    if (!openedPort.empty())
        r.setLastPort(SettingsRecord::portHash(openedPort));
    r.setBaudIndex(s.baudIndex);
    r.setBitsIndex(s.bitsIndex);
    r.setStopBitsIndex(s.stopBitsIndex);
    r.setAutoConnectOn(s.autoConnect ? 1 : 0);
    r.setTimeRxMs(s.rxTimeoutMs);
    r.setFilterText(s.filter.substr(0, SettingsRecord::TextCapacity));
    r.setFontSize(s.fontSize);
    r.setBackColor(s.backColour);
    r.setTextColor(s.textColour);
    r.setShowTime(s.showTime ? 1 : 0);
    if (s.sendMode)
        r.setSendMode(static_cast<uint8_t>(*s.sendMode));
    if (s.hex)
        r.setInputEncoding(*s.hex ? 2 : 1);
    r.setPeriodMs(s.periodMs);
    r.setSendOnConnect(s.sendOnConnect ? 1 : 0);
    r.setCommandText(s.commandText.substr(0, SettingsRecord::TextCapacity));
    r.setSuffixText(s.suffixText.substr(0, SettingsRecord::TextCapacity));
    r.setShowNames(s.showNames ? 1 : 0);
}

int portIndexForHash(const std::vector<std::string>& names, uint32_t hash)
{
    if (hash == 0)
        return -1;
    for (std::size_t i = 0; i < names.size(); ++i)
        if (SettingsRecord::portHash(names[i]) == hash)
            return static_cast<int>(i);
    return -1;
}

}  // namespace comtrax
