#include "ui/panels/port_controls.h"

#include <QComboBox>
#include <QKeySequence>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>
#include <QWidget>

#include "serial/usb_latency_timer.h"
#include "terminal/terminal.h"
#include "ui/panels/line_options_menu.h"
#include "ui/panels/line_state_strip.h"
#include "ui/panels/telnet_port_name.h"
#include "ui/dialogs/port_settings_dialog.h"
#include "ui/kit/translation.h"

namespace comtrax {

namespace {

constexpr int StripLeft = 12;    // under the command line's left edge
constexpr int StripWidth = 470;  // room for a device server's baud after the lamps
constexpr int ButtonWidth = 130;
constexpr int BandsRight = 4;  // the bands' right margin in the window

}  // namespace

PortControls::PortControls(QWidget* form, Terminal& terminal, LineOptionsMenu& menu, bool startTimers)
    : QObject(form), form_(form), terminal_(terminal), menu_(menu), startTimers_(startTimers)
{
    strip_ = new LineStateStrip(form_);
    strip_->hide();
    connect(strip_, &LineStateStrip::dtrClicked, this, [this](bool on) {
        terminal_.setDtr(on);
        pollLines();
    });
    connect(strip_, &LineStateStrip::rtsClicked, this, [this](bool on) {
        terminal_.setRts(on);
        pollLines();
    });
    connect(strip_, &LineStateStrip::resetPulseRequested, this, &PortControls::resetPulse);
    connect(strip_, &LineStateStrip::breakRequested, this, &PortControls::sendBreak);
    connect(strip_, &LineStateStrip::settingsRequested, this, &PortControls::openDialog);

    button_ = new QToolButton(form_);
    button_->setObjectName(QStringLiteral("PortSettingsButton"));
    button_->setText(uiText("Параметры порта…"));
    button_->setToolTip(
        uiText("Чётность, управление потоком, DTR и RTS, сброс импульсом, Break (Ctrl+Shift+P)"));
    button_->setAutoRaise(true);
    button_->setFocusPolicy(Qt::NoFocus);
    QFont small = button_->font();
    small.setPixelSize(10);
    button_->setFont(small);
    connect(button_, &QToolButton::clicked, this, &PortControls::openDialog);

    auto* shortcut = new QShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+P")), form_);
    connect(shortcut, &QShortcut::activated, this, &PortControls::openDialog);
    connect(&menu_, &LineOptionsMenu::settingsRequested, this, &PortControls::openDialog);
    connect(&menu_, &LineOptionsMenu::optionsChosen, this, [this] {
        if (dialog_)
            dialog_->setLineOptions(menu_.options());
    });

    poll_ = new QTimer(this);
    poll_->setInterval(PollMs);
    connect(poll_, &QTimer::timeout, this, &PortControls::pollLines);
    place();
}

bool PortControls::polling() const
{
    return poll_->isActive();
}

void PortControls::place()
{
    const int top = form_->height() - MarginHeight + 1;
    strip_->setGeometry(StripLeft, top, StripWidth, MarginHeight - 1);
    button_->setGeometry(form_->width() - BandsRight - ButtonWidth, top, ButtonWidth, MarginHeight - 1);
}

void PortControls::connectionChanged()
{
    // Called every second by the connection check too: only a change acts.
    const bool open = terminal_.portOpen();
    if (open != strip_->isVisible()) {
        strip_->setVisible(open);
        linesUnknown_ = false;
        if (open)
            pollLines();
    }
    // The lines are read only while there are lines to read.
    if (open && startTimers_ && !linesUnknown_ && !poll_->isActive())
        poll_->start();
    else if (!open && poll_->isActive())
        poll_->stop();
    if (dialog_) {
        dialog_->setConnected(open);
        // Read again while shown: root may lower it meanwhile.
        if (dialog_->isVisible())
            dialog_->setUsbLatencyTimer(usbLatencyTimerMs(terminal_.portName()));
    }
}

void PortControls::pollLines()
{
    const ModemLines lines = terminal_.modemLines();
    strip_->showLines(terminal_.dtr(), terminal_.rts(), terminal_.rtsOwnedByDriver(), lines);
    // A device that cannot tell its lines (a pty) never will: no more reads
    // until the next connection.
    if (!lines.valid && !lines.later && terminal_.portOpen()) {
        linesUnknown_ = true;
        poll_->stop();
    }
}

void PortControls::resetPulse()
{
    terminal_.pulseReset();
    pollLines();
}

void PortControls::sendBreak()
{
    terminal_.sendBreak();
}

void PortControls::load(const LineSettings& s)
{
    terminal_.setModemSettings(s.modem);
    if (dialog_)
        dialog_->setModemSettings(terminal_.modemSettings());
}

void PortControls::store(LineSettings& s) const
{
    s.modem = terminal_.modemSettings();
}

void PortControls::openDialog()
{
    if (!dialog_) {
        dialog_ = new PortSettingsDialog(form_);
        connect(dialog_, &PortSettingsDialog::lineOptionsChanged, this,
                [this] { menu_.setOptions(dialog_->lineOptions()); });
        connect(dialog_, &PortSettingsDialog::modemSettingsChanged, this,
                [this] { terminal_.setModemSettings(dialog_->modemSettings()); });
        connect(dialog_, &PortSettingsDialog::resetPulseRequested, this, &PortControls::resetPulse);
        connect(dialog_, &PortSettingsDialog::breakRequested, this, &PortControls::sendBreak);
        connect(dialog_, &PortSettingsDialog::noWaitChanged, this, &PortControls::applyNoWait);
        if (auto* box = portBox())
            connect(box, &QComboBox::currentTextChanged, this, &PortControls::showTelnetPort);
    }
    showDialogState();
    dialog_->show();
    dialog_->raise();
    dialog_->activateWindow();
}

void PortControls::showDialogState()
{
    dialog_->setLineOptions(menu_.options());
    dialog_->setModemSettings(terminal_.modemSettings());
    dialog_->setConnected(terminal_.portOpen());
    dialog_->setUsbLatencyTimer(usbLatencyTimerMs(terminal_.portName()));
    showTelnetPort();
}

QComboBox* PortControls::portBox() const
{
    return qobject_cast<QComboBox*>(menu_.portBox());
}

void PortControls::showTelnetPort()
{
    const QString name = portBox() ? portBox()->currentText() : QString();
    dialog_->setTelnetPort(isRfc2217PortName(name), hasNoWait(name));
}

// The choice is the port's name: it reaches the port at the next connect and
// stays with the name among the recent network ports.
void PortControls::applyNoWait()
{
    if (auto* box = portBox())
        box->setEditText(withNoWait(box->currentText(), dialog_->noWait()));
}

}  // namespace comtrax
