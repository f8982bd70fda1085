#pragma once
// Packets out of stamped reads. Each read comes with the monotonic time it was
// made; a packet ends when the silence after its last read reaches the gap,
// or early when more than EarlyCut bytes are held (text cut after its last
// line break). The same rules run on the receive thread and in the window's
// synchronous poll, so they are judged on stamps alone.
#include <cstdint>
#include <string>
#include <vector>

namespace comtrax {

struct FramedPacket {
    std::string bytes;
    int64_t firstByteNs = 0;
    int64_t lastByteNs = 0;
    bool endedBySilence = true;
    // Nothing was waiting at the port when the packet ended: the device
    // stopped talking (what the after-answer step waits for).
    bool deviceQuiet = false;
    // The silence before the packet: from the end of the previous one, or -1
    // when there was none.
    int64_t silenceBeforeNs = -1;
};

// The silence that ends a packet, from the TimeRX setting in whole
// milliseconds: a packet ends once the silence, rounded to whole
// milliseconds, exceeds it, that is at TimeRX + 0.5 ms (0: half a millisecond
// of silence); a negative setting makes every read a packet of its own.
// A clock that counts whole milliseconds ends a packet somewhere between
// TimeRX and TimeRX + 1 ms of silence, wherever the last byte fell within its
// millisecond; stamped reads end it at the middle of that span, every time.
int64_t gapForTimeoutNs(int32_t timeoutMs);
// The "3.5 characters" gap of Modbus RTU: 3.5 character times at the baud
// rate, a character being start, data, parity and stop bits; above 19200 baud
// a fixed 1.75 ms. stopBitsTimesTwo: 2 for one stop bit, 3 for 1.5, 4 for two.
int64_t gapForCharactersNs(int baud, int dataBits, bool parity, int stopBitsTimesTwo);

class Framer {
public:
    static constexpr uint32_t BufferSize = 2048;
    static constexpr uint32_t EarlyCut = 1500;

    void setGapNs(int64_t gapNs) { gapNs_ = gapNs < 0 ? 0 : gapNs; }
    int64_t gapNs() const { return gapNs_; }
    // Text is cut early after its last line break; HEX whole.
    void setHex(bool hex) { hex_ = hex; }

    // How many bytes the next read may bring.
    uint32_t room() const { return BufferSize - static_cast<uint32_t>(held_.size()); }
    uint32_t held() const { return static_cast<uint32_t>(held_.size()); }

    // A read of n bytes (at most room()) stamped at ns. A held packet whose
    // silence had already run out when these bytes came ends first.
    void feed(const uint8_t* data, uint32_t n, int64_t ns, std::vector<FramedPacket>& out);
    // What is due at ns: the held packet when its silence has run out, else
    // the early cut. quiet: nothing is waiting at the port now.
    void due(int64_t ns, bool quiet, std::vector<FramedPacket>& out);
    // Only the early cut, between reads of one burst.
    void cutEarly(std::vector<FramedPacket>& out);
    // When the held packet ends by silence, or -1 when nothing is held.
    int64_t deadlineNs() const;
    // Everything held, as one packet (the port is going away).
    void flush(std::vector<FramedPacket>& out);

    // A cut of n held text bytes: up to and including the last CR or LF, or
    // all of them when there is none or more than EarlyCut bytes follow it.
    static uint32_t textCutLength(const uint8_t* data, uint32_t n);

private:
    void emitEarlyCut(bool quiet, std::vector<FramedPacket>& out);
    void emitPacket(uint32_t n, bool endedBySilence, bool quiet, std::vector<FramedPacket>& out);

    std::string held_;
    int64_t gapNs_ = 1000000;
    bool hex_ = false;
    int64_t firstByteNs_ = 0;
    int64_t lastByteNs_ = 0;
    int64_t previousEndNs_ = -1;  // the last byte of the previous packet
};

}  // namespace comtrax
