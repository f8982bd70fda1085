#pragma once
// send: the one way a command line leaves the terminal.
#include <cstdint>
#include <cstddef>
#include <deque>
#include <string>

#include "common/clock.h"
#include "common/options.h"

namespace comtrax {

class PortAccess;
class SentHistory;
class LogOutput;
class TrafficCounters;
class TerminalView;

class Sender {
public:
    Sender(PortAccess& port, SentHistory& history, LogOutput& log, TrafficCounters& counters,
           const TerminalOptions& options, const Clock& clock, TerminalView& view);

    // Sends one line (Windows-1251 bytes). Dropped silently while a send runs.
    void send(const std::string& line);
    // A line the terminal sends by itself (a rule's answer): in its own
    // encoding and suffix, not kept in the history, and no window when the
    // port is closed.
    void sendAutomatic(const std::string& line, bool hex, const std::string& suffix);
    bool busy() const { return sendBusy_; }

    // Bytes the port could not take at once wait here, in order, until it has
    // room again; the window calls drainOutput when the port is writable.
    void drainOutput();
    bool outputWaiting() const { return !queue_.empty(); }
    // Clock::monotonicNs() when the last sent line's last byte was handed to
    // the port, or -1 before the first.
    int64_t lastSentNs() const { return lastSentNs_; }
    std::size_t queuedBytes() const { return queuedBytes_; }
    // The port closed (disconnect, loss): lines still waiting did not go out.
    void abandonOutput();

    // The most bytes that may wait; a line that does not fit is not sent.
    static constexpr std::size_t QueueLimit = 64 * 1024;
    // Added to the echo of a line that did not reach the port whole:
    // " [не отправлено]" in Windows-1251, the code page of every log line.
    static constexpr const char* NotSentMark = " [\xED\xE5 \xEE\xF2\xEF\xF0\xE0\xE2\xEB\xE5\xED\xEE]";

private:
    struct PendingLine {
        std::string bytes;
        std::size_t taken = 0;  // bytes the port has already accepted
        std::string echo;
    };
    void sendLine(const std::string& line, bool hex, const std::string& suffix, bool automatic);
    void lineSent(const std::string& echo);
    void lineNotSent(const std::string& echo);
    void setOutputWaiting(bool waiting);

    PortAccess& port_;
    SentHistory& history_;
    LogOutput& log_;
    TrafficCounters& counters_;
    const TerminalOptions& options_;
    const Clock& clock_;
    TerminalView& view_;
    bool sendBusy_ = false;
    int64_t lastSentNs_ = -1;
    std::deque<PendingLine> queue_;
    std::size_t queuedBytes_ = 0;
};

}  // namespace comtrax
