#include "ui/window/terminal_timers.h"

#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>

namespace comtrax {

namespace {

constexpr int64_t ADay = 24 * 3600 * 1000;

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
    const int fd = terminal_.handOverHandle();
    if (fd >= 0 && !handOver_) {
        handOver_ = new QSocketNotifier(static_cast<qintptr>(fd), QSocketNotifier::Read, this);
        connect(handOver_, &QSocketNotifier::activated, this, [this] {
            // Off while the batch is shown: a modal box of the after-answer
            // step must not be woken again by the same batch.
            handOver_->setEnabled(false);
            if (handlers_.asOneFrame)
                handlers_.asOneFrame([this] { pollReceive(); });
            else
                pollReceive();
            if (handOver_)
                handOver_->setEnabled(true);
        });
    }
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
    delete handOver_;
    handOver_ = nullptr;
}

void TerminalTimers::pollReceive()
{
    terminal_.poll();
    if (terminal_.takeReceiveLoss())
        handlers_.checkConnection();
    scheduleRx();
}

void TerminalTimers::scheduleRx()
{
    if (!started_)
        return;
    if (!terminal_.portOpen() || terminal_.receiveThreadRunning()) {
        rxTimer_->stop();
        return;
    }
    if (!rxTimer_->isActive())
        rxTimer_->start();
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
