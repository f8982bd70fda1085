// CfgLine: the key=value file beside CfgTerminal.
#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "terminal/line_settings.h"

using namespace comtrax;
using comtrax::testing::TempDir;

TEST(LineSettings, WhatIsWrittenReadsBackAndUnknownKeysSurvive)
{
    LineSettings s;
    s.checkModbusCrc = true;
    s.unknown = {{"fromANewerVersion", "42"}, {"another", "a=b"}};
    const LineSettings back = parseLineSettings(formatLineSettings(s));
    EXPECT_TRUE(back.checkModbusCrc);
    EXPECT_EQ(back.unknown, s.unknown);
    EXPECT_EQ(formatLineSettings(back), formatLineSettings(s));
}

TEST(LineSettings, ReadingIsTolerant)
{
    struct Case {
        const char* text;
        bool crc;
        std::size_t unknown;
    };
    const Case cases[] = {
        {"", false, 0},
        {"checkModbusCrc=1\n", true, 0},
        {"checkModbusCrc=1", true, 0},              // no final line break
        {"  checkModbusCrc = true \r\n", true, 0},  // spaces, a Windows line end
        {"checkModbusCrc=maybe\n", false, 0},       // a bad value keeps the default
        {"# checkModbusCrc=1\n\n=1\nnoequals\n", false, 0},
        {"checkModbusCrc=1\ncheckModbusCrc=0\n", false, 0},  // the last one wins
        {"x=1\ncheckModbusCrc=on\n", true, 1},
    };
    for (const Case& c : cases) {
        const LineSettings s = parseLineSettings(c.text);
        EXPECT_EQ(s.checkModbusCrc, c.crc) << c.text;
        EXPECT_EQ(s.unknown.size(), c.unknown) << c.text;
    }
}

TEST(LineSettings, AMissingFileGivesTheDefaultsAndAnUnreadableOneIsAFailure)
{
    TempDir dir;
    LineSettingsLoad r = loadLineSettingsFile(dir.file("CfgLine"));
    EXPECT_TRUE(r.io);
    EXPECT_FALSE(r.found);
    EXPECT_FALSE(r.settings.checkModbusCrc);

    LineSettings s;
    s.checkModbusCrc = true;
    ASSERT_TRUE(saveLineSettingsFile(dir.file("CfgLine"), s));
    r = loadLineSettingsFile(dir.file("CfgLine"));
    EXPECT_TRUE(r.found);
    EXPECT_TRUE(r.settings.checkModbusCrc);

    r = loadLineSettingsFile(dir.path());  // a directory where the file should be
    EXPECT_FALSE(r.io);
}

TEST(LineSettings, ModemSettingsRoundTripAndAnOldFileKeepsTheDefaults)
{
    // An old CfgLine (or none) asserts DTR and RTS on connect.
    const LineSettings old = parseLineSettings("checkModbusCrc=1\nparity=even\n");
    EXPECT_EQ(old.modem, ModemSettings{});
    EXPECT_TRUE(old.modem.dtrOnConnect);
    EXPECT_TRUE(old.modem.rtsOnConnect);
    EXPECT_EQ(old.modem.resetPulseMs, 100);
    EXPECT_EQ(old.modem.breakMs, 250);

    LineSettings s;
    s.modem = {false, false, 40, false, true, 1200};
    const LineSettings back = parseLineSettings(formatLineSettings(s));
    EXPECT_EQ(back.modem, s.modem);
    EXPECT_TRUE(back.unknown.empty());
}

TEST(LineSettings, BadModemValuesKeepTheirDefaults)
{
    struct Case {
        const char* text;
        int pulseMs;
        int breakMs;
        bool dtrOnConnect;
    };
    const Case cases[] = {
        {"resetPulseMs=10\nbreakMs=5000\n", 10, 5000, true},  // the ends of the range
        {"resetPulseMs=9\nbreakMs=5001\n", 100, 250, true},   // just outside
        {"resetPulseMs=0\nbreakMs=-250\n", 100, 250, true},
        {"resetPulseMs=4294967396\n", 100, 250, true},  // would wrap to 100 as a 32-bit int
        {"resetPulseMs=1e2\nbreakMs= 300ms\n", 100, 250, true},
        {"dtrOnConnect=0\n", 100, 250, false},
        {"dtrOnConnect=low\n", 100, 250, true},
        {"dtrOnConnect=off\nresetPulseMs=500\n", 500, 250, false},
    };
    for (const Case& c : cases) {
        const LineSettings s = parseLineSettings(c.text);
        EXPECT_EQ(s.modem.resetPulseMs, c.pulseMs) << c.text;
        EXPECT_EQ(s.modem.breakMs, c.breakMs) << c.text;
        EXPECT_EQ(s.modem.dtrOnConnect, c.dtrOnConnect) << c.text;
        EXPECT_TRUE(s.unknown.empty()) << c.text;
    }
}
