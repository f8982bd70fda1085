#pragma once
// The times of a received packet a protocol engineer reads: when its first
// byte came, the silence before it and how long after the last sent line it
// came. Shown as one braced group after the line's TIME + stamp, e.g.
// "{@14:03:06.994 gap 12.345ms ans 3.210ms}"; "-" where there is nothing to
// measure from (no packet before, nothing sent before it).
#include <cstdint>
#include <string>

#include "common/clock.h"
#include "common/options.h"
#include "receive/framer.h"

namespace comtrax {

struct PacketClockReading {
    LocalDateTime wall;  // the wall clock and
    int64_t monoNs = 0;  // the monotonic clock, read together
};

// "{...} " with the chosen fields, or "" when none is chosen.
std::string formatPacketTimes(const FramedPacket& packet, const PacketTimes& times,
                              const PacketClockReading& now, int64_t lastSentNs);
// "hh:mm:ss.zzz" of the wall time ns before the reading.
std::string formatTimeBefore(const PacketClockReading& now, int64_t agoNs);

}  // namespace comtrax
