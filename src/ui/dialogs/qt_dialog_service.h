#pragma once
// The real modal windows of the program.
#include <QPointer>

#include "ui/dialogs/dialog_service.h"

class QWidget;

namespace comtrax {

class MacroEditorHost;
class MacroHelpEditor;
class SaveMacrosPrompt;
class AboutDialog;
class NoPortDialog;

class QtDialogService final : public DialogService {
public:
    QtDialogService(QWidget* mainWindow, MacroEditorHost* editorHost);
    ~QtDialogService() override;

    // Creates the four secondary windows, in their order, once the main window
    // has come up; any of them asked for earlier is created on demand.
    void createWindows();

    void message(const QString& text) override;
    void error(const QString& text) override;
    bool askYesNo(const QString& text) override;
    void noPortWindow() override;
    QString openFileName() override;
    SavePromptAnswer askSaveMacros() override;
    void about() override;
    void editMacroHelp() override;

private:
    QWidget* main_;
    MacroEditorHost* host_;
    QPointer<MacroHelpEditor> editor_;
    QPointer<SaveMacrosPrompt> save_;
    QPointer<AboutDialog> info_;
    QPointer<NoPortDialog> noPort_;
};

}  // namespace comtrax
