#include "receive/packet_times.h"

#include <cstdio>

namespace comtrax {

namespace {

constexpr int64_t DayMs = 24LL * 3600 * 1000;

// Milliseconds with three decimals (microseconds).
std::string formatMs(int64_t ns)
{
    char text[32];
    std::snprintf(text, sizeof text, "%lld.%03lldms", static_cast<long long>(ns / 1000000),
                  static_cast<long long>((ns / 1000) % 1000));
    return text;
}

}  // namespace

std::string formatTimeBefore(const PacketClockReading& now, int64_t agoNs)
{
    const int64_t agoMs = agoNs < 0 ? 0 : (agoNs + 500000) / 1000000;
    const int64_t ms = ((timeOfDayMs(now.wall) - agoMs) % DayMs + DayMs) % DayMs;
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", static_cast<int>(ms / 3600000),
                  static_cast<int>(ms / 60000 % 60), static_cast<int>(ms / 1000 % 60),
                  static_cast<int>(ms % 1000));
    return text;
}

std::string formatPacketTimes(const FramedPacket& packet, const PacketTimes& times,
                              const PacketClockReading& now, int64_t lastSentNs)
{
    if (!times.any())
        return {};
    std::string out = "{";
    const auto field = [&out](const std::string& text) {
        if (out.size() > 1)
            out += ' ';
        out += text;
    };
    if (times.arrival)
        field("@" + formatTimeBefore(now, now.monoNs - packet.firstByteNs));
    if (times.silenceBefore)
        field("gap " + (packet.silenceBeforeNs < 0 ? std::string("-") : formatMs(packet.silenceBeforeNs)));
    if (times.sinceSent) {
        const bool answer = lastSentNs >= 0 && lastSentNs <= packet.firstByteNs;
        field("ans " + (answer ? formatMs(packet.firstByteNs - lastSentNs) : std::string("-")));
    }
    return out + "} ";
}

}  // namespace comtrax
