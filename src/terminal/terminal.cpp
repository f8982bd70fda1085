#include "terminal/terminal.h"

namespace comtrax {

Terminal::Terminal(const Setup& s)
    : clock_(s.clock),
      directory_(s.directory),
      access_(s.port, s.lister, s.view),
      counters_(s.view),
      logFile_(s.view, s.directory),
      logOutput_(s.view, logFile_),
      sender_(access_, history_, logOutput_, counters_, options_, s.clock, s.view),
      receiver_(access_, counters_, logOutput_, options_, s.clock),
      scheduler_(options_, s.clock, s.view,
                 SendScheduler::Hooks{[this](const std::string& line) { sender_.send(line); },
                                      [this] { return access_.portOpen(); }}),
      connection_(access_, s.view, Connection::Hooks{s.sleep, [this] { scheduler_.sendAfterConnect(); }})
{
    receiver_.setAfterAnswer([this] { scheduler_.sendNextAfterAnswer(); });
    // Lines still waiting for room when the port closes did not go out.
    access_.setClosedListener([this] { sender_.abandonOutput(); });
}

Terminal::PollResult Terminal::poll()
{
    const uint32_t room = Receiver::BufferSize - receiver_.rxCount();
    PollResult r;
    r.bytesRead = receiver_.poll();
    // More bytes than one poll can take are waiting: the device sends faster
    // than a poll a millisecond can read. A poll that filled the receive
    // buffer counts too: the system hands a pty's or a USB adapter's bytes on
    // in pieces, so its queue can look empty for a moment while more are on
    // the way.
    r.backlog = r.bytesRead > 0 && (r.bytesRead >= room || access_.portInputCount() > 0);
    return r;
}

}  // namespace comtrax
