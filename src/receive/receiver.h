#pragma once
// The receive poll: bytes from the port into RxBuffer, packets ended by silence
// or by more than 1500 held bytes (text cut at its last line break), each
// packet one display line.
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "common/clock.h"
#include "common/options.h"
#include "receive/received_packet.h"

namespace comtrax {

class PortAccess;
class TrafficCounters;
class LogOutput;

class Receiver {
public:
    static constexpr uint32_t BufferSize = 2048;
    static constexpr uint32_t EarlyCut = 1500;
    // What the Modbus CRC check appends to a received HEX packet.
    static constexpr const char* CrcGoodMark = " [CRC ok]";
    static constexpr const char* CrcBadMark = " [CRC bad]";

    Receiver(PortAccess& port, TrafficCounters& counters, LogOutput& log, const TerminalOptions& options,
             const Clock& clock);

    // Called after every built line when after-answer mode finds no bytes waiting.
    void setAfterAnswer(std::function<void()> hook) { afterAnswer_ = std::move(hook); }
    // Called with every packet that leaves the receive buffer, shown or not.
    void setPacketObserver(PacketObserver observer) { packetObserver_ = std::move(observer); }

    // One receive poll; returns how many bytes it read.
    uint32_t poll();

    int32_t rxTimeoutMs() const { return rxTimeoutMs_; }
    void setRxTimeoutMs(int32_t v) { rxTimeoutMs_ = v; }
    uint32_t rxCount() const { return rxCount_; }
    // Milliseconds until a held packet must be shown, or -1 when nothing is held.
    // Lets the window sleep between polls without changing when a packet ends.
    // Also -1 while the port is closed (the poll does nothing then): ask again
    // after the port opens, and after every poll.
    int64_t msUntilPacketEnd() const;

    // The display line of held bytes without time stamp (exposed for tests and fuzzing).
    // ASCII: CR becomes CR LF, LF is dropped, a zero byte is "<NULL>"; the LF
    // of a final CR LF is removed again. HEX: "XX" pairs separated by blanks.
    static std::string convertAscii(const uint8_t* data, uint32_t n);
    static std::string convertHex(const uint8_t* data, uint32_t n);
    // How many of n held text bytes an early cut shows: up to and including
    // the last CR or LF, or all of them when there is none or more than
    // EarlyCut bytes follow it.
    static uint32_t textCutLength(const uint8_t* data, uint32_t n);

private:
    uint32_t readPort(uint32_t n);
    void showPacket(bool final, bool endedBySilence);

    PortAccess& port_;
    TrafficCounters& counters_;
    LogOutput& log_;
    const TerminalOptions& options_;
    const Clock& clock_;
    std::function<void()> afterAnswer_;
    PacketObserver packetObserver_;
    std::array<uint8_t, BufferSize> rxBuffer_{};
    uint32_t rxCount_ = 0;
    int32_t lastRxTime_ = 0;
    int32_t rxTimeoutMs_ = 0;
    bool rxBusy_ = false;
    LocalDateTime tickTime_;   // the clock reading of the running poll
    int64_t firstByteNs_ = 0;  // when the held bytes' first and last read came
    int64_t lastByteNs_ = 0;
};

}  // namespace comtrax
