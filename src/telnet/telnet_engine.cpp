#include "telnet/telnet_engine.h"

#include "telnet/telnet_codes.h"

namespace comtrax {

using namespace telnet;

namespace {
// A refusal is repeated this often per option at most: a server that asks
// for the same unknown option again and again gets no endless answers.
constexpr uint8_t kMaxRefusals = 2;
// The settings whose acknowledgements are awaited, as bits of their commands.
constexpr unsigned kSettingsBits = (1u << comport::kSetBaud) | (1u << comport::kSetDataSize)
    | (1u << comport::kSetParity) | (1u << comport::kSetStopSize) | (1u << comport::kSetControl);
}  // namespace

TelnetEngine::TelnetEngine(bool comPortControl, int64_t replyTimeoutNs)
    : comPortControl_(comPortControl), replyTimeoutNs_(replyTimeoutNs)
{
    sb_.reserve(kMaxSubnegotiation);
}

bool TelnetEngine::supportedLocally(uint8_t option) const
{
    return option == kBinary || option == kSuppressGoAhead || (option == kComPort && comPortControl_);
}

bool TelnetEngine::supportedRemotely(uint8_t option) const
{
    return option == kBinary || option == kSuppressGoAhead;
}

void TelnetEngine::start(int64_t nowNs)
{
    nowNs_ = nowNs;
    settingsDeadlineNs_ = nowNs + replyTimeoutNs_;
    for (const uint8_t option : {kBinary, kSuppressGoAhead}) {
        us_[option] = State::WantYes;
        sendVerb(kWill, option);
        him_[option] = State::WantYes;
        sendVerb(kDo, option);
    }
    if (comPortControl_) {
        us_[kComPort] = State::WantYes;
        sendVerb(kWill, kComPort);
    }
}

void TelnetEngine::sendVerb(uint8_t verb, uint8_t option)
{
    output_.insert(output_.end(), {kIac, verb, option});
}

void TelnetEngine::refuse(uint8_t verb, uint8_t option)
{
    if (refusals_[option] >= kMaxRefusals)
        return;
    ++refusals_[option];
    sendVerb(verb, option);
}

// The option negotiation, each side's state kept so that no request is
// answered twice and no loop arises (the "Q method" without its queue).
void TelnetEngine::negotiate(uint8_t verb, uint8_t option)
{
    const bool remote = verb == kWill || verb == kWont;
    State& state = remote ? him_[option] : us_[option];
    const bool enable = verb == kWill || verb == kDo;
    const uint8_t agree = remote ? kDo : kWill;
    const uint8_t decline = remote ? kDont : kWont;
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
            if (!remote && option == kComPort)
                comPortRefused_ = true;
            break;
        case State::WantNo:
            state = State::No;
            break;
        case State::No:
            break;
        }
    }
    if (!remote && option == kComPort && state != before)
        usChanged(option);
}

void TelnetEngine::usChanged(uint8_t option)
{
    if (option != kComPort)
        return;
    if (us_[option] == State::Yes)
        flushComPort();
    else
        comPortRefused_ = true;
}

void TelnetEngine::receive(const uint8_t* bytes, std::size_t n, std::vector<uint8_t>& data, int64_t nowNs)
{
    nowNs_ = nowNs;
    for (std::size_t i = 0; i < n; ++i) {
        const uint8_t b = bytes[i];
        switch (parse_) {
        case Parse::Cr:
            parse_ = Parse::Data;
            // CR NUL is a bare CR on a line that is not binary.
            if (b == 0 && !binaryReceive())
                break;
            [[fallthrough]];
        case Parse::Data:
            if (b == kIac) {
                parse_ = Parse::Iac;
            } else {
                data.push_back(b);
                if (b == '\r' && !binaryReceive())
                    parse_ = Parse::Cr;
            }
            break;
        case Parse::Iac:
            parse_ = Parse::Data;
            if (b == kIac) {
                data.push_back(kIac);
                break;
            }
            sawTelnet_ = true;
            if (b == kWill || b == kWont || b == kDo || b == kDont) {
                verb_ = b;
                parse_ = Parse::Verb;
            } else if (b == kSb) {
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
            if (b == kIac) {
                parse_ = Parse::SbIac;
                break;
            }
            if (sb_.size() < kMaxSubnegotiation)
                sb_.push_back(b);
            if (++sbLength_ >= kEndlessSubnegotiation)
                fault_ = Fault::EndlessSubnegotiation;
            break;
        case Parse::SbIac:
            if (b == kSe) {
                parse_ = Parse::Data;
                if (sbLength_ <= kMaxSubnegotiation)
                    subnegotiation();
            } else if (b == kIac) {
                parse_ = Parse::Sb;
                if (sb_.size() < kMaxSubnegotiation)
                    sb_.push_back(kIac);
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
}

void TelnetEngine::encodeData(const uint8_t* bytes, std::size_t n, std::vector<uint8_t>& out) const
{
    const bool binary = us_[kBinary] == State::Yes;
    out.reserve(out.size() + n + n / 8);
    for (std::size_t i = 0; i < n; ++i) {
        out.push_back(bytes[i]);
        if (bytes[i] == kIac)
            out.push_back(kIac);
        else if (bytes[i] == '\r' && !binary && (i + 1 == n || bytes[i + 1] != '\n'))
            out.push_back(0);
    }
}

void TelnetEngine::subnegotiation()
{
    if (sb_.size() < 2 || sb_[0] != kComPort || !comPortControl_)
        return;
    const uint8_t command = sb_[1];
    if (command < comport::kServerOffset)
        return;  // a server's request of a client: nothing we serve
    comPortReply(static_cast<uint8_t>(command - comport::kServerOffset), sb_.data() + 2, sb_.size() - 2);
}

void TelnetEngine::comPortReply(uint8_t command, const uint8_t* value, std::size_t n)
{
    if (command < 32)
        pendingSettings_ &= ~(1u << command);
    switch (command) {
    case comport::kSignature:
        if (n == 0) {
            static const char kSignatureText[] = "Comtrax";
            sendComPort(comport::kSignature, reinterpret_cast<const uint8_t*>(kSignatureText),
                        sizeof kSignatureText - 1);
        } else {
            signature_.assign(reinterpret_cast<const char*>(value), n);
        }
        break;
    case comport::kSetBaud:
        if (n == 4)
            serverBaud_ = (uint32_t{value[0]} << 24) | (uint32_t{value[1]} << 16) | (uint32_t{value[2]} << 8)
                | value[3];
        break;
    case comport::kSetControl:
        ++controlReplies_;
        break;
    case comport::kNotifyLineState:
        if (n >= 1)
            lineState_ = value[0];
        break;
    case comport::kNotifyModemState:
        if (n >= 1) {
            modemState_ = value[0];
            modemStateAtNs_ = nowNs_;
        }
        break;
    case comport::kFlowSuspend:
        flowSuspended_ = true;
        break;
    case comport::kFlowResume:
        flowSuspended_ = false;
        break;
    default:
        break;
    }
}

void TelnetEngine::sendComPort(uint8_t command, const uint8_t* value, std::size_t n)
{
    std::vector<uint8_t>& out = comPortAgreed() ? output_ : queuedComPort_;
    out.insert(out.end(), {kIac, kSb, kComPort, command});
    for (std::size_t i = 0; i < n; ++i) {
        out.push_back(value[i]);
        if (value[i] == kIac)
            out.push_back(kIac);
    }
    out.insert(out.end(), {kIac, kSe});
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
    sendComPort(comport::kSetBaud, baudBytes, 4);
    sendComPort(comport::kSetDataSize, &dataBits, 1);
    sendComPort(comport::kSetParity, &parity, 1);
    sendComPort(comport::kSetStopSize, &stopSize, 1);
    sendComPort(comport::kSetControl, &flow, 1);
    pendingSettings_ |= kSettingsBits;
    // The server is asked to tell its modem lines as they change.
    const uint8_t mask = 0xff;
    sendComPort(comport::kSetModemStateMask, &mask, 1);
}

void TelnetEngine::setControl(uint8_t value)
{
    if (comPortControl_ && !comPortRefused_)
        sendComPort(comport::kSetControl, &value, 1);
}

void TelnetEngine::purgeData(uint8_t which)
{
    if (comPortControl_ && comPortAgreed())
        sendComPort(comport::kPurgeData, &which, 1);
}

void TelnetEngine::requestModemState(int64_t nowNs)
{
    nowNs_ = nowNs;
    modemRequestAtNs_ = nowNs;
    if (comPortControl_ && comPortAgreed())
        sendComPort(comport::kNotifyModemState, nullptr, 0);
}

bool TelnetEngine::awaitingReplies(int64_t nowNs) const
{
    if (!comPortControl_ || comPortRefused_ || nowNs >= settingsDeadlineNs_)
        return false;
    return !comPortAgreed() || (pendingSettings_ & kSettingsBits) != 0;
}

}  // namespace comtrax
