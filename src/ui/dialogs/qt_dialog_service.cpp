#include "ui/dialogs/qt_dialog_service.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include "ui/dialogs/about_dialog.h"
#include "ui/dialogs/macro_help_editor.h"
#include "ui/dialogs/no_port_dialog.h"
#include "ui/dialogs/save_macros_prompt.h"
#include "ui/kit/translation.h"

namespace comtrax {

QtDialogService::QtDialogService(QWidget* mainWindow, MacroEditorHost* editorHost)
    : main_(mainWindow), host_(editorHost)
{}

QtDialogService::~QtDialogService() = default;

void QtDialogService::createWindows()
{
    if (!editor_)
        editor_ = new MacroHelpEditor(host_, main_);
    if (!save_)
        save_ = new SaveMacrosPrompt(main_);
    if (!info_)
        info_ = new AboutDialog(main_);
    if (!noPort_)
        noPort_ = new NoPortDialog(main_);
}

void QtDialogService::message(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Comtrax"), text, QMessageBox::Ok, main_);
    // Messages carry file names and paths, which may look like markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void QtDialogService::error(const QString& text)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), text, QMessageBox::Ok, main_);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool QtDialogService::askYesNo(const QString& text)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Comtrax"), text,
                    QMessageBox::Yes | QMessageBox::No, main_);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::No);
    box.button(QMessageBox::Yes)->setText(uiText("Да"));
    box.button(QMessageBox::No)->setText(uiText("Нет"));
    return box.exec() == QMessageBox::Yes;
}

void QtDialogService::noPortWindow()
{
    createWindows();
    noPort_->exec();
}

QString QtDialogService::openFileName()
{
    return QFileDialog::getOpenFileName(main_);
}

SavePromptAnswer QtDialogService::askSaveMacros()
{
    createWindows();
    return save_->ask();
}

void QtDialogService::about()
{
    createWindows();
    info_->exec();
}

void QtDialogService::editMacroHelp()
{
    createWindows();
    editor_->exec();
}

}  // namespace comtrax
