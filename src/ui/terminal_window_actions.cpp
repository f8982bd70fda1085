// What the main window's own controls do: most hand over to the panel of
// their band; the command-file view, which spans the command band and the
// macro grid, is the window's own.
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "ui/click_label.h"
#include "ui/command_band.h"
#include "ui/log_view.h"
#include "ui/macro_panel.h"
#include "ui/options_band.h"
#include "ui/shown_text.h"
#include "ui/terminal_timers.h"
#include "ui/terminal_window.h"
#include "ui/text_codec.h"
#include "ui/top_bar.h"

namespace comtrax {

void TerminalWindow::toggleConnection()
{
    topBar_->toggleConnection();
}

void TerminalWindow::rescanPorts()
{
    topBar_->rescanPorts();
}

void TerminalWindow::toggleLogFile()
{
    topBar_->toggleLogFile();
}

void TerminalWindow::stepTimeout(bool up)
{
    topBar_->stepTimeout(up);
}

void TerminalWindow::nextColourScheme()
{
    topBar_->nextColourScheme();
}

void TerminalWindow::changeFontSize(bool up)
{
    topBar_->changeFontSize(up);
}

int32_t TerminalWindow::displayFontSize() const
{
    return topBar_->fontSize();
}

void TerminalWindow::setDisplayFontSize(int32_t points)
{
    topBar_->setFontSize(points);
}

void TerminalWindow::clearLog()
{
    logView_->clear();
}

void TerminalWindow::toggleFreeze()
{
    logView_->toggleFreeze();
}

void TerminalWindow::showAbout()
{
    env_.dialogs->about();
}

void TerminalWindow::resetStatistics()
{
    options_->resetStatistics();
}

void TerminalWindow::sendCommandLine()
{
    terminal_->send(toCp1251(ui_.MainStrCmd->text()));
}

void TerminalWindow::refillHistoryDropDown()
{
    commandBand_->refillHistory();
}

void TerminalWindow::startFileSending()
{
    terminal_->startFileSending();
    timers_->schedulePeriod();
}

// ---- The command-file view --------------------------------------------------------

void TerminalWindow::toggleFileView()
{
    if (!fileViewOpen_) {
        const QString name = env_.dialogs->openFileName();
        if (name.isEmpty())
            return;
        fileViewOpen_ = true;
        ui_.ButtonReadFile->setText(QStringLiteral("Назад"));
        ui_.CBLists->hide();
        ui_.STListName->setToolTip(QString());
        ui_.STListName->resize(ui_.STListName->x() + ui_.ButtonReadFile->x() - 20, ui_.STListName->height());
        ui_.CiklSend->show();
        const SendMode mode = terminal_->options().sendMode;
        ui_.CiklSend->setEnabled(mode == SendMode::AfterAnswer || mode == SendMode::Period);
        showText(ui_.STListName, name);
        ui_.STListName->show();
        ui_.OldCmdList->clear();
        ui_.OldCmdList->show();
        ui_.OldCmdList->raise();
        ui_.OldCmdList->setEnabled(true);
        ui_.EditAllCmd->hide();
        ui_.SendStart->show();
        ui_.RBName->hide();
        ui_.RbData->hide();
        terminal_->loadCommandFile(QFile::encodeName(name).toStdString());
        for (const std::string& line : terminal_->fileLines())
            ui_.OldCmdList->addItem(shownText(fromCp1251(line)));
    } else {
        fileViewOpen_ = false;
        ui_.ButtonReadFile->setText(QStringLiteral("Из файла"));
        terminal_->leaveCommandFile();
        showText(ui_.STListName, fromCp1251(cmdLists_.listName(macros_->currentList())));
        ui_.STListName->setToolTip(QStringLiteral("Список откроется по двойному клику"));
        ui_.OldCmdList->clear();
        ui_.CiklSend->hide();
        ui_.OldCmdList->hide();
        ui_.STListName->hide();
        ui_.SendStart->hide();
        ui_.EditAllCmd->show();
        ui_.CBLists->show();
        ui_.RBName->show();
        ui_.RbData->show();
    }
    timers_->schedulePeriod();
}

void TerminalWindow::fileLineClicked(int row)
{
    const auto& lines = terminal_->fileLines();
    if (row < 0 || static_cast<std::size_t>(row) >= lines.size())
        return;
    ui_.OldCmdList->setEnabled(false);
    macros_->setSelectedCommand(lines[static_cast<std::size_t>(row)]);
    if (terminal_->options().sendMode == SendMode::OnSelect)
        terminal_->send(macros_->selectedCommand());
    else
        ui_.MainStrCmd->setText(fromCp1251(macros_->selectedCommand()));
    ui_.OldCmdList->setEnabled(true);
    ui_.MainStrCmd->setFocus();
}

}  // namespace comtrax
