#include "ui/window/terminal_timers.h"

#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>

namespace comtrax {

namespace {

constexpr int64_t ADay = 24 * 3600 * 1000;
// A poll that reads this much finds the device faster than the millisecond poll.
constexpr uint32_t FastPollBytes = 2048;

}  // namespace

TerminalTimers::TerminalTimers(Terminal& terminal, SerialPort& port, const Clock& clock, bool running,
                               Handlers handlers, QObject* parent)
    : QObject(parent),
      terminal_(terminal),
      port_(port),
      clock_(clock),
      running_(running),
      handlers_(std::move(handlers)),
      rxTimer_(new QTimer(this)),
      housekeeping_(new QTimer(this)),
      checkConnect_(new QTimer(this)),
      period_(new QTimer(this))
{
    rxTimer_->setTimerType(Qt::PreciseTimer);
    rxTimer_->setInterval(1);
    connect(rxTimer_, &QTimer::timeout, this, &TerminalTimers::pollReceive);
    housekeeping_->setInterval(10);
    connect(housekeeping_, &QTimer::timeout, this, &TerminalTimers::runHousekeeping);
    checkConnect_->setInterval(1000);
    connect(checkConnect_, &QTimer::timeout, this, &TerminalTimers::runConnectionCheck);
    period_->setTimerType(Qt::PreciseTimer);
    period_->setInterval(1);
    connect(period_, &QTimer::timeout, this, &TerminalTimers::runPeriod);
}

void TerminalTimers::start()
{
    started_ = running_;
    if (!started_)
        return;
    housekeeping_->start();
    scheduleHousekeeping();
    scheduleRx();
    schedulePeriod();
}

void TerminalTimers::stop()
{
    rxTimer_->stop();
    housekeeping_->stop();
    checkConnect_->stop();
    period_->stop();
}

void TerminalTimers::pollReceive()
{
    const Terminal::PollResult polled = terminal_.poll();
    const bool gotBytes = polled.bytesRead != 0;
    rxSpurious_ = rxWokenByPort_ && !gotBytes;
    rxWokenByPort_ = false;
    rxStreaming_ = gotBytes;
    // A backlog is polled again at once rather than a millisecond later, or
    // the rate would be capped at one buffer a millisecond.
    rxBacklog_ = polled.backlog;
    rxFast_ = polled.bytesRead >= FastPollBytes;
    scheduleRx();
}

void TerminalTimers::scheduleRx()
{
    if (!started_)
        return;
    const bool open = terminal_.portOpen();
    const int fd = open ? port_.readNotifierHandle() : -1;
    if (rxNotifier_ && (!open || rxNotifier_->socket() != fd)) {
        delete rxNotifier_;
        rxNotifier_ = nullptr;
    }
    if (!open) {
        rxTimer_->stop();
        return;
    }
    if (fd < 0) {
        // No way to be woken by the port: poll every millisecond.
        rxTimer_->setSingleShot(false);
        rxTimer_->setInterval(1);
        if (!rxTimer_->isActive())
            rxTimer_->start();
        return;
    }
    if (!rxNotifier_) {
        rxNotifier_ = new QSocketNotifier(static_cast<qintptr>(fd), QSocketNotifier::Read, this);
        connect(rxNotifier_, &QSocketNotifier::activated, this, [this] {
            // One wake per arrival: the poll decides what comes next.
            rxNotifier_->setEnabled(false);
            rxWokenByPort_ = true;
            pollReceive();
        });
        rxStreaming_ = false;
    }
    const int64_t untilEnd = terminal_.msUntilPacketEnd();
    if (rxSpurious_) {
        // The port woke us with nothing to read, as a hung-up pty does: poll
        // by the millisecond until it is quiet or gone.
        rxNotifier_->setEnabled(false);
        rxTimer_->setSingleShot(true);
        rxTimer_->start(1);
        return;
    }
    if (rxStreaming_) {
        // Bytes came in on the last poll: keep the millisecond poll going.
        // When that poll took a whole receive buffer or more, the device sends
        // faster than the system's queue holds in a millisecond: the next
        // bytes are also taken as soon as they come, or the queue would fill
        // and hold the device back.
        rxNotifier_->setEnabled(rxFast_ && !rxBacklog_);
        if (rxBacklog_) {
            rxTimer_->setSingleShot(true);
            rxTimer_->start(0);
        } else if (!rxTimer_->isActive() || rxTimer_->isSingleShot() || rxTimer_->interval() != 1) {
            // A repeating tick while the bytes flow: re-arming a timer after
            // every poll costs more than the poll's own work.
            rxTimer_->setSingleShot(false);
            rxTimer_->start(1);
        }
        return;
    }
    rxTimer_->setSingleShot(true);
    rxNotifier_->setEnabled(true);
    if (untilEnd < 0)
        rxTimer_->stop();
    else
        rxTimer_->start(static_cast<int>(std::clamp<int64_t>(untilEnd, 0, ADay)));
}

void TerminalTimers::schedulePeriod()
{
    if (!started_)
        return;
    const int64_t wait = terminal_.msUntilNextPeriodSend();
    if (wait < 0) {
        period_->stop();
        return;
    }
    period_->setSingleShot(true);
    period_->start(static_cast<int>(std::min<int64_t>(wait, ADay)));
}

// Every 10 ms while there is something to watch (the cyclic restart in period
// mode, a log over its line limit, a drop-down that lags behind a resize);
// otherwise once a second, for the clock.
void TerminalTimers::scheduleHousekeeping()
{
    if (!started_)
        return;
    const bool watch = handlers_.housekeepingHasWork();
    int wait = 10;
    if (!watch)
        wait = 1000 - clock_.now().msec + 1;
    // A coarse timer may fire up to 5 % early, before the second has turned,
    // and the clock would need a second wake to catch it.
    housekeeping_->setTimerType(watch ? Qt::CoarseTimer : Qt::PreciseTimer);
    housekeeping_->setSingleShot(true);
    housekeeping_->start(wait);
}

void TerminalTimers::scheduleHousekeepingIfLate()
{
    if (housekeeping_->remainingTime() > 10)
        scheduleHousekeeping();
}

void TerminalTimers::connectionChanged()
{
    // Until Connect is pressed the connection check has nothing to look at
    // (no port, and the indicator already in the window colour), so it sleeps.
    if (started_) {
        if (!terminal_.connected())
            checkConnect_->stop();
        else if (!checkConnect_->isActive())
            checkConnect_->start();
    }
    scheduleRx();
    schedulePeriod();
}

void TerminalTimers::setOutputWaiting(bool waiting)
{
    const int fd = waiting && terminal_.portOpen() ? port_.readNotifierHandle() : -1;
    // Called from the notifier's own signal too: it is switched off there,
    // and only replaced (later) when the port's descriptor changed.
    if (txNotifier_) {
        txNotifier_->setEnabled(false);
        if (waiting && txNotifier_->socket() != fd) {
            txNotifier_->deleteLater();
            txNotifier_ = nullptr;
        }
    }
    if (txRetry_)
        txRetry_->stop();
    if (!waiting || !running_)
        return;
    if (fd >= 0) {
        if (!txNotifier_) {
            txNotifier_ = new QSocketNotifier(static_cast<qintptr>(fd), QSocketNotifier::Write, this);
            connect(txNotifier_, &QSocketNotifier::activated, this, [this] { terminal_.drainOutput(); });
        }
        txNotifier_->setEnabled(true);
        return;
    }
    if (!txRetry_) {
        txRetry_ = new QTimer(this);
        txRetry_->setInterval(10);
        connect(txRetry_, &QTimer::timeout, this, [this] { terminal_.drainOutput(); });
    }
    txRetry_->start();
}

}  // namespace comtrax
