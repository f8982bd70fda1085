// How the terminal reads and replaces its data files: never waiting on what
// is not a plain file, never through a link someone else could have planted,
// never a part of a file that should have been read whole.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <string>

#include "common/file_io.h"
#include "support/file_limits.h"
#include "support/odd_files.h"
#include "support/temp_dir.h"

using namespace comtrax;
using namespace comtrax::testing;

namespace {

constexpr unsigned HangBound = 10;

}  // namespace

TEST(DataFile, ALinkIsFollowedOnlyWhereNoOneElseCouldHaveMadeIt)
{
    constexpr uid_t Me = 1000, Other = 1001, Root = 0;
    struct Case {
        const char* what;
        uid_t user;
        LinkPlace place;
        bool follow;
    };
    const Case cases[] = {
        {"own link, own directory", Me, {Me, Me, S_IFDIR | 0755}, true},
        {"own link, own directory others may write", Me, {Me, Me, S_IFDIR | 0777}, true},
        {"root's link, own directory", Me, {Root, Me, S_IFDIR | 0700}, true},
        {"another's link, own directory no one else may write", Me, {Other, Me, S_IFDIR | 0755}, true},
        {"any link, root's directory no one else may write", Me, {Other, Root, S_IFDIR | 0755}, true},
        {"another's link, own directory the group may write", Me, {Other, Me, S_IFDIR | 0775}, false},
        {"another's link, a directory like /tmp", Me, {Other, Root, S_IFDIR | 01777}, false},
        {"own link, a directory like /tmp", Me, {Me, Root, S_IFDIR | 01777}, false},
        {"another's link, another's directory", Me, {Other, Other, S_IFDIR | 0755}, false},
        {"own link, another's directory", Me, {Me, Other, S_IFDIR | 0755}, false},
        {"root: own link in /tmp", Root, {Root, Root, S_IFDIR | 01777}, true},
        {"root: another's link in /tmp", Root, {Other, Root, S_IFDIR | 01777}, false},
        {"root: another's link in another's directory", Root, {Other, Other, S_IFDIR | 0700}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(mayFollowLink(c.place, c.user), c.follow) << c.what;
}

// Every reader: what is not a plain file is refused at once, named in the
// message, and never opened in a way that waits.
TEST(DataFile, EveryReaderRefusesWhatIsNotAPlainFileWithoutWaiting)
{
    for (const OddFile kind : {OddFile::Fifo, OddFile::Socket, OddFile::LinkToFifo, OddFile::LinkToSocket}) {
        SCOPED_TRACE(nameOf(kind));
        TempDir dir;
        const std::string path = dir.file("data");
        ASSERT_FALSE(makeOddFile(path, kind).empty());
        const auto refusedByAll = runWithTimeLimit(HangBound, [&] {
            std::string text;
            char buf[16];
            std::size_t got = 0;
            const FileResult results[] = {readWholeFile(path, text), readBoundedFile(path, 100, text),
                                          readFilePrefix(path, 10, text), readFileInto(path, buf, 16, got),
                                          readFileSparse(path, buf, 16, got)};
            for (const FileResult& r : results)
                if (r.ok || r.error != "Это не обычный файл: " + path)
                    return false;
            return lookUpDataFile(path).kind == DataFileLookup::NotRegular;
        });
        EXPECT_EQ(refusedByAll, std::optional<bool>(true));
    }
}

// A name with nothing behind it is a first start; a link to nothing is one
// too, and the file is made where the link points.
TEST(DataFile, OnlyANameWithNothingBehindItIsMissing)
{
    TempDir dir;
    EXPECT_EQ(lookUpDataFile(dir.file("none")).kind, DataFileLookup::Missing);
    ASSERT_EQ(::symlink("elsewhere", dir.file("dangling").c_str()), 0);
    const DataFileLookup dangling = lookUpDataFile(dir.file("dangling"));
    EXPECT_EQ(dangling.kind, DataFileLookup::Missing);
    EXPECT_EQ(dangling.target, dir.file("elsewhere"));
    ASSERT_TRUE(replaceFileAtomically(dir.file("dangling"), "made").ok);
    EXPECT_EQ(readFileBytes(dir.file("elsewhere")), "made");
    EXPECT_EQ(fileTypeAt(dir.file("dangling")), mode_t(S_IFLNK));

    ASSERT_EQ(::symlink("loop", dir.file("loop").c_str()), 0);
    EXPECT_EQ(lookUpDataFile(dir.file("loop")).kind, DataFileLookup::Refused);
    EXPECT_FALSE(replaceFileAtomically(dir.file("loop"), "x").ok);
    EXPECT_EQ(fileTypeAt(dir.file("loop")), mode_t(S_IFLNK));
}

// A file read whole or not at all: one byte past the bound and nothing of it
// is taken, however large it is.
TEST(DataFile, ABoundedReadTakesTheWholeFileOrNothing)
{
    TempDir dir;
    const std::string path = dir.file("data");
    struct Case {
        std::size_t size;
        bool ok;
    };
    for (const Case c : {Case{0, true}, Case{99, true}, Case{100, true}, Case{101, false},
                         Case{std::size_t(1) << 40, false}}) {
        SCOPED_TRACE(c.size);
        writeFileBytes(path, "");
        ASSERT_EQ(::truncate(path.c_str(), off_t(c.size)), 0);  // sparse
        std::string out = "stale";
        const FileResult r = readBoundedFile(path, 100, out);
        EXPECT_EQ(r.ok, c.ok) << r.error;
        EXPECT_EQ(out.size(), c.ok ? c.size : 0u);
        if (!c.ok) {
            EXPECT_NE(r.error.find(path), std::string::npos) << r.error;
            EXPECT_NE(r.error.find("100"), std::string::npos) << r.error;
        }
    }
}
