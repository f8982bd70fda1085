// The settings record and the controls: what is restored at start-up and
// collected at close.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>

#include "ui/kit/colours.h"
#include "ui/panels/options_band.h"
#include "ui/window/terminal_timers.h"
#include "ui/panels/line_options_menu.h"
#include "ui/panels/port_controls.h"
#include "ui/panels/top_bar.h"
#include "ui/window/terminal_window.h"
#include "settings/window_settings.h"
#include "ui/kit/text_codec.h"

namespace comtrax {

namespace {

uint8_t indexByte(const QComboBox* box)
{
    const int i = box->findText(box->currentText(), Qt::MatchExactly);
    return i < 0 ? 255 : static_cast<uint8_t>(i);
}

// A stored index is applied as it stands; one past the list leaves no selection.
void applyIndex(QComboBox* box, uint8_t index)
{
    if (index < box->count())
        box->setCurrentIndex(index);
    else {
        box->setCurrentIndex(-1);
        box->setEditText(QString());
    }
}

}  // namespace

void TerminalWindow::loadSettings()
{
    const SettingsLoadResult r = loadSettingsFile(path("CfgTerminal"), settings_);
    // The user's settings are still in a file we could not read: writing the
    // built-in values over it at close would destroy them.
    settingsUnreadable_ = r.kind == SettingsLoad::Unreadable;
    if (r.kind == SettingsLoad::Failed || r.kind == SettingsLoad::Unreadable) {
        showError(r.io.error);
        return;
    }
    if (r.kind != SettingsLoad::Loaded) {
        if (!r.io)
            showError(r.io.error);
        return;
    }
    const WindowSettings s = readWindowSettings(settings_);

    // The restored port becomes the selected entry, so the box shows the port
    // that Connect opens; a port that is not present leaves no selection.
    topBar_->selectPortByHash(s.lastPort);

    applyIndex(ui_.BaudRate, s.baudIndex);
    applyIndex(ui_.ComBits, s.bitsIndex);
    applyIndex(ui_.ComStopBits, s.stopBitsIndex);
    ui_.AutoConnect->setChecked(s.autoConnect);
    terminal_->setRxTimeoutMs(s.rxTimeoutMs);
    ui_.FiltrLog->setText(fromCp1251(s.filter));
    topBar_->setSchemeColours(s.backColour, s.textColour);
    topBar_->setFontSize(s.fontSize);
    ui_.VisTime->setChecked(s.showTime);
    if (s.sendMode)
        options_->modeButton(*s.sendMode)->setChecked(true);
    if (s.hex)
        (*s.hex ? ui_.RBHEX : ui_.RBASCII)->setChecked(true);
    (s.showNames ? ui_.RBName : ui_.RbData)->setChecked(true);
    ui_.PeriodTX->setText(QString::number(s.periodMs));
    ui_.SendAsReconn->setChecked(s.sendOnConnect);
    ui_.MainStrCmd->setText(fromCp1251(s.commandText));
    ui_.AddStrCmd->setText(fromCp1251(s.suffixText));
    if (!ui_.FiltrLog->text().isEmpty())
        setBackgroundColour(ui_.FiltrLog, clWindow);
    topBar_->showTimeout(false);
    timers_->scheduleRx();
    timers_->schedulePeriod();
}

void TerminalWindow::saveSettings()
{
    WindowSettings s;
    s.baudIndex = indexByte(ui_.BaudRate);
    s.bitsIndex = indexByte(ui_.ComBits);
    s.stopBitsIndex = indexByte(ui_.ComStopBits);
    s.autoConnect = ui_.AutoConnect->isChecked();
    s.rxTimeoutMs = terminal_->rxTimeoutMs();
    s.filter = toCp1251(ui_.FiltrLog->text());
    s.fontSize = topBar_->fontSize();
    s.backColour = backgroundColour(ui_.MainStrCmd);
    s.textColour = textColour(ui_.MainStrCmd);
    s.showTime = ui_.VisTime->isChecked();
    s.sendMode = options_->checkedMode();
    if (ui_.RBASCII->isChecked() || ui_.RBHEX->isChecked())
        s.hex = ui_.RBHEX->isChecked();
    s.periodMs = periodFromText(toCp1251(ui_.PeriodTX->text()));
    s.sendOnConnect = ui_.SendAsReconn->isChecked();
    s.commandText = toCp1251(ui_.MainStrCmd->text());
    s.suffixText = toCp1251(ui_.AddStrCmd->text());
    s.showNames = ui_.RBName->isChecked();
    storeWindowSettings(s, terminal_->portName(), settings_);
}

void TerminalWindow::loadLineSettings()
{
    const LineSettingsLoad r = loadLineSettingsFile(path("CfgLine"));
    lineSettingsUnreadable_ = !r.io;
    if (!r.io) {
        showError(r.io.error);
        return;
    }
    lineSettings_ = r.settings;
    options_->setModbusCrcCheck(lineSettings_.checkModbusCrc);
    topBar_->lineOptions().setOptions(lineSettings_.line);
    portControls_->setModemSettings(lineSettings_.modem);
    // A typed rate stands where the record keeps "no selection".
    if (lineSettings_.typedBaud > 0 && ui_.BaudRate->currentIndex() < 0)
        ui_.BaudRate->setEditText(QString::number(lineSettings_.typedBaud));
}

void TerminalWindow::saveLineSettings()
{
    lineSettings_.checkModbusCrc = options_->modbusCrcCheck();
    lineSettings_.line = topBar_->lineOptions().options();
    lineSettings_.modem = terminal_->modem().settings();
    bool typed = false;
    const int baud = ui_.BaudRate->currentText().trimmed().toInt(&typed);
    lineSettings_.typedBaud = typed && baud > 0 && indexByte(ui_.BaudRate) == 255 ? baud : 0;
}

}  // namespace comtrax
