#include "receive/receiver.h"

#include "common/busy_guard.h"
#include "common/checksums.h"

#include <algorithm>

#include "log/log_file.h"
#include "log/statistics.h"
#include "serial/port_access.h"

namespace comtrax {

namespace {

// WeekTimeMs falls back to 0 here, at Monday 00:00.
constexpr int64_t WeekLengthMs = 7LL * 24 * 60 * 60 * 1000;

}  // namespace

Receiver::Receiver(PortAccess& port, TrafficCounters& counters, LogOutput& log,
                   const TerminalOptions& options, const Clock& clock)
    : port_(port), counters_(counters), log_(log), options_(options), clock_(clock)
{}

uint32_t Receiver::poll()
{
    // A modal box opened by the after-answer step keeps ticks coming; those
    // must not start a second poll inside this one.
    if (rxBusy_)
        return 0;
    BusyGuard busy(rxBusy_);
    if (!port_.portOpen())
        return 0;

    // An idle tick costs exactly this: one status query, one clock reading.
    const uint32_t q = port_.portInputCount();
    tickTime_ = clock_.now();
    const int32_t now = weekTimeMs(tickTime_);
    uint32_t got = 0;
    if (q > 0) {
        got = readPort(q);
        counters_.countRead(now);
    }
    if (now < lastRxTime_)  // Monday 00:00 has passed: measure from the new week
        lastRxTime_ = now;
    if (q > 0)
        lastRxTime_ = now;
    const int32_t silence = now - lastRxTime_;
    if (silence > rxTimeoutMs_)
        showPacket(!options_.hex, true);
    else if (rxCount_ > EarlyCut)
        showPacket(false, false);
    return got;
}

uint32_t Receiver::readPort(uint32_t n)
{
    n = std::min(n, BufferSize - rxCount_);
    uint32_t got = port_.readPort(rxBuffer_.data() + rxCount_, n);
    got = std::min(got, n);  // never trust a count beyond what was asked for
    counters_.addRxBytes(static_cast<int32_t>(got));
    if (got > 0) {
        lastByteNs_ = clock_.monotonicNs();
        if (rxCount_ == 0)
            firstByteNs_ = lastByteNs_;
    }
    rxCount_ += got;
    return got;
}

void Receiver::showPacket(bool final, bool endedBySilence)
{
    if (rxCount_ == 0)
        return;
    std::string text;
    // What leaves the buffer, for the packet observer (copied only when one listens).
    std::string packetBytes;
    const auto takeForObserver = [&](uint32_t n) {
        if (packetObserver_)
            packetBytes.assign(reinterpret_cast<const char*>(rxBuffer_.data()), n);
    };
    uint32_t taken = 0;
    if (!options_.hex) {
        const uint8_t last = rxBuffer_[rxCount_ - 1];
        if (!final && !endedBySilence && rxCount_ > EarlyCut) {
            // A long text stream is cut where a line ends, so that a reader of
            // the log never sees a sentence split over two lines; the rest
            // starts the next packet. Without any line break it is cut whole.
            const uint32_t keep = textCutLength(rxBuffer_.data(), rxCount_);
            text = convertAscii(rxBuffer_.data(), keep);
            takeForObserver(keep);
            taken = keep;
            std::copy(rxBuffer_.begin() + keep, rxBuffer_.begin() + rxCount_, rxBuffer_.begin());
            rxCount_ -= keep;
        } else if (last == 13 || last == 10 || rxCount_ > EarlyCut || final) {
            text = convertAscii(rxBuffer_.data(), rxCount_);
            takeForObserver(rxCount_);
            taken = rxCount_;
            rxCount_ = 0;
        }
    } else {
        text = convertHex(rxBuffer_.data(), rxCount_);
        // Only a packet that ended in silence is a whole frame; an early cut
        // of a long stream is not checked.
        if (options_.checkModbusCrc && endedBySilence) {
            const std::string_view frame(reinterpret_cast<const char*>(rxBuffer_.data()), rxCount_);
            text += endsWithValidModbusCrc(frame) ? CrcGoodMark : CrcBadMark;
        }
        takeForObserver(rxCount_);
        taken = rxCount_;
        rxCount_ = 0;
    }
    if (taken == 0)
        return;
    const ReceivedPacket packet{packetBytes, firstByteNs_, lastByteNs_, endedBySilence};
    // The rest of a text stream cut early came in the reads up to the last one.
    firstByteNs_ = lastByteNs_;
    const auto tellObserver = [&] {
        if (packetObserver_)
            packetObserver_(packet);
    };
    // A packet of nothing but LF bytes leaves no text: nothing is shown and
    // the after-answer step waits for a real answer.
    if (text.empty()) {
        tellObserver();
        return;
    }
    if (options_.showTime) {
        // The reading of this poll is the moment of display.
        text = " [ " + formatLogTime(tickTime_) + " < ] " + text;
    }
    log_.addLine(text, options_.filter, LogDirection::Received);
    tellObserver();

    // The next command goes out only when the device has stopped talking, and
    // also when the filter kept the answer out of the window.
    if (options_.sendMode == SendMode::AfterAnswer && afterAnswer_ && port_.portInputCount() == 0)
        afterAnswer_();
}

int64_t Receiver::msUntilPacketEnd() const
{
    if (rxCount_ == 0 || !port_.portOpen())
        return -1;
    if (rxCount_ > EarlyCut)
        return 0;
    const int64_t now = weekTimeMs(clock_.now());
    if (now < lastRxTime_)
        return 0;  // the week has wrapped: the next poll takes its new reference
    // The packet ends at the first tick where silence exceeds the timeout.
    int64_t due = int64_t(lastRxTime_) + int64_t(rxTimeoutMs_) + 1;
    // Silence is measured afresh from the first poll of the new week, so wake
    // then rather than at a deadline the wrap will move.
    due = std::min(due, WeekLengthMs);
    return std::max<int64_t>(0, due - now);
}

uint32_t Receiver::textCutLength(const uint8_t* data, uint32_t n)
{
    // A tail longer than the cut itself is split whatever is done; cutting it
    // whole keeps no more than the cut held after any poll.
    for (uint32_t i = n; i > 0 && n - i <= EarlyCut; --i) {
        if (data[i - 1] == 13 || data[i - 1] == 10)
            return i;
    }
    return n;
}

// A CR in the data becomes CR LF, so the line holds CR LF pairs, and a packet
// ending in CR (or CR LF) ends in a lone CR once the added LF is taken off
// again. The log output takes that closing CR as the end of the line, not as
// an extra empty line, in the window and in the log file alike.
//
// Only what the conversion itself added is taken off the end: a packet that
// does not end in a line break keeps its last character ("OK" shows "OK").
std::string Receiver::convertAscii(const uint8_t* data, uint32_t n)
{
    std::string text;
    text.reserve(n + n / 4);
    const char* bytes = reinterpret_cast<const char*>(data);
    // Runs of bytes that stay as they are go over in one piece.
    uint32_t run = 0;
    for (uint32_t i = 0; i < n; ++i) {
        const uint8_t b = data[i];
        if (b != 13 && b != 10 && b != 0)
            continue;
        text.append(bytes + run, i - run);
        run = i + 1;
        if (b == 13)
            text += "\r\n";
        else if (b == 0)
            text += "<NULL>";
    }
    text.append(bytes + run, n - run);
    if (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

std::string Receiver::convertHex(const uint8_t* data, uint32_t n)
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(std::size_t(n) * 3);
    for (uint32_t i = 0; i < n; ++i) {
        if (i > 0)
            text += ' ';
        text += Digits[data[i] >> 4];
        text += Digits[data[i] & 0x0F];
    }
    return text;
}

}  // namespace comtrax
