#pragma once
// Traffic counters: bytes both ways, lines sent, reads and the gaps between them.
#include <cstdint>

namespace comtrax {

class TerminalView;

class TrafficCounters {
public:
    explicit TrafficCounters(TerminalView& view);

    // Send side: n bytes handed to the port (StaticText3), then one line counted (LSend).
    void addTxBytes(int32_t n);
    void countSentLine();
    // A line that did not reach the port whole; shown beside the sent count.
    void countNotSentLine();
    // Receive side: n bytes read (StaticText3).
    void addRxBytes(int32_t n);
    // Called right after each poll that found bytes, with the receive-clock time.
    void countRead(int32_t now);
    // BTClrStat: counts and gaps back to their start values; byte totals and read times kept.
    void resetStatistics();

    int32_t txBytes() const { return txBytes_; }
    int32_t rxBytes() const { return rxBytes_; }
    int32_t sentPackets() const { return sentPackets_; }
    int32_t notSentLines() const { return notSentLines_; }
    int32_t readPackets() const { return readPackets_; }
    int32_t minGapMs() const { return minGapMs_; }
    int32_t maxGapMs() const { return maxGapMs_; }

private:
    void showByteTotals();
    void showSentCount();
    TerminalView& view_;
    int32_t txBytes_ = 0;
    int32_t rxBytes_ = 0;
    int32_t sentPackets_ = 0;
    int32_t notSentLines_ = 0;
    int32_t readPackets_ = 0;
    int32_t minGapMs_ = 0x7FFFFFFF;
    int32_t maxGapMs_ = 0;
    int32_t prevReadTime_ = 0;
    int32_t lastReadTime_ = 0;
};

}  // namespace comtrax
