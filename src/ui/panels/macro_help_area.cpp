#include "ui/panels/macro_help_area.h"

#include <QLabel>

#include "macros/cmd_lists.h"
#include "ui/kit/shown_text.h"
#include "ui/kit/text_codec.h"

namespace comtrax {

void MacroHelpArea::showMacroHelp(int k)
{
    if (k < 1 || k > MacroCount)
        return;
    for (int j = 1; j <= HelpLineTotal; ++j)
        showText(c_.STH[j], fromCp1251(lists_.commandHelp(model_.currentList(), k, j)));
}

void MacroHelpArea::storeMacroHelp(int k)
{
    if (k < 1 || k > MacroCount)
        return;
    for (int j = 1; j <= HelpLineTotal; ++j)
        lists_.setCommandHelp(model_.currentList(), k, j, toCp1251(textOf(c_.STH[j])));
}

QString MacroHelpArea::commandName(int list, int k)
{
    return fromCp1251(lists_.commandName(list, k));
}

QString MacroHelpArea::commandLine(int list, int k)
{
    return fromCp1251(lists_.commandLine(list, k));
}

void MacroHelpArea::setCommandName(int list, int k, const QString& text)
{
    lists_.setCommandName(list, k, toCp1251(text));
}

void MacroHelpArea::setCommandLine(int list, int k, const QString& text)
{
    lists_.setCommandLine(list, k, toCp1251(text));
}

QString MacroHelpArea::helpLine(int j)
{
    if (j < 1 || j > HelpLineTotal)
        return {};
    return textOf(c_.STH[j]);
}

void MacroHelpArea::setHelpLine(int j, const QString& text)
{
    if (j >= 1 && j <= HelpLineTotal)
        showText(c_.STH[j], text);
}

}  // namespace comtrax
