#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "transmit/command_file.h"

namespace comtrax {
namespace {

using Lines = std::vector<std::string>;

TEST(CommandFile, LineEndsOfEveryKind)
{
    struct Case {
        std::string bytes;
        Lines lines;
    };
    const Case cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},
        {"a\r\nb", {"a", "b"}},
        {"a\rb\rc\r", {"a", "b", "c"}},
        {"a\nb\r\nc\rd", {"a", "b", "c", "d"}},
        {"\n", {""}},
        {"a\n\nb\n", {"a", "", "b"}},
        {"a\r\r\nb", {"a", "", "b"}},  // CR, then CR LF: an empty line between
        {"a\n\rb", {"a", "", "b"}},    // LF then CR are two line ends
        {"\xC0\xE1\xE2 $0D\n", {"\xC0\xE1\xE2 $0D"}},
    };
    for (const auto& c : cases) {
        const CommandFile f = parseCommandFile(c.bytes);
        EXPECT_EQ(f.lines, c.lines) << ::testing::PrintToString(c.bytes);
        EXPECT_FALSE(f.bigFile);
    }
}

TEST(CommandFile, CRLFSplitAcrossPiecesIsOneLineEnd)
{
    CommandFileParser p;
    p.feed("one\r");
    p.feed("\ntwo\r");
    p.feed("\r\nthree");
    EXPECT_EQ(p.finish().lines, (Lines{"one", "two", "", "three"}));
}

TEST(CommandFile, LinesOf255OrMoreAreSkippedButCounted)
{
    const std::string ok(254, 'a');
    const std::string tooLong(255, 'b');
    const CommandFile f = parseCommandFile(ok + "\n" + tooLong + "\n" + std::string(100000, 'c') + "\nend");
    EXPECT_EQ(f.lines, (Lines{ok, "end"}));
}

std::string numberedLines(int count, const char* end = "\r\n")
{
    std::string s;
    for (int i = 1; i <= count; ++i)
        s += "L" + std::to_string(i) + end;
    return s;
}

TEST(CommandFile, AtMost500LinesAndBigFileFromTheFiveHundredth)
{
    struct Case {
        std::string bytes;
        std::size_t lines;
        bool big;
    };
    const Case cases[] = {
        {numberedLines(499), 499, false},
        {numberedLines(500), 500, true},
        {numberedLines(499) + "L500", 500, true},  // the last line without a line end counts
        {numberedLines(600), 500, true},
        {numberedLines(600, "\r"), 500, true},
    };
    for (const auto& c : cases) {
        const CommandFile f = parseCommandFile(c.bytes);
        EXPECT_EQ(f.lines.size(), c.lines);
        EXPECT_EQ(f.bigFile, c.big);
        EXPECT_EQ(f.lines.back(), "L" + std::to_string(c.lines));
    }
    // Long lines count towards the 500 without being kept.
    std::string mixed;
    for (int i = 1; i <= 600; ++i)
        mixed += (i % 2 ? std::string(300, 'x') : "L" + std::to_string(i)) + "\n";
    const CommandFile f = parseCommandFile(mixed);
    EXPECT_TRUE(f.bigFile);
    ASSERT_EQ(f.lines.size(), 250u);
    EXPECT_EQ(f.lines.back(), "L500");
}

TEST(CommandFile, ReadFromDiskStopsAfter500Lines)
{
    testing::TempDir dir;
    const std::string path = dir.file("cmds.txt");
    // Well past one read piece, so the stop after line 500 is exercised.
    testing::writeFileBytes(path, numberedLines(500) + std::string(200000, 'z'));
    CommandFile f;
    ASSERT_TRUE(readCommandFile(path, f).ok);
    EXPECT_EQ(f.lines.size(), 500u);
    EXPECT_TRUE(f.bigFile);

    CommandFile missing;
    missing.lines = {"stale"};
    EXPECT_FALSE(readCommandFile(dir.file("absent.txt"), missing).ok);
    EXPECT_TRUE(missing.lines.empty());
}

}  // namespace
}  // namespace comtrax
