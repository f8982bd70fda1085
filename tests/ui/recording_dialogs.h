#pragma once
// A DialogService that records what the window asked for and returns at once.
#include <QString>
#include <QStringList>

#include <functional>

#include "ui/dialogs/dialog_service.h"

namespace comtrax::testing {

class RecordingDialogs : public DialogService {
public:
    QStringList messages;
    QStringList errors;
    QStringList questions;
    bool yesNoAnswer = false;
    int noPortWindows = 0;
    int abouts = 0;
    int savePrompts = 0;
    QString fileToOpen;
    SavePromptAnswer saveAnswer = SavePromptAnswer::No;
    std::function<void()> onEditMacroHelp;

    void message(const QString& text) override { messages << text; }
    void error(const QString& text) override { errors << text; }
    bool askYesNo(const QString& text) override
    {
        questions << text;
        return yesNoAnswer;
    }
    void noPortWindow() override { ++noPortWindows; }
    QString openFileName() override { return fileToOpen; }
    SavePromptAnswer askSaveMacros() override
    {
        ++savePrompts;
        return saveAnswer;
    }
    void about() override { ++abouts; }
    void editMacroHelp() override
    {
        if (onEditMacroHelp)
            onEditMacroHelp();
    }
};

}  // namespace comtrax::testing
