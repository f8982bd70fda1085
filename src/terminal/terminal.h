#pragma once
// The terminal's working state in one object: the port, the history, the
// counters, the framer, the scheduler and the log file, wired together. The
// window owns one, feeds it the current options and calls its timer handlers.
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "automation/answer_timeout.h"
#include "automation/command_directive.h"
#include "automation/rule_engine.h"
#include "common/clock.h"
#include "common/options.h"
#include "log/log_file.h"
#include "receive/receiver.h"
#include "log/statistics.h"
#include "serial/connection.h"
#include "serial/modem_control.h"
#include "serial/port_access.h"
#include "transmit/history.h"
#include "transmit/send_scheduler.h"
#include "transmit/sender.h"

namespace comtrax {

class Terminal {
public:
    struct Setup {
        SerialPort& port;
        PortLister& lister;
        const Clock& clock;
        TerminalView& view;
        std::string directory = ".";             // where OldCmd and the log files live
        std::function<void(int ms)> sleep = {};  // the pause after a reconnection
        ModemControl::Schedule schedule = {};    // the end of a reset pulse or a break
        // Receive on a thread of its own whenever the open port has a
        // receive handle (the program); otherwise poll() reads and frames.
        bool receiveThread = false;
    };

    explicit Terminal(const Setup& setup);

    // The choices of the controls, as the core sees them; each changes
    // through its own call below.
    const TerminalOptions& options() const { return options_; }
    const Clock& clock() const { return clock_; }

    std::string historyPath() const { return directory_ + "/OldCmd"; }

    // --- What the window asks of the terminal ---------------------------------

    // The choices the controls make (texts in Windows-1251, as they are sent).
    void setHex(bool hex)
    {
        options_.hex = hex;
        receiver_.framingChanged();
    }
    void setShowTime(bool on) { options_.showTime = on; }
    void setPacketTimes(const PacketTimes& times) { options_.packetTimes = times; }
    void setFilter(std::string text) { options_.filter = std::move(text); }
    void setSuffix(std::string text) { options_.suffix = std::move(text); }
    void setCommandText(std::string text) { options_.commandText = std::move(text); }
    void setPeriodText(std::string text) { options_.periodText = std::move(text); }
    void setCyclic(bool on) { options_.cyclic = on; }
    void setSendOnConnect(bool on) { options_.sendOnConnect = on; }
    void setAutoConnect(bool on) { options_.autoConnect = on; }
    void setModbusCrcCheck(bool on) { options_.checkModbusCrc = on; }
    SendMode sendMode() const { return options_.sendMode; }

    // Sending: one line through the one send path; output the port had no room
    // for goes on when it has.
    void send(const std::string& line);
    void drainOutput() { sender_.drainOutput(); }
    bool outputWaiting() const { return sender_.outputWaiting(); }

    // The connection.
    void toggleConnection(const PortParameters& p) { connection_.toggle(p, options_.sendOnConnect); }
    void checkConnection(const PortParameters& p)
    {
        connection_.check(p, options_.autoConnect, options_.sendOnConnect);
    }
    bool connected() const { return connection_.connected(); }
    const char* connectCaption() const { return connection_.caption(); }
    bool parametersEnabled() const { return connection_.parametersEnabled(); }
    uint32_t indicatorColour() const { return connection_.indicatorColour(); }
    PortChoice scanPorts(bool startUp) { return access_.scanPorts(startUp); }
    // Start-up has scanned the ports quietly; from now on the port is closed.
    void endQuietStartUp() { access_.setPortOpenFlag(false); }
    bool portOpen() const { return access_.portOpen(); }
    const std::string& portName() const { return access_.portName(); }
    uint32_t portInputCount() { return access_.portInputCount(); }  // bytes waiting at the port
    // DTR, RTS, the reset pulse and break on the open port: what the user
    // set, what the device reports, and the settings applied on connect.
    bool setDtr(bool on) { return modem_.setDtr(on); }
    bool setRts(bool on) { return modem_.setRts(on); }
    bool pulseReset() { return modem_.pulseReset(); }
    bool sendBreak() { return modem_.sendBreak(); }
    bool dtr() const { return modem_.dtr(); }
    bool rts() const { return modem_.rts(); }
    bool rtsOwnedByDriver() const { return modem_.rtsOwnedByDriver(); }
    bool pulsing() const { return modem_.pulsing(); }
    bool breaking() const { return modem_.breaking(); }
    ModemLines modemLines() { return modem_.lines(); }
    const ModemSettings& modemSettings() const { return modem_.settings(); }
    void setModemSettings(const ModemSettings& settings) { modem_.setSettings(settings); }

    // Receiving: one poll (while the receive thread runs: what it handed
    // over), and what it found.
    struct PollResult {
        uint32_t bytesRead = 0;
        bool backlog = false;  // more is waiting than one poll could take
    };
    PollResult poll();
    // How many receive polls one call runs while a backlog waits (32 receive
    // buffers, 64 KiB).
    static constexpr uint32_t MaxPollsPerWake = 32;
    int64_t msUntilPacketEnd() const { return receiver_.msUntilPacketEnd(); }
    // The receive thread: running while a port with a receive handle is open
    // (then the window polls only when handOverHandle() is readable); a loss
    // it found is told once.
    bool receiveThreadRunning() const { return receiver_.threadRunning(); }
    int handOverHandle() const { return receiver_.handOverHandle(); }
    bool takeReceiveLoss() { return receiver_.takeLoss(); }
    // Every received packet, in order, after its log line: what rules, waits
    // and the plot read the device's answers from.
    void addPacketObserver(PacketObserver observer);
    uint32_t heldBytes() const { return receiver_.rxCount(); }  // the packet under way
    int32_t rxTimeoutMs() const { return receiver_.rxTimeoutMs(); }
    void setRxTimeoutMs(int32_t ms) { receiver_.setRxTimeoutMs(ms); }
    bool timeoutInCharacters() const { return receiver_.timeoutInCharacters(); }
    void setTimeoutInCharacters(bool on) { receiver_.setTimeoutInCharacters(on); }
    // The arrows step TimeRX and leave "3.5 characters".
    void stepTimeout(bool up)
    {
        receiver_.setTimeoutInCharacters(false);
        receiver_.setRxTimeoutMs(timeoutStep(receiver_.rxTimeoutMs(), up));
    }

    // Send modes and command files.
    void selectMode(SendMode mode)
    {
        options_.sendMode = mode;
        receiver_.framingChanged();
        scheduler_.modeSelected(mode);
        answerWatch_.cancel();
        directives_.cancel();
    }
    bool sendStartEnabled() const { return scheduler_.sendStartEnabled(); }
    bool cyclicEnabled() const { return scheduler_.cyclicEnabled(); }
    void startFileSending() { scheduler_.startSending(); }
    bool sendingStopped() const { return scheduler_.sendingStopped(); }
    void periodTick() { scheduler_.periodTick(); }
    bool periodTimerEnabled() const { return scheduler_.periodTimerEnabled(); }
    int64_t msUntilNextPeriodSend() const { return scheduler_.msUntilNextPeriodSend(); }
    void housekeepingTick() { scheduler_.housekeepingTick(); }
    bool fileMode() const { return scheduler_.fileMode(); }
    const std::vector<std::string>& fileLines() const { return scheduler_.fileLines(); }
    FileResult loadCommandFile(const std::string& path)
    {
        directives_.cancel();
        return scheduler_.loadFileFromPath(path);
    }
    void leaveCommandFile()
    {
        directives_.cancel();
        scheduler_.leaveFile();
    }
    bool fileWaiting() const { return directives_.busy(); }  // a wait or pause of the file holds it

    // The log file and the statistics.
    void toggleLogFile() { logFile_.toggleLogFile(clock_.now()); }
    void closeLogFile() { logFile_.close(); }
    const std::string& logCaption() const { return logFile_.caption(); }
    const std::string& logStatus() const { return logFile_.status(); }
    bool logActive() const { return logFile_.active(); }
    const std::string& logFileName() const { return logFile_.fileName(); }
    int32_t rxBytes() const { return counters_.rxBytes(); }  // received since the last reset
    void resetStatistics() { counters_.resetStatistics(); }

    // The history of sent lines (OldCmd).
    FileResult loadHistory() { return history_.load(historyPath()); }
    FileResult saveHistory() { return history_.saveIfPresent(historyPath()); }
    std::vector<std::string> historyLines() const { return history_.nonEmpty(); }

    // Automation: the trigger rules act on every received packet; the answer
    // timeout watches after-answer sending. Nothing here waits: the window
    // calls automationTick() when msUntilAutomationDue() says (-1: nothing due).
    void setRules(std::vector<Rule> rules, RuleLimit limit = {},
                  std::size_t windowBytes = RuleEngine::DefaultWindowBytes);
    const RuleEngine& rules() const { return rules_; }
    // The error of the answer pattern, empty when it compiled.
    std::string setAnswerTimeout(const AnswerTimeoutSettings& settings);
    const AnswerTimeoutSettings& answerTimeout() const { return answerWatch_.settings(); }
    // "Send macro N of list L": the command line, or nothing when there is none.
    using MacroLookup = std::function<std::optional<std::string>(const std::string& list, int macro)>;
    void setMacroLookup(MacroLookup lookup) { macroLookup_ = std::move(lookup); }
    int64_t msUntilAutomationDue() const;
    void automationTick();
    // Told whenever msUntilAutomationDue() may have changed (a packet, a send,
    // a tick, new rules), so the window re-arms its one timer.
    void setAutomationListener(std::function<void()> listener) { automationChanged_ = std::move(listener); }
    // A line of the log that says what the terminal did by itself.
    void addAutomationNote(const std::string& name, const std::string& what);

private:
    void wireAutomation();
    void scheduledSend(const std::string& line);
    void afterAnswer();
    void answerTimedOut(AnswerWatch::Verdict verdict);
    bool carryOutDirective(const std::string& line);
    void directiveEvent(DirectiveRun::Event event);
    void stepFileAfterLine();
    bool fileRunEnded(bool stopped = false);
    void carryOut(const Firing& firing);
    void ruleReport(const RuleEngine::Report& report);
    void tellAutomationChanged()
    {
        if (automationChanged_)
            automationChanged_();
    }

    TerminalOptions options_;
    const Clock& clock_;
    std::string directory_;
    PortAccess access_;
    TrafficCounters counters_;
    LogFile logFile_;
    LogOutput logOutput_;
    SentHistory history_;
    Sender sender_;
    Receiver receiver_;
    SendScheduler scheduler_;
    Connection connection_;
    ModemControl modem_;
    std::vector<PacketObserver> packetObservers_;
    TerminalView& view_;
    RuleEngine rules_;
    AnswerWatch answerWatch_;
    MacroLookup macroLookup_;
    std::function<void()> automationChanged_;
    std::string answerLine_;         // the last line after-answer sending sent, for a re-send
    bool lastPacketAnswers_ = true;  // the last packet counts as the answer
    DirectiveRun directives_;
    std::string lastFileLine_;  // the file's last line sent, for a wait's retry
    int waitsInRun_ = 0;        // waits reached in this run, to name them in the summary
    bool runHasDirectives_ = false;
    bool fileContinuing_ = false;     // a wait or pause ended: the file goes on to its next line
    bool packetTakenByWait_ = false;  // the wait took this packet: it steps nothing else
};

}  // namespace comtrax
