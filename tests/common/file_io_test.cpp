#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

#include "common/file_io.h"
#include "support/file_limits.h"
#include "support/kill_during_save.h"
#include "support/temp_dir.h"

using namespace comtrax;
using namespace comtrax::testing;

namespace {

std::string pattern(std::size_t size, unsigned seed)
{
    std::string s(size, '\0');
    std::minstd_rand gen(seed);
    for (auto& c : s)
        c = static_cast<char>(gen());
    return s;
}

std::string slurp(const std::string& path)
{
    std::string bytes;
    readWholeFile(path, bytes);
    return bytes;
}

}  // namespace

TEST(FileIo, ReadsTakeAtMostWhatIsAsked)
{
    TempDir dir;
    const std::string path = dir.file("data");
    const std::string content = pattern(70000, 1);  // more than one read chunk
    writeFileBytes(path, content);
    for (const std::size_t want :
         {std::size_t(0), std::size_t(5), std::size_t(65537), content.size(), content.size() + 100}) {
        SCOPED_TRACE(want);
        std::string prefix = "stale";
        ASSERT_TRUE(readFilePrefix(path, want, prefix).ok);
        EXPECT_EQ(prefix, content.substr(0, want));

        std::string buf(want + 1, '#');
        std::size_t got = 99;
        ASSERT_TRUE(readFileInto(path, buf.data(), want, got).ok);
        EXPECT_EQ(got, std::min(want, content.size()));
        EXPECT_EQ(buf.substr(0, got), content.substr(0, got));
        EXPECT_EQ(buf[want], '#') << "wrote past the buffer";
    }
    std::string whole;
    ASSERT_TRUE(readWholeFile(path, whole).ok);
    EXPECT_EQ(whole, content);
}

TEST(FileIo, ASparseReadGivesTheFileWhateverTheBufferHeld)
{
    TempDir dir;
    const std::string path = dir.file("data");
    // Zero pages, a page with one byte set, data across a read chunk's end,
    // and a short zero tail.
    std::string content(200000, '\0');
    content[4096 * 3 + 17] = 'x';
    const std::string middle = pattern(9000, 2);
    std::copy(middle.begin(), middle.end(), content.begin() + 60000);
    writeFileBytes(path, content);
    for (const char stale : {'\0', '#'}) {
        SCOPED_TRACE(int(stale));
        for (const std::size_t want :
             {std::size_t(100), std::size_t(70000), content.size(), content.size() + 5000}) {
            SCOPED_TRACE(want);
            std::string buf(want + 1, stale);
            buf[want] = '|';
            std::size_t got = 0;
            ASSERT_TRUE(readFileSparse(path, buf.data(), want, got).ok);
            EXPECT_EQ(got, std::min(want, content.size()));
            EXPECT_EQ(buf.substr(0, got), content.substr(0, got))
                << "zero pages over old bytes must be written";
            EXPECT_EQ(buf[want], '|') << "wrote past the buffer";
        }
    }
    std::size_t got = 0;
    char b[4];
    EXPECT_FALSE(readFileSparse(dir.file("missing"), b, sizeof b, got).ok);
}

TEST(FileIo, MissingFileIsAFailureThatNamesIt)
{
    TempDir dir;
    const std::string path = dir.file("absent");
    std::string out = "stale";
    std::size_t got = 7;
    char buf[4];
    const FileResult results[] = {readWholeFile(path, out), readFilePrefix(path, 10, out),
                                  readFileInto(path, buf, sizeof buf, got)};
    for (const auto& r : results) {
        EXPECT_FALSE(r.ok);
        EXPECT_NE(r.error.find(path), std::string::npos) << r.error;
    }
    EXPECT_EQ(out, "");
    EXPECT_EQ(got, 0u);
    EXPECT_FALSE(fileExists(path));
    EXPECT_FALSE(fileExists(dir.path())) << "a directory is not a file";
}

TEST(FileIo, ReplaceWritesTheNewContentAndLeavesNoTemporary)
{
    TempDir dir;
    const std::string path = dir.file("data");
    ASSERT_TRUE(replaceFileAtomically(path, "first").ok);
    EXPECT_EQ(slurp(path), "first");
    ASSERT_TRUE(replaceFileAtomically(path, std::string("x\0y", 3)).ok);
    EXPECT_EQ(slurp(path), std::string("x\0y", 3));
    ASSERT_TRUE(replaceFileAtomically(path, "").ok);
    EXPECT_TRUE(fileExists(path));
    EXPECT_EQ(slurp(path), "");
    EXPECT_EQ(filesStartingWith(dir.path(), "data"), std::vector<std::string>{"data"});
}

TEST(FileIo, FailedReplaceLeavesTheOldFileWhole)
{
    TempDir dir;
    const std::string path = dir.file("data");
    const std::string old = pattern(200000, 2);
    writeFileBytes(path, old);

    // The disk fills up while the new content is written.
    const auto ok =
        runWithFileSizeLimit(100000, [&] { return replaceFileAtomically(path, pattern(300000, 3)).ok; });
    ASSERT_TRUE(ok.has_value());
    EXPECT_FALSE(*ok);
    EXPECT_EQ(slurp(path), old);
    EXPECT_EQ(filesStartingWith(dir.path(), "data"), std::vector<std::string>{"data"});

    // The directory is gone.
    const FileResult r = replaceFileAtomically(dir.file("gone/data"), "x");
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("gone/data"), std::string::npos) << r.error;
}

TEST(FileIo, ReplaceInAReadOnlyDirectoryFailsAndKeepsTheOldFile)
{
    TempDir dir;
    const std::string path = dir.file("data");
    writeFileBytes(path, "old");
    ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);
    const bool stillWritable = ::access(dir.path().c_str(), W_OK) == 0;
    const FileResult ro = replaceFileAtomically(path, "new");
    ::chmod(dir.path().c_str(), 0755);
    if (stillWritable)
        GTEST_SKIP() << "a read-only directory does not stop this user";
    EXPECT_FALSE(ro.ok);
    EXPECT_EQ(slurp(path), "old");
}

mode_t modeOf(const std::string& path)
{
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st.st_mode;
}

// What the user set on a data file survives a save: its mode (private or
// read-only), its owner, a link to a file kept elsewhere; a new file follows
// the umask.
TEST(FileIo, AReplacedFileKeepsWhatTheUserSetOnIt)
{
    TempDir dir;
    const std::string priv = dir.file("private");
    writeFileBytes(priv, "old");
    ::chmod(priv.c_str(), 0600);
    ASSERT_TRUE(replaceFileAtomically(priv, "new").ok);
    EXPECT_EQ(modeOf(priv) & 07777, 0600u);

    const std::string shared = dir.file("shared");
    writeFileBytes(shared, "old");
    ASSERT_EQ(::symlink("shared", dir.file("link").c_str()), 0);
    ASSERT_TRUE(replaceFileAtomically(dir.file("link"), "through the link").ok);
    EXPECT_TRUE(S_ISLNK(modeOf(dir.file("link"))));
    EXPECT_EQ(slurp(shared), "through the link");

    const mode_t oldMask = ::umask(077);
    const FileResult fresh = replaceFileAtomically(dir.file("fresh"), "x");
    ::umask(oldMask);
    ASSERT_TRUE(fresh.ok);
    EXPECT_EQ(modeOf(dir.file("fresh")) & 07777, 0600u);

    if (::geteuid() == 0) {
        const std::string owned = dir.file("owned");
        writeFileBytes(owned, "old");
        ASSERT_EQ(::chown(owned.c_str(), UnprivilegedId, UnprivilegedId), 0);
        ASSERT_TRUE(replaceFileAtomically(owned, "new").ok);
        struct stat st {};
        ::stat(owned.c_str(), &st);
        EXPECT_EQ(st.st_uid, UnprivilegedId);
        EXPECT_EQ(st.st_gid, UnprivilegedId);
    }

    // A file the user made read-only is not replaced, and the reason says so.
    const std::string ro = dir.file("readonly");
    writeFileBytes(ro, "old");
    ::chmod(ro.c_str(), 0444);
    const auto refused = runAsUnprivileged(dir.path(), [&] {
        const FileResult r = replaceFileAtomically(ro, "new");
        return !r.ok && r.error.find("только для чтения") != std::string::npos;
    });
    ASSERT_TRUE(refused.has_value());
    EXPECT_TRUE(*refused);
    EXPECT_EQ(slurp(ro), "old");
    EXPECT_EQ(modeOf(ro) & 07777, 0444u);
}

TEST(FileIo, OnlyTheLeftoversOfASaveCutShortAreRemoved)
{
    TempDir dir;
    for (const char* name : {"CmdConfig.tmp-a1B2c3", "OldCmd.tmp-XYZ789", "CfgTerminal.tmp-000000",
                             "CmdConfig", "CmdConfig.tmp-short", "CmdConfig.tmp-toolong1", "Other.tmp-abcdef",
                             "CmdConfig.tmp-ab.def", "notes.txt"})
        writeFileBytes(dir.file(name), "x");
    std::filesystem::create_directory(dir.file("OldCmd.tmp-dirdir"));
    EXPECT_EQ(removeLeftoverTemporaries(dir.path(), {"CfgTerminal", "CmdConfig", "OldCmd"}), 3);
    std::vector<std::string> left;
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        left.push_back(e.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left,
              (std::vector<std::string>{"CmdConfig", "CmdConfig.tmp-ab.def", "CmdConfig.tmp-short",
                                        "CmdConfig.tmp-toolong1", "OldCmd.tmp-dirdir", "Other.tmp-abcdef",
                                        "notes.txt"}));
}

TEST(FileIo, ADirectoryIsLockedByOneHolderAtATime)
{
    TempDir dir;
    auto first = std::make_unique<DirectoryLock>();
    ASSERT_TRUE(first->tryLock(dir.path()));
    EXPECT_TRUE(first->held());
    DirectoryLock second;
    EXPECT_FALSE(second.tryLock(dir.path()));
    EXPECT_FALSE(second.held());
    // Another process is refused as well.
    const auto other = runWithTimeLimit(10, [&] {
        DirectoryLock lock;
        return !lock.tryLock(dir.path());
    });
    ASSERT_TRUE(other.has_value());
    EXPECT_TRUE(*other);
    first.reset();
    EXPECT_TRUE(second.tryLock(dir.path()));
}

// A process killed at any moment of a save leaves the old file or the new one,
// never a mix. A kill between creating the temporary file and renaming it
// leaves that one temporary behind; nothing removes such leftovers later, so
// the test only checks that one kill cannot leave more than one.
TEST(FileIo, KillDuringReplaceLeavesOldOrNewContent)
{
    TempDir dir;
    const std::string path = dir.file("data");
    const std::string a = pattern(3 << 20, 4);
    const std::string b = pattern((3 << 20) + 4097, 5);
    writeFileBytes(path, a);
    KillPlan plan;
    plan.rounds = 20;
    plan.seed = 20240601;
    killSaverAtRandomMoments(
        plan, [&](unsigned i) { return replaceFileAtomically(path, i % 2 ? a : b).ok; },
        [&](int) {
            const std::string now = slurp(path);
            ASSERT_TRUE(now == a || now == b) << "the file holds " << now.size() << " mixed bytes";
            const auto temporaries = filesStartingWith(dir.path(), "data.tmp");
            EXPECT_LE(temporaries.size(), 1u);
            for (const auto& t : temporaries)
                ::unlink(dir.file(t).c_str());
        });
}
