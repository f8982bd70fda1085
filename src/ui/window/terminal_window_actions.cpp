// What the main window's controls do, as tests press them: each hands over to
// the panel of its band.
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "ui/kit/click_label.h"
#include "ui/panels/command_band.h"
#include "ui/panels/command_file_view.h"
#include "ui/logview/log_view.h"
#include "ui/panels/macro_panel.h"
#include "ui/panels/options_band.h"
#include "ui/kit/shown_text.h"
#include "ui/window/terminal_timers.h"
#include "ui/window/terminal_window.h"
#include "ui/kit/text_codec.h"
#include "ui/panels/top_bar.h"

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

void TerminalWindow::toggleFileView()
{
    fileView_->toggle();
}

void TerminalWindow::fileLineClicked(int row)
{
    fileView_->lineClicked(row);
}

}  // namespace comtrax
