#pragma once
// The modal windows the main window opens, behind one seam: the real ones show
// Qt dialogs; widget tests record what was asked and return at once.
#include <QString>

#include "ui/dialogs/save_macros_prompt.h"

namespace comtrax {

using SavePromptAnswer = SaveMacrosPrompt::Result;

class DialogService {
public:
    virtual ~DialogService() = default;
    // A message box with one text and OK.
    virtual void message(const QString& text) = 0;
    // The standard error box.
    virtual void error(const QString& text) = 0;
    // A question with Yes and No; true for Yes.
    virtual bool askYesNo(const QString& text) = 0;
    // NoPortDialog.
    virtual void noPortWindow() = 0;
    // The open-file dialog; an empty result means cancelled.
    virtual QString openFileName() = 0;
    // SaveMacrosPrompt: "Сохранить изменения  макросов?"
    virtual SavePromptAnswer askSaveMacros() = 0;
    // AboutDialog.
    virtual void about() = 0;
    // MacroHelpEditor, modal; returns when it is closed.
    virtual void editMacroHelp() = 0;
};

}  // namespace comtrax
