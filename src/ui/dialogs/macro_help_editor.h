#pragma once
// The help editor of one macro: its name, its command line and its 12 help lines.
#include <QDialog>
#include <QString>
#include <array>

class QLabel;
class QLineEdit;

#include "macros/cmd_lists.h"

namespace comtrax {

// What the help editor needs from the main window. The macro it works on is
// (currentList(), editedCmd()); the help lines are the captions STH1..STH12,
// which the main window copies into the macro after the editor has closed.
class MacroEditorHost {
public:
    virtual ~MacroEditorHost() = default;
    virtual int currentList() = 0;
    virtual int editedCmd() = 0;  // EditedCmd, 1..48
    virtual QString commandName(int list, int k) = 0;
    virtual QString commandLine(int list, int k) = 0;
    virtual void setCommandName(int list, int k, const QString&) = 0;
    virtual void setCommandLine(int list, int k, const QString&) = 0;
    virtual QString helpLine(int j) = 0;  // caption of STHj, j = 1..12
    virtual void setHelpLine(int j, const QString&) = 0;
};

// "Редактор макроса". Created once and reused; opened modally with exec().
// Every keystroke goes straight to the host, so closing always keeps what was
// typed and there is nothing to cancel.
class MacroHelpEditor : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpLineCount = CmdLists::HelpLinesPerMacro;
    static constexpr int DesignWidth = 384;
    // What a macro's name and command line may hold (their fields' capacities).
    static constexpr int NameMaxLength = static_cast<int>(CmdLists::CmdNameCapacity) - 1;
    static constexpr int LineMaxLength = static_cast<int>(CmdLists::CmdLineCapacity) - 1;
    static constexpr int HelpMaxLength = 50;

    explicit MacroHelpEditor(MacroEditorHost* host = nullptr, QWidget* parent = nullptr);

    void setHost(MacroEditorHost* host) { host_ = host; }

    // Loads the macro and its help lines from the host and focuses CmdName.
    void reloadFromHost();
    // Gives every field its design width plus (width - DesignWidth).
    void fitFieldsToWidth(int width);

    QLineEdit* cmdName() const { return cmdName_; }
    QLineEdit* cmdData() const { return cmdData_; }
    QLineEdit* helpEdit(int i) const { return edits_.at(static_cast<size_t>(i - 1)); }  // 1..12

protected:
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void commandNameEdited();
    void commandLineEdited();
    void helpLineEdited(int i);
    // Enter and Backspace of one field; true when the key was used up here.
    bool fieldKeyPress(QLineEdit* field, const QKeyEvent& key);
    // The field before and after `field` in the Enter chain (nullptr at the ends).
    QLineEdit* previousField(QLineEdit* field) const;
    QLineEdit* nextField(QLineEdit* field) const;

    MacroEditorHost* host_;
    QLabel* nameLabel_;
    QLabel* dataLabel_;
    QLabel* helpLabel_;
    QLineEdit* cmdName_;
    QLineEdit* cmdData_;
    std::array<QLineEdit*, HelpLineCount> edits_{};
    int nameDesignWidth_ = 0;
    int dataDesignWidth_ = 0;
    int editDesignWidth_ = 0;
    // Set once the form has been activated and cleared when it is hidden or
    // another window of the program becomes active.
    bool active_ = false;
};

}  // namespace comtrax
