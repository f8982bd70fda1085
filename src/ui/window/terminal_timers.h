#pragma once
// When the window's handlers run. Received packets come from the receive
// thread, which frames them on its own and wakes the window when it hands a
// batch over (at most once a display frame while a stream flows); only a port
// without a receive handle is polled every millisecond. The period timer wakes
// when the next period is due; housekeeping wakes every 10 ms only while it
// has something to watch.
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
        // Runs what a hand-over brings as one display frame (may be empty).
        std::function<void(const std::function<void()>&)> asOneFrame;
    };
    // With running false nothing is scheduled: tests run the handlers by hand,
    // through pollReceive and the three run calls below.
    TerminalTimers(Terminal& terminal, SerialPort& port, const Clock& clock, bool running, Handlers handlers,
                   QObject* parent = nullptr);

    // Nothing is scheduled before start: start-up runs with the timers still.
    void start();
    void stop();

    // Takes what the receive thread handed over (or, without the thread, one
    // receive poll); a device loss the thread found runs the connection check.
    void pollReceive();
    // What the housekeeping, connection-check and period timers run when they fire.
    void runHousekeeping() { handlers_.housekeeping(); }
    void runConnectionCheck() { handlers_.checkConnection(); }
    void runPeriod() { handlers_.period(); }

    // The millisecond poll runs only while a port without the thread is open.
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
    QSocketNotifier* handOver_ = nullptr;    // the receive thread has a batch
    QSocketNotifier* txNotifier_ = nullptr;  // the port has room again for waiting output
    QTimer* txRetry_ = nullptr;              // the same, for a port without a descriptor
};

}  // namespace comtrax
