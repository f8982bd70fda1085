#pragma once
// SendPortData: the one way a command line leaves the terminal.
#include <cstdint>
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
    void SendPortData(const std::string& line);
    bool busy() const { return sendBusy_; }

private:
    PortAccess& port_;
    SentHistory& history_;
    LogOutput& log_;
    TrafficCounters& counters_;
    const TerminalOptions& options_;
    const Clock& clock_;
    TerminalView& view_;
    bool sendBusy_ = false;
};

}  // namespace comtrax
