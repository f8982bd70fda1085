#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "transmit/history.h"

namespace comtrax {
namespace {

using testing::readFileBytes;
using testing::TempDir;
using testing::writeFileBytes;

std::vector<std::string> slots(const SentHistory& h)
{
    std::vector<std::string> out;
    for (int i = 1; i <= SentHistory::Slots; ++i)
        out.push_back(h.slot(i));
    return out;
}

TEST(SentHistory, SameLineThreeTimesStaysOnceInSlotOne)
{
    SentHistory h;
    h.recordSent("B");
    for (int i = 0; i < 3; ++i)
        h.recordSent("A");
    EXPECT_EQ(h.nonEmpty(), (std::vector<std::string>{"A", "B"}));
}

TEST(SentHistory, LineFromSlotSevenMovesToFrontOthersKeepPlace)
{
    SentHistory h;
    for (int i = 20; i >= 1; --i)  // slot i holds "L<i>"
        h.recordSent("L" + std::to_string(i));
    auto expected = slots(h);
    h.recordSent("L7");
    // Slots 1..6 shift down by one, 7 takes the line, 8..50 stay.
    expected.erase(expected.begin() + 6);
    expected.insert(expected.begin(), "L7");
    EXPECT_EQ(slots(h), expected);
}

TEST(SentHistory, NewLinePushesOutSlotFifty)
{
    SentHistory h;
    for (int i = 1; i <= 50; ++i)
        h.recordSent("L" + std::to_string(i));
    ASSERT_EQ(h.slot(50), "L1");
    h.recordSent("new");
    EXPECT_EQ(h.slot(1), "new");
    EXPECT_EQ(h.slot(2), "L50");
    EXPECT_EQ(h.slot(50), "L2");
    EXPECT_EQ(h.nonEmpty().size(), 50u);
}

TEST(SentHistory, LinesOf255OrMoreAndEmptyLinesLeaveItUnchanged)
{
    SentHistory h;
    h.recordSent("x");
    h.recordSent(std::string(255, 'b'));
    h.recordSent(std::string(1000, 'c'));
    h.recordSent("");
    EXPECT_EQ(h.nonEmpty(), (std::vector<std::string>{"x"}));
    h.recordSent(std::string(254, 'a'));
    EXPECT_EQ(h.slot(1), std::string(254, 'a'));
}

TEST(SentHistory, HighestMatchingSlotIsTheOneOverwritten)
{
    // A file may hold the same text twice; the later copy is the one that goes.
    std::string bytes(SentHistory::FileSize, '\0');
    for (int slot : {2, 4}) {
        bytes[static_cast<std::size_t>((slot - 1) * 256)] = 1;
        bytes[static_cast<std::size_t>((slot - 1) * 256 + 1)] = 'D';
    }
    bytes[0] = 1;
    bytes[1] = 'X';
    SentHistory h;
    h.fromBytes(bytes);
    h.recordSent("D");
    EXPECT_EQ(h.slot(1), "D");
    EXPECT_EQ(h.slot(2), "X");
    EXPECT_EQ(h.slot(3), "D");
    EXPECT_EQ(h.slot(4), "");
}

TEST(SentHistory, RecordsKeepTheBytesOfALongerEarlierText)
{
    SentHistory h;
    h.recordSent("ABCDEF");
    h.recordSent("xy");  // written over a copy of "ABCDEF": the record ends in CDEF
    h.recordSent("ABCDEF");
    h.recordSent("Q");
    const std::string bytes = h.toBytes();
    ASSERT_EQ(bytes.size(), static_cast<std::size_t>(SentHistory::FileSize));
    EXPECT_EQ(bytes.substr(0, 7), std::string("\x01QBCDEF", 7));
    EXPECT_EQ(bytes.substr(256, 7),
              std::string("\x06"
                          "ABCDEF",
                          7));
    EXPECT_EQ(bytes.substr(512, 7), std::string("\x02xyCDEF", 7));
    EXPECT_EQ(h.slot(1), "Q");

    // The image survives a round trip exactly.
    SentHistory back;
    back.fromBytes(bytes);
    EXPECT_EQ(back.toBytes(), bytes);
}

TEST(OldCmd, MissingFileIsCreatedWithZeros)
{
    TempDir dir;
    const std::string path = dir.file("OldCmd");
    SentHistory h;
    ASSERT_TRUE(h.load(path).ok);
    EXPECT_EQ(readFileBytes(path), std::string(SentHistory::FileSize, '\0'));
    EXPECT_TRUE(h.nonEmpty().empty());
}

TEST(OldCmd, SaveAfterABAHoldsARecordsInOrder)
{
    TempDir dir;
    const std::string path = dir.file("OldCmd");
    SentHistory h;
    ASSERT_TRUE(h.load(path).ok);
    for (const char* line : {"A", "B", "A"})
        h.recordSent(line);
    bool saved = false;
    ASSERT_TRUE(h.saveIfPresent(path, &saved).ok);
    EXPECT_TRUE(saved);

    std::string expected(SentHistory::FileSize, '\0');
    expected[0] = 1;
    expected[1] = 'A';
    expected[256] = 1;
    expected[257] = 'B';
    EXPECT_EQ(readFileBytes(path), expected);

    SentHistory next;
    ASSERT_TRUE(next.load(path).ok);
    EXPECT_EQ(next.nonEmpty(), (std::vector<std::string>{"A", "B"}));
}

TEST(OldCmd, ShortFileGivesTheWholeRecordsItHolds)
{
    TempDir dir;
    const std::string path = dir.file("OldCmd");
    std::string bytes(256 + 100, '\0');
    bytes[0] = 2;
    bytes[1] = 'h';
    bytes[2] = 'i';
    bytes[256] = 50;  // a cut-off record claiming 50 characters
    bytes[257] = 'z';
    writeFileBytes(path, bytes);

    SentHistory h;
    ASSERT_TRUE(h.load(path).ok);
    EXPECT_EQ(h.nonEmpty(), (std::vector<std::string>{"hi"}));
    // An empty file is all empty slots, without an error.
    writeFileBytes(path, "");
    ASSERT_TRUE(h.load(path).ok);
    EXPECT_TRUE(h.nonEmpty().empty());
}

TEST(OldCmd, ExtraBytesAfterFiftyRecordsAreIgnored)
{
    TempDir dir;
    const std::string path = dir.file("OldCmd");
    std::string bytes(SentHistory::FileSize + 256, '\0');
    bytes[49 * 256] = 1;
    bytes[49 * 256 + 1] = 'L';
    bytes[50 * 256] = 1;
    bytes[50 * 256 + 1] = 'N';
    writeFileBytes(path, bytes);
    SentHistory h;
    ASSERT_TRUE(h.load(path).ok);
    EXPECT_EQ(h.nonEmpty(), (std::vector<std::string>{"L"}));
}

TEST(OldCmd, DeletedFileIsNotRecreated)
{
    TempDir dir;
    const std::string path = dir.file("OldCmd");
    SentHistory h;
    ASSERT_TRUE(h.load(path).ok);
    h.recordSent("A");
    std::remove(path.c_str());
    bool saved = true;
    EXPECT_TRUE(h.saveIfPresent(path, &saved).ok);
    EXPECT_FALSE(saved);
    EXPECT_FALSE(fileExists(path));
}

TEST(OldCmd, FailureToCreateIsReported)
{
    TempDir dir;
    SentHistory h;
    const FileResult r = h.load(dir.file("no-such-dir/OldCmd"));
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
}

}  // namespace
}  // namespace comtrax
