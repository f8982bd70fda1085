#pragma once
// TerminalWindow: the terminal's main window. It builds its controls, owns the core
// Terminal and the command lists, composes the panels that own the bands of the
// window (top bar, log view, options band, command band, macro grid, file view)
// and wires them together; it keeps the timers, the start-up and shut-down
// order and the settings files, whose parts the panels load and store.
#include <QKeySequence>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "settings/line_settings.h"
#include "settings/settings_record.h"
#include "common/file_io.h"
#include "terminal/terminal.h"
#include "presentation/window_layout.h"
#include "common/terminal_view.h"
#include "macros/cmd_lists.h"
#include "ui/panels/controls.h"
#include "ui/dialogs/dialog_service.h"

class QAction;

namespace comtrax {

class CommandBand;
class CommandFileView;
class DisplayFrame;
class HelpHover;
class LogView;
class MacroPanel;
class OptionsBand;
class PortControls;
class TerminalTimers;
class TopBar;

// What the window runs on: the real port, clock and dialogs in the program,
// fakes in widget tests.
struct WindowEnvironment {
    SerialPort* port = nullptr;
    PortLister* lister = nullptr;
    const Clock* clock = nullptr;
    DialogService* dialogs = nullptr;
    std::string directory = ".";        // CfgTerminal, CmdConfig, OldCmd and the log files
    bool startTimers = true;            // tests drive the timer handlers by hand
    std::function<void(int ms)> sleep;  // the pause after a reconnection (tests: none)
    // The command line's choices, over the stored settings for this run.
    std::optional<std::string> startPort;  // a listed name or a path to a device
    std::optional<int> startBaud;
    std::optional<int> startDataBits;
    std::optional<int> startStopBitsIndex;
    std::optional<Parity> startParity;
    std::optional<FlowControl> startFlow;
    bool connectAtStart = false;
};

class TerminalWindow : public QWidget, public TerminalView {
    Q_OBJECT
public:
    // The program's window on the given port, clock and directory; without
    // dialogs in env it makes the real ones.
    explicit TerminalWindow(const WindowEnvironment& env);
    ~TerminalWindow() override;

    // What widget tests reach besides pressing the controls: the controls
    // themselves (also found by their objectName), the panels (the window's
    // QObject children, found with findChild), the core's state, read only,
    // and the one test seam: the timers, whose handlers tests run by hand
    // when env.startTimers is false.
    Controls& controls() { return ui_; }
    const Terminal& terminal() const { return *terminal_; }
    TerminalTimers& timers() { return *timers_; }

    // A command of one of the program's tools (rules, plot, ...): its
    // shortcut works anywhere in the window and it is offered in the log
    // view's context menu, so a tool is reached without moving any control.
    QAction* addToolAction(const QString& text, const QKeySequence& shortcut, std::function<void()> run);

    // TerminalView.
    void addLogLine(const std::string& line) override;
    void addTrafficLine(const std::string& line, LogDirection direction) override;
    void setByteTotals(const std::string& text) override;
    void setSentCount(const std::string& text) override;
    void setReadCount(const std::string& text) override;
    void setGaps(const std::string& minText, const std::string& maxText) override;
    void showMessage(const std::string& text) override;
    void showError(const std::string& text) override;
    void showNoPortWindow() override;
    void setPeriodTimerEnabled(bool on) override;
    void logStateChanged() override;
    void setOutputWaiting(bool waiting) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void init(const WindowEnvironment& env);
    void makePanels();
    void wirePanels();
    void makeTools();      // the tool windows, each with its command
    void makeRulesTool();  // trigger rules and the answer timeout (terminal_window_rules.cpp)
    void makePlotTool();   // terminal_window_plot.cpp
    void startUp();
    bool shutDown();
    void pauseProgram(int ms);
    std::string path(const char* name) const;

    // What the timers run.
    void housekeepingTick();
    void checkConnection();
    void periodTick();
    void scheduleChanged();

    // The settings: each panel loads and stores its own part.
    void loadSettings();
    void saveSettings();
    void loadLineSettings();  // CfgLine
    void saveLineSettings();

    WindowEnvironment env_;
    std::unique_ptr<DialogService> ownedDialogs_;
    Controls ui_;  // built here, each band handed to its panel
    std::unique_ptr<Terminal> terminal_;
    CmdLists cmdLists_;
    DisplayFrame* frame_ = nullptr;  // gathers the log's lines and the read-outs of a frame
    // The panels, one per band of the window.
    TopBar* topBar_ = nullptr;
    PortControls* portControls_ = nullptr;  // DTR/RTS strip, port-settings dialog
    LogView* logView_ = nullptr;            // MainWindow and SecondWindow
    OptionsBand* options_ = nullptr;
    CommandBand* commandBand_ = nullptr;  // the command line, the suffix and their drop-downs
    MacroPanel* macros_ = nullptr;
    CommandFileView* fileView_ = nullptr;  // the lines of a command file in place of the list chooser
    HelpHover* hover_ = nullptr;
    TerminalTimers* timers_ = nullptr;
    SettingsRecord settings_;
    LineSettings lineSettings_;
    InitialLayout initialLayout_;
    bool layoutCaptured_ = false;
    bool historyLoaded_ = false;
    bool settingsReached_ = false;
    bool settingsUnreadable_ = false;      // CfgTerminal exists but start-up could not read it
    bool lineSettingsUnreadable_ = false;  // the same for CfgLine
    bool closeSaveFailed_ = false;  // a close already reported a failed save of the settings or history
    bool keepOtherInstanceFiles_ = false;  // another window uses the directory and the user kept its files
    DirectoryLock directoryLock_;
};

}  // namespace comtrax
