#pragma once
// What the core asks the window to show. The main window implements it; tests
// implement it with a recorder. Every method has an empty default so that a
// test overrides only what it looks at.
//
// Encodings: log lines are Windows-1251 bytes as received or sent; every other
// text (messages, labels) is UTF-8, because it is the program's own text.
#include <cstdint>
#include <string>

namespace comtrax {

// Which way a log line went over the wire; the window tells the two apart.
enum class LogDirection : uint8_t { Other, Sent, Received };

class TerminalView {
public:
    virtual ~TerminalView() = default;

    // A new last line of the log window (MainWindow). May hold CR LF pairs.
    virtual void addLogLine(const std::string& /*cp1251Line*/) {}
    // A log line with the way it went; a view that does not tell the
    // directions apart takes it as a plain line.
    virtual void addTrafficLine(const std::string& cp1251Line, LogDirection /*direction*/)
    {
        addLogLine(cp1251Line);
    }
    // StaticText3: "TX: n RX: m".
    virtual void setByteTotals(const std::string& /*text*/) {}
    // LSend: "Send: n".
    virtual void setSentCount(const std::string& /*text*/) {}
    // LRead: "Read: n".
    virtual void setReadCount(const std::string& /*text*/) {}
    // MinTimeWait and MaxTimeWait.
    virtual void setGaps(const std::string& /*minText*/, const std::string& /*maxText*/) {}
    // A modal message box with one text and OK ("Все команды отправлены").
    virtual void showMessage(const std::string& /*text*/) {}
    // The standard error box (failed file operations and the like).
    virtual void showError(const std::string& /*text*/) {}
    // The modal NoPortDialog window: a line was to be sent with no port open.
    virtual void showNoPortWindow() {}
    // TimerPeriod switched on or off by the core.
    virtual void setPeriodTimerEnabled(bool /*on*/) {}
    // StartLog caption or STLog text changed (read them from the LogFile).
    virtual void logStateChanged() {}
    // Bytes wait for room in the port's output queue (true) or all went out:
    // the window watches the port for room while they wait.
    virtual void setOutputWaiting(bool /*waiting*/) {}
};

}  // namespace comtrax
