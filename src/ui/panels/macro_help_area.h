#pragma once
// The help area STH1..STH12 of the macro panel, and the help editor's view of
// the command lists: the macro being edited is (CurrentList, EditedCmd).
#include <QString>

#include "macros/macro_panel_model.h"
#include "ui/panels/controls.h"
#include "ui/dialogs/macro_help_editor.h"

namespace comtrax {

class CmdLists;

class MacroHelpArea : public MacroEditorHost {
public:
    MacroHelpArea(MacroControls& c, CmdLists& lists, const MacroPanelModel& model)
        : c_(c), lists_(lists), model_(model)
    {}

    // The 12 help lines of macro k of the current list into the help area.
    void showMacroHelp(int k);
    // The help area, as the editor left it, into macro k's help.
    void storeMacroHelp(int k);

    int currentList() override { return model_.currentList(); }
    int editedCmd() override { return model_.editedCommand(); }
    QString commandName(int list, int k) override;
    QString commandLine(int list, int k) override;
    void setCommandName(int list, int k, const QString& text) override;
    void setCommandLine(int list, int k, const QString& text) override;
    QString helpLine(int j) override;
    void setHelpLine(int j, const QString& text) override;

private:
    MacroControls& c_;
    CmdLists& lists_;
    const MacroPanelModel& model_;
};

}  // namespace comtrax
