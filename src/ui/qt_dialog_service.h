#pragma once
// The real modal windows of the program.
#include <QPointer>

#include "ui/dialog_service.h"

class QWidget;

namespace comtrax {

class MacroEditorHost;
class TFormEditHelpCmd;
class TSave;
class TInfo;
class TOpenPortError;

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
    QPointer<TFormEditHelpCmd> editor_;
    QPointer<TSave> save_;
    QPointer<TInfo> info_;
    QPointer<TOpenPortError> noPort_;
};

}  // namespace comtrax
