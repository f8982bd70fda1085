// The settings record and the controls: what is restored at start-up and
// collected at close.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>

#include "ui/colours.h"
#include "ui/terminal_window.h"
#include "ui/text_codec.h"

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
    const SettingsRecord& s = settings_;

    // The restored port becomes the selected entry, so the box shows the port
    // that Connect opens; a port that is not present leaves no selection.
    int port = -1;
    if (s.lastPort() != 0) {
        for (int i = 0; i < ui_.ComPort->count(); ++i)
            if (SettingsRecord::portHash(toCp1251(ui_.ComPort->itemText(i))) == s.lastPort()) {
                port = i;
                break;
            }
    }
    ui_.ComPort->setCurrentIndex(port);
    if (port < 0)
        ui_.ComPort->setEditText(QString());

    applyIndex(ui_.BaudRate, s.baudIndex());
    applyIndex(ui_.ComBits, s.bitsIndex());
    applyIndex(ui_.ComStopBits, s.stopBitsIndex());
    ui_.AutoConnect->setChecked(s.autoConnectOn() != 0);
    terminal_->setRxTimeoutMs(s.timeRxMs());
    ui_.FiltrLog->setText(fromCp1251(s.filterText()));
    displayFontSize_ = s.fontSize();
    setSchemeColours(s.backColor(), s.textColor());
    applyFontSize();
    ui_.VisTime->setChecked(s.showTime() != 0);
    switch (s.sendMode()) {
    case 1:
        ui_.RBManual->setChecked(true);
        break;
    case 2:
        ui_.RBSel->setChecked(true);
        break;
    case 3:
        ui_.RBAfterAns->setChecked(true);
        break;
    case 4:
        ui_.RBPeriod->setChecked(true);
        break;
    default:
        break;
    }
    switch (s.inputEncoding()) {
    case 1:
        ui_.RBASCII->setChecked(true);
        break;
    case 2:
        ui_.RBHEX->setChecked(true);
        break;
    default:
        break;
    }
    ui_.RBName->setChecked(s.showNames() != 0);
    ui_.RbData->setChecked((s.showNames() ^ 1) != 0);
    ui_.PeriodTX->setText(QString::number(s.periodMs()));
    ui_.SendAsReconn->setChecked(s.sendOnConnect() != 0);
    ui_.MainStrCmd->setText(fromCp1251(s.commandText()));
    ui_.AddStrCmd->setText(fromCp1251(s.suffixText()));
    if (!ui_.FiltrLog->text().isEmpty())
        setBackgroundColour(ui_.FiltrLog, clWindow);
    updateTimeOutAns(false);
    scheduleRx();
    schedulePeriod();
}

void TerminalWindow::saveSettings()
{
    SettingsRecord& s = settings_;
    // A run that opened no port keeps the port of the run before.
    if (!terminal_->portName().empty())
        s.setLastPort(SettingsRecord::portHash(terminal_->portName()));
    s.setBaudIndex(indexByte(ui_.BaudRate));
    s.setBitsIndex(indexByte(ui_.ComBits));
    s.setStopBitsIndex(indexByte(ui_.ComStopBits));
    s.setAutoConnectOn(ui_.AutoConnect->isChecked() ? 1 : 0);
    s.setTimeRxMs(terminal_->rxTimeoutMs());
    s.setFilterText(toCp1251(ui_.FiltrLog->text()).substr(0, 250));
    s.setFontSize(displayFontSize_);
    s.setBackColor(backgroundColour(ui_.MainStrCmd));
    s.setTextColor(textColour(ui_.MainStrCmd));
    s.setShowTime(ui_.VisTime->isChecked() ? 1 : 0);
    if (ui_.RBManual->isChecked())
        s.setSendMode(1);
    else if (ui_.RBSel->isChecked())
        s.setSendMode(2);
    else if (ui_.RBAfterAns->isChecked())
        s.setSendMode(3);
    else if (ui_.RBPeriod->isChecked())
        s.setSendMode(4);
    if (ui_.RBASCII->isChecked())
        s.setInputEncoding(1);
    else if (ui_.RBHEX->isChecked())
        s.setInputEncoding(2);
    s.setPeriodMs(periodFromText(toCp1251(ui_.PeriodTX->text())));
    s.setSendOnConnect(ui_.SendAsReconn->isChecked() ? 1 : 0);
    s.setCommandText(toCp1251(ui_.MainStrCmd->text()).substr(0, 250));
    s.setSuffixText(toCp1251(ui_.AddStrCmd->text()).substr(0, 250));
    s.setShowNames(ui_.RBName->isChecked() ? 1 : 0);
}

}  // namespace comtrax
