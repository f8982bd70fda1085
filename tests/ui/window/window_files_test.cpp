// The window's own files through start-up and close: what it finds, what it
// leaves, and what it must never overwrite.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>

#include <sys/stat.h>

#include <filesystem>

#include "macros/cmd_lists.h"
#include "ui/panels/macro_panel.h"
#include "ui/panels/options_band.h"
#include "window_rig.h"

using namespace comtrax;
using namespace comtrax::testing;

namespace fs = std::filesystem;

namespace {

std::string fileOf(const WindowRig& r, const char* name)
{
    return readFileBytes(r.dir.file(name));
}

}  // namespace

// The close path the user takes: "Да" with a CmdConfig that cannot be written
// keeps the window open and the edits in memory; once the cause is gone the
// next close saves them.
TEST(WindowFiles, AMacroSaveThatFailsOnCloseKeepsTheWindowAndTheEdits)
{
    WindowRig r;
    r.open();
    r.ui().EditAllCmd->click();
    ASSERT_TRUE(r.panel<MacroPanel>().editorMode());
    r.ui().Edit[1]->setText("Reset");
    r.ui().Edit[1]->textEdited("Reset");
    ASSERT_EQ(r.panel<MacroPanel>().editorHost().commandName(1, 1), "Reset");

    fs::remove(r.dir.file("CmdConfig"));
    fs::create_directory(r.dir.file("CmdConfig"));
    r.dialogs.saveAnswer = SavePromptAnswer::Yes;
    EXPECT_FALSE(r.close()) << "the macro edits were thrown away";
    EXPECT_EQ(r.dialogs.errors.size(), 1);
    EXPECT_TRUE(r.panel<MacroPanel>().editorMode());
    EXPECT_EQ(r.panel<MacroPanel>().editorHost().commandName(1, 1), "Reset");

    fs::remove(r.dir.file("CmdConfig"));
    EXPECT_TRUE(r.close());
    CmdLists saved;
    EXPECT_FALSE(saved.loadLists(r.dir.file("CmdConfig")).rebuilt);
    EXPECT_EQ(saved.commandName(1, 1), "Reset");
}

// A settings file start-up could not read still holds the user's settings:
// it is reported and left alone, not replaced by the built-in values.
TEST(WindowFiles, ASettingsFileThatCouldNotBeReadIsNeverOverwritten)
{
    WindowRig r;
    fs::create_directory(r.dir.file("CfgTerminal"));
    r.open();
    ASSERT_EQ(r.dialogs.errors.size(), 1);
    EXPECT_TRUE(r.dialogs.errors[0].contains("CfgTerminal")) << r.dialogs.errors[0].toStdString();
    r.ui().PeriodTX->setText("777");
    EXPECT_TRUE(r.close());
    EXPECT_EQ(r.dialogs.errors.size(), 1);
    EXPECT_TRUE(fs::is_directory(r.dir.file("CfgTerminal")));
}

TEST(WindowFiles, MissingListsAreMadeSilentlyAndDamagedOnesAreReportedAndKept)
{
    WindowRig r;
    r.open();
    EXPECT_TRUE(r.dialogs.messages.isEmpty());
    ASSERT_TRUE(r.close());

    writeFileBytes(r.dir.file("CmdConfig"), "damaged");
    r.restart();
    EXPECT_EQ(r.dialogs.messages, QStringList{"Проблема с файлом конфигурации, он будет перезаписан"});
    EXPECT_EQ(fileOf(r, "CmdConfig.bak"), "damaged");
}

// A kill during a save leaves a temporary file; the next start clears the
// program's own, and nothing else.
TEST(WindowFiles, StartUpRemovesWhatSavesCutShortLeftBehind)
{
    WindowRig r;
    for (const char* name : {"CmdConfig.tmp-a1B2c3", "OldCmd.tmp-XYZ789", "CfgTerminal.tmp-000000",
                             "notes.tmp-a1B2c3", "CmdConfig.tmp-mine"})
        writeFileBytes(r.dir.file(name), "x");
    r.open();
    EXPECT_FALSE(fs::exists(r.dir.file("CmdConfig.tmp-a1B2c3")));
    EXPECT_FALSE(fs::exists(r.dir.file("OldCmd.tmp-XYZ789")));
    EXPECT_FALSE(fs::exists(r.dir.file("CfgTerminal.tmp-000000")));
    EXPECT_TRUE(fs::exists(r.dir.file("notes.tmp-a1B2c3")));
    EXPECT_TRUE(fs::exists(r.dir.file("CmdConfig.tmp-mine")));
}

// Two windows in one directory: the second is told, and without the user's
// consent it leaves the first one's settings and history alone (and never
// clears temporary files the first may be writing).
TEST(WindowFiles, ASecondWindowInTheSameDirectoryAsksBeforeItsFilesGoOverTheFirstOnes)
{
    WindowRig first;
    first.open();
    first.ui().BTConnect->click();
    first.ui().MainStrCmd->setText("from the first");
    first.ui().ButtonSend->click();
    first.ui().PeriodTX->setText("111");

    for (const bool consent : {false, true}) {
        SCOPED_TRACE(consent ? "the user agrees" : "the user keeps the first one's files");
        writeFileBytes(first.dir.file("OldCmd.tmp-abc123"), "being written");
        const std::string settingsBefore = fileOf(first, "CfgTerminal");
        const std::string historyBefore = fileOf(first, "OldCmd");

        WindowRig second;
        second.directory = first.dir.path();
        second.dialogs.yesNoAnswer = consent;
        second.open();
        ASSERT_EQ(second.dialogs.questions.size(), 1);
        EXPECT_TRUE(second.dialogs.questions[0].contains(QString::fromStdString(first.dir.path())));
        EXPECT_TRUE(fs::exists(first.dir.file("OldCmd.tmp-abc123")));
        second.ui().BTConnect->click();
        second.ui().MainStrCmd->setText("from the second");
        second.ui().ButtonSend->click();
        second.ui().PeriodTX->setText("222");
        // A macro edit saved in the second window would undo the first one's.
        const std::string listsBefore = fileOf(first, "CmdConfig");
        second.ui().EditAllCmd->click();
        second.ui().Edit[1]->setText("from the second");
        second.ui().Edit[1]->textEdited("from the second");
        second.ui().EditAllCmd->click();  // leaving the editor saves
        EXPECT_FALSE(second.panel<MacroPanel>().editorMode());
        EXPECT_TRUE(second.close());

        if (consent) {
            EXPECT_NE(fileOf(first, "CfgTerminal"), settingsBefore);
            EXPECT_EQ(fileOf(first, "OldCmd").substr(1, 15), "from the second");
            EXPECT_NE(fileOf(first, "CmdConfig"), listsBefore);
        } else {
            EXPECT_EQ(fileOf(first, "CfgTerminal"), settingsBefore);
            EXPECT_EQ(fileOf(first, "OldCmd"), historyBefore);
            EXPECT_EQ(fileOf(first, "CmdConfig"), listsBefore);
            ASSERT_EQ(second.dialogs.errors.size(), 1);
            EXPECT_TRUE(second.dialogs.errors[0].startsWith("Макросы не сохранены"));
        }
        fs::remove(first.dir.file("OldCmd.tmp-abc123"));
    }

    // The first window was never asked and saves as always.
    EXPECT_TRUE(first.dialogs.questions.isEmpty());
    EXPECT_TRUE(first.close());
    EXPECT_EQ(fileOf(first, "OldCmd").substr(1, 14), "from the first");
}

// CfgLine keeps what came after the 788-byte record: the frame check survives
// a restart, the record does not change for it, and a CfgLine start-up could
// not read is reported and left alone.
TEST(WindowFiles, TheSettingsBesideTheRecordSurviveARestartAndAreNeverOverwrittenUnread)
{
    WindowRig r;
    r.open();
    ASSERT_TRUE(r.close());
    const std::string record = fileOf(r, "CfgTerminal");
    EXPECT_FALSE(r.panel<OptionsBand>().modbusCrcCheck());

    r.restart();
    r.panel<OptionsBand>().setModbusCrcCheck(true);
    ASSERT_TRUE(r.close());
    EXPECT_EQ(fileOf(r, "CfgTerminal"), record);
    EXPECT_NE(fileOf(r, "CfgLine").find("checkModbusCrc=1\n"), std::string::npos);
    r.restart();
    EXPECT_TRUE(r.panel<OptionsBand>().modbusCrcCheck());
    EXPECT_TRUE(r.dialogs.errors.isEmpty());

    ASSERT_TRUE(r.close());
    r.window.reset();
    fs::remove(r.dir.file("CfgLine"));
    fs::create_directory(r.dir.file("CfgLine"));
    r.open();
    ASSERT_EQ(r.dialogs.errors.size(), 1) << r.dialogs.errors.join("|").toStdString();
    EXPECT_TRUE(r.dialogs.errors[0].contains("CfgLine")) << r.dialogs.errors[0].toStdString();
    EXPECT_FALSE(r.panel<OptionsBand>().modbusCrcCheck());
    EXPECT_TRUE(r.close());
    EXPECT_TRUE(fs::is_directory(r.dir.file("CfgLine")));
}

// A FIFO under a settings file's name once kept the window from ever coming
// up, and a CfgLine longer than the program's own was cut to its first part
// at close. Each is reported, the window comes up, and the close leaves them
// as they were.
TEST(WindowFiles, SettingsFilesThatAreFifosOrTooLongAreReportedAndLeftAlone)
{
    WindowRig r;
    ASSERT_EQ(::mkfifo(r.dir.file("CfgTerminal").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo(r.dir.file("CfgLine").c_str(), 0600), 0);
    r.open();
    ASSERT_EQ(r.dialogs.errors.size(), 2) << r.dialogs.errors.join("|").toStdString();
    EXPECT_TRUE(r.dialogs.errors[0].contains("CfgTerminal")) << r.dialogs.errors[0].toStdString();
    EXPECT_TRUE(r.dialogs.errors[1].contains("CfgLine")) << r.dialogs.errors[1].toStdString();
    EXPECT_TRUE(r.close());
    EXPECT_EQ(fs::status(r.dir.file("CfgTerminal")).type(), fs::file_type::fifo);
    EXPECT_EQ(fs::status(r.dir.file("CfgLine")).type(), fs::file_type::fifo);

    r.window.reset();
    fs::remove(r.dir.file("CfgTerminal"));
    fs::remove(r.dir.file("CfgLine"));
    std::string notes;
    while (notes.size() <= 64 * 1024)
        notes += "# a note the user keeps beside the settings\n";
    const std::string tooLong = notes + "parity=odd\n";
    writeFileBytes(r.dir.file("CfgLine"), tooLong);
    r.open();
    ASSERT_EQ(r.dialogs.errors.size(), 3) << r.dialogs.errors.join("|").toStdString();
    EXPECT_TRUE(r.dialogs.errors[2].contains("CfgLine")) << r.dialogs.errors[2].toStdString();
    EXPECT_TRUE(r.close());
    EXPECT_TRUE(fileOf(r, "CfgLine") == tooLong) << "the file was rewritten";
}
