#include "netport/network_port.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include "common/clock.h"
#include "common/texts.h"
#include "netport/com_port_values.h"
#include "netport/net_connector.h"
#include "telnet/telnet_codes.h"
#include "telnet/telnet_engine.h"

namespace comtrax {

using namespace telnet;

namespace {
constexpr std::size_t ReadChunk = 64 * 1024;
// A server whose protocol answers pile up this high has stopped reading.
constexpr std::size_t MaxProtocolOutput = 1u << 20;

// A Telnet server speaks first, with a negotiation (IAC WILL/WONT/DO/DONT).
bool looksLikeTelnet(const uint8_t* bytes, std::size_t n)
{
    return n >= 2 && bytes[0] == Iac && bytes[1] >= Will;
}

}  // namespace

NetworkPort::NetworkPort(const Clock& clock) : NetworkPort(clock, Timing{}) {}

NetworkPort::NetworkPort(const Clock& clock, Timing timing) : clock_(clock), timing_(timing)
{
    scratch_.resize(ReadChunk);
}

NetworkPort::~NetworkPort()
{
    close();
}

bool NetworkPort::open(const std::string& name, int baud, int dataBits, int stopCode)
{
    close();
    const std::lock_guard<std::mutex> lock(mutex_);
    const ParsedAddress parsed = parseNetworkAddress(name);
    if (!parsed.address) {
        notice_ = trText(parsed.error.c_str());
        return false;
    }
    handle_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    const int wake = handle_ >= 0 ? ::fcntl(handle_, F_DUPFD_CLOEXEC, 0) : -1;
    if (wake < 0) {
        if (handle_ >= 0)
            ::close(handle_);
        handle_ = -1;
        notice_ = std::strerror(errno);
        return false;
    }
    address_ = parsed.address;
    baud_ = baud;
    dataBits_ = dataBits;
    stopCode_ = stopCode;
    dtr_ = rts_ = true;
    if (address_->kind == NetworkAddress::Kind::Rfc2217)
        engine_ = std::make_unique<TelnetEngine>(true, address_->noWait ? 0 : timing_.replyTimeoutNs);
    connector_ =
        std::make_unique<NetConnector>(address_->host, address_->port, timing_.connectTimeoutMs, wake);
    state_ = State::Connecting;
    return true;
}

void NetworkPort::close()
{
    const std::lock_guard<std::mutex> lock(mutex_);
    connector_.reset();  // cancels an attempt under way at once
    engine_.reset();
    if (handle_ >= 0)
        ::close(handle_);
    handle_ = -1;
    state_ = State::Closed;
    socketReady_ = peerClosed_ = released_ = drained_ = false;
    firstBytes_ = true;
    rx_.clear();
    rxPos_ = 0;
    held_.clear();
    tx_.clear();
}

bool NetworkPort::isOpen() const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return state_ != State::Closed;
}

void NetworkPort::fail(std::string text)
{
    state_ = State::Failed;
    if (notice_.empty())
        notice_ = std::move(text);
    held_.clear();
    // The handle stays readable from now on, so that a reader waiting on it
    // wakes and learns that the connection is gone.
    if (socketReady_)
        ::shutdown(handle_, SHUT_RDWR);
}

void NetworkPort::failNotTelnet()
{
    fail(trFormat("%1 не отвечает по протоколу Telnet (RFC 2217). Если это простой TCP-порт, "
                  "откройте его как tcp://.",
                  {networkAddressName(*address_)}));
}

// A Telnet server negotiates before anything else: when the line settings are
// not waited for, a first byte that is no command shows a server that is not one.
bool NetworkPort::notTelnetFromTheStart(const uint8_t* bytes, std::size_t n)
{
    if (!firstBytes_ || !engine_ || !address_->noWait || n == 0 || bytes[0] == Iac)
        return false;
    failNotTelnet();
    return true;
}

void NetworkPort::failTelnetOnRaw()
{
    fail(trFormat("%1 говорит по протоколу Telnet: откройте его как rfc2217://.",
                  {networkAddressName(*address_)}));
}

// Takes the end of the connection attempt, and the end of the wait for the
// line settings' acknowledgements, whichever call comes first.
void NetworkPort::settle()
{
    if (state_ == State::Connecting && connector_ && connector_->done()) {
        const int fd = connector_->takeSocket();
        const std::string where = networkAddressName(*address_);
        if (fd < 0) {
            if (connector_->timedOut())
                fail(trFormat("Не удалось подключиться к %1: сервер не ответил за %2 с.",
                              {where, std::to_string(timing_.connectTimeoutMs / 1000)}));
            else if (connector_->unresolved())
                fail(trFormat("Не удалось подключиться к %1: узел %2 не найден (%3).",
                              {where, address_->host, connector_->error()}));
            else
                fail(trFormat("Не удалось подключиться к %1: %2.", {where, connector_->error()}));
            connector_.reset();
            return;
        }
        ::dup2(fd, handle_);  // the socket takes the handle's number
        ::close(fd);
        connector_.reset();
        socketReady_ = true;
        state_ = State::Connected;
        if (engine_) {
            engine_->start(clock_.monotonicNs());
            engine_->setLineSettings(static_cast<uint32_t>(baud_), static_cast<uint8_t>(dataBits_),
                                     parityCode(lineOptions().parity), stopCodeValue(stopCode_),
                                     flowCode(lineOptions().flow));
            flush();
        } else {
            released_ = true;
        }
    }
    if (state_ == State::Connected && engine_) {
        if (engine_->fault() != TelnetEngine::Fault::None)
            fail(
                trFormat("Сервер %1 нарушает протокол Telnet: подсогласование без конца. Соединение закрыто.",
                         {networkAddressName(*address_)}));
        else if (!released_ && !engine_->awaitingReplies(clock_.monotonicNs()))
            release();
    }
}

void NetworkPort::release()
{
    released_ = true;
    const std::string where = networkAddressName(*address_);
    // Without the wait nothing may have come yet: the first bytes tell then.
    if (!engine_->sawTelnet() && !address_->noWait) {
        failNotTelnet();
        return;
    }
    rx_.insert(rx_.end(), held_.begin(), held_.end());
    held_.clear();
    if (engine_->comPortRefused())
        notice_ = trFormat("Сервер %1 не управляет линией (нет COM-PORT-CONTROL): скорость и сигналы "
                           "модема не передаются.",
                           {where});
    else if (engine_->serverBaud() && *engine_->serverBaud() != static_cast<uint32_t>(baud_)
             && *engine_->serverBaud() != 0)
        notice_ = trFormat("Сервер %1 установил скорость %2 вместо %3.",
                           {where, std::to_string(*engine_->serverBaud()), std::to_string(baud_)});
}

// One read of what the socket holds: its length, 0 when nothing waits, -1
// when the other end has closed or reset the connection.
int64_t NetworkPort::receiveSome(uint8_t* into, std::size_t room)
{
    for (;;) {
        const ssize_t got = ::recv(handle_, into, room, MSG_DONTWAIT);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return 0;
        if (got <= 0) {
            peerClosed_ = true;
            return -1;
        }
        return got;
    }
}

// The first bytes tell a server that speaks the other protocol: Telnet on
// tcp://, or none on rfc2217:// without the wait. False: the port has failed.
bool NetworkPort::firstBytesFit(const uint8_t* bytes, std::size_t n)
{
    if (!engine_ && firstBytes_ && looksLikeTelnet(bytes, n)) {
        failTelnetOnRaw();
        return false;
    }
    if (engine_ && notTelnetFromTheStart(bytes, n))
        return false;
    firstBytes_ = false;
    return true;
}

// Reads what the socket holds, as far as the buffer has room.
void NetworkPort::pump()
{
    while (state_ == State::Connected && !peerClosed_ && waiting() + held_.size() < MaxBuffered) {
        const int64_t got = receiveSome(scratch_.data(), scratch_.size());
        if (got <= 0)
            break;
        const auto n = static_cast<std::size_t>(got);
        if (!firstBytesFit(scratch_.data(), n))
            return;
        if (rxPos_ == rx_.size()) {
            rx_.clear();
            rxPos_ = 0;
        }
        if (!engine_) {
            rx_.insert(rx_.end(), scratch_.begin(), scratch_.begin() + static_cast<long>(n));
            continue;
        }
        engine_->receive(scratch_.data(), n, released_ ? rx_ : held_, clock_.monotonicNs());
        flush();
        settle();
    }
}

void NetworkPort::flush()
{
    if (engine_ && !engine_->output().empty()) {
        std::vector<uint8_t>& out = engine_->output();
        tx_.insert(tx_.end(), out.begin(), out.end());
        out.clear();
    }
    if (!socketReady_ || state_ != State::Connected)
        return;
    std::size_t sent = 0;
    while (sent < tx_.size()) {
        const ssize_t r = ::send(handle_, tx_.data() + sent, tx_.size() - sent, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        if (r <= 0) {
            peerClosed_ = true;
            break;
        }
        sent += static_cast<std::size_t>(r);
    }
    tx_.erase(tx_.begin(), tx_.begin() + static_cast<long>(sent));
    if (tx_.size() > MaxPendingOut + MaxProtocolOutput)
        fail(trFormat("Сервер %1 перестал принимать данные. Соединение закрыто.",
                      {networkAddressName(*address_)}));
}

uint32_t NetworkPort::take(uint8_t* buffer, uint32_t n)
{
    const uint32_t k = std::min(n, waiting());
    std::memcpy(buffer, rx_.data() + rxPos_, k);
    rxPos_ += k;
    if (rxPos_ == rx_.size()) {
        rx_.clear();
        rxPos_ = 0;
    }
    return k;
}

bool NetworkPort::probe()
{
    const std::lock_guard<std::mutex> lock(mutex_);
    settle();
    pump();
    flush();
    if (state_ == State::Connecting)
        return true;
    if (state_ != State::Connected)
        return false;
    // What arrived before the other end closed is read first.
    return !(peerClosed_ && waiting() == 0);
}

uint32_t NetworkPort::inputCount()
{
    const std::lock_guard<std::mutex> lock(mutex_);
    settle();
    pump();
    if (state_ == State::Failed && !socketReady_ && handle_ >= 0) {
        uint64_t count = 0;  // the attempt's wake-up, taken so that nobody is woken again
        [[maybe_unused]] const ssize_t r = ::read(handle_, &count, sizeof count);
    }
    return waiting();
}

uint32_t NetworkPort::read(uint8_t* buffer, uint32_t n)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return take(buffer, n);
}

int64_t NetworkPort::readReceived(uint8_t* buffer, uint32_t n)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    settle();
    if (waiting() == 0 && state_ == State::Connected && released_ && !peerClosed_ && held_.empty())
        return readDirect(buffer, n);
    drained_ = false;
    if (waiting() == 0)
        pump();
    if (waiting() > 0)
        return take(buffer, n);
    if (state_ == State::Connecting || (state_ == State::Connected && !peerClosed_))
        return 0;
    return -1;
}

// Nothing is buffered: the socket is read straight into the caller's buffer,
// and Telnet's own bytes are taken out of it in place.
int64_t NetworkPort::readDirect(uint8_t* buffer, uint32_t n)
{
    for (;;) {
        if (drained_) {
            // The last read found less than it had room for: the socket was
            // empty then, and a wait on the handle tells when it is not.
            drained_ = false;
            return 0;
        }
        const int64_t got = receiveSome(buffer, n);
        if (got <= 0)
            return got;
        const auto count = static_cast<std::size_t>(got);
        drained_ = count < n;
        if (!firstBytesFit(buffer, count))
            return -1;
        if (!engine_)
            return got;
        const std::size_t data = engine_->receiveInPlace(buffer, count, clock_.monotonicNs());
        flush();
        settle();
        if (data > 0)
            return static_cast<int64_t>(data);
        if (state_ != State::Connected)
            return -1;
    }
}

void NetworkPort::purge()
{
    const std::lock_guard<std::mutex> lock(mutex_);
    rx_.clear();
    rxPos_ = 0;
    held_.clear();
    if (engine_ && state_ == State::Connected) {
        engine_->purgeData(comport::PurgeBoth);
        flush();
    }
}

int64_t NetworkPort::write(const uint8_t* data, uint32_t n)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    settle();
    if (state_ == State::Connecting)
        return 0;
    if (state_ != State::Connected || peerClosed_)
        return -1;
    flush();
    if (tx_.size() >= MaxPendingOut || (engine_ && engine_->flowSuspended()))
        return 0;
    const uint32_t k = static_cast<uint32_t>(std::min<std::size_t>(n, MaxPendingOut - tx_.size()));
    if (engine_)
        engine_->encodeData(data, k, tx_);
    else
        tx_.insert(tx_.end(), data, data + k);
    flush();
    if (state_ != State::Connected)
        return -1;
    return k;
}

int NetworkPort::readNotifierHandle() const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return handle_;
}

bool NetworkPort::connecting()
{
    const std::lock_guard<std::mutex> lock(mutex_);
    settle();
    pump();
    return state_ == State::Connecting || (state_ == State::Connected && !released_);
}

std::string NetworkPort::takeNotice()
{
    const std::lock_guard<std::mutex> lock(mutex_);
    settle();
    std::string notice;
    notice.swap(notice_);
    return notice;
}

}  // namespace comtrax
