#include "macros/macro_panel_model.h"

namespace comtrax {

bool MacroPanelModel::chooseList(int n)
{
    if (n < 1 || n > CmdLists::Lists)
        return false;
    currentList_ = n;
    return true;
}

bool MacroPanelModel::stepForward()
{
    if (!canStepForward())
        return false;
    ++currentList_;
    return true;
}

bool MacroPanelModel::stepBack()
{
    if (!canStepBack())
        return false;
    --currentList_;
    return true;
}

MacroPanelModel::Click MacroPanelModel::macroClicked(int k, bool onSelectMode)
{
    selectedCommand_ = lists_.commandLine(currentList_, k);
    return {onSelectMode, selectedCommand_};
}

void MacroPanelModel::storeField(int k, const std::string& text, Display display)
{
    if (display == Display::Names)
        lists_.setCommandName(currentList_, k, text);
    else if (display == Display::Lines)
        lists_.setCommandLine(currentList_, k, text);
}

std::string MacroPanelModel::shownListName(int n)
{
    if (lists_.listName(n).empty())
        lists_.setListName(n, "[" + std::to_string(n) + "]");
    return lists_.listName(n);
}

}  // namespace comtrax
