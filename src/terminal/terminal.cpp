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
                 SendScheduler::Hooks{[this](const std::string& line) { scheduledSend(line); },
                                      [this] { return access_.portOpen(); },
                                      [this] { return fileRunEnded(); }}),
      connection_(access_, s.view, Connection::Hooks{s.sleep, [this] { scheduler_.sendAfterConnect(); }}),
      modem_(s.port, s.schedule),
      view_(s.view),
      rules_(s.clock),
      answerWatch_(s.clock),
      directives_(s.clock)
{
    receiver_.setAfterAnswer([this] { afterAnswer(); });
    receiver_.setThreadWanted(s.receiveThread);
    receiver_.setLastSent([this] { return sender_.lastSentNs(); });
    // A break or a reset pulse under way ends before the port closes; the
    // receive thread, which reads the port, ends before it too.
    access_.setClosingListener([this] {
        modem_.portClosing();
        receiver_.portClosing();
    });
    // Lines still waiting for room when the port closes did not go out.
    access_.setClosedListener([this] {
        sender_.abandonOutput();
        answerWatch_.cancel();
        modem_.portClosed();
    });
    // DTR and RTS as the user chose, on every open: Connect and a reconnection.
    access_.setOpenedListener([this] {
        modem_.portOpened();
        receiver_.portOpened();
    });
    wireAutomation();
}

void Terminal::addPacketObserver(PacketObserver observer)
{
    packetObservers_.push_back(std::move(observer));
    if (packetObservers_.size() > 1)
        return;
    // The receiver keeps a copy of each packet's bytes only once someone listens.
    receiver_.setPacketObserver([this](const ReceivedPacket& packet) {
        // An observer may add another while it is told: only those present
        // when the packet came are told of it.
        const std::size_t count = packetObservers_.size();
        for (std::size_t i = 0; i < count; ++i)
            packetObservers_[i](packet);
    });
}

Terminal::PollResult Terminal::poll()
{
    // While the device streams, one wake takes everything waiting, up to a
    // bound that keeps the window responsive, instead of one receive buffer
    // per trip through the event loop. Each round is a whole receive poll, so
    // packets are framed exactly as by polls one after another.
    PollResult r;
    if (receiver_.threadRunning()) {
        r.bytesRead = receiver_.poll();
        return r;
    }
    for (uint32_t round = 0; round < MaxPollsPerWake; ++round) {
        const uint32_t room = Receiver::BufferSize - receiver_.rxCount();
        const uint32_t got = receiver_.poll();
        r.bytesRead += got;
        // More bytes than one poll can take are waiting: the device sends
        // faster than a poll a millisecond can read. A poll that filled the
        // receive buffer counts too: the system hands a pty's or a USB
        // adapter's bytes on in pieces, so its queue can look empty for a
        // moment while more are on the way.
        r.backlog = got > 0 && (got >= room || access_.portInputCount() > 0);
        if (!r.backlog || !access_.portOpen())
            break;
    }
    return r;
}

}  // namespace comtrax
