#include "ui/window/terminal_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QToolButton>

#include "common/texts.h"
#include "presentation/help_texts.h"
#include "ui/dialogs/qt_dialog_service.h"
#include "ui/kit/colours.h"
#include "ui/kit/shown_text.h"
#include "ui/kit/text_codec.h"
#include "ui/kit/translation.h"
#include "ui/logview/display_frame.h"
#include "ui/logview/log_text_view.h"
#include "ui/logview/log_view.h"
#include "ui/panels/command_band.h"
#include "ui/panels/command_file_view.h"
#include "ui/panels/help_hover.h"
#include "ui/panels/line_state_strip.h"
#include "ui/panels/macro_panel.h"
#include "ui/panels/options_band.h"
#include "ui/panels/port_controls.h"
#include "ui/panels/top_bar.h"
#include "ui/window/build_controls.h"
#include "ui/window/terminal_timers.h"
#include "ui/window/window_layout_apply.h"

namespace comtrax {

TerminalWindow::TerminalWindow(const WindowEnvironment& env) : QWidget(nullptr)
{
    init(env);
}

TerminalWindow::~TerminalWindow()
{
    // The timers watch the receive hand-over, which goes with the terminal.
    delete timers_;
    timers_ = nullptr;
}

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

    // The end of a reset pulse or a break comes from the event loop, so the
    // window keeps working while a line is held.
    auto schedule = [this](int ms, std::function<void()> step) {
        QTimer::singleShot(ms, Qt::PreciseTimer, this, std::move(step));
    };
    Terminal::Setup setup{*env_.port, *env_.lister,   *env_.clock,
                          *this,      env_.directory, [this](int ms) { pauseProgram(ms); },
                          schedule};
    setup.receiveThread = env_.startTimers;
    terminal_ = std::make_unique<Terminal>(setup);
    makePanels();

    // The program's own dialogs come after the main window's start-up, in their
    // order; widget tests bring a recorder instead.
    if (!env_.dialogs) {
        ownedDialogs_ = std::make_unique<QtDialogService>(this, &macros_->editorHost());
        env_.dialogs = ownedDialogs_.get();
    }

    startUp();
    if (ownedDialogs_)
        static_cast<QtDialogService*>(ownedDialogs_.get())->createWindows();
    timers_->start();
    // A connection made at start-up (--connect) came before the timers ran:
    // its check starts now, as after a click.
    timers_->connectionChanged();
}

void TerminalWindow::makePanels()
{
    frame_ = new DisplayFrame(env_.startTimers, this);
    options_ = new OptionsBand(ui_, *terminal_, *frame_, this);
    // The log view knows no panel structs: its band is handed over control by control.
    const LogControls& log = ui_;
    logView_ = new LogView(
        log.MainWindow, log.SecondWindow, log.StartStop, *frame_,
        [this] {
            if (timers_)
                timers_->scheduleHousekeepingIfLate();
        },
        this);
    topBar_ = new TopBar(ui_, *terminal_, this);
    portControls_ = new PortControls(this, *terminal_, topBar_->lineOptions(), env_.startTimers);
    commandBand_ = new CommandBand(ui_, *terminal_, this);

    MacroPanelHooks hooks;
    hooks.send = [this](const std::string& line) {
        terminal_->send(line);
        commandBand_->focusSendButton();
    };
    hooks.load = [this](const std::string& line) {
        commandBand_->setCommandLine(line);
        commandBand_->focusCommandLine();
    };
    hooks.onSelectMode = [this] { return terminal_->sendMode() == SendMode::OnSelect; };
    hooks.fileMode = [this] { return terminal_->fileMode(); };
    hooks.editHelpModal = [this] { env_.dialogs->editMacroHelp(); };
    hooks.error = [this](const QString& text) { env_.dialogs->error(text); };
    hooks.mayWriteLists = [this] { return !keepOtherInstanceFiles_; };
    hooks.cmdConfigPath = path("CmdConfig");
    macros_ = new MacroPanel(ui_, cmdLists_, hooks, this);
    fileView_ = new CommandFileView(
        ui_, *terminal_, *macros_, *commandBand_, [this] { return env_.dialogs->openFileName(); }, this);

    hover_ = new HelpHover(
        ui_, [this](int k) { macros_->showMacroHelp(k); }, this);
    hover_->install();
    hover_->addText(portControls_->strip(), lineStateHelp());
    hover_->addText(portControls_->settingsButton(), portSettingsHelp());

    TerminalTimers::Handlers handlers;
    handlers.housekeeping = [this] { housekeepingTick(); };
    handlers.checkConnection = [this] { checkConnection(); };
    handlers.period = [this] { periodTick(); };
    handlers.asOneFrame = [this](const std::function<void()>& run) {
        const DisplayFrame::Gather together(*frame_);
        run();
    };
    handlers.housekeepingHasWork = [this] {
        return options_->cyclicPeriodChosen() || logView_->overCap() || !commandBand_->historyFitsLine();
    };
    timers_ = new TerminalTimers(*terminal_, *env_.port, *env_.clock, env_.startTimers, handlers, this);
    wirePanels();
    makeTools();
}

QAction* TerminalWindow::addToolAction(const QString& text, const QKeySequence& shortcut,
                                       std::function<void()> run)
{
    auto* action = new QAction(text, this);
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, [run = std::move(run)] { run(); });
    addAction(action);
    ui_.MainWindow->addContextAction(action);
    return action;
}

// The tool windows beside the main one; each adds its command with
// addToolAction. Shortcuts taken by the window: Ctrl+Shift+P (port
// settings), Ctrl+F (find), Ctrl+C, Ctrl+A (the log).
void TerminalWindow::makeTools()
{
    makePlotTool();
    makeRulesTool();
}

// What one band asks of another goes through here: the panels know the
// facade, not each other's controls.
void TerminalWindow::wirePanels()
{
    connect(topBar_, &TopBar::connectionChanged, this, [this] {
        timers_->connectionChanged();
        portControls_->connectionChanged();
    });
    connect(topBar_, &TopBar::timeoutChanged, this, [this] { timers_->scheduleRx(); });
    connect(topBar_, &TopBar::fontSizeChosen, logView_, &LogView::setFontSize);
    connect(topBar_, &TopBar::coloursChosen, this, [this](uint32_t back, uint32_t text) {
        commandBand_->setColours(back, text);
        fileView_->setColours(back, text);
        logView_->setBackgroundColour(back);
        logView_->setTextColour(text);
    });
    connect(topBar_, &TopBar::clearLogRequested, logView_, &LogView::clear);
    connect(topBar_, &TopBar::aboutRequested, this, [this] { env_.dialogs->about(); });

    connect(options_, &OptionsBand::scheduleChanged, this, &TerminalWindow::scheduleChanged);
    connect(options_, &OptionsBand::modeChosen, fileView_, &CommandFileView::modeChanged);
    connect(options_, &OptionsBand::encodingChosen, commandBand_, &CommandBand::encodingChanged);

    connect(macros_, &MacroPanel::editorModeChanged, this, [this](bool on) {
        topBar_->setLogStatusShown(!on);
        fileView_->setButtonShown(!on);
    });
    connect(fileView_, &CommandFileView::shownOrHidden, this, [this] {
        options_->showCyclicSwitch(fileView_->isOpen());
        timers_->schedulePeriod();
    });
    connect(fileView_, &CommandFileView::sendingStarted, this, [this] { timers_->schedulePeriod(); });
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
    initialLayout_ = captureInitialLayout(ui_);
    layoutCaptured_ = true;

    terminal_->setRxTimeoutMs(0);
    logView_->clear();
    logView_->setBackgroundColour(clBtnFace);
    topBar_->focusConnect();
    topBar_->showTimeout(false);

    // Two windows in one directory would undo each other's saves: the second
    // one asks before its files go over the first one's. The first one alone
    // may clear what saves cut short by a kill left behind.
    if (directoryLock_.tryLock(env_.directory)) {
        removeLeftoverTemporaries(env_.directory,
                                  {"CfgTerminal", "CfgLine", "CfgRules", "CfgPlot", "CmdConfig", "OldCmd"});
    } else {
        keepOtherInstanceFiles_ = !env_.dialogs->askYesNo(
            uiText("Каталог %1 уже использует другое окно Comtrax.\n"
                   "Сохранять настройки, историю команд и макросы этого окна поверх его файлов?")
                .arg(fromUtf8(env_.directory)));
    }

    // The command lists; a damaged file is rebuilt and said so, a missing one
    // (the first start) is created without a word.
    const CmdLists::LoadResult lists = cmdLists_.loadLists(path("CmdConfig"));
    if (lists.rebuilt && !lists.created)
        showMessage(trText("Проблема с файлом конфигурации, он будет перезаписан"));
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
    commandBand_->refillHistory();

    topBar_->applyPortChoice(terminal_->scanPorts(true));
    terminal_->endQuietStartUp();

    hover_->show(generalHelp());

    settingsReached_ = true;
    loadSettings();
    loadLineSettings();
    // The command line's choices win over the stored ones for this run (and
    // are saved at close like a choice made by hand).
    topBar_->applyStartChoice(PortStartChoice{env_.startPort, env_.startBaud, env_.startDataBits,
                                              env_.startStopBitsIndex, env_.startParity, env_.startFlow});
    if (env_.connectAtStart && !terminal_->portOpen())
        topBar_->toggleConnection();
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
        showError(r.error + "\n\n"
                  + trText("Следующее закрытие закроет окно, даже если сохранить не удастся."));
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
    if (settingsReached_ && !lineSettingsUnreadable_ && !keepOtherInstanceFiles_) {
        saveLineSettings();
        if (!saved(saveLineSettingsFile(path("CfgLine"), lineSettings_)))
            return false;
    }
    terminal_->closeLogFile();
    return true;
}

void TerminalWindow::closeEvent(QCloseEvent* event)
{
    if (shutDown()) {
        timers_->stop();
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
    if (portControls_)
        portControls_->place();
    if (timers_)
        timers_->scheduleHousekeeping();
}

// ---- TerminalView ---------------------------------------------------------

void TerminalWindow::addLogLine(const std::string& line)
{
    logView_->addLine(fromCp1251(line));
}

void TerminalWindow::addTrafficLine(const std::string& line, LogDirection direction)
{
    logView_->addCp1251Line(line, direction);
}

void TerminalWindow::setByteTotals(const std::string& text)
{
    options_->showByteTotals(text);
}

void TerminalWindow::setSentCount(const std::string& text)
{
    options_->showSentCount(text);
}

void TerminalWindow::setReadCount(const std::string& text)
{
    options_->showReadCount(text);
}

void TerminalWindow::setGaps(const std::string& minText, const std::string& maxText)
{
    options_->showGaps(minText, maxText);
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
    timers_->schedulePeriod();
}

void TerminalWindow::logStateChanged()
{
    topBar_->showLogState();
}

void TerminalWindow::setOutputWaiting(bool waiting)
{
    timers_->setOutputWaiting(waiting);
}

// ---- Timers -----------------------------------------------------------------

void TerminalWindow::periodTick()
{
    terminal_->periodTick();
    timers_->schedulePeriod();
}

void TerminalWindow::housekeepingTick()
{
    logView_->flush();
    commandBand_->fitHistoryToLine();
    logView_->clearIfOverCap();
    options_->showClock(fromUtf8(formatLongTime(env_.clock->now())));
    terminal_->housekeepingTick();
    timers_->schedulePeriod();
    timers_->scheduleHousekeeping();
}

void TerminalWindow::checkConnection()
{
    terminal_->checkConnection(topBar_->portParameters());
    topBar_->refreshConnection();
}

void TerminalWindow::scheduleChanged()
{
    timers_->schedulePeriod();
    timers_->scheduleHousekeeping();
}

}  // namespace comtrax
