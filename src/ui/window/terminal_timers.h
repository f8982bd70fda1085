#pragma once
// When the window's handlers run. The timing rules are stated in 1 ms ticks,
// but a tick that can change nothing is not run: the receive poll sleeps while
// the port is closed, and while it is open and silent it wakes when bytes
// arrive or when a held packet's silence runs out; the period timer wakes when
// the next period is due; housekeeping wakes every 10 ms only while it has
// something to watch. Every packet still ends, and every period still fires, on
// the tick it would have with a poll every millisecond.
#include <QObject>

#include <functional>

#include "common/clock.h"
#include "serial/serial_port.h"
#include "terminal/terminal.h"

class QSocketNotifier;
class QTimer;

namespace comtrax {

class TerminalTimers : public QObject {
    Q_OBJECT
public:
    struct Handlers {
        std::function<void()> housekeeping;
        std::function<void()> checkConnection;
        std::function<void()> period;
        std::function<bool()> housekeepingHasWork;  // a 10 ms watch is needed
    };
    // With running false nothing is scheduled: tests run the handlers by hand,
    // through pollReceive and the three run calls below.
    TerminalTimers(Terminal& terminal, SerialPort& port, const Clock& clock, bool running, Handlers handlers,
                   QObject* parent = nullptr);

    // Nothing is scheduled before start: start-up runs with the timers still.
    void start();
    void stop();

    // One receive poll, and when the next one is due.
    void pollReceive();
    // What the housekeeping, connection-check and period timers run when they fire.
    void runHousekeeping() { handlers_.housekeeping(); }
    void runConnectionCheck() { handlers_.checkConnection(); }
    void runPeriod() { handlers_.period(); }

    void scheduleRx();
    void schedulePeriod();
    void scheduleHousekeeping();
    // Housekeeping due in the next 10 ms anyway is left as it is.
    void scheduleHousekeepingIfLate();
    // The connection check runs once a second while connected.
    void connectionChanged();
    // Output the port had no room for waits in the sender; it goes on as soon
    // as the port is writable again, without the window ever waiting for it.
    void setOutputWaiting(bool waiting);

private:
    Terminal& terminal_;
    SerialPort& port_;
    const Clock& clock_;
    bool running_;
    bool started_ = false;
    Handlers handlers_;
    QTimer* rxTimer_;
    QTimer* housekeeping_;
    QTimer* checkConnect_;
    QTimer* period_;
    QSocketNotifier* rxNotifier_ = nullptr;
    QSocketNotifier* txNotifier_ = nullptr;  // the port has room again for waiting output
    QTimer* txRetry_ = nullptr;              // the same, for a port without a descriptor
    bool rxStreaming_ = false;               // the last poll read bytes
    bool rxWokenByPort_ = false;             // this poll was started by the port's notifier
    bool rxSpurious_ = false;                // the port woke us with nothing to read
    bool rxBacklog_ = false;                 // bytes still waiting after the last poll
    bool rxFast_ = false;                    // the last poll read a whole receive buffer or more
};

}  // namespace comtrax
