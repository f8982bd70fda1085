#pragma once
// Receiving: packets framed by silence or size (see Framer), each one display
// line. With a receive handle the port is read on a thread of its own and the
// window takes the finished packets in batches; without one (and in tests)
// the window's poll reads and frames them itself, on the same rules.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "common/clock.h"
#include "common/options.h"
#include "receive/framer.h"
#include "receive/receive_thread.h"
#include "receive/received_packet.h"

namespace comtrax {

class PortAccess;
class TrafficCounters;
class LogOutput;

class Receiver {
public:
    static constexpr uint32_t BufferSize = Framer::BufferSize;
    static constexpr uint32_t EarlyCut = Framer::EarlyCut;
    // What the Modbus CRC check appends to a received HEX packet.
    static constexpr const char* CrcGoodMark = " [CRC ok]";
    static constexpr const char* CrcBadMark = " [CRC bad]";

    Receiver(PortAccess& port, TrafficCounters& counters, LogOutput& log, const TerminalOptions& options,
             const Clock& clock);
    ~Receiver();

    // Called after a built line when after-answer mode finds the device quiet.
    void setAfterAnswer(std::function<void()> hook) { afterAnswer_ = std::move(hook); }
    // Called with every packet that leaves the framing, shown or not.
    void setPacketObserver(PacketObserver observer) { packetObserver_ = std::move(observer); }
    // When the last sent line left (monotonic ns, -1: none), for the time of an answer.
    void setLastSent(std::function<int64_t()> lastSentNs) { lastSentNs_ = std::move(lastSentNs); }

    // One receive poll (or, while the thread runs, what it handed over);
    // returns how many bytes it took in.
    uint32_t poll();

    // The receive thread: wanted in the program, started on every open of a
    // port that has a receive handle, stopped before every close.
    void setThreadWanted(bool wanted) { threadWanted_ = wanted; }
    void portOpened();
    // Stops the thread, takes what it handed over and shows what is held:
    // no byte read before a close waits for the next connection.
    void portClosing();
    bool threadRunning() const { return thread_ && thread_->running(); }
    // Readable while the thread has something for the window (-1: none).
    int handOverHandle() const { return handOver_.handle(); }
    // True once after the thread found the device gone.
    bool takeLoss();

    int32_t rxTimeoutMs() const { return rxTimeoutMs_; }
    void setRxTimeoutMs(int32_t v);
    // "3.5 characters": the silence that ends a packet follows the open
    // port's rate and frame (Modbus RTU) instead of TimeRX.
    bool timeoutInCharacters() const { return inCharacters_; }
    void setTimeoutInCharacters(bool on)
    {
        inCharacters_ = on;
        framingChanged();
    }
    // The hex, send-mode or line choices changed: the framing follows.
    void framingChanged();
    // Bytes taken in and not yet in a packet.
    uint32_t rxCount() const;
    // Milliseconds until a held packet must be shown, or -1 when nothing is
    // held or the port is closed (the synchronous poll).
    int64_t msUntilPacketEnd() const;

    // The display line of held bytes without time stamp (exposed for tests and fuzzing).
    // ASCII: CR becomes CR LF, LF is dropped, a zero byte is "<NULL>"; the LF
    // of a final CR LF is removed again. HEX: "XX" pairs separated by blanks.
    static std::string convertAscii(const uint8_t* data, uint32_t n);
    static std::string convertHex(const uint8_t* data, uint32_t n);
    static uint32_t textCutLength(const uint8_t* data, uint32_t n) { return Framer::textCutLength(data, n); }

private:
    uint32_t pollPort();
    uint32_t takeHandedOver();
    void show(const FramedPacket& packet, bool quiet);
    ReceiveSettings settings() const;

    PortAccess& port_;
    TrafficCounters& counters_;
    LogOutput& log_;
    const TerminalOptions& options_;
    const Clock& clock_;
    std::function<void()> afterAnswer_;
    PacketObserver packetObserver_;
    std::function<int64_t()> lastSentNs_;
    Framer framer_;
    HandOver handOver_;
    std::unique_ptr<ReceiveThread> thread_;
    bool threadWanted_ = false;
    bool lost_ = false;
    uint64_t countedBytes_ = 0;  // taken in from the thread
    uint64_t shownBytes_ = 0;    // of those, in packets
    std::array<uint8_t, BufferSize> readBuffer_{};
    int32_t rxTimeoutMs_ = 0;
    bool inCharacters_ = false;
    bool rxBusy_ = false;
    LocalDateTime tickTime_;  // the clock reading of the running poll
};

}  // namespace comtrax
