// The main window's own controls: connection, sending, the two input fields and
// their drop-downs, the command-file view, the log controls and appearance.
#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QTimer>

#include "log/log_file.h"
#include "ui/click_label.h"
#include "terminal/appearance.h"
#include "ui/colours.h"
#include "ui/command_band.h"
#include "ui/log_view.h"
#include "ui/macro_panel.h"
#include "ui/terminal_window.h"
#include "ui/shown_text.h"
#include "ui/text_codec.h"
#include "ui/up_down.h"

namespace comtrax {

namespace {

// The entry of an editable box that its text names, or "" when the text is
// not one of the entries: a value typed by hand is not a selection.
QString selectedEntry(const QComboBox* box)
{
    const int i = box->findText(box->currentText(), Qt::MatchExactly);
    return i >= 0 ? box->itemText(i) : QString();
}

int selectedIndex(const QComboBox* box)
{
    return box->findText(box->currentText(), Qt::MatchExactly);
}

}  // namespace

void TerminalWindow::wireControls()
{
    TerminalOptions& o = terminal_->options();

    // Keep the core's view of the options in step with the controls.
    connect(ui_.MainStrCmd, &QLineEdit::textChanged, this,
            [this](const QString& t) { terminal_->options().commandText = toCp1251(t); });
    connect(ui_.AddStrCmd, &QLineEdit::textChanged, this,
            [this](const QString& t) { terminal_->options().suffix = toCp1251(t); });
    connect(ui_.FiltrLog, &QLineEdit::textChanged, this,
            [this](const QString& t) { terminal_->options().filter = toCp1251(t); });
    connect(ui_.PeriodTX, &QLineEdit::textChanged, this, [this](const QString& t) {
        terminal_->options().periodText = toCp1251(t);
        schedulePeriod();
    });
    connect(ui_.VisTime, &QCheckBox::toggled, this, [this](bool on) { terminal_->options().showTime = on; });
    connect(ui_.CiklSend, &QCheckBox::toggled, this, [this](bool on) {
        terminal_->options().cyclic = on;
        schedulePeriod();
        scheduleHousekeeping();
    });
    connect(ui_.SendAsReconn, &QCheckBox::toggled, this,
            [this](bool on) { terminal_->options().sendOnConnect = on; });
    connect(ui_.AutoConnect, &QCheckBox::toggled, this,
            [this](bool on) { terminal_->options().autoConnect = on; });
    o.commandText = toCp1251(ui_.MainStrCmd->text());
    o.suffix = toCp1251(ui_.AddStrCmd->text());
    o.filter = toCp1251(ui_.FiltrLog->text());
    o.periodText = toCp1251(ui_.PeriodTX->text());
    o.showTime = ui_.VisTime->isChecked();
    o.cyclic = ui_.CiklSend->isChecked();
    o.sendOnConnect = ui_.SendAsReconn->isChecked();
    o.autoConnect = ui_.AutoConnect->isChecked();
    o.hex = ui_.RBHEX->isChecked();

    // The period accepts digits only, typed or pasted.
    ui_.PeriodTX->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), ui_.PeriodTX));

    // Selecting a radio button, by the user or from code, runs its action.
    connect(ui_.RBASCII, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            encodingSelected(false);
    });
    connect(ui_.RBHEX, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            encodingSelected(true);
    });
    connect(ui_.RBManual, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            modeSelected(SendMode::Manual);
    });
    connect(ui_.RBSel, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            modeSelected(SendMode::OnSelect);
    });
    connect(ui_.RBAfterAns, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            modeSelected(SendMode::AfterAnswer);
    });
    connect(ui_.RBPeriod, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            modeSelected(SendMode::Period);
    });

    connect(ui_.BTConnect, &QPushButton::clicked, this, &TerminalWindow::toggleConnection);
    connect(ui_.BTRescan, &QPushButton::clicked, this, &TerminalWindow::rescanPorts);
    connect(ui_.ButtonSend, &QPushButton::clicked, this, &TerminalWindow::sendCommandLine);
    connect(ui_.StartLog, &QPushButton::clicked, this, &TerminalWindow::toggleLogFile);
    connect(ui_.BTLog, &QPushButton::clicked, this, &TerminalWindow::clearLog);
    connect(ui_.StartStop, &QPushButton::clicked, this, &TerminalWindow::toggleFreeze);
    connect(ui_.BTPalitra, &QPushButton::clicked, this, &TerminalWindow::nextColourScheme);
    connect(ui_.BtInfo, &QPushButton::clicked, this, &TerminalWindow::showAbout);
    connect(ui_.BTClrStat, &QPushButton::clicked, this, &TerminalWindow::resetStatistics);
    connect(ui_.ButtonReadFile, &QPushButton::clicked, this, &TerminalWindow::toggleFileView);
    connect(ui_.SendStart, &QPushButton::clicked, this, &TerminalWindow::startFileSending);
    connect(ui_.TimeOutRx, &UpDown::upClicked, this, [this] { stepTimeout(true); });
    connect(ui_.TimeOutRx, &UpDown::downClicked, this, [this] { stepTimeout(false); });
    connect(ui_.Srift, &UpDown::upClicked, this, [this] { changeFontSize(true); });
    connect(ui_.Srift, &UpDown::downClicked, this, [this] { changeFontSize(false); });
    commandBand_ = new CommandBand(
        ui_,
        CommandBand::Hooks{[this](const std::string& line) { terminal_->send(line); },
                           [this] { return terminal_->historyLines(); }},
        this);
    connect(ui_.OldCmdList, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { fileLineClicked(ui_.OldCmdList->row(item)); });

    ui_.FiltrLog->installEventFilter(this);
}

// ---- The filter field's colour -------------------------------------------------

bool TerminalWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui_.FiltrLog) {
        if (event->type() == QEvent::FocusOut)
            updateFiltrColour(false);
        else if (event->type() == QEvent::MouseButtonPress)
            updateFiltrColour(true);
    }
    return QWidget::eventFilter(watched, event);
}

void TerminalWindow::refillHistoryDropDown()
{
    commandBand_->refillHistory();
}

// ---- Connection ---------------------------------------------------------------

PortParameters TerminalWindow::portParameters() const
{
    PortParameters p;
    p.portName = toCp1251(selectedEntry(ui_.ComPort));
    p.baudText = toCp1251(selectedEntry(ui_.BaudRate));
    p.bitsText = toCp1251(selectedEntry(ui_.ComBits));
    p.stopIndex = selectedIndex(ui_.ComStopBits);
    return p;
}

void TerminalWindow::applyPortChoice(const PortChoice& choice)
{
    ui_.ComPort->clear();
    for (const std::string& name : choice.names)
        ui_.ComPort->addItem(fromCp1251(name));
    ui_.ComPort->setCurrentIndex(choice.selected);
    if (choice.selected < 0)
        ui_.ComPort->setEditText(QString());
}

void TerminalWindow::toggleConnection()
{
    ui_.BTConnect->setEnabled(false);
    terminal_->toggleConnection(portParameters());
    refreshConnectionControls();
    ui_.BTConnect->setEnabled(true);
}

void TerminalWindow::rescanPorts()
{
    applyPortChoice(terminal_->scanPorts(false));
}

void TerminalWindow::refreshConnectionControls()
{
    const bool connected = terminal_->connected();
    ui_.BTConnect->setText(connected ? QStringLiteral("Disconnect") : QStringLiteral("Connect"));
    for (QWidget* w : {static_cast<QWidget*>(ui_.ComPort), static_cast<QWidget*>(ui_.BaudRate),
                       static_cast<QWidget*>(ui_.BTRescan), static_cast<QWidget*>(ui_.ComBits),
                       static_cast<QWidget*>(ui_.ComStopBits)})
        w->setEnabled(!connected);
    if (backgroundColour(ui_.ComPort) != terminal_->indicatorColour()) {
        setBackgroundColour(ui_.ComPort, terminal_->indicatorColour());
        // While connected the box is disabled, and the style's pale disabled
        // text is hard to read on lime or yellow: the port name stays dark.
        QPalette p = ui_.ComPort->palette();
        for (const QPalette::ColorRole role : {QPalette::Text, QPalette::ButtonText, QPalette::WindowText})
            p.setColor(QPalette::Disabled, role, QColor(0x30, 0x30, 0x30));
        ui_.ComPort->setPalette(p);
    }
    // Until Connect is pressed the connection check has nothing to look at
    // (no port, and the indicator already in the window colour), so it sleeps.
    if (checkConnect_ && env_.startTimers) {
        if (!connected)
            checkConnect_->stop();
        else if (!checkConnect_->isActive())
            checkConnect_->start();
    }
    scheduleRx();
    schedulePeriod();
}

// ---- Sending ------------------------------------------------------------------

void TerminalWindow::sendCommandLine()
{
    terminal_->send(toCp1251(ui_.MainStrCmd->text()));
}

void TerminalWindow::encodingSelected(bool hex)
{
    terminal_->options().hex = hex;
    if (hex)
        ui_.AddStrCmd->clear();
    else
        ui_.AddStrCmd->setText(QStringLiteral("$0D"));
}

void TerminalWindow::modeSelected(SendMode mode)
{
    terminal_->selectMode(mode);
    ui_.SendStart->setEnabled(terminal_->sendStartEnabled());
    ui_.CiklSend->setEnabled(terminal_->cyclicEnabled());
    ui_.OldCmdList->setEnabled(true);
    schedulePeriod();
    scheduleHousekeeping();
}

void TerminalWindow::startFileSending()
{
    terminal_->startFileSending();
    schedulePeriod();
}

void TerminalWindow::toggleFileView()
{
    if (readFileTag_ == 0) {
        const QString name = env_.dialogs->openFileName();
        if (name.isEmpty())
            return;
        readFileTag_ = 1;
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
        readFileTag_ = 0;
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
    schedulePeriod();
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

// ---- Log display controls -------------------------------------------------------

void TerminalWindow::toggleLogFile()
{
    terminal_->toggleLogFile();
    logStateChanged();
}

void TerminalWindow::clearLog()
{
    logView_->clear();
}

void TerminalWindow::toggleFreeze()
{
    logView_->toggleFreeze();
}

void TerminalWindow::stepTimeout(bool up)
{
    terminal_->stepTimeout(up);
    updateTimeOutAns(true);
    scheduleRx();
}

// The read-out of the receive timeout; after an arrow any value but 0 is
// yellow, while a restored value turns it yellow only when positive.
void TerminalWindow::updateTimeOutAns(bool fromArrows)
{
    const int32_t v = terminal_->rxTimeoutMs();
    ui_.TimeOutAns->setText(QStringLiteral("TimeRX: %1").arg(v));
    if (const auto colour = timeoutReadoutColour(v, fromArrows))
        setBackgroundColour(ui_.TimeOutAns, *colour);
}

void TerminalWindow::updateFiltrColour(bool clicked)
{
    if (clicked || !ui_.FiltrLog->text().isEmpty())
        setBackgroundColour(ui_.FiltrLog, clWindow);
    else
        setBackgroundColour(ui_.FiltrLog, clBtnFace);
}

void TerminalWindow::resetStatistics()
{
    terminal_->resetStatistics();
}

// ---- Appearance ------------------------------------------------------------------

void TerminalWindow::setSchemeColours(uint32_t back, uint32_t text)
{
    QWidget* scheme[] = {ui_.MainStrCmd, ui_.FastOldCmd, ui_.AddStrCmd,
                         ui_.OldCmdList, ui_.LBTail,     ui_.MainWindow};
    for (QWidget* w : scheme)
        setBackgroundColour(w, back);
    for (QWidget* w : scheme)
        setTextColour(w, text);
}

void TerminalWindow::nextColourScheme()
{
    colourScheme_ = comtrax::nextColourScheme(colourScheme_);
    const ColourScheme& scheme = ColourSchemes[static_cast<std::size_t>(colourScheme_)];
    setSchemeColours(scheme.back, scheme.text);
}

void TerminalWindow::applyFontSize()
{
    // A stored size the toolkit cannot draw is drawn at the nearest size it can;
    // the value itself is kept and saved as it is.
    logView_->setFontSize(std::clamp<int32_t>(displayFontSize_, 1, MaxFontSize));
}

void TerminalWindow::changeFontSize(bool up)
{
    displayFontSize_ = stepFontSize(displayFontSize_, up);
    applyFontSize();
}

void TerminalWindow::showAbout()
{
    env_.dialogs->about();
}

}  // namespace comtrax
