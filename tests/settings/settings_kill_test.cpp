// A process killed while it writes CfgTerminal leaves the old record or the new
// one on disk, byte for byte, and the next start applies it.
#include <gtest/gtest.h>

#include <unistd.h>

#include "settings/settings_record.h"
#include "support/file_limits.h"
#include "support/kill_during_save.h"
#include "support/temp_dir.h"

using namespace comtrax;
using namespace comtrax::testing;

TEST(SettingsKill, AKilledSaveLeavesTheOldOrTheNewRecordWhole)
{
    TempDir dir;
    const std::string path = dir.file("CfgTerminal");
    SettingsRecord a, b;
    a.setBaudIndex(7);
    a.setFontSize(8);
    a.setCommandText("AT");
    b.setBaudIndex(3);
    b.setFontSize(14);
    b.setTimeRxMs(250);
    b.setCommandText(std::string(250, 'b'));
    b.setFilterText("ERR");
    const std::string bytesA(reinterpret_cast<const char*>(a.bytes().data()), SettingsRecord::Size);
    const std::string bytesB(reinterpret_cast<const char*>(b.bytes().data()), SettingsRecord::Size);
    ASSERT_TRUE(saveSettingsFile(path, a).ok);

    KillPlan plan;
    plan.rounds = 20;
    plan.seed = 788;
    plan.maxDelayUs = 20000;
    killSaverAtRandomMoments(
        plan, [&](unsigned i) { return saveSettingsFile(path, i % 2 ? a : b).ok; },
        [&](int) {
            std::string now;
            ASSERT_TRUE(readWholeFile(path, now).ok);
            ASSERT_TRUE(now == bytesA || now == bytesB) << "the file holds " << now.size() << " mixed bytes";
            SettingsRecord reread;
            EXPECT_EQ(loadSettingsFile(path, reread).kind, SettingsLoad::Loaded);
            const auto temporaries = filesStartingWith(dir.path(), "CfgTerminal.tmp");
            EXPECT_LE(temporaries.size(), 1u);
            for (const auto& t : temporaries)
                ::unlink(dir.file(t).c_str());
        });
}
