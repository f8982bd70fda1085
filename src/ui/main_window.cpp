#include "ui/main_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include "app/help_texts.h"
#include "serial/qt_serial_port.h"
#include "ui/colours.h"
#include "ui/help_hover.h"
#include "ui/macro_panel.h"
#include "ui/qt_dialog_service.h"
#include "ui/text_codec.h"
#include "ui/window_layout_apply.h"

namespace comtrax {

namespace {

constexpr int ClientWidth = 951;
constexpr int ClientHeight = 763;

}  // namespace

TForm1::TForm1() : QWidget(nullptr)
{
    WindowEnvironment env;
    ownedPort_ = std::make_unique<QtSerialPort>();
    ownedLister_ = std::make_unique<QtPortLister>();
    ownedClock_ = std::make_unique<SystemClock>();
    env.port = ownedPort_.get();
    env.lister = ownedLister_.get();
    env.clock = ownedClock_.get();
    init(env);
}

TForm1::TForm1(const WindowEnvironment& env) : QWidget(nullptr)
{
    init(env);
}

TForm1::~TForm1() = default;

std::string TForm1::path(const char* name) const
{
    return env_.directory + "/" + name;
}

void TForm1::init(const WindowEnvironment& env)
{
    env_ = env;
    setWindowTitle(QStringLiteral("Comtrax v1.06"));
    resize(ClientWidth, ClientHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect avail = screen->availableGeometry();
        move(avail.center() - QPoint(ClientWidth / 2, ClientHeight / 2));
    }

    buildMainWindowControls(this, ui_);

    Terminal::Setup setup{*env_.port, *env_.lister, *env_.clock, *this, env_.directory,
                          [this](int ms) { pauseProgram(ms); }};
    terminal_ = std::make_unique<Terminal>(setup);

    MacroPanelHooks hooks;
    hooks.send = [this](const std::string& line) { terminal_->SendPortData(line); };
    hooks.onSelectMode = [this] { return terminal_->options().sendMode == SendMode::OnSelect; };
    hooks.fileMode = [this] { return terminal_->scheduler().fileMode(); };
    hooks.editHelpModal = [this] { env_.dialogs->editMacroHelp(); };
    hooks.error = [this](const QString& text) { env_.dialogs->error(text); };
    hooks.cmdConfigPath = path("CmdConfig");
    macros_ = new MacroPanel(ui_, cmdLists_, hooks, this);

    hover_ = new HelpHover(ui_, [this](int k) { macros_->ButtonCmdHelp(k); }, this);
    hover_->install();

    // The program's own dialogs come after the main window's start-up, in their
    // order; widget tests bring a recorder instead.
    if (!env_.dialogs) {
        ownedDialogs_ = std::make_unique<QtDialogService>(this, macros_);
        env_.dialogs = ownedDialogs_.get();
    }

    wireControls();
    StartUp();
    if (ownedDialogs_)
        static_cast<QtDialogService*>(ownedDialogs_.get())->createWindows();

    rxTimer_ = new QTimer(this);
    rxTimer_->setTimerType(Qt::PreciseTimer);
    rxTimer_->setInterval(1);
    connect(rxTimer_, &QTimer::timeout, this, &TForm1::RxTimerTimer);
    housekeeping_ = new QTimer(this);
    housekeeping_->setInterval(10);
    connect(housekeeping_, &QTimer::timeout, this, &TForm1::HousekeepingTick);
    checkConnect_ = new QTimer(this);
    checkConnect_->setInterval(1000);
    connect(checkConnect_, &QTimer::timeout, this, &TForm1::CheckConnectTimer);
    timerPeriod_ = new QTimer(this);
    timerPeriod_->setTimerType(Qt::PreciseTimer);
    timerPeriod_->setInterval(1);
    connect(timerPeriod_, &QTimer::timeout, this, &TForm1::TimerPeriodTimer);
    if (env_.startTimers) {
        housekeeping_->start();
        checkConnect_->start();
        scheduleRx();
        schedulePeriod();
    }
}

// The pause after a reconnection: the program stands still, as the device
// may need a moment after it comes back.
void TForm1::pauseProgram(int ms)
{
    if (env_.sleep)
        env_.sleep(ms);
    else
        QThread::msleep(static_cast<unsigned long>(ms));
}

void TForm1::StartUp()
{
    // Statistics and their labels.
    ui_.MinTimeWait->setText(QStringLiteral("MIN_T_W:  NA"));
    ui_.MaxTimeWait->setText(QStringLiteral("MAX_T_W: NA"));
    ui_.LRead->setText(QStringLiteral("Read: 0"));
    ui_.LSend->setText(QStringLiteral("Send: 0"));

    initialLayout_ = captureInitialLayout(ui_);
    layoutCaptured_ = true;

    setBackgroundColour(ui_.FiltrLog, clBtnFace);
    terminal_->receiver().setRxTimeoutMs(0);
    DisplayFontSize = ui_.MainWindow->font().pointSize();
    ui_.MainWindow->clear();
    for (QWidget* w : {static_cast<QWidget*>(ui_.MainWindow), static_cast<QWidget*>(ui_.MainStrCmd),
                       static_cast<QWidget*>(ui_.AddStrCmd), static_cast<QWidget*>(ui_.FastOldCmd)})
        setBackgroundColour(w, clBtnFace);
    setBackgroundColour(ui_.LBTail, clBtnFace);
    setBackgroundColour(ui_.CBLists, clBtnFace);
    CloseVetoed = false;
    ui_.BTConnect->setFocus();
    updateTimeOutAns(false);

    // The command lists; a damaged or missing file is rebuilt and said so.
    const CmdLists::LoadResult lists = cmdLists_.LoadCmdConfig(path("CmdConfig"));
    if (lists.rebuilt)
        showMessage("Проблема с файлом конфигурации, он будет перезаписан");
    if (!lists.io) {
        showError(lists.io.error);
        return;
    }
    macros_->showFirstList();
    macros_->wire();

    const FileResult history = terminal_->history().load(terminal_->historyPath());
    if (!history) {
        showError(history.error);
        return;
    }
    historyLoaded_ = true;
    ReadOldCmd();

    applyPortChoice(terminal_->access().scanPorts(true));
    terminal_->access().setPortOpenFlag(false);

    setHelpLines(ui_, OutHelpHelp());

    settingsReached_ = true;
    LoadSettings();
}

bool TForm1::ShutDown()
{
    // Unsaved macro edits are offered for saving rather than lost silently.
    if (macros_->editorMode()) {
        switch (env_.dialogs->askSaveMacros()) {
        case SavePromptAnswer::Yes:
            macros_->SaveCmdConfig();
            break;
        case SavePromptAnswer::No:
            break;
        case SavePromptAnswer::Cancel:
            CloseVetoed = true;
            break;
        }
    }
    if (CloseVetoed) {
        CloseVetoed = false;
        return false;
    }
    if (historyLoaded_) {
        const FileResult r = terminal_->history().saveIfPresent(terminal_->historyPath());
        if (!r) {
            showError(r.error);
            return false;
        }
    }
    terminal_->logFile().close();
    if (settingsReached_) {
        SaveSettings();
        const FileResult r = saveSettingsFile(path("CfgTerminal"), settings_);
        if (!r) {
            showError(r.error);
            return false;
        }
    }
    CloseVetoed = false;
    return true;
}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (ShutDown()) {
        if (rxTimer_) {
            rxTimer_->stop();
            housekeeping_->stop();
            checkConnect_->stop();
            timerPeriod_->stop();
        }
        event->accept();
    } else {
        event->ignore();
    }
}

void TForm1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (layoutCaptured_)
        applyWindowLayout(ui_, initialLayout_, size(), terminal_->scheduler().fileMode());
}

// ---- TerminalView ---------------------------------------------------------

void TForm1::addLogLine(const std::string& line)
{
    // A received CR always comes as CR LF; each pair is one line break, and the
    // CR that ends a packet ends its line rather than adding an empty one.
    QString text = fromCp1251(line);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (text.endsWith(QLatin1Char('\r')))
        text.chop(1);
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    ui_.MainWindow->appendPlainText(text);
}

void TForm1::setByteTotals(const std::string& text)
{
    ui_.StaticText3->setText(fromUtf8(text));
}

void TForm1::setSentCount(const std::string& text)
{
    ui_.LSend->setText(fromUtf8(text));
}

void TForm1::setReadCount(const std::string& text)
{
    ui_.LRead->setText(fromUtf8(text));
}

void TForm1::setGaps(const std::string& minText, const std::string& maxText)
{
    ui_.MinTimeWait->setText(fromUtf8(minText));
    ui_.MaxTimeWait->setText(fromUtf8(maxText));
}

void TForm1::showMessage(const std::string& text)
{
    env_.dialogs->message(fromUtf8(text));
}

void TForm1::showError(const std::string& text)
{
    env_.dialogs->error(fromUtf8(text));
}

void TForm1::showNoPortWindow()
{
    env_.dialogs->noPortWindow();
}

void TForm1::setPeriodTimerEnabled(bool)
{
    schedulePeriod();
}

void TForm1::logStateChanged()
{
    const LogFile& log = terminal_->logFile();
    ui_.StartLog->setText(fromUtf8(log.caption()));
    if (!log.status().empty())
        ui_.STLog->setText(fromUtf8(log.status()));
}

// ---- Timers -----------------------------------------------------------------

void TForm1::RxTimerTimer()
{
    terminal_->receiver().RxTimerTimer();
    scheduleRx();
}

void TForm1::TimerPeriodTimer()
{
    terminal_->scheduler().TimerPeriodTimer();
    schedulePeriod();
}

bool TForm1::isTimerPeriodActive() const
{
    return terminal_->scheduler().periodTimerEnabled();
}

void TForm1::HousekeepingTick()
{
    ui_.FastOldCmd->resize(ui_.MainStrCmd->width(), ui_.FastOldCmd->height());
    if (ui_.MainWindow->document()->blockCount() > 5000)
        ui_.MainWindow->clear();
    const QString now = fromUtf8(formatLongTime(env_.clock->now()));
    if (ui_.TextTime->text() != now)
        ui_.TextTime->setText(now);
    terminal_->scheduler().HousekeepingTick();
}

void TForm1::CheckConnectTimer()
{
    const TerminalOptions& o = terminal_->options();
    terminal_->connection().checkConnectTimer(portParameters(), o.autoConnect, o.sendOnConnect);
    refreshConnectionControls();
}

// The receive poll runs every millisecond while the port is open; with the port
// closed it has nothing to do and sleeps.
void TForm1::scheduleRx()
{
    if (!rxTimer_ || !env_.startTimers)
        return;
    const bool open = terminal_->access().portOpen();
    if (open && !rxTimer_->isActive())
        rxTimer_->start();
    else if (!open && rxTimer_->isActive())
        rxTimer_->stop();
}

void TForm1::schedulePeriod()
{
    if (!timerPeriod_ || !env_.startTimers)
        return;
    const bool on = terminal_->scheduler().periodTimerEnabled();
    if (on && !timerPeriod_->isActive())
        timerPeriod_->start();
    else if (!on && timerPeriod_->isActive())
        timerPeriod_->stop();
}

}  // namespace comtrax
