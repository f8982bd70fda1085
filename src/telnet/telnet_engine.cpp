#include "telnet/telnet_engine.h"

#include <cstring>

#include "telnet/telnet_codes.h"

namespace comtrax {

using namespace telnet;

namespace {
// A refusal is repeated this often per option at most: a server that asks
// for the same unknown option again and again gets no endless answers.
constexpr uint8_t MaxRefusals = 2;
// The settings whose acknowledgements are awaited, as bits of their commands.
constexpr unsigned SettingsBits = (1u << comport::SetBaud) | (1u << comport::SetDataSize)
    | (1u << comport::SetParity) | (1u << comport::SetStopSize) | (1u << comport::SetControl);
}  // namespace

TelnetEngine::TelnetEngine(bool comPortControl, int64_t replyTimeoutNs)
    : comPortControl_(comPortControl), replyTimeoutNs_(replyTimeoutNs)
{
    sb_.reserve(MaxSubnegotiation);
}

bool TelnetEngine::supportedLocally(uint8_t option) const
{
    return option == Binary || option == SuppressGoAhead || (option == ComPort && comPortControl_);
}

bool TelnetEngine::supportedRemotely(uint8_t option) const
{
    return option == Binary || option == SuppressGoAhead;
}

void TelnetEngine::start(int64_t nowNs)
{
    nowNs_ = nowNs;
    settingsDeadlineNs_ = nowNs + replyTimeoutNs_;
    for (const uint8_t option : {Binary, SuppressGoAhead}) {
        us_[option] = State::WantYes;
        sendVerb(Will, option);
        him_[option] = State::WantYes;
        sendVerb(Do, option);
    }
    if (comPortControl_) {
        us_[ComPort] = State::WantYes;
        sendVerb(Will, ComPort);
    }
}

void TelnetEngine::sendVerb(uint8_t verb, uint8_t option)
{
    output_.insert(output_.end(), {Iac, verb, option});
}

void TelnetEngine::refuse(uint8_t verb, uint8_t option)
{
    if (refusals_[option] >= MaxRefusals)
        return;
    ++refusals_[option];
    sendVerb(verb, option);
}

// The option negotiation, each side's state kept so that no request is
// answered twice and no loop arises (the "Q method" without its queue).
void TelnetEngine::negotiate(uint8_t verb, uint8_t option)
{
    const bool remote = verb == Will || verb == Wont;
    State& state = remote ? him_[option] : us_[option];
    const bool enable = verb == Will || verb == Do;
    const uint8_t agree = remote ? Do : Will;
    const uint8_t decline = remote ? Dont : Wont;
    const State before = state;
    if (enable) {
        switch (state) {
        case State::No:
            if (remote ? supportedRemotely(option) : supportedLocally(option)) {
                state = State::Yes;
                sendVerb(agree, option);
            } else {
                refuse(decline, option);
            }
            break;
        case State::WantYes:
            state = State::Yes;
            break;
        case State::WantNo:
            state = State::No;
            break;
        case State::Yes:
            break;
        }
    } else {
        switch (state) {
        case State::Yes:
            state = State::No;
            sendVerb(decline, option);
            break;
        case State::WantYes:
            state = State::No;
            if (!remote && option == ComPort)
                comPortRefused_ = true;
            break;
        case State::WantNo:
            state = State::No;
            break;
        case State::No:
            break;
        }
    }
    if (!remote && option == ComPort && state != before)
        usChanged(option);
}

void TelnetEngine::usChanged(uint8_t option)
{
    if (option != ComPort)
        return;
    if (us_[option] == State::Yes)
        flushComPort();
    else
        comPortRefused_ = true;
}

void TelnetEngine::receive(const uint8_t* bytes, std::size_t n, std::vector<uint8_t>& data, int64_t nowNs)
{
    const std::size_t before = data.size();
    data.resize(before + n);
    data.resize(before + decode(bytes, n, data.data() + before, nowNs));
}

std::size_t TelnetEngine::receiveInPlace(uint8_t* bytes, std::size_t n, int64_t nowNs)
{
    return decode(bytes, n, bytes, nowNs);
}

// The data is never longer than what arrived, so out may be the very bytes
// being read: each byte is written no later than where it was read.
std::size_t TelnetEngine::decode(const uint8_t* bytes, std::size_t n, uint8_t* out, int64_t nowNs)
{
    nowNs_ = nowNs;
    std::size_t k = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (parse_ == Parse::Data && binaryReceive()) {
            // A binary line: the data runs up to the next IAC, copied whole.
            const auto* iac = static_cast<const uint8_t*>(std::memchr(bytes + i, Iac, n - i));
            const std::size_t run = (iac ? static_cast<std::size_t>(iac - bytes) : n) - i;
            if (out + k != bytes + i)
                std::memmove(out + k, bytes + i, run);
            k += run;
            i += run;
            if (i == n)
                break;
        }
        const uint8_t b = bytes[i];
        switch (parse_) {
        case Parse::Cr:
            parse_ = Parse::Data;
            // CR NUL is a bare CR on a line that is not binary.
            if (b == 0 && !binaryReceive())
                break;
            [[fallthrough]];
        case Parse::Data:
            if (b == Iac) {
                parse_ = Parse::Iac;
            } else {
                out[k++] = b;
                if (b == '\r' && !binaryReceive())
                    parse_ = Parse::Cr;
            }
            break;
        case Parse::Iac:
            parse_ = Parse::Data;
            if (b == Iac) {
                out[k++] = Iac;
                break;
            }
            sawTelnet_ = true;
            if (b == Will || b == Wont || b == Do || b == Dont) {
                verb_ = b;
                parse_ = Parse::Verb;
            } else if (b == Sb) {
                sb_.clear();
                sbLength_ = 0;
                parse_ = Parse::Sb;
            }
            // Every other command (NOP, DM, BRK, IP, AO, AYT, EC, EL, GA and a
            // stray SE) means nothing to a serial line and is dropped.
            break;
        case Parse::Verb:
            parse_ = Parse::Data;
            negotiate(verb_, b);
            break;
        case Parse::Sb:
            if (b == Iac) {
                parse_ = Parse::SbIac;
                break;
            }
            if (sb_.size() < MaxSubnegotiation)
                sb_.push_back(b);
            if (++sbLength_ >= EndlessSubnegotiation)
                fault_ = Fault::EndlessSubnegotiation;
            break;
        case Parse::SbIac:
            if (b == Se) {
                parse_ = Parse::Data;
                if (sbLength_ <= MaxSubnegotiation)
                    subnegotiation();
            } else if (b == Iac) {
                parse_ = Parse::Sb;
                if (sb_.size() < MaxSubnegotiation)
                    sb_.push_back(Iac);
                ++sbLength_;
            } else {
                // IAC and a command inside a subnegotiation: the subnegotiation
                // was cut short; the command is taken as it stands.
                parse_ = Parse::Iac;
                --i;
            }
            break;
        }
    }
    return k;
}

void TelnetEngine::encodeData(const uint8_t* bytes, std::size_t n, std::vector<uint8_t>& out) const
{
    // Binary from the offer on: a server agreeing to it takes what follows
    // the offer as binary, so a NUL added after a CR before its answer came
    // would reach the device. Only a refusal makes the line a text one.
    const bool binary = us_[Binary] != State::No;
    out.reserve(out.size() + n + n / 8);
    for (std::size_t i = 0; i < n; ++i) {
        out.push_back(bytes[i]);
        if (bytes[i] == Iac)
            out.push_back(Iac);
        else if (bytes[i] == '\r' && !binary && (i + 1 == n || bytes[i + 1] != '\n'))
            out.push_back(0);
    }
}

void TelnetEngine::subnegotiation()
{
    if (sb_.size() < 2 || sb_[0] != ComPort || !comPortControl_)
        return;
    const uint8_t command = sb_[1];
    if (command < comport::ServerOffset)
        return;  // a server's request of a client: nothing we serve
    comPortReply(static_cast<uint8_t>(command - comport::ServerOffset), sb_.data() + 2, sb_.size() - 2);
}

void TelnetEngine::comPortReply(uint8_t command, const uint8_t* value, std::size_t n)
{
    if (command < 32)
        pendingSettings_ &= ~(1u << command);
    switch (command) {
    case comport::Signature:
        if (n == 0) {
            static const char signatureText[] = "Comtrax";
            sendComPort(comport::Signature, reinterpret_cast<const uint8_t*>(signatureText),
                        sizeof signatureText - 1);
        } else {
            signature_.assign(reinterpret_cast<const char*>(value), n);
        }
        break;
    case comport::SetBaud:
        if (n == 4)
            serverBaud_ = (uint32_t{value[0]} << 24) | (uint32_t{value[1]} << 16) | (uint32_t{value[2]} << 8)
                | value[3];
        break;
    case comport::SetControl:
        ++controlReplies_;
        break;
    case comport::NotifyLineState:
        if (n >= 1)
            lineState_ = value[0];
        break;
    case comport::NotifyModemState:
        if (n >= 1) {
            modemState_ = value[0];
            modemStateAtNs_ = nowNs_;
        }
        break;
    case comport::FlowSuspend:
        flowSuspended_ = true;
        break;
    case comport::FlowResume:
        flowSuspended_ = false;
        break;
    default:
        break;
    }
}

void TelnetEngine::sendComPort(uint8_t command, const uint8_t* value, std::size_t n)
{
    std::vector<uint8_t>& out = comPortAgreed() ? output_ : queuedComPort_;
    out.insert(out.end(), {Iac, Sb, ComPort, command});
    for (std::size_t i = 0; i < n; ++i) {
        out.push_back(value[i]);
        if (value[i] == Iac)
            out.push_back(Iac);
    }
    out.insert(out.end(), {Iac, Se});
}

void TelnetEngine::flushComPort()
{
    output_.insert(output_.end(), queuedComPort_.begin(), queuedComPort_.end());
    queuedComPort_.clear();
}

void TelnetEngine::setLineSettings(uint32_t baud, uint8_t dataBits, uint8_t parity, uint8_t stopSize,
                                   uint8_t flow)
{
    if (!comPortControl_)
        return;
    const uint8_t baudBytes[4] = {static_cast<uint8_t>(baud >> 24), static_cast<uint8_t>(baud >> 16),
                                  static_cast<uint8_t>(baud >> 8), static_cast<uint8_t>(baud)};
    sendComPort(comport::SetBaud, baudBytes, 4);
    sendComPort(comport::SetDataSize, &dataBits, 1);
    sendComPort(comport::SetParity, &parity, 1);
    sendComPort(comport::SetStopSize, &stopSize, 1);
    sendComPort(comport::SetControl, &flow, 1);
    pendingSettings_ |= SettingsBits;
    // The server is asked to tell its modem lines as they change.
    const uint8_t mask = 0xff;
    sendComPort(comport::SetModemStateMask, &mask, 1);
}

void TelnetEngine::setControl(uint8_t value)
{
    if (comPortControl_ && !comPortRefused_)
        sendComPort(comport::SetControl, &value, 1);
}

void TelnetEngine::purgeData(uint8_t which)
{
    if (comPortControl_ && comPortAgreed())
        sendComPort(comport::PurgeData, &which, 1);
}

void TelnetEngine::requestModemState(int64_t nowNs)
{
    nowNs_ = nowNs;
    modemRequestAtNs_ = nowNs;
    if (comPortControl_ && comPortAgreed())
        sendComPort(comport::NotifyModemState, nullptr, 0);
}

bool TelnetEngine::awaitingReplies(int64_t nowNs) const
{
    if (!comPortControl_ || comPortRefused_ || nowNs >= settingsDeadlineNs_)
        return false;
    return !comPortAgreed() || (pendingSettings_ & SettingsBits) != 0;
}

}  // namespace comtrax
