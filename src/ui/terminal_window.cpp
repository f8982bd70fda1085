#include "ui/terminal_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QRadioButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSocketNotifier>
#include <QThread>

#include <algorithm>
#include <QTimer>

#include "terminal/appearance.h"
#include "terminal/help_texts.h"
#include "ui/colours.h"
#include "ui/help_hover.h"
#include "ui/log_view.h"
#include "ui/macro_panel.h"
#include "ui/qt_dialog_service.h"
#include "ui/shown_text.h"
#include "ui/text_codec.h"
#include "ui/window_layout_apply.h"

namespace comtrax {

namespace {


}  // namespace

TerminalWindow::TerminalWindow(const WindowEnvironment& env) : QWidget(nullptr)
{
    init(env);
}

TerminalWindow::~TerminalWindow() = default;

std::string TerminalWindow::path(const char* name) const
{
    return env_.directory + "/" + name;
}

void TerminalWindow::init(const WindowEnvironment& env)
{
    env_ = env;
    setWindowTitle(QStringLiteral("Comtrax v1.06"));
    resize(DesignClientWidth, DesignClientHeight);
    // The controls are placed for this size and only grow from it; narrower,
    // they would overlap.
    setMinimumSize(DesignClientWidth, DesignClientHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect avail = screen->availableGeometry();
        move(avail.center() - QPoint(DesignClientWidth / 2, DesignClientHeight / 2));
    }

    buildMainWindowControls(this, ui_);
    // The macro buttons' tips are texts from the lists file; no tip of the
    // program, in this window or its dialogs, is ever taken for markup.
    if (QCoreApplication* app = QCoreApplication::instance())
        app->installEventFilter(new PlainToolTips(this));
    logView_ = new LogView(ui_.MainWindow, ui_.SecondWindow, ui_.StartStop, env_.startTimers, [this] {
        if (housekeeping_ && housekeeping_->remainingTime() > 10)
            scheduleHousekeeping();
    }, this);

    Terminal::Setup setup{*env_.port, *env_.lister,   *env_.clock,
                          *this,      env_.directory, [this](int ms) { pauseProgram(ms); }};
    terminal_ = std::make_unique<Terminal>(setup);

    MacroPanelHooks hooks;
    hooks.send = [this](const std::string& line) { terminal_->send(line); };
    hooks.onSelectMode = [this] { return terminal_->options().sendMode == SendMode::OnSelect; };
    hooks.fileMode = [this] { return terminal_->fileMode(); };
    hooks.editHelpModal = [this] { env_.dialogs->editMacroHelp(); };
    hooks.error = [this](const QString& text) { env_.dialogs->error(text); };
    hooks.mayWriteLists = [this] { return !keepOtherInstanceFiles_; };
    hooks.cmdConfigPath = path("CmdConfig");
    macros_ = new MacroPanel(ui_, cmdLists_, hooks, this);

    hover_ = new HelpHover(
        ui_, [this](int k) { macros_->showMacroHelp(k); }, this);
    hover_->install();

    // The program's own dialogs come after the main window's start-up, in their
    // order; widget tests bring a recorder instead.
    if (!env_.dialogs) {
        ownedDialogs_ = std::make_unique<QtDialogService>(this, macros_);
        env_.dialogs = ownedDialogs_.get();
    }

    wireControls();
    startUp();
    if (ownedDialogs_)
        static_cast<QtDialogService*>(ownedDialogs_.get())->createWindows();

    rxTimer_ = new QTimer(this);
    rxTimer_->setTimerType(Qt::PreciseTimer);
    rxTimer_->setInterval(1);
    connect(rxTimer_, &QTimer::timeout, this, &TerminalWindow::pollReceive);
    housekeeping_ = new QTimer(this);
    housekeeping_->setInterval(10);
    connect(housekeeping_, &QTimer::timeout, this, &TerminalWindow::housekeepingTick);
    checkConnect_ = new QTimer(this);
    checkConnect_->setInterval(1000);
    connect(checkConnect_, &QTimer::timeout, this, &TerminalWindow::checkConnection);
    timerPeriod_ = new QTimer(this);
    timerPeriod_->setTimerType(Qt::PreciseTimer);
    timerPeriod_->setInterval(1);
    connect(timerPeriod_, &QTimer::timeout, this, &TerminalWindow::periodTick);
    if (env_.startTimers) {
        housekeeping_->start();
        scheduleHousekeeping();
        scheduleRx();
        schedulePeriod();
    }
}

// The pause after a reconnection: the program stands still, as the device
// may need a moment after it comes back.
void TerminalWindow::pauseProgram(int ms)
{
    if (env_.sleep)
        env_.sleep(ms);
    else
        QThread::msleep(static_cast<unsigned long>(ms));
}

void TerminalWindow::startUp()
{
    // Statistics and their labels.
    ui_.MinTimeWait->setText(QStringLiteral("MIN_T_W:  NA"));
    ui_.MaxTimeWait->setText(QStringLiteral("MAX_T_W: NA"));
    ui_.LRead->setText(QStringLiteral("Read: 0"));
    ui_.LSend->setText(QStringLiteral("Send: 0"));

    initialLayout_ = captureInitialLayout(ui_);
    layoutCaptured_ = true;

    setBackgroundColour(ui_.FiltrLog, clBtnFace);
    terminal_->setRxTimeoutMs(0);
    displayFontSize_ = ui_.MainWindow->font().pointSize();
    ui_.MainWindow->clear();
    for (QWidget* w : {static_cast<QWidget*>(ui_.MainWindow), static_cast<QWidget*>(ui_.MainStrCmd),
                       static_cast<QWidget*>(ui_.AddStrCmd), static_cast<QWidget*>(ui_.FastOldCmd)})
        setBackgroundColour(w, clBtnFace);
    setBackgroundColour(ui_.LBTail, clBtnFace);
    setBackgroundColour(ui_.CBLists, clBtnFace);
    ui_.BTConnect->setFocus();
    updateTimeOutAns(false);

    // Two windows in one directory would undo each other's saves: the second
    // one asks before its files go over the first one's. The first one alone
    // may clear what saves cut short by a kill left behind.
    if (directoryLock_.tryLock(env_.directory)) {
        removeLeftoverTemporaries(env_.directory, {"CfgTerminal", "CmdConfig", "OldCmd"});
    } else {
        keepOtherInstanceFiles_ = !env_.dialogs->askYesNo(
            QStringLiteral("Каталог %1 уже использует другое окно Comtrax.\n"
                           "Сохранять настройки, историю команд и макросы этого окна поверх его файлов?")
                .arg(fromUtf8(env_.directory)));
    }

    // The command lists; a damaged file is rebuilt and said so, a missing one
    // (the first start) is created without a word.
    const CmdLists::LoadResult lists = cmdLists_.loadLists(path("CmdConfig"));
    if (lists.rebuilt && !lists.created)
        showMessage("Проблема с файлом конфигурации, он будет перезаписан");
    if (!lists.io) {
        showError(lists.io.error);
        return;
    }
    macros_->showFirstList();
    macros_->wire();

    const FileResult history = terminal_->loadHistory();
    if (!history) {
        showError(history.error);
        return;
    }
    historyLoaded_ = true;
    refillHistoryDropDown();

    applyPortChoice(terminal_->scanPorts(true));
    terminal_->endQuietStartUp();

    setHelpLines(ui_, generalHelp());

    settingsReached_ = true;
    loadSettings();
}

bool TerminalWindow::shutDown()
{
    // Unsaved macro edits are offered for saving; a save that fails keeps the
    // window open, so the edits are not lost.
    if (!macros_->offerSaveOnClose([this] { return env_.dialogs->askSaveMacros(); }))
        return false;
    // A failed save of the settings or the history (a read-only directory, a
    // full disk) keeps the window open once, with the reason. Told once, the
    // user can always close: the next close tries again and closes whatever
    // comes of it. The log file is written line by line and needs no save.
    auto saved = [this](const FileResult& r) {
        if (r || closeSaveFailed_)
            return true;
        closeSaveFailed_ = true;
        showError(r.error + "\n\nСледующее закрытие закроет окно, даже если сохранить не удастся.");
        return false;
    };
    if (historyLoaded_ && !keepOtherInstanceFiles_) {
        if (!saved(terminal_->saveHistory()))
            return false;
    }
    if (settingsReached_ && !settingsUnreadable_ && !keepOtherInstanceFiles_) {
        saveSettings();
        if (!saved(saveSettingsFile(path("CfgTerminal"), settings_)))
            return false;
    }
    terminal_->closeLogFile();
    return true;
}

void TerminalWindow::closeEvent(QCloseEvent* event)
{
    if (shutDown()) {
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

void TerminalWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (layoutCaptured_)
        applyWindowLayout(ui_, initialLayout_, size(), terminal_->fileMode());
    scheduleHousekeeping();
}

// ---- TerminalView ---------------------------------------------------------

void TerminalWindow::addLogLine(const std::string& line)
{
    logView_->addLine(fromCp1251(line));
}

void TerminalWindow::setByteTotals(const std::string& text)
{
    ui_.StaticText3->setText(fromUtf8(text));
}

void TerminalWindow::setSentCount(const std::string& text)
{
    ui_.LSend->setText(fromUtf8(text));
}

void TerminalWindow::setReadCount(const std::string& text)
{
    ui_.LRead->setText(fromUtf8(text));
}

void TerminalWindow::setGaps(const std::string& minText, const std::string& maxText)
{
    ui_.MinTimeWait->setText(fromUtf8(minText));
    ui_.MaxTimeWait->setText(fromUtf8(maxText));
}

void TerminalWindow::showMessage(const std::string& text)
{
    env_.dialogs->message(fromUtf8(text));
}

void TerminalWindow::showError(const std::string& text)
{
    env_.dialogs->error(fromUtf8(text));
}

void TerminalWindow::showNoPortWindow()
{
    env_.dialogs->noPortWindow();
}

void TerminalWindow::setPeriodTimerEnabled(bool)
{
    schedulePeriod();
}

void TerminalWindow::logStateChanged()
{
    ui_.StartLog->setText(fromUtf8(terminal_->logCaption()));
    if (!terminal_->logStatus().empty())
        ui_.STLog->setText(fromUtf8(terminal_->logStatus()));
}

// ---- Timers -----------------------------------------------------------------

void TerminalWindow::pollReceive()
{
    const Terminal::PollResult polled = terminal_->poll();
    const bool gotBytes = polled.bytesRead != 0;
    rxSpurious_ = rxWokenByPort_ && !gotBytes;
    rxWokenByPort_ = false;
    rxStreaming_ = gotBytes;
    // A backlog is polled again at once rather than a millisecond later, or
    // the rate would be capped at one buffer a millisecond.
    rxBacklog_ = polled.backlog;
    scheduleRx();
}

void TerminalWindow::periodTick()
{
    terminal_->periodTick();
    schedulePeriod();
}

bool TerminalWindow::isTimerPeriodActive() const
{
    return terminal_->periodTimerEnabled();
}

void TerminalWindow::housekeepingTick()
{
    logView_->flush();
    ui_.FastOldCmd->resize(ui_.MainStrCmd->width(), ui_.FastOldCmd->height());
    logView_->clearIfOverCap();
    const QString now = fromUtf8(formatLongTime(env_.clock->now()));
    if (ui_.TextTime->text() != now)
        ui_.TextTime->setText(now);
    terminal_->housekeepingTick();
    schedulePeriod();
    scheduleHousekeeping();
}

void TerminalWindow::checkConnection()
{
    terminal_->checkConnection(portParameters());
    refreshConnectionControls();
}

// Output the port had no room for waits in the sender; it goes on as soon as
// the port is writable again, without the window ever waiting for it.
void TerminalWindow::setOutputWaiting(bool waiting)
{
    const int fd = waiting && terminal_->portOpen() ? env_.port->readNotifierHandle() : -1;
    // Called from the notifier's own signal too: it is switched off there,
    // and only replaced (later) when the port's descriptor changed.
    if (txNotifier_) {
        txNotifier_->setEnabled(false);
        if (waiting && txNotifier_->socket() != fd) {
            txNotifier_->deleteLater();
            txNotifier_ = nullptr;
        }
    }
    if (txRetry_)
        txRetry_->stop();
    if (!waiting || !env_.startTimers)
        return;
    if (fd >= 0) {
        if (!txNotifier_) {
            txNotifier_ = new QSocketNotifier(static_cast<qintptr>(fd), QSocketNotifier::Write, this);
            connect(txNotifier_, &QSocketNotifier::activated, this,
                    [this] { terminal_->drainOutput(); });
        }
        txNotifier_->setEnabled(true);
        return;
    }
    if (!txRetry_) {
        txRetry_ = new QTimer(this);
        txRetry_->setInterval(10);
        connect(txRetry_, &QTimer::timeout, this, [this] { terminal_->drainOutput(); });
    }
    txRetry_->start();
}

// The timing rules are stated in 1 ms ticks, but a tick that can change nothing
// is not run: the receive poll sleeps while the port is closed, and while it is
// open and silent it wakes when bytes arrive or when a held packet's silence
// runs out; the period timer wakes when the next period is due. Every packet
// still ends, and every period still fires, on the tick it would have with a
// poll every millisecond.
void TerminalWindow::scheduleRx()
{
    if (!rxTimer_ || !env_.startTimers)
        return;
    const bool open = terminal_->portOpen();
    const int fd = open ? env_.port->readNotifierHandle() : -1;
    if (rxNotifier_ && (!open || rxNotifier_->socket() != fd)) {
        delete rxNotifier_;
        rxNotifier_ = nullptr;
    }
    if (!open) {
        rxTimer_->stop();
        return;
    }
    if (fd < 0) {
        // No way to be woken by the port: poll every millisecond.
        rxTimer_->setSingleShot(false);
        rxTimer_->setInterval(1);
        if (!rxTimer_->isActive())
            rxTimer_->start();
        return;
    }
    if (!rxNotifier_) {
        rxNotifier_ = new QSocketNotifier(static_cast<qintptr>(fd), QSocketNotifier::Read, this);
        connect(rxNotifier_, &QSocketNotifier::activated, this, [this] {
            // One wake per arrival: the poll decides what comes next.
            rxNotifier_->setEnabled(false);
            rxWokenByPort_ = true;
            pollReceive();
        });
        rxStreaming_ = false;
    }
    const int64_t untilEnd = terminal_->msUntilPacketEnd();
    rxTimer_->setSingleShot(true);
    if (rxStreaming_ || rxSpurious_) {
        // Bytes came in on the last poll (or the port woke us with nothing to
        // read, as a hung-up pty does): keep the millisecond poll going.
        rxNotifier_->setEnabled(false);
        rxTimer_->start(rxBacklog_ ? 0 : 1);
        return;
    }
    rxNotifier_->setEnabled(true);
    if (untilEnd < 0)
        rxTimer_->stop();
    else
        rxTimer_->start(static_cast<int>(std::clamp<int64_t>(untilEnd, 0, 24 * 3600 * 1000)));
}

void TerminalWindow::schedulePeriod()
{
    if (!timerPeriod_ || !env_.startTimers)
        return;
    const int64_t wait = terminal_->msUntilNextPeriodSend();
    if (wait < 0) {
        timerPeriod_->stop();
        return;
    }
    timerPeriod_->setSingleShot(true);
    timerPeriod_->start(static_cast<int>(std::min<int64_t>(wait, 24 * 3600 * 1000)));
}

// The housekeeping tick runs every 10 ms while it has something to watch (the
// cyclic restart in period mode, a log over its line limit, a drop-down that
// lags behind a resize); otherwise it wakes once a second for the clock.
void TerminalWindow::scheduleHousekeeping()
{
    if (!housekeeping_ || !env_.startTimers)
        return;
    const bool watch = (ui_.CiklSend->isChecked() && ui_.RBPeriod->isChecked())
        || logView_->overCap()
        || ui_.FastOldCmd->width() != ui_.MainStrCmd->width();
    int wait = 10;
    if (!watch)
        wait = 1000 - env_.clock->now().msec + 1;
    // A coarse timer may fire up to 5 % early, before the second has turned,
    // and the clock would need a second wake to catch it.
    housekeeping_->setTimerType(watch ? Qt::CoarseTimer : Qt::PreciseTimer);
    housekeeping_->setSingleShot(true);
    housekeeping_->start(wait);
}

}  // namespace comtrax
