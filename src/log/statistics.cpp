#include "log/statistics.h"

#include <cstdint>
#include <string>

#include "common/terminal_view.h"

namespace comtrax {

namespace {

// The counters are signed 32-bit as the labels have always shown them. A long
// session can pass 2 GiB; the count then wraps round modulo 2^32, as a 32-bit
// register does, instead of being undefined behaviour.
int32_t wrappingAdd(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

constexpr int32_t NoGapYet = 0x7FFFFFFF;

}  // namespace

TrafficCounters::TrafficCounters(TerminalView& view) : view_(view) {}

void TrafficCounters::showByteTotals()
{
    view_.setByteTotals("TX: " + std::to_string(txBytes_) + " RX: " + std::to_string(rxBytes_));
}

void TrafficCounters::addTxBytes(int32_t n)
{
    txBytes_ = wrappingAdd(txBytes_, n);
    showByteTotals();
}

// "Send: n", and "Send: n (-m)" once m lines did not reach the port whole.
void TrafficCounters::showSentCount()
{
    std::string text = "Send: " + std::to_string(sentPackets_);
    if (notSentLines_ != 0)
        text += " (-" + std::to_string(notSentLines_) + ")";
    view_.setSentCount(text);
}

void TrafficCounters::countSentLine()
{
    sentPackets_ = wrappingAdd(sentPackets_, 1);
    showSentCount();
}

void TrafficCounters::countNotSentLine()
{
    notSentLines_ = wrappingAdd(notSentLines_, 1);
    showSentCount();
}

void TrafficCounters::addRxBytes(int32_t n)
{
    rxBytes_ = wrappingAdd(rxBytes_, n);
    showByteTotals();
}

void TrafficCounters::countRead(int32_t now)
{
    readPackets_ = wrappingAdd(readPackets_, 1);
    view_.setReadCount("Read: " + std::to_string(readPackets_));

    prevReadTime_ = lastReadTime_;
    lastReadTime_ = now;
    // Wider than the clock so that no pair of times can overflow; a gap across
    // the Monday wrap comes out negative and is left out, as is the first read
    // (nothing before it) and a read after one that fell exactly on zero.
    const int64_t gap = int64_t(now) - int64_t(prevReadTime_);
    if (gap <= 0 || prevReadTime_ <= 0 || gap > NoGapYet)
        return;
    if (gap < minGapMs_)
        minGapMs_ = static_cast<int32_t>(gap);
    if (gap > maxGapMs_)
        maxGapMs_ = static_cast<int32_t>(gap);
    view_.setGaps("MIN_T_W:  " + std::to_string(minGapMs_), "MAX_T_W: " + std::to_string(maxGapMs_));
}

void TrafficCounters::resetStatistics()
{
    // Byte totals and the two read times survive: the next gap is measured
    // from the last read before the reset.
    minGapMs_ = NoGapYet;
    maxGapMs_ = 0;
    sentPackets_ = 0;
    notSentLines_ = 0;
    readPackets_ = 0;
    view_.setGaps("MIN_T_W:  NA", "MAX_T_W: NA");
    view_.setReadCount("Read: 0");
    showSentCount();
}

}  // namespace comtrax
