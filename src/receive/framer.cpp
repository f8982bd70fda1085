#include "receive/framer.h"

#include <algorithm>

namespace comtrax {

namespace {

constexpr int64_t NsPerMs = 1000000;

}  // namespace

int64_t gapForTimeoutNs(int32_t timeoutMs)
{
    return timeoutMs < 0 ? 0 : int64_t(timeoutMs) * NsPerMs + NsPerMs / 2;
}

int64_t gapForCharactersNs(int baud, int dataBits, bool parity, int stopBitsTimesTwo)
{
    if (baud > 19200 || baud <= 0)
        return 1750000;
    // Bit counts doubled so that 1.5 stop bits stay whole.
    const int64_t bitsTimesTwo = 2 * (1 + dataBits + (parity ? 1 : 0)) + stopBitsTimesTwo;
    // 3.5 characters = 7 half characters: 7 * bitsTimesTwo / 4 bit times.
    return (7 * bitsTimesTwo * int64_t(1000000000) + 2 * baud) / (4 * int64_t(baud));
}

void Framer::feed(const uint8_t* data, uint32_t n, int64_t ns, std::vector<FramedPacket>& out)
{
    n = std::min(n, room());
    if (n == 0)
        return;
    // The silence before these bytes already ended the held packet: however
    // late they were read, they start a new one.
    if (!held_.empty() && ns - lastByteNs_ >= gapNs_)
        emitPacket(held(), true, false, out);
    if (held_.empty())
        firstByteNs_ = ns;
    held_.append(reinterpret_cast<const char*>(data), n);
    lastByteNs_ = ns;
}

void Framer::due(int64_t ns, bool quiet, std::vector<FramedPacket>& out)
{
    if (held_.empty())
        return;
    if (ns - lastByteNs_ >= gapNs_) {
        emitPacket(held(), true, quiet, out);
        return;
    }
    if (held() > EarlyCut)
        emitEarlyCut(quiet, out);
}

void Framer::cutEarly(std::vector<FramedPacket>& out)
{
    if (held() > EarlyCut)
        emitEarlyCut(false, out);
}

void Framer::emitEarlyCut(bool quiet, std::vector<FramedPacket>& out)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(held_.data());
    emitPacket(hex_ ? held() : textCutLength(bytes, held()), false, quiet, out);
}

int64_t Framer::deadlineNs() const
{
    if (held_.empty())
        return -1;
    return lastByteNs_ + gapNs_;
}

void Framer::flush(std::vector<FramedPacket>& out)
{
    if (!held_.empty())
        emitPacket(held(), true, false, out);
}

void Framer::emitPacket(uint32_t n, bool endedBySilence, bool quiet, std::vector<FramedPacket>& out)
{
    FramedPacket p;
    p.bytes.assign(held_, 0, n);
    p.firstByteNs = firstByteNs_;
    p.lastByteNs = lastByteNs_;
    p.endedBySilence = endedBySilence;
    p.deviceQuiet = quiet;
    p.silenceBeforeNs = previousEndNs_ < 0 ? -1 : firstByteNs_ - previousEndNs_;
    held_.erase(0, n);
    // The rest of a text stream cut early came in the reads up to the last one.
    firstByteNs_ = lastByteNs_;
    previousEndNs_ = lastByteNs_;
    out.push_back(std::move(p));
}

uint32_t Framer::textCutLength(const uint8_t* data, uint32_t n)
{
    // A tail longer than the cut itself is split whatever is done; cutting it
    // whole keeps no more than the cut held after any read.
    for (uint32_t i = n; i > 0 && n - i <= EarlyCut; --i) {
        if (data[i - 1] == 13 || data[i - 1] == 10)
            return i;
    }
    return n;
}

}  // namespace comtrax
