#pragma once
// The terminal's working state in one object: the port, the history, the
// counters, the framer, the scheduler and the log file, wired together. The
// window owns one, feeds it the current options and calls its timer handlers.
#include <functional>
#include <string>

#include "common/clock.h"
#include "common/options.h"
#include "log/log_file.h"
#include "receive/receiver.h"
#include "log/statistics.h"
#include "serial/connection.h"
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
    };

    explicit Terminal(const Setup& setup);

    TerminalOptions& options() { return options_; }
    const TerminalOptions& options() const { return options_; }
    const Clock& clock() const { return clock_; }

    PortAccess& access() { return access_; }
    Connection& connection() { return connection_; }
    Sender& sender() { return sender_; }
    Receiver& receiver() { return receiver_; }
    SendScheduler& scheduler() { return scheduler_; }
    SentHistory& history() { return history_; }
    LogFile& logFile() { return logFile_; }
    TrafficCounters& counters() { return counters_; }

    void send(const std::string& line) { sender_.send(line); }
    std::string historyPath() const { return directory_ + "/OldCmd"; }

private:
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
};

}  // namespace comtrax
