// The terminal's four data files (CfgTerminal, CfgLine, CmdConfig, OldCmd)
// against what a local user can leave under their names: start-up never
// waits on it, reports it, and nothing is written over it or through it.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <optional>

#include "macros/cmd_lists.h"
#include "support/file_limits.h"
#include "support/odd_files.h"
#include "support/temp_dir.h"
#include "settings/line_settings.h"
#include "settings/settings_record.h"
#include "transmit/history.h"

using namespace comtrax;
using namespace comtrax::testing;

namespace {

// A load that waits on a pipe never returns: each runs in a child with a bound.
constexpr unsigned HangBound = 10;

struct DataFile {
    const char* name;
    // True when the load reported the file (a message naming it) and took
    // nothing from it: no defaults written over it, nothing read.
    std::function<bool(const std::string& path)> loadRefuses;
    // True when the save claims to have written the file.
    std::function<bool(const std::string& path)> saveWrites;
};

bool names(const FileResult& r, const std::string& path)
{
    return !r.ok && r.error.find(path) != std::string::npos;
}

const DataFile Files[] = {
    {"CfgTerminal",
     [](const std::string& path) {
         SettingsRecord r;
         const SettingsLoadResult load = loadSettingsFile(path, r);
         return load.kind == SettingsLoad::Unreadable && names(load.io, path);
     },
     [](const std::string& path) { return saveSettingsFile(path, SettingsRecord()).ok; }},
    {"CfgLine",
     [](const std::string& path) {
         const LineSettingsLoad load = loadLineSettingsFile(path);
         return load.found && names(load.io, path);
     },
     [](const std::string& path) { return saveLineSettingsFile(path, LineSettings()).ok; }},
    {"CmdConfig",
     [](const std::string& path) {
         CmdLists lists;
         const CmdLists::LoadResult load = lists.loadLists(path);
         return !load.rebuilt && names(load.io, path);
     },
     [](const std::string& path) { return CmdLists().saveLists(path).ok; }},
    {"OldCmd", [](const std::string& path) { return names(SentHistory().load(path), path); },
     [](const std::string& path) {
         bool saved = false;
         SentHistory().saveIfPresent(path, &saved);
         return saved;
     }},
};

}  // namespace

// A FIFO under a data file's name once kept the window from ever coming up
// (the open waited for a writer); a socket's name, or a link to either (as a
// link to a device node would be), was replaced by a plain file at close.
TEST(DataFiles, WhatIsNotAPlainFileIsReportedAndNeverReplaced)
{
    for (const DataFile& file : Files) {
        for (const OddFile kind :
             {OddFile::Fifo, OddFile::Socket, OddFile::LinkToFifo, OddFile::LinkToSocket}) {
            SCOPED_TRACE(std::string(file.name) + " is " + nameOf(kind));
            TempDir dir;
            const std::string path = dir.file(file.name);
            const std::string thing = makeOddFile(path, kind);
            ASSERT_FALSE(thing.empty());
            const mode_t type = fileTypeAt(thing);
            const mode_t nameType = fileTypeAt(path);

            const std::optional<bool> refused =
                runWithTimeLimit(HangBound, [&] { return file.loadRefuses(path); });
            EXPECT_EQ(refused, std::optional<bool>(true)) << "no report, or the load never returned";
            EXPECT_FALSE(file.saveWrites(path));

            EXPECT_EQ(fileTypeAt(thing), type) << "replaced";
            EXPECT_EQ(fileTypeAt(path), nameType) << "replaced";
            EXPECT_EQ(filesStartingWith(dir.path(), std::string(file.name) + ".tmp"),
                      std::vector<std::string>{});
            EXPECT_EQ(filesStartingWith(dir.path(), std::string(file.name) + ".bak"),
                      std::vector<std::string>{});
        }
    }
}

// A link another user left in a directory anyone may write is not the
// user's: its file is neither read nor rewritten. The same link made by the
// user is followed as always.
TEST(DataFiles, ALinkPlantedInASharedDirectoryIsNeitherReadNorWritten)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can leave a link owned by another user";
    for (const DataFile& file : Files) {
        SCOPED_TRACE(file.name);
        TempDir dir;
        const std::string victim = dir.file("victim");
        const std::string before(CmdLists::FileSize + 10, 'v');  // long enough to be read by every loader
        writeFileBytes(victim, before);
        const std::string link = plantLinkInSharedDirectory(dir.file("shared"), file.name, victim);
        ASSERT_FALSE(link.empty());

        EXPECT_EQ(runWithTimeLimit(HangBound, [&] { return file.loadRefuses(link); }),
                  std::optional<bool>(true));
        EXPECT_FALSE(file.saveWrites(link));
        EXPECT_TRUE(readFileBytes(victim) == before) << "written through a planted link";
        EXPECT_EQ(fileTypeAt(link), mode_t(S_IFLNK));

        // The same link as the user's own.
        ASSERT_EQ(::lchown(link.c_str(), 0, 0), 0);
        EXPECT_TRUE(file.saveWrites(link));
        EXPECT_FALSE(readFileBytes(victim) == before);
        EXPECT_EQ(fileTypeAt(link), mode_t(S_IFLNK));
    }
}

// A directory that belongs to another user is theirs to fill: a link of
// theirs there is refused even though no one else may write the directory.
TEST(DataFiles, ALinkInAnotherUsersDirectoryIsNotFollowed)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can make a directory of another user";
    TempDir dir;
    const std::string victim = dir.file("victim");
    writeFileBytes(victim, "the victim's own");
    const std::string theirs = dir.file("theirs");
    ASSERT_EQ(::mkdir(theirs.c_str(), 0755), 0);
    const std::string link = theirs + "/CfgLine";
    ASSERT_EQ(::symlink(victim.c_str(), link.c_str()), 0);
    ASSERT_EQ(::lchown(link.c_str(), OtherUserId, OtherUserId), 0);
    ASSERT_EQ(::chown(theirs.c_str(), OtherUserId, OtherUserId), 0);

    EXPECT_FALSE(loadLineSettingsFile(link).io.ok);
    EXPECT_FALSE(saveLineSettingsFile(link, LineSettings()).ok);
    EXPECT_EQ(readFileBytes(victim), "the victim's own");
}
