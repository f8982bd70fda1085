// The network port's line: DTR, RTS and break as COM-PORT commands, and the
// modem lines and baud the server reports.
#include "common/clock.h"
#include "netport/network_port.h"
#include "telnet/telnet_codes.h"
#include "telnet/telnet_engine.h"

namespace comtrax {

using namespace telnet;

bool NetworkPort::control(uint8_t value)
{
    if (!engine_ || state_ == State::Closed || state_ == State::Failed || engine_->comPortRefused())
        return false;
    engine_->setControl(value);
    flush();
    return true;
}

bool NetworkPort::setDtr(bool on)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    dtr_ = on;
    return control(on ? comport::DtrOn : comport::DtrOff);
}

bool NetworkPort::setRts(bool on)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    rts_ = on;
    return control(on ? comport::RtsOn : comport::RtsOff);
}

bool NetworkPort::setBreak(bool on)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return control(on ? comport::BreakOn : comport::BreakOff);
}

ModemLines NetworkPort::modemLines()
{
    const std::lock_guard<std::mutex> lock(mutex_);
    settle();
    if (!engine_ || (state_ != State::Connecting && state_ != State::Connected) || engine_->comPortRefused())
        return {};
    ModemLines lines;
    lines.askedBaud = static_cast<uint32_t>(baud_);
    lines.reportedBaud = engine_->serverBaud().value_or(0);
    lines.later = true;  // a server still agreeing, or not yet asked, tells later
    if (state_ != State::Connected || !engine_->comPortAgreed())
        return lines;
    pump();
    const int64_t now = clock_.monotonicNs();
    // A server that never tells is asked, once in a while.
    if (now - engine_->modemStateAtNs() >= timing_.modemPollNs
        && now - engine_->modemRequestAtNs() >= timing_.modemPollNs) {
        engine_->requestModemState(now);
        flush();
    }
    if (!engine_->modemState())
        return lines;
    const uint8_t s = *engine_->modemState();
    lines.valid = true;
    lines.later = false;
    lines.cts = (s & comport::ModemCts) != 0;
    lines.dsr = (s & comport::ModemDsr) != 0;
    lines.dcd = (s & comport::ModemDcd) != 0;
    lines.ri = (s & comport::ModemRi) != 0;
    lines.dtr = dtr_;
    lines.rts = rts_;
    return lines;
}

std::optional<uint32_t> NetworkPort::serverBaud() const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return engine_ ? engine_->serverBaud() : std::nullopt;
}

std::size_t NetworkPort::bufferedBytes() const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    const std::size_t own = rx_.capacity() + held_.capacity() + tx_.capacity() + scratch_.capacity();
    return own + (engine_ ? engine_->bufferedBytes() : 0);
}

}  // namespace comtrax
