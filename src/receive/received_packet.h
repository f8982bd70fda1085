#pragma once
// One received packet as it left the framing: its bytes exactly as they came
// (no conversion, no time stamp, no marks) and when they came. Every byte read
// from the port is in exactly one packet, in order, so the packets one after
// another are the received stream.
#include <cstdint>
#include <functional>
#include <string_view>

namespace comtrax {

struct ReceivedPacket {
    std::string_view bytes;
    // Clock::monotonicNs() of the reads that brought the first and the last byte.
    int64_t firstByteNs = 0;
    int64_t lastByteNs = 0;
    // False for a piece of a long stream cut early (more than the early-cut
    // bound held), which is no whole frame.
    bool endedBySilence = true;
};

// Told of every packet on the window's thread, after its log line was made.
using PacketObserver = std::function<void(const ReceivedPacket&)>;

}  // namespace comtrax
