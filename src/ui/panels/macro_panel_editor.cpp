// The macro panel's editor mode: the 48 edit fields in place of the buttons,
// the list's name field, Clear, Save and the list steps; what is typed is
// stored as it is typed and written to CmdConfig on Save, on leaving the
// editor and, when the user says so, at close; a double click opens the help
// editor on a macro.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "common/texts.h"
#include "macros/cmd_lists.h"
#include "ui/kit/click_label.h"
#include "ui/kit/colours.h"
#include "ui/kit/shown_text.h"
#include "ui/kit/text_codec.h"
#include "ui/kit/translation.h"
#include "ui/panels/macro_panel.h"

namespace comtrax {

// The display switch re-shows the list, name field included; what the user
// typed there is stored first (the macro fields store as they are typed).
void MacroPanel::keepTypedListName()
{
    if (editorMode())
        model_.storeListName(toCp1251(c_.ListNameEDT->text()));
}

// --- Editor mode ----------------------------------------------------------------

void MacroPanel::toggleEditor()
{
    if (!model_.editorMode()) {
        model_.setEditorMode(true);
        c_.EditAllCmd->setText(uiText("Назад"));
        c_.CBLists->hide();
        c_.ListNameEDT->show();
        c_.DelList->show();
        c_.ListInc->show();
        c_.ListDec->show();
        emit editorModeChanged(true);
        c_.SaveF->show();
        c_.StaticText1->show();
        showList(model_.currentList());
        for (int k = 1; k <= MacroCount; ++k) {
            c_.Button[k]->hide();
            c_.Edit[k]->show();
        }
        loadField(c_.ListNameEDT, ListNameMaxLength, fromCp1251(lists_.listName(model_.currentList())));
        return;
    }

    model_.setEditorMode(false);
    c_.EditAllCmd->setText(uiText("Редактор"));
    lists_.setListName(model_.currentList(), toCp1251(c_.ListNameEDT->text()));
    c_.ListNameEDT->hide();
    showText(c_.STListName, fromCp1251(lists_.listName(model_.currentList())));
    c_.STListName->hide();
    c_.CBLists->show();
    c_.DelList->hide();
    c_.ListInc->hide();
    c_.ListDec->hide();
    emit editorModeChanged(false);
    c_.SaveF->hide();
    c_.StaticText1->hide();
    storeShownList(model_.currentList());
    showList(model_.currentList());
    for (int k = 1; k <= MacroCount; ++k) {
        c_.Button[k]->show();
        c_.Edit[k]->hide();
    }
    saveLists();
}

void MacroPanel::storeEditedField(int k)
{
    if (k < 1 || k > MacroCount)
        return;
    model_.editCommand(k);
    model_.storeField(k, toCp1251(c_.Edit[k]->text()), shownDisplay());
}

void MacroPanel::saveClicked()
{
    c_.SaveF->setEnabled(false);
    saveLists();
    c_.SaveF->setEnabled(true);
}

bool MacroPanel::saveLists()
{
    storeShownList(model_.currentList());
    // Another window's lists are in the file: writing ours would undo its saved
    // edits. The edits stay in memory; the window stays open until "Нет".
    if (hooks_.mayWriteLists && !hooks_.mayWriteLists()) {
        reportError(trText("Макросы не сохранены: файлы этого каталога использует другое окно Comtrax"));
        return false;
    }
    const FileResult result = lists_.saveLists(hooks_.cmdConfigPath);
    if (!result) {
        reportError(result.error);
        return false;
    }
    return true;
}

void MacroPanel::openHelpEditor(int k)
{
    if (k < 1 || k > MacroCount)
        return;
    model_.editCommand(k);
    QLineEdit* field = c_.Edit[k];
    // The editor starts from the help area and the area becomes the macro's
    // help when it closes, so the area must hold this macro's help first,
    // whatever the pointer showed last; otherwise another text would replace
    // the macro's help.
    showMacroHelp(k);
    setBackgroundColour(field, clLime);
    storeShownList(model_.currentList());
    if (hooks_.editHelpModal)
        hooks_.editHelpModal();
    showList(model_.currentList());
    help_.storeMacroHelp(k);
    setBackgroundColour(field, clWindow);
}

bool MacroPanel::confirmClose(SavePromptAnswer answer)
{
    switch (answer) {
    case SavePromptAnswer::Yes:
        // A save that failed leaves the window open, so the changes are not lost.
        return saveLists();
    case SavePromptAnswer::No:
        return true;
    case SavePromptAnswer::Cancel:
        break;
    }
    return false;
}

bool MacroPanel::offerSaveOnClose(const std::function<SavePromptAnswer()>& ask)
{
    if (!editorMode() || !ask)
        return true;
    return confirmClose(ask());
}

void MacroPanel::reportError(const std::string& why)
{
    if (hooks_.error)
        hooks_.error(QString::fromStdString(why));
}

}  // namespace comtrax
