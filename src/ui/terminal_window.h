#pragma once
// TerminalWindow: the terminal's main window. It builds its controls, owns the core
// Terminal and the command lists, runs the four timers and turns clicks and
// keys into calls on the core.
#include <QElapsedTimer>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>

#include "terminal/settings_record.h"
#include "common/file_io.h"
#include "terminal/terminal.h"
#include "terminal/window_layout.h"
#include "common/terminal_view.h"
#include "macros/cmd_lists.h"
#include "ui/controls.h"
#include "ui/dialog_service.h"

class QListWidget;
class QTimer;
class QSocketNotifier;

namespace comtrax {
class LogView;
class CommandBand;
}

namespace comtrax {

class MacroPanel;
class HelpHover;

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

    // Timer handlers, public so that tests can call them with a fake clock.
    void pollReceive();
    void housekeepingTick();
    void checkConnection();
    void periodTick();

    // Handlers of the main window's own controls.
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

    // The log's font size in points, as stored (DisplayFontSize).
    int32_t displayFontSize() const { return displayFontSize_; }
    void setDisplayFontSize(int32_t points)
    {
        displayFontSize_ = points;
        applyFontSize();
    }
    bool isTimerPeriodActive() const;

    // TerminalView.
    void addLogLine(const std::string& line) override;
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
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void init(const WindowEnvironment& env);
    void startUp();
    bool shutDown();
    void wireControls();
    void applyPortChoice(const PortChoice& choice);
    PortParameters portParameters() const;
    void refreshConnectionControls();
    void modeSelected(SendMode mode);
    void encodingSelected(bool hex);
    void updateTimeOutAns(bool fromArrows);
    void applyFontSize();
    void updateFiltrColour(bool focused);
    void setSchemeColours(uint32_t back, uint32_t text);
    void scheduleRx();
    void schedulePeriod();
    void scheduleHousekeeping();
    void pauseProgram(int ms);
    std::string path(const char* name) const;

    WindowEnvironment env_;
    std::unique_ptr<DialogService> ownedDialogs_;
    Controls ui_;
    std::unique_ptr<Terminal> terminal_;
    CmdLists cmdLists_;
    MacroPanel* macros_ = nullptr;
    HelpHover* hover_ = nullptr;
    SettingsRecord settings_;
    InitialLayout initialLayout_;
    bool layoutCaptured_ = false;
    int colourScheme_ = 0;  // BTPalitra's tag
    int readFileTag_ = 0;
    bool historyLoaded_ = false;
    bool settingsReached_ = false;
    bool settingsUnreadable_ = false;  // CfgTerminal exists but start-up could not read it
    bool closeSaveFailed_ = false;     // a close already reported a failed save of the settings or history
    bool keepOtherInstanceFiles_ = false;  // another window uses the directory and the user kept its files
    DirectoryLock directoryLock_;
    QTimer* rxTimer_ = nullptr;
    QTimer* housekeeping_ = nullptr;
    QTimer* checkConnect_ = nullptr;
    QTimer* timerPeriod_ = nullptr;
    QSocketNotifier* rxNotifier_ = nullptr;
    QSocketNotifier* txNotifier_ = nullptr;  // the port has room again for waiting output
    QTimer* txRetry_ = nullptr;              // the same, for a port without a descriptor
    bool rxStreaming_ = false;               // the last poll read bytes
    bool rxWokenByPort_ = false;             // this poll was started by the port's notifier
    bool rxSpurious_ = false;                // the port woke us with nothing to read
    bool rxBacklog_ = false;                 // bytes still waiting after the last poll
    LogView* logView_ = nullptr;          // MainWindow and SecondWindow
    CommandBand* commandBand_ = nullptr;  // the command line, the suffix and their drop-downs
    int32_t displayFontSize_ = 8;
};

}  // namespace comtrax
