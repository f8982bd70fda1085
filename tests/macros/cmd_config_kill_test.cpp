// A process killed while it writes CmdConfig leaves the old lists or the new
// ones on disk, never a mix, and the next start reads them without a rebuild.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <unistd.h>

#include "macros/cmd_lists.h"
#include "support/file_limits.h"
#include "support/kill_during_save.h"
#include "support/temp_dir.h"

using namespace comtrax;
using namespace comtrax::testing;

namespace {

std::string imageOf(const CmdLists& lists)
{
    return {reinterpret_cast<const char*>(lists.record(1)), CmdLists::FileSize};
}

std::string slurp(const std::string& path)
{
    std::string bytes;
    readWholeFile(path, bytes);
    return bytes;
}

}  // namespace

TEST(CmdConfigKill, AKilledSaveLeavesTheOldOrTheNewListsWhole)
{
    TempDir dir;
    const std::string path = dir.file("CmdConfig");
    CmdLists a, b;
    a.setDefaults();
    b.setDefaults();
    for (int n = 1; n <= CmdLists::Lists; n += 7) {
        a.setCommandName(n, 1, "A" + std::to_string(n));
        b.setCommandLine(n, 48, std::string(250, static_cast<char>('a' + n % 26)));
        b.setCommandHelp(n, 48, 12, "help of list " + std::to_string(n));
    }
    const std::string imageA = imageOf(a), imageB = imageOf(b);
    ASSERT_NE(imageA, imageB);

    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(a.saveLists(path).ok);
    const auto saveUs =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started)
            .count();

    KillPlan plan;
    plan.rounds = 8;
    plan.seed = 5150;
    // Within the next two saves or so, wherever each one happens to be.
    plan.maxDelayUs = static_cast<unsigned>(std::clamp<long long>(2 * saveUs, 2000, 400000));
    killSaverAtRandomMoments(
        plan, [&](unsigned i) { return (i % 2 ? a : b).saveLists(path).ok; },
        [&](int) {
            const std::string now = slurp(path);
            ASSERT_TRUE(now == imageA || now == imageB) << "the file holds " << now.size() << " mixed bytes";
            CmdLists reread;
            const CmdLists::LoadResult r = reread.loadLists(path);
            EXPECT_TRUE(r.io.ok) << r.io.error;
            EXPECT_FALSE(r.rebuilt);
            // At most the one temporary of the save that was cut short.
            const auto temporaries = filesStartingWith(dir.path(), "CmdConfig.tmp");
            EXPECT_LE(temporaries.size(), 1u);
            for (const auto& t : temporaries)
                ::unlink(dir.file(t).c_str());
        });
}
