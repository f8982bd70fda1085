// CfgLine: the key=value file beside CfgTerminal.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include "support/temp_dir.h"
#include "settings/line_settings.h"

using namespace comtrax;
using comtrax::testing::TempDir;
using comtrax::testing::writeFileBytes;

TEST(LineSettings, WhatIsWrittenReadsBackAndUnknownKeysSurvive)
{
    LineSettings s;
    s.checkModbusCrc = true;
    s.kept = {{"fromANewerVersion=42", ""}, {"another=a=b", ""}};
    const LineSettings back = parseLineSettings(formatLineSettings(s));
    EXPECT_TRUE(back.checkModbusCrc);
    EXPECT_EQ(back.kept, s.kept);
    EXPECT_EQ(formatLineSettings(back), formatLineSettings(s));
}

TEST(LineSettings, ReadingIsTolerant)
{
    struct Case {
        const char* text;
        bool crc;
        std::size_t kept;  // lines that are not known keys, kept as they stand
    };
    const Case cases[] = {
        {"", false, 0},
        {"checkModbusCrc=1\n", true, 0},
        {"checkModbusCrc=1", true, 0},              // no final line break
        {"  checkModbusCrc = true \r\n", true, 0},  // spaces, a Windows line end
        {"checkModbusCrc=maybe\n", false, 0},       // a bad value keeps the default
        {"# checkModbusCrc=1\n\n=1\nnoequals\n", false, 4},
        {"checkModbusCrc=1\ncheckModbusCrc=0\n", false, 0},  // the last one wins
        {"x=1\ncheckModbusCrc=on\n", true, 1},
    };
    for (const Case& c : cases) {
        const LineSettings s = parseLineSettings(c.text);
        EXPECT_EQ(s.checkModbusCrc, c.crc) << c.text;
        EXPECT_EQ(s.kept.size(), c.kept) << c.text;
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
    EXPECT_TRUE(back.kept.empty());
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
        EXPECT_TRUE(s.kept.empty()) << c.text;
    }
}

// The user's notes and a newer version's lines stay where they stood: each
// line that is not a known key is written again just before the known key it
// came before (or at the end after the last one); the program's own first
// line is not doubled.
TEST(LineSettings, CommentsAndUnknownLinesKeepTheirPlaceThroughASave)
{
    const std::string text = "# Comtrax settings beside CfgTerminal\n"
                             "# the PLC wants even parity\n"
                             "parity=even\r\n"
                             "fromANewerVersion=3\n"
                             "# frames are checked\n"
                             "checkModbusCrc=1\n"
                             "\n"
                             "   # indented note\n"
                             "breakMs=300\n"
                             "# at the very end";
    const std::string expected = "# Comtrax settings beside CfgTerminal\n"
                                 "fromANewerVersion=3\n"
                                 "# frames are checked\n"
                                 "checkModbusCrc=1\n"
                                 "# the PLC wants even parity\n"
                                 "parity=even\n"
                                 "flow=none\n"
                                 "typedBaud=0\n"
                                 "dtrOnConnect=1\n"
                                 "rtsOnConnect=1\n"
                                 "resetPulseMs=100\n"
                                 "resetPulseDtr=1\n"
                                 "resetPulseRts=0\n"
                                 "\n"
                                 "   # indented note\n"
                                 "breakMs=300\n"
                                 "timeArrival=0\n"
                                 "timeSilenceBefore=0\n"
                                 "timeSinceSent=0\n"
                                 "timeoutCharacters=0\n"
                                 "# at the very end\n";
    const std::string once = formatLineSettings(parseLineSettings(text));
    EXPECT_EQ(once, expected);
    EXPECT_EQ(formatLineSettings(parseLineSettings(once)), once) << "a second save changed the file";
}

// A CfgLine longer than any this program writes is not its own: it is not
// read in part (and then cut to that part at close) but reported whole.
TEST(LineSettings, AFileOverTheBoundIsUnreadableNotCutShort)
{
    TempDir dir;
    const std::string path = dir.file("CfgLine");
    const std::size_t bound = 64 * 1024;
    const std::string key = "parity=odd\n";
    struct Case {
        std::size_t size;
        bool readable;
    };
    for (const Case c : {Case{bound, true}, Case{bound + 1, false}, Case{std::size_t(1) << 30, false}}) {
        SCOPED_TRACE(c.size);
        // A note, zero bytes (sparse: no disk space taken), and a key at the very end.
        writeFileBytes(path, "# notes\n");
        ASSERT_EQ(::truncate(path.c_str(), off_t(c.size - key.size() - 1)), 0);
        std::ofstream(path, std::ios::binary | std::ios::app) << '\n' << key;
        ASSERT_EQ(std::filesystem::file_size(path), c.size);
        const LineSettingsLoad r = loadLineSettingsFile(path);
        EXPECT_TRUE(r.found);
        EXPECT_EQ(r.io.ok, c.readable) << r.io.error;
        if (c.readable)
            EXPECT_EQ(r.settings.line.parity, Parity::Odd);
        else
            EXPECT_NE(r.io.error.find(path), std::string::npos) << r.io.error;
    }
}

// One lookup of a parity or flow-control name, for CfgLine and the command
// line: case, blanks and the usual separators make no difference.
TEST(LineSettings, ParityAndFlowNamesAreReadForgivingly)
{
    const std::pair<const char*, std::optional<Parity>> parities[] = {
        {"even", Parity::Even}, {"EVEN", Parity::Even},   {" Even\t", Parity::Even}, {"oDD", Parity::Odd},
        {"Mark", Parity::Mark}, {"SPACE", Parity::Space}, {"None", Parity::None},    {"", std::nullopt},
        {"e", std::nullopt},    {"evens", std::nullopt},  {"0", std::nullopt},
    };
    for (const auto& [name, parity] : parities)
        EXPECT_EQ(valueNamed<Parity>(name, ParityNames), parity) << '"' << name << '"';
    const std::pair<const char*, std::optional<FlowControl>> flows[] = {
        {"RTSCTS", FlowControl::RtsCts},
        {"RTS/CTS", FlowControl::RtsCts},
        {"rts-cts", FlowControl::RtsCts},
        {"XON/XOFF", FlowControl::XonXoff},
        {" XonXoff ", FlowControl::XonXoff},
        {"NONE", FlowControl::None},
        {"rts", std::nullopt},
        {"/", std::nullopt},
    };
    for (const auto& [name, flow] : flows)
        EXPECT_EQ(valueNamed<FlowControl>(name, FlowNames), flow) << '"' << name << '"';

    // Read from the file and written back in the one spelling.
    const LineSettings s = parseLineSettings("parity=EVEN\nflow = RTS/CTS\n");
    EXPECT_EQ(s.line.parity, Parity::Even);
    EXPECT_EQ(s.line.flow, FlowControl::RtsCts);
    const std::string text = formatLineSettings(s);
    EXPECT_NE(text.find("\nparity=even\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nflow=rtscts\n"), std::string::npos) << text;
}

TEST(LineSettings, ThePacketTimesSurviveASave)
{
    LineSettings s;
    s.packetTimes = {true, false, true};
    const LineSettings back = parseLineSettings(formatLineSettings(s));
    EXPECT_TRUE(back.packetTimes.arrival);
    EXPECT_FALSE(back.packetTimes.silenceBefore);
    EXPECT_TRUE(back.packetTimes.sinceSent);
}
