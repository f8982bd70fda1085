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
