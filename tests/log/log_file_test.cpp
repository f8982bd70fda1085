#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <optional>

#include "log/log_file.h"
#include "support/fake_clock.h"
#include "support/file_limits.h"
#include "support/recording_view.h"
#include "support/temp_dir.h"

using namespace comtrax;
using namespace comtrax::testing;

namespace {

LocalDateTime at(int y, int mo, int d, int h, int mi, int s)
{
    FakeClock c;
    c.set(y, mo, d, h, mi, s, 987);
    return c.now();
}

struct Rig {
    TempDir dir;
    RecordingView view;
    LogFile log{view, dir.path()};
    LogOutput out{view, log};
    LocalDateTime start = at(2019, 1, 7, 9, 5, 3);
    std::string path() const { return dir.file("LOG_2019 1 7 9 5 3.txt"); }
};

}  // namespace

TEST(LogFileName, NumbersWithoutLeadingZerosSeparatedByBlanks)
{
    EXPECT_EQ(LogFile::fileNameFor(at(2019, 1, 7, 9, 5, 3)), "LOG_2019 1 7 9 5 3.txt");
    EXPECT_EQ(LogFile::fileNameFor(at(2021, 3, 5, 7, 4, 9)), "LOG_2021 3 5 7 4 9.txt");
    EXPECT_EQ(LogFile::fileNameFor(at(2024, 12, 31, 23, 59, 0)), "LOG_2024 12 31 23 59 0.txt");
}

TEST(LogFile, StartPauseGoWriteOneFileWithoutThePausedLines)
{
    Rig r;
    EXPECT_EQ(r.log.caption(), "Start Log");
    EXPECT_EQ(r.log.status(), "Запись в файл не ведётся");
    r.out.addLine("before", "");  // not logging yet

    r.log.toggleLogFile(r.start);
    EXPECT_TRUE(r.log.active());
    EXPECT_TRUE(r.log.logging());
    EXPECT_EQ(r.log.caption(), "Pause Log");
    EXPECT_EQ(r.log.status(), "Лог записывается в файл LOG_2019 1 7 9 5 3.txt");
    r.out.addLine("one\r\ntwo", "");
    // Flushed line by line: on disk while the file is still open.
    EXPECT_EQ(readFileBytes(r.path()), "one\r\ntwo\r\n");

    r.log.toggleLogFile(at(2019, 1, 7, 9, 6, 0));
    EXPECT_FALSE(r.log.active());
    EXPECT_EQ(r.log.caption(), "Go Log");
    EXPECT_EQ(r.log.status(), "Запись в файл лога приостановлена (LOG_2019 1 7 9 5 3.txt)");
    r.out.addLine("paused", "");

    r.log.toggleLogFile(at(2019, 1, 7, 9, 7, 0));  // no new file
    r.out.addLine("\xC0\xC1", "");                 // Windows-1251 bytes as given
    EXPECT_EQ(readFileBytes(r.path()), "one\r\ntwo\r\n\xC0\xC1\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(r.dir.path()), {}), 1);
    EXPECT_EQ(r.view.logLines, (std::vector<std::string>{"before", "one\r\ntwo", "paused", "\xC0\xC1"}));
    EXPECT_EQ(r.view.logStateChanges, 3);
    r.log.close();
    r.out.addLine("after close", "");
    EXPECT_EQ(readFileBytes(r.path()), "one\r\ntwo\r\n\xC0\xC1\r\n");
}

TEST(LogFile, AnExistingFileOfTheSameNameIsAppendedTo)
{
    Rig r;
    writeFileBytes(r.path(), "earlier run\r\n");
    r.log.toggleLogFile(r.start);
    r.log.writeLine("new");
    EXPECT_EQ(readFileBytes(r.path()), "earlier run\r\nnew\r\n");
}

TEST(LogFile, WhatIsPlantedUnderTheLogNameIsRefusedAndLeftUntouched)
{
    // In a directory others may write to, whatever lies under the coming log
    // file's name must not receive the device's data.
    enum Plant { LinkToFile, LinkToNothing, HardLink, Pipe, Folder };
    for (const Plant plant : {LinkToFile, LinkToNothing, HardLink, Pipe, Folder}) {
        SCOPED_TRACE(int(plant));
        Rig r;
        const std::string victim = r.dir.file("victim");
        writeFileBytes(victim, "precious\n");
        int reader = -1;
        switch (plant) {
        case LinkToFile:
            ASSERT_EQ(::symlink(victim.c_str(), r.path().c_str()), 0);
            break;
        case LinkToNothing:
            ASSERT_EQ(::symlink(r.dir.file("created").c_str(), r.path().c_str()), 0);
            break;
        case HardLink:
            ASSERT_EQ(::link(victim.c_str(), r.path().c_str()), 0);
            break;
        case Pipe:
            ASSERT_EQ(::mkfifo(r.path().c_str(), 0600), 0);
            // Someone reads it, so an open for writing would not wait.
            reader = ::open(r.path().c_str(), O_RDONLY | O_NONBLOCK);
            ASSERT_GE(reader, 0);
            break;
        case Folder:
            ASSERT_EQ(::mkdir(r.path().c_str(), 0700), 0);
            break;
        }
        r.log.toggleLogFile(r.start);
        r.out.addLine("device data", "");
        EXPECT_EQ(
            r.view.errors,
            std::vector<std::string>{"Файл лога LOG_2019 1 7 9 5 3.txt не создан: под этим именем уже есть "
                                     "ссылка или не обычный файл"});
        EXPECT_FALSE(r.log.active());
        EXPECT_FALSE(r.log.fileOpen());
        EXPECT_EQ(r.log.status(), "Запись в файл не ведётся");
        EXPECT_EQ(readFileBytes(victim), "precious\n");
        EXPECT_FALSE(std::filesystem::exists(r.dir.file("created")));
        if (reader >= 0) {
            char byte;
            EXPECT_LE(::read(reader, &byte, 1), 0);
            ::close(reader);
        }
    }
}

TEST(LogFile, ANewLogFileTakesItsModeFromTheUmask)
{
    Rig r;
    const mode_t old = ::umask(027);
    r.log.toggleLogFile(r.start);
    ::umask(old);
    struct stat st {};
    ASSERT_EQ(::stat(r.path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(LogFile, AFileThatCannotBeCreatedGivesOneErrorAndLeavesLoggingOff)
{
    Rig r;
    const std::string ro = r.dir.file("ro");
    ASSERT_EQ(::mkdir(ro.c_str(), 0555), 0);
    // Root writes into read-only directories; only a missing one stops it then.
    const bool permissionsBite = ::access(ro.c_str(), W_OK) != 0;
    for (const std::string& where : {r.dir.file("missing"), ro}) {
        if (where == ro && !permissionsBite)
            continue;
        SCOPED_TRACE(where);
        RecordingView view;
        LogFile log(view, where);
        LogOutput out(view, log);
        log.toggleLogFile(r.start);
        out.addLine("a", "");
        out.addLine("b", "");
        EXPECT_EQ(view.errors.size(), 1u);
        EXPECT_FALSE(log.active());
        EXPECT_FALSE(log.fileOpen());
        EXPECT_FALSE(log.logging());
        EXPECT_EQ(log.caption(), "Start Log");
        EXPECT_EQ(log.status(), "Запись в файл не ведётся");
        EXPECT_EQ(view.logLines.size(), 2u);  // the window still shows them
    }
}

TEST(LogFile, AFailedWriteGivesOneErrorAndPausesIntoTheSameFile)
{
    Rig r;
    r.log.setOpener([](const std::string&) { return std::fopen("/dev/full", "ab"); });
    r.log.toggleLogFile(r.start);
    ASSERT_TRUE(r.log.active());
    EXPECT_TRUE(r.out.addLine("first", ""));
    EXPECT_TRUE(r.out.addLine("second", ""));
    EXPECT_EQ(r.view.errors.size(), 1u);
    EXPECT_EQ(r.view.logLines, (std::vector<std::string>{"first", "second"}));
    EXPECT_FALSE(r.log.active());
    EXPECT_FALSE(r.log.logging());
    EXPECT_EQ(r.log.caption(), "Go Log");
    EXPECT_EQ(r.log.status(), "Запись в файл лога приостановлена (LOG_2019 1 7 9 5 3.txt)");
    // Go Log tries again and fails again, once.
    r.log.toggleLogFile(r.start);
    r.out.addLine("third", "");
    EXPECT_EQ(r.view.errors.size(), 2u);
    EXPECT_FALSE(r.log.active());
}

// A hand-over's lines reach the disk together at its end, and whatever ends
// the logging (a pause, a close) writes what waits first, in order.
TEST(LogFile, ABatchReachesTheFileAtItsEndAndAPauseOrCloseWritesItFirst)
{
    Rig r;
    r.log.toggleLogFile(r.start);
    {
        LogOutput::Batch together(r.out);
        r.out.addLine("one", "");
        {
            LogOutput::Batch inner(r.out);  // nested: only the outer end writes
            r.out.addLine("two", "");
        }
        EXPECT_EQ(readFileBytes(r.path()), "");
        r.out.addLine("three", "");
    }
    EXPECT_EQ(readFileBytes(r.path()), "one\r\ntwo\r\nthree\r\n");
    r.out.addLine("four", "");  // outside a batch: at once
    EXPECT_EQ(readFileBytes(r.path()), "one\r\ntwo\r\nthree\r\nfour\r\n");

    {
        LogOutput::Batch together(r.out);
        r.out.addLine("five", "");
        r.log.toggleLogFile(r.start);  // Pause Log
        r.out.addLine("not logged", "");
        r.log.toggleLogFile(r.start);  // Go Log
        r.out.addLine("six", "");
        r.log.close();
        r.out.addLine("after close", "");
    }
    EXPECT_EQ(readFileBytes(r.path()), "one\r\ntwo\r\nthree\r\nfour\r\nfive\r\nsix\r\n");
    EXPECT_TRUE(r.view.errors.empty());
}

// The disk fills in the middle of a batch: every whole line before the torn
// one stays, the torn piece is taken back, one error, the log pauses; "Go Log"
// carries on right after the last whole line. Also after many lines, whose
// sizes the file keeps count of rather than asking the system each time.
TEST(LogFile, ADiskFullInsideABatchKeepsTheWholeLinesAndTakesBackTheTornOne)
{
    for (const bool batched : {true, false}) {
        SCOPED_TRACE(batched ? "batched" : "line by line");
        Rig r;
        r.log.toggleLogFile(r.start);
        std::string before;
        for (int i = 0; i < 50; ++i) {
            const std::string line = "line " + std::to_string(i);
            r.out.addLine(line, "");
            before += line + "\r\n";
        }
        const std::optional<bool> ok = runWithFileSizeLimit(before.size() + 25, [&] {
            {
                std::optional<LogOutput::Batch> together;
                if (batched)
                    together.emplace(r.out);
                for (int i = 0; i < 5; ++i)
                    r.out.addLine("batch line " + std::to_string(i), "");
            }
            // "batch line 0\r\n" (14) fits, the second is torn at 11 bytes.
            const std::string expected = before + "batch line 0\r\n";
            if (readFileBytes(r.path()) != expected || r.view.errors.size() != 1 || r.log.active())
                return false;
            r.log.toggleLogFile(r.start);  // Go Log, room for 11 more bytes only
            r.out.addLine("tail", "");
            return readFileBytes(r.path()) == expected + "tail\r\n";
        });
        ASSERT_TRUE(ok.has_value());
        EXPECT_TRUE(*ok);
    }
}

TEST(LogOutput, TheFilterIsACaseSensitiveSubstringOfTheWholeLine)
{
    struct Case {
        std::string line, filter;
        bool passes;
    };
    const Case cases[] = {
        {"OK", "", true},
        {"OK", "ERR", false},
        {"ERROR 5", "ERR", true},
        {"error", "ERR", false},
        {" [ 10:00:00:000 < ] x", "10:00", true},
        {"A\r\nERR", "ERR", true},
        {"ER", "ERR", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line + " / " + c.filter);
        Rig r;
        r.log.toggleLogFile(r.start);
        EXPECT_EQ(r.out.addLine(c.line, c.filter), c.passes);
        EXPECT_EQ(r.view.logLines.size(), c.passes ? 1u : 0u);
        EXPECT_EQ(readFileBytes(r.path()), c.passes ? c.line + "\r\n" : "");
    }
}

// Every line ends in exactly one line break, in the window and in the file:
// a sent suffix $0D$0A or a received packet ending in CR adds no empty line,
// and a lone CR or LF inside a line becomes CR LF, so the file reads line by
// line with any reader.
TEST(LogOutput, EachLineEndsInOneLineBreakAndBreaksInsideAreCrLf)
{
    struct Case {
        std::string line, shown, file;
    };
    const Case cases[] = {
        {"AT\r\n", "AT", "AT\r\n"},
        {"OK\r", "OK", "OK\r\n"},
        {"OK\n", "OK", "OK\r\n"},
        {"OK", "OK", "OK\r\n"},
        {"A\r\nB\r", "A\r\nB", "A\r\nB\r\n"},
        {"A\rB\nC", "A\r\nB\r\nC", "A\r\nB\r\nC\r\n"},
        {"A\r\n\r", "A\r\n", "A\r\n\r\n"},
        {"\r\n", "", "\r\n"},
    };
    // The direction goes to the window only: the file holds the same bytes.
    for (const LogDirection direction : {LogDirection::Other, LogDirection::Sent, LogDirection::Received}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(::testing::PrintToString(c.line) + " direction " + std::to_string(int(direction)));
            Rig r;
            r.log.toggleLogFile(r.start);
            EXPECT_TRUE(r.out.addLine(c.line, "", direction));
            ASSERT_EQ(r.view.logLines.size(), 1u);
            EXPECT_EQ(r.view.logLines[0], c.shown);
            EXPECT_EQ(r.view.logDirections[0], direction);
            EXPECT_EQ(readFileBytes(r.path()), c.file);
        }
    }
}

TEST(TimeoutStep, StepsGrowWithTheValue)
{
    std::vector<int32_t> ups;
    int32_t v = 0;
    for (int i = 0; i < 11; ++i)
        ups.push_back(v = timeoutStep(v, true));
    EXPECT_EQ(ups, (std::vector<int32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 15}));

    const std::pair<int32_t, int32_t> up[] = {
        {-7, -6}, {95, 100}, {950, 1000}, {9500, 10000}, {95000, 100000}, {100000, 100000}, {250000, 100000}};
    for (auto [from, to] : up)
        EXPECT_EQ(timeoutStep(from, true), to) << from;
    const std::pair<int32_t, int32_t> down[] = {{10, 5},         {100, 50},        {1000, 500}, {10000, 5000},
                                                {100000, 50000}, {250000, 200000}, {1, 0},      {0, 0},
                                                {-3, -3},        {99, 94}};
    for (auto [from, to] : down)
        EXPECT_EQ(timeoutStep(from, false), to) << from;
}
