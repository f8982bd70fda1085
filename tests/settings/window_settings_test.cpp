// The window's settings as plain values: what a stored record means, and what
// a save writes back.
#include <gtest/gtest.h>

#include "settings/window_settings.h"

using namespace comtrax;

TEST(WindowSettings, StoredChoicesOutsideTheirRangeLeaveTheControlsAsBuilt)
{
    SettingsRecord r;
    for (uint8_t stored : {0, 5, 255}) {
        r.setSendMode(stored);
        r.setInputEncoding(stored == 5 ? 3 : stored);
        const WindowSettings s = readWindowSettings(r);
        EXPECT_FALSE(s.sendMode.has_value()) << int(stored);
        EXPECT_FALSE(s.hex.has_value()) << int(stored);
    }
    r.setSendMode(4);
    r.setInputEncoding(2);
    EXPECT_EQ(readWindowSettings(r).sendMode, SendMode::Period);
    EXPECT_EQ(readWindowSettings(r).hex, true);
    r.setInputEncoding(1);
    EXPECT_EQ(readWindowSettings(r).hex, false);
}

TEST(WindowSettings, OnlyTheValueOneShowsTheListNames)
{
    SettingsRecord r;
    const std::pair<uint8_t, bool> cases[] = {{0, false}, {1, true}, {2, false}, {255, false}};
    for (const auto& [stored, names] : cases) {
        r.setShowNames(stored);
        EXPECT_EQ(readWindowSettings(r).showNames, names) << int(stored);
    }
}

TEST(WindowSettings, ASaveKeepsWhatNoValueOwnsAndWhatWasNotChosen)
{
    SettingsRecord r;
    r.setLastPort(SettingsRecord::portHash("ttyUSB3"));
    r.setSendMode(3);
    r.setInputEncoding(2);
    WindowSettings s = readWindowSettings(r);
    s.sendMode.reset();
    s.hex.reset();
    s.commandText = std::string(300, 'x');
    storeWindowSettings(s, "", r);
    EXPECT_EQ(r.lastPort(), SettingsRecord::portHash("ttyUSB3"));  // no port opened this run
    EXPECT_EQ(r.sendMode(), 3);
    EXPECT_EQ(r.inputEncoding(), 2);
    EXPECT_EQ(r.commandText(), std::string(SettingsRecord::TextCapacity, 'x'));

    s.sendMode = SendMode::Manual;
    s.hex = false;
    storeWindowSettings(s, "ttyACM0", r);
    EXPECT_EQ(r.lastPort(), SettingsRecord::portHash("ttyACM0"));
    EXPECT_EQ(r.sendMode(), 1);
    EXPECT_EQ(r.inputEncoding(), 1);
}

TEST(WindowSettings, ARoundTripGivesTheSameValues)
{
    WindowSettings s;
    s.baudIndex = 7;
    s.bitsIndex = 255;
    s.autoConnect = true;
    s.rxTimeoutMs = 150;
    s.filter = "GGA";
    s.fontSize = 12;
    s.backColour = 0x00FFFF;
    s.textColour = 0x800000;
    s.showTime = true;
    s.sendMode = SendMode::OnSelect;
    s.hex = true;
    s.periodMs = 250;
    s.sendOnConnect = true;
    s.commandText = "AT";
    s.suffixText = "$0D$0A";
    s.showNames = true;
    SettingsRecord r;
    storeWindowSettings(s, "", r);
    const WindowSettings back = readWindowSettings(r);
    EXPECT_EQ(back.baudIndex, 7);
    EXPECT_EQ(back.bitsIndex, 255);
    EXPECT_TRUE(back.autoConnect);
    EXPECT_EQ(back.rxTimeoutMs, 150);
    EXPECT_EQ(back.filter, "GGA");
    EXPECT_EQ(back.fontSize, 12);
    EXPECT_EQ(back.backColour, 0x00FFFFu);
    EXPECT_EQ(back.textColour, 0x800000u);
    EXPECT_TRUE(back.showTime);
    EXPECT_EQ(back.sendMode, SendMode::OnSelect);
    EXPECT_EQ(back.hex, true);
    EXPECT_EQ(back.periodMs, 250);
    EXPECT_TRUE(back.sendOnConnect);
    EXPECT_EQ(back.commandText, "AT");
    EXPECT_EQ(back.suffixText, "$0D$0A");
    EXPECT_TRUE(back.showNames);
}

TEST(WindowSettings, TheStoredPortIsFoundByItsHashOnly)
{
    const std::vector<std::string> names{"ttyS0", "ttyUSB0", "ttyUSB1"};
    EXPECT_EQ(portIndexForHash(names, SettingsRecord::portHash("ttyUSB1")), 2);
    EXPECT_EQ(portIndexForHash(names, SettingsRecord::portHash("ttyACM0")), -1);
    EXPECT_EQ(portIndexForHash(names, 0), -1);  // no port was ever opened
    EXPECT_EQ(portIndexForHash({}, SettingsRecord::portHash("ttyS0")), -1);
}
