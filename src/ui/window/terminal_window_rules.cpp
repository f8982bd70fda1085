// The rules' command in the window: Ctrl+Shift+R, and the log's context menu.
#include "ui/kit/translation.h"
#include "ui/window/rules_tool.h"
#include "ui/window/terminal_window.h"

namespace comtrax {

void TerminalWindow::makeRulesTool()
{
    auto* tool = new RulesTool(RulesTool::Setup{*this, *terminal_, cmdLists_, path("CfgRules"),
                                                [this](const QString& text) { env_.dialogs->error(text); },
                                                env_.startTimers});
    tool->setObjectName(QStringLiteral("RulesTool"));
    addToolAction(uiText("Правила…"), QKeySequence(QStringLiteral("Ctrl+Shift+R")),
                  [tool] { tool->openDialog(); });
}

}  // namespace comtrax
