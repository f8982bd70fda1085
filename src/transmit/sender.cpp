#include "common/busy_guard.h"
#include "transmit/sender.h"

#include <limits>

#include "common/terminal_view.h"
#include "receive/log_file.h"
#include "receive/statistics.h"
#include "serial/port_access.h"
#include "transmit/codec.h"
#include "transmit/history.h"

namespace comtrax {

namespace {


}  // namespace

Sender::Sender(PortAccess& port, SentHistory& history, LogOutput& log, TrafficCounters& counters,
               const TerminalOptions& options, const Clock& clock, TerminalView& view)
    : port_(port), history_(history), log_(log), counters_(counters), options_(options),
      clock_(clock), view_(view)
{
}

void Sender::SendPortData(const std::string& line)
{
    // A nested call from a modal window's event loop is dropped, not queued.
    if (sendBusy_)
        return;
    BusyGuard guard(sendBusy_);

    if (!port_.portOpen()) {
        view_.showNoPortWindow();
        return;
    }
    if (line.empty())
        return;

    history_.recordSent(line);

    const EncodedLine encoded = encodeLine(line, options_.suffix, options_.hex);

    std::string echo;
    if (options_.showTime)
        echo = " [ " + formatLogTime(clock_.now()) + " > ] " + encoded.echo;
    else
        echo = encoded.echo;
    // A log-file failure is reported and handled inside; the line still goes out.
    log_.addLine(echo, options_.filter);

    // No purge of the port before the write: bytes the device has sent and no
    // poll has read yet are answers the user is waiting for, and the receive
    // poll shows them as it shows any other.
    // The bytes string holds the whole line: nothing is cut at a buffer size.
    const std::size_t size = encoded.bytes.size();
    const auto n = static_cast<uint32_t>(
        size > std::numeric_limits<int32_t>::max() ? std::numeric_limits<int32_t>::max() : size);
    counters_.addTxBytes(static_cast<int32_t>(n));
    port_.writePort(reinterpret_cast<const uint8_t*>(encoded.bytes.data()), n);
    counters_.countSentLine();
}

}  // namespace comtrax
