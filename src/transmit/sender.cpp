#include "common/busy_guard.h"
#include "transmit/sender.h"

#include <limits>

#include "common/terminal_view.h"
#include "log/log_file.h"
#include "log/statistics.h"
#include "serial/port_access.h"
#include "transmit/codec.h"
#include "transmit/history.h"

namespace comtrax {

namespace {}  // namespace

Sender::Sender(PortAccess& port, SentHistory& history, LogOutput& log, TrafficCounters& counters,
               const TerminalOptions& options, const Clock& clock, TerminalView& view)
    : port_(port),
      history_(history),
      log_(log),
      counters_(counters),
      options_(options),
      clock_(clock),
      view_(view)
{}

void Sender::send(const std::string& line)
{
    sendLine(line, options_.hex, options_.suffix, false);
}

void Sender::sendAutomatic(const std::string& line, bool hex, const std::string& suffix)
{
    sendLine(line, hex, suffix, true);
}

void Sender::sendLine(const std::string& line, bool hex, const std::string& suffix, bool automatic)
{
    // A nested call from a modal window's event loop is dropped, not queued.
    if (sendBusy_)
        return;
    BusyGuard guard(sendBusy_);

    if (!port_.portOpen()) {
        // Nobody typed an automatic line: no window pops up for it.
        if (!automatic)
            view_.showNoPortWindow();
        return;
    }
    if (line.empty())
        return;

    // The history holds what the user sent, not what rules answered.
    if (!automatic)
        history_.recordSent(line);

    const EncodedLine encoded = encodeLine(line, suffix, hex);

    std::string echo;
    if (options_.showTime)
        echo = " [ " + formatLogTime(clock_.now()) + " > ] " + encoded.echo;
    else
        echo = encoded.echo;

    // No purge of the port before the write: bytes the device has sent and no
    // poll has read yet are answers the user is waiting for, and the receive
    // poll shows them as it shows any other.
    // The bytes string holds the whole line: nothing is cut at a buffer size.
    std::string bytes = encoded.bytes;
    if (bytes.size() > static_cast<std::size_t>(std::numeric_limits<int32_t>::max()))
        bytes.resize(static_cast<std::size_t>(std::numeric_limits<int32_t>::max()));

    // Lines go out in order: while others wait, this one waits behind them.
    if (!queue_.empty()) {
        if (queuedBytes_ + bytes.size() > QueueLimit) {
            lineNotSent(echo);
            return;
        }
        queuedBytes_ += bytes.size();
        queue_.push_back({std::move(bytes), 0, std::move(echo)});
        return;
    }
    const int64_t taken =
        port_.writePort(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<uint32_t>(bytes.size()));
    if (taken < 0) {
        lineNotSent(echo);
        return;
    }
    if (taken > 0)
        counters_.addTxBytes(static_cast<int32_t>(taken));
    if (static_cast<std::size_t>(taken) == bytes.size()) {
        lineSent(echo);
        return;
    }
    // The device is not reading fast enough: the rest waits for room.
    if (bytes.size() - static_cast<std::size_t>(taken) > QueueLimit) {
        lineNotSent(echo);
        return;
    }
    queuedBytes_ += bytes.size() - static_cast<std::size_t>(taken);
    queue_.push_back({std::move(bytes), static_cast<std::size_t>(taken), std::move(echo)});
    setOutputWaiting(true);
}

// A line is shown and logged as sent once the port has accepted every byte of
// it; one that did not get there whole carries the mark, and is counted apart.
// A log-file failure is reported and handled inside; sending goes on.
void Sender::lineSent(const std::string& echo)
{
    // The line's last byte has left the program: answers are timed from here.
    lastSentNs_ = clock_.monotonicNs();
    log_.addLine(echo, options_.filter, LogDirection::Sent);
    counters_.countSentLine();
}

void Sender::lineNotSent(const std::string& echo)
{
    log_.addLine(LogOutput::withCrLfBreaks(echo) + NotSentMark, options_.filter, LogDirection::Sent);
    counters_.countNotSentLine();
}

void Sender::drainOutput()
{
    while (!queue_.empty()) {
        PendingLine& line = queue_.front();
        const std::size_t left = line.bytes.size() - line.taken;
        const int64_t taken = port_.writePort(
            reinterpret_cast<const uint8_t*>(line.bytes.data() + line.taken), static_cast<uint32_t>(left));
        if (taken < 0) {
            abandonOutput();
            return;
        }
        if (taken > 0) {
            counters_.addTxBytes(static_cast<int32_t>(taken));
            line.taken += static_cast<std::size_t>(taken);
            queuedBytes_ -= static_cast<std::size_t>(taken);
        }
        if (static_cast<std::size_t>(taken) < left)
            return;  // still no room: wait for the next chance
        const std::string echo = std::move(line.echo);
        queue_.pop_front();
        lineSent(echo);
    }
    setOutputWaiting(false);
}

void Sender::abandonOutput()
{
    if (queue_.empty())
        return;
    std::deque<PendingLine> lost;
    lost.swap(queue_);
    queuedBytes_ = 0;
    for (const PendingLine& line : lost)
        lineNotSent(line.echo);
    setOutputWaiting(false);
}

void Sender::setOutputWaiting(bool waiting)
{
    view_.setOutputWaiting(waiting);
}

}  // namespace comtrax
