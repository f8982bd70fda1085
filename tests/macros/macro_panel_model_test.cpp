#include "macros/macro_panel_model.h"

#include <gtest/gtest.h>

namespace comtrax {
namespace {

struct Model : ::testing::Test {
    CmdLists lists;
    MacroPanelModel model{lists};
    void SetUp() override { lists.setDefaults(); }
};

TEST_F(Model, StepsStopAtTheEndsAndTheChooserTakesOnlyRealLists)
{
    EXPECT_FALSE(model.canStepBack());
    EXPECT_FALSE(model.stepBack());
    EXPECT_EQ(model.currentList(), 1);
    EXPECT_TRUE(model.stepForward());
    EXPECT_EQ(model.currentList(), 2);
    EXPECT_TRUE(model.chooseList(CmdLists::Lists));
    EXPECT_FALSE(model.canStepForward());
    EXPECT_FALSE(model.stepForward());
    EXPECT_EQ(model.currentList(), CmdLists::Lists);
    for (int bad : {0, -1, CmdLists::Lists + 1}) {
        EXPECT_FALSE(model.chooseList(bad));
        EXPECT_EQ(model.currentList(), CmdLists::Lists);
    }
}

TEST_F(Model, AClickSendsInOnSelectModeAndLoadsOtherwiseEvenAnEmptyLine)
{
    lists.setCommandLine(1, 3, "AT+GMR");
    const auto sent = model.macroClicked(3, true);
    EXPECT_TRUE(sent.send);
    EXPECT_EQ(sent.line, "AT+GMR");
    const auto loaded = model.macroClicked(4, false);
    EXPECT_FALSE(loaded.send);
    EXPECT_EQ(loaded.line, lists.commandLine(1, 4));
    EXPECT_EQ(model.selectedCommand(), loaded.line);
}

TEST_F(Model, TypedTextStoresAsWhatTheFieldsShow)
{
    const std::string firstListName = lists.commandName(1, 2);
    model.chooseList(7);
    model.storeField(2, "Reset", MacroPanelModel::Display::Names);
    model.storeField(2, "AT+RST", MacroPanelModel::Display::Lines);
    model.storeField(2, "lost", MacroPanelModel::Display::Neither);
    EXPECT_EQ(lists.commandName(7, 2), "Reset");
    EXPECT_EQ(lists.commandLine(7, 2), "AT+RST");
    model.storeListName("Pump tests");
    EXPECT_EQ(lists.listName(7), "Pump tests");
    EXPECT_EQ(lists.commandName(1, 2), firstListName);
}

TEST_F(Model, AnEmptyListNameShowsAndBecomesItsNumber)
{
    lists.setListName(12, "");
    EXPECT_EQ(model.shownListName(12), "[12]");
    EXPECT_EQ(lists.listName(12), "[12]");
    EXPECT_EQ(model.shownListName(1), lists.listName(1));
}

}  // namespace
}  // namespace comtrax
