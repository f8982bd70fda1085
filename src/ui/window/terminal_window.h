#pragma once
// TerminalWindow: the terminal's main window. It builds its controls, owns the core
// Terminal and the command lists, and composes the panels that own the bands of
// the window (top bar, log view, options band, command band, macro grid), the
// timers, the start-up and shut-down order and the settings.
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "settings/line_settings.h"
#include "settings/settings_record.h"
#include "common/file_io.h"
#include "terminal/terminal.h"
#include "presentation/window_layout.h"
#include "common/terminal_view.h"
#include "macros/cmd_lists.h"
#include "ui/panels/controls.h"
#include "ui/dialogs/dialog_service.h"

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

    Controls& controls() { return ui_; }
    Terminal& terminal() { return *terminal_; }
    CmdLists& cmdLists() { return cmdLists_; }
    MacroPanel& macros() { return *macros_; }
    OptionsBand& options() { return *options_; }
    TopBar& topBar() { return *topBar_; }
    PortControls& portControls() { return *portControls_; }

    // Timer handlers, public so that tests can call them with a fake clock.
    void pollReceive();
    void housekeepingTick();
    void checkConnection();
    void periodTick();

    // What the controls do, public so that tests can press them.
    void toggleConnection();
    void rescanPorts();
    void sendCommandLine();
    void toggleLogFile();
    void clearLog();
    void toggleFreeze();
    void stepTimeout(bool up);
    void nextColourScheme();
    void changeFontSize(bool up);
    void showAbout();
    void toggleFileView();
    void startFileSending();
    void refillHistoryDropDown();
    void fileLineClicked(int row);
    void resetStatistics();

    // Settings.
    void loadSettings();
    void saveSettings();
    void loadLineSettings();  // CfgLine
    void saveLineSettings();

    // The log's font size in points, as stored (DisplayFontSize).
    int32_t displayFontSize() const;
    void setDisplayFontSize(int32_t points);
    bool isTimerPeriodActive() const;

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
    void startUp();
    void applyStartOptions();
    bool shutDown();
    void scheduleChanged();
    void pauseProgram(int ms);
    std::string path(const char* name) const;
    // A read-out's new text, shown with the next display frame.
    void showReadout(QLabel* label, const std::string& text);
    void showPendingReadouts();

    WindowEnvironment env_;
    std::unique_ptr<DialogService> ownedDialogs_;
    Controls ui_;
    std::unique_ptr<Terminal> terminal_;
    CmdLists cmdLists_;
    DisplayFrame* frame_ = nullptr;  // gathers the log's lines and the read-outs of a frame
    std::vector<std::pair<QLabel*, std::string>> pendingReadouts_;
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
