// The command line's choices: applied once the stored settings are, so that
// they win for this run (and are saved at close like a choice made by hand).
#include <QComboBox>

#include "common/texts.h"
#include "ui/panels/line_options_menu.h"
#include "ui/window/terminal_window.h"
#include "ui/panels/top_bar.h"

namespace comtrax {

namespace {

// Selects the entry with the given text; false when the list has none.
bool selectEntry(QComboBox* box, const QString& text)
{
    const int i = box->findText(text, Qt::MatchExactly);
    if (i >= 0)
        box->setCurrentIndex(i);
    return i >= 0;
}

}  // namespace

void TerminalWindow::applyStartOptions()
{
    if (env_.startPort) {
        // A port the scan does not list (a link in the user's own directory)
        // is offered as given; ReScan replaces the list as usual.
        topBar_->selectPort(TopBar::portText(*env_.startPort));
    }
    // A rate the list does not hold is used as typed, as in the box itself.
    if (env_.startBaud && !selectEntry(ui_.BaudRate, QString::number(*env_.startBaud))) {
        ui_.BaudRate->setCurrentIndex(-1);
        ui_.BaudRate->setEditText(QString::number(*env_.startBaud));
    }
    if (env_.startDataBits)
        selectEntry(ui_.ComBits, QString::number(*env_.startDataBits));
    if (env_.startStopBitsIndex && *env_.startStopBitsIndex < ui_.ComStopBits->count())
        ui_.ComStopBits->setCurrentIndex(*env_.startStopBitsIndex);
    if (env_.startParity || env_.startFlow) {
        LineOptions line = topBar_->lineOptions().options();
        if (env_.startParity)
            line.parity = *env_.startParity;
        if (env_.startFlow)
            line.flow = *env_.startFlow;
        topBar_->lineOptions().setOptions(line);
    }
    if (env_.connectAtStart && !terminal_->portOpen())
        toggleConnection();
}

}  // namespace comtrax
