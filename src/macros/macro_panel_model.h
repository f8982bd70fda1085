#pragma once
// What the macro panel is, without its widgets: which list it shows, whether
// the editor is open, which macro was last edited or picked, and what a click
// on a macro does. The panel's widgets show this state and pass the user's
// acts in.
#include <string>

#include "macros/cmd_lists.h"

namespace comtrax {

class MacroPanelModel {
public:
    // What the fields of the panel show: macro names or command lines.
    enum class Display { Names, Lines, Neither };

    explicit MacroPanelModel(CmdLists& lists) : lists_(lists) {}

    int currentList() const { return currentList_; }
    // A list chosen from the chooser (1..Lists); false leaves the current one.
    bool chooseList(int n);
    // The step buttons: true when the list moved; they stop at the ends.
    bool stepForward();
    bool stepBack();
    bool canStepForward() const { return currentList_ < CmdLists::Lists; }
    bool canStepBack() const { return currentList_ > 1; }

    bool editorMode() const { return editorMode_; }
    void setEditorMode(bool on) { editorMode_ = on; }

    int editedCommand() const { return editedCommand_; }
    const std::string& selectedCommand() const { return selectedCommand_; }
    void setSelectedCommand(std::string line) { selectedCommand_ = std::move(line); }

    // A click on macro k: in on-select mode its command line is sent at once,
    // otherwise it goes into the command line for the user to send.
    struct Click {
        bool send = false;
        std::string line;  // Windows-1251
    };
    Click macroClicked(int k, bool onSelectMode);

    // Text typed into macro k's field stores at once, as a name or a line
    // according to what the fields show; the list's name likewise.
    void storeField(int k, const std::string& text, Display display);
    void storeListName(const std::string& name) { lists_.setListName(currentList_, name); }
    // Macro k becomes the one the help editor works on.
    void editCommand(int k) { editedCommand_ = k; }

    // The list's name as shown: an empty name shows (and becomes) "[n]".
    std::string shownListName(int n);

private:
    CmdLists& lists_;
    int currentList_ = 1;
    bool editorMode_ = false;
    int editedCommand_ = 1;
    std::string selectedCommand_;
};

}  // namespace comtrax
