#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/file_limits.h"
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
        {numberedLines(499), 499, false},         {numberedLines(500), 500, true},
        {numberedLines(499) + "L500", 500, true},  // the last line without a line end counts
        {numberedLines(600), 500, true},          {numberedLines(600, "\r"), 500, true},
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

// A reader that looked for a line end in an endless file never returned, so
// each read runs in a child with a bound of its own.
constexpr unsigned kHangBound = 10;

TEST(CommandFile, WhatIsNotARegularFileIsRefusedUnread)
{
    testing::TempDir dir;
    const std::string fifo = dir.file("fifo");  // nobody writes: an open for reading waits for ever
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string folder = dir.file("folder");
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    const std::string real = dir.file("cmds.txt");
    testing::writeFileBytes(real, "AT\r\nATI\r\n");
    const std::string link = dir.file("link.txt");
    ASSERT_EQ(::symlink(real.c_str(), link.c_str()), 0);

    struct Case {
        std::string path;
        bool refused;
    };
    const Case cases[] = {
        {"/dev/zero", true},         {fifo, true},  {folder, true},
        {dir.file("to-zero"), true}, {link, false},  // the user picked the link: a regular file behind it
                                                     // reads as usual
    };
    ASSERT_EQ(::symlink("/dev/zero", cases[3].path.c_str()), 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const std::optional<bool> asExpected = testing::runWithTimeLimit(kHangBound, [&] {
            CommandFile f;
            f.lines = {"stale"};
            const FileResult r = readCommandFile(c.path, f);
            if (c.refused)
                return !r.ok && f.lines.empty() && !f.bigFile && r.error == "Это не обычный файл: " + c.path;
            return r.ok && f.lines == Lines{"AT", "ATI"};
        });
        EXPECT_EQ(asExpected, std::optional<bool>(true));
    }
}

TEST(CommandFile, AHugeFileWithoutLineEndsIsReadOnlyUpToABound)
{
    testing::TempDir dir;
    // Sparse: 64 GiB of zero bytes that take no disk space, after two lines.
    const std::string path = dir.file("huge.bin");
    testing::writeFileBytes(path, "L1\nL2\n");
    ASSERT_EQ(::truncate(path.c_str(), off_t(64) << 30), 0);
    const std::optional<bool> bounded = testing::runWithTimeLimit(kHangBound, [&] {
        CommandFile f;
        const FileResult r = readCommandFile(path, f);
        // The endless last line is not taken; the file is reported as big.
        return r.ok && f.lines == Lines{"L1", "L2"} && f.bigFile;
    });
    EXPECT_EQ(bounded, std::optional<bool>(true));
}

TEST(CommandFile, ReadingEndsAfterABoundedNumberOfBytes)
{
    constexpr std::size_t Bound = CommandFile::MaxBytes;
    // Enough for every line a command file can use, with room for long lines.
    static_assert(Bound >= CommandFile::MaxLines * (CommandFile::MaxLineLength + 2));
    const std::string longLine(Bound - 4, 'x');  // skipped, but it ends in time
    struct Case {
        std::string bytes;
        Lines lines;
        bool big;
    };
    const Case cases[] = {
        {"a\n" + longLine + "\nb", {"a", "b"}, false},  // exactly the bound
        {"a\n" + longLine + "\nbc", {"a"}, true},       // one byte more: b is cut off
        {"a\n" + longLine + "\n\n", {"a", ""}, false},
        {"a\n" + longLine + "\n\nz", {"a", ""}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes.size());
        CommandFileParser p;
        // In pieces, as the reader feeds it, so the bound holds across them.
        for (std::size_t at = 0; at < c.bytes.size(); at += 4096)
            p.feed(std::string_view(c.bytes).substr(at, 4096));
        const CommandFile f = p.finish();
        EXPECT_EQ(f.lines, c.lines);
        EXPECT_EQ(f.bigFile, c.big);
    }
}

}  // namespace
}  // namespace comtrax
