#pragma once
// The macro panel of the main window: 48 buttons fed from the current command
// list, the list chooser, the name/command-line switch, editor mode with its 48
// edit fields, and the help area showing a macro's 12 help lines.
//
// The main window owns the controls and the lists; this object holds the
// panel's behaviour and the two pieces of state that belong to it
// (CurrentList, EditedCmd). What a macro click does to the command line it
// asks for through its hooks. Editor mode lives in macro_panel_editor.cpp.
#include <QObject>
#include <QString>

#include <functional>
#include <string>

#include "macros/macro_panel_model.h"
#include "settings/window_settings.h"
#include "ui/dialogs/macro_help_editor.h"
#include "ui/dialogs/save_macros_prompt.h"
#include "ui/panels/controls.h"
#include "ui/panels/macro_help_area.h"

class QLineEdit;

namespace comtrax {

class CmdLists;

using SavePromptAnswer = SaveMacrosPrompt::Result;

// What the panel needs from the rest of the window.
struct MacroPanelHooks {
    std::function<void(const std::string& cp1251Line)> send;  // a click in on-select mode
    std::function<void(const std::string& cp1251Line)> load;  // a click otherwise: into the command line
    std::function<bool()> onSelectMode;                       // RBSel checked
    std::function<bool()> fileMode;                           // a command file is loaded
    std::function<void()> editHelpModal;                      // shows MacroHelpEditor modally and returns
    std::function<void(const QString&)> error;                // standard error box
    // False while another window uses the directory and the user kept its files.
    std::function<bool()> mayWriteLists;
    std::string cmdConfigPath;  // "CmdConfig"
};

class MacroPanel : public QObject {
    Q_OBJECT
public:
    static constexpr int ListNameMaxLength = 150;

    MacroPanel(MacroControls& c, CmdLists& lists, MacroPanelHooks hooks, QObject* parent = nullptr);

    // Start-up: list 1 on the panel, before anything is wired, so this first
    // display stores nothing back.
    void showFirstList();
    // Start-up: connects the buttons, edit fields and list controls.
    void wire();

    void showList(int n);
    void storeShownList(int n);
    void macroClicked(int k);
    void showNames();
    void showLines();
    void listChosen();
    void showListCaption();
    void showListChooser();
    // The command-file view: the file's name in place of the list chooser,
    // stretched up to right, with the name/line switch and Editor hidden;
    // and the chooser back when the view closes.
    void showFileCaption(const QString& name, int right);
    void hideFileCaption();
    void nextList();
    void previousList();
    void clearShownList();

    void toggleEditor();
    void storeEditedField(int k);
    void saveClicked();
    // Stores the panel into the current list and rewrites CmdConfig; a
    // failure goes to hooks.error. True when the file was written.
    bool saveLists();
    void openHelpEditor(int k);

    // The 12 help lines of macro k of the current list into STH1..STH12.
    void showMacroHelp(int k);

    bool editorMode() const { return model_.editorMode(); }  // EditAllCmd's Tag

    // Closing the window: the answer of the save prompt. Yes saves, No drops
    // the unsaved changes, Cancel keeps the window open. False when the close
    // must be refused (Cancel, or a save that failed).
    bool confirmClose(SavePromptAnswer answer);
    // Asks only in editor mode, where unsaved changes can exist.
    bool offerSaveOnClose(const std::function<SavePromptAnswer()>& ask);

    int currentList() const { return model_.currentList(); }
    int editedCmd() const { return model_.editedCommand(); }
    // What the help editor works on: the help area and the lists.
    MacroEditorHost& editorHost() { return help_; }

    // The line a macro button last loaded or sent.
    const std::string& selectedCommand() const { return model_.selectedCommand(); }
    void setSelectedCommand(std::string line) { model_.setSelectedCommand(std::move(line)); }

    // Its part of CfgTerminal: names or command lines on the buttons.
    void load(const WindowSettings& s);
    void store(WindowSettings& s) const;

signals:
    // Entered or left: the log file's status line and "Из файла" give way to
    // the editor's controls.
    void editorModeChanged(bool on);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A loaded text into a field whose length limit would otherwise cut it.
    static void loadField(QLineEdit* field, int limit, const QString& text);
    void keepTypedListName();
    MacroPanelModel::Display shownDisplay() const;
    void setEditLimits(int limit);
    void updateStepButtons();
    int editIndex(const QObject* o) const;
    void reportError(const std::string& why);

    MacroControls& c_;
    CmdLists& lists_;
    MacroPanelHooks hooks_;
    MacroPanelModel model_{lists_};
    MacroHelpArea help_;
};

}  // namespace comtrax
