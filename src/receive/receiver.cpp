#include "receive/receiver.h"

#include "common/busy_guard.h"
#include "common/checksums.h"

#include <algorithm>
#include <vector>

#include "log/log_file.h"
#include "receive/packet_times.h"
#include "log/statistics.h"
#include "serial/port_access.h"

namespace comtrax {

Receiver::Receiver(PortAccess& port, TrafficCounters& counters, LogOutput& log,
                   const TerminalOptions& options, const Clock& clock)
    : port_(port), counters_(counters), log_(log), options_(options), clock_(clock)
{
    framer_.setGapNs(gapForTimeoutNs(rxTimeoutMs_));
}

// Joins the thread; nothing is shown any more, the window is going.
Receiver::~Receiver() = default;

uint32_t Receiver::poll()
{
    // A modal box opened by the after-answer step keeps ticks coming; those
    // must not start a second poll inside this one.
    if (rxBusy_)
        return 0;
    BusyGuard busy(rxBusy_);
    if (thread_)
        return takeHandedOver();
    if (!port_.portOpen())
        return 0;
    return pollPort();
}

uint32_t Receiver::pollPort()
{
    // An idle tick costs exactly this: one status query, one clock reading.
    const uint32_t q = port_.portInputCount();
    tickTime_ = clock_.now();
    const int64_t ns = clock_.monotonicNs();
    // The options are read as they stand at this poll, as they always were.
    framer_.setHex(options_.hex);
    std::vector<FramedPacket> packets;
    uint32_t got = 0;
    if (q > 0) {
        const uint32_t n = std::min(q, framer_.room());
        got = std::min(port_.readPort(readBuffer_.data(), n), n);  // never trust more than asked for
        counters_.addRxBytes(static_cast<int32_t>(got));
        counters_.countRead(weekTimeMs(tickTime_));
        framer_.feed(readBuffer_.data(), got, ns, packets);
    }
    framer_.due(ns, false, packets);
    for (const FramedPacket& p : packets)
        show(p, port_.portInputCount() == 0);
    return got;
}

uint32_t Receiver::takeHandedOver()
{
    ReceiveBatch batch = handOver_.take();
    if (batch.empty())
        return 0;
    tickTime_ = clock_.now();
    constexpr int64_t WeekMs = 7LL * 24 * 60 * 60 * 1000;
    for (const int64_t ms : batch.readMs)
        counters_.countRead(static_cast<int32_t>(ms % WeekMs));
    counters_.addRxBytes(static_cast<int32_t>(batch.bytes));
    countedBytes_ += batch.bytes;
    lost_ = lost_ || batch.lost;
    const LogOutput::Batch together(log_);
    for (const FramedPacket& p : batch.packets) {
        shownBytes_ += p.bytes.size();
        show(p, p.deviceQuiet);
    }
    return static_cast<uint32_t>(batch.bytes);
}

void Receiver::portOpened()
{
    framingChanged();  // the rate and frame may have changed
    if (!threadWanted_)
        return;
    thread_ = std::make_unique<ReceiveThread>(port_.port(), framer_, handOver_);
    if (!thread_->start(settings()))
        thread_.reset();
}

void Receiver::portClosing()
{
    if (thread_) {
        thread_->stop();
        {
            BusyGuard busy(rxBusy_);
            takeHandedOver();
        }
        thread_.reset();
    }
    // What is held is shown now: the device can add nothing to it, and it
    // must not wait for (or be merged into) the next connection's first packet.
    std::vector<FramedPacket> packets;
    framer_.flush(packets);
    tickTime_ = clock_.now();
    for (const FramedPacket& p : packets)
        show(p, false);
    countedBytes_ = shownBytes_ = 0;
}

bool Receiver::takeLoss()
{
    const bool lost = lost_;
    lost_ = false;
    return lost;
}

void Receiver::setRxTimeoutMs(int32_t v)
{
    rxTimeoutMs_ = v;
    framingChanged();
}

ReceiveSettings Receiver::settings() const
{
    ReceiveSettings s;
    s.gapNs = gapForTimeoutNs(rxTimeoutMs_);
    if (inCharacters_) {
        const bool parity = port_.port().lineOptions().parity != Parity::None;
        const int stopTimesTwo = port_.stopCode() == TwoStop ? 4 : port_.stopCode() == OneAndHalfStop ? 3 : 2;
        s.gapNs = gapForCharactersNs(port_.baud(), port_.dataBits(), parity, stopTimesTwo);
    }
    s.hex = options_.hex;
    s.answerAtOnce = options_.sendMode == SendMode::AfterAnswer;
    return s;
}

void Receiver::framingChanged()
{
    const ReceiveSettings s = settings();
    if (thread_) {
        thread_->reconfigure(s);
        return;
    }
    framer_.setGapNs(s.gapNs);
    framer_.setHex(s.hex);
}

uint32_t Receiver::rxCount() const
{
    if (thread_)
        return static_cast<uint32_t>(countedBytes_ - shownBytes_);
    return framer_.held();
}

void Receiver::show(const FramedPacket& packet, bool quiet)
{
    const auto* data = reinterpret_cast<const uint8_t*>(packet.bytes.data());
    const auto n = static_cast<uint32_t>(packet.bytes.size());
    std::string text;
    if (!options_.hex) {
        text = convertAscii(data, n);
    } else {
        text = convertHex(data, n);
        // Only a packet that ended in silence is a whole frame; an early cut
        // of a long stream is not checked.
        if (options_.checkModbusCrc && packet.endedBySilence)
            text += endsWithValidModbusCrc(packet.bytes) ? CrcGoodMark : CrcBadMark;
    }
    const ReceivedPacket observed{packet.bytes, packet.firstByteNs, packet.lastByteNs, packet.endedBySilence};
    const auto tellObserver = [&] {
        if (packetObserver_)
            packetObserver_(observed);
    };
    // A packet of nothing but LF bytes leaves no text: nothing is shown and
    // the after-answer step waits for a real answer.
    if (text.empty()) {
        tellObserver();
        return;
    }
    if (options_.packetTimes.any()) {
        const PacketClockReading now{clock_.now(), clock_.monotonicNs()};
        text = formatPacketTimes(packet, options_.packetTimes, now, lastSentNs_ ? lastSentNs_() : -1) + text;
    }
    if (options_.showTime) {
        // The reading of this poll is the moment of display.
        text = " [ " + formatLogTime(tickTime_) + " < ] " + text;
    }
    log_.addLine(text, options_.filter, LogDirection::Received);
    tellObserver();

    // The next command goes out only when the device has stopped talking, and
    // also when the filter kept the answer out of the window.
    if (options_.sendMode == SendMode::AfterAnswer && afterAnswer_ && quiet)
        afterAnswer_();
}

int64_t Receiver::msUntilPacketEnd() const
{
    if (thread_ || framer_.held() == 0 || !port_.portOpen())
        return -1;
    if (framer_.held() > EarlyCut)
        return 0;
    const int64_t wait = framer_.deadlineNs() - clock_.monotonicNs();
    // A timeout beyond a week is asked again after a week.
    constexpr int64_t WeekMs = 7LL * 24 * 60 * 60 * 1000;
    return std::clamp<int64_t>((wait + 999999) / 1000000, 0, WeekMs);
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
