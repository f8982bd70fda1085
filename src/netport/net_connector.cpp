#include "netport/net_connector.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "common/clock.h"

namespace comtrax {
namespace {

constexpr int SliceMs = 50;
// The error of an attempt whose time ran out (the caller words it).
const char* const TimedOut = "timeout";  // how often a waiting attempt looks whether it was cancelled

// Connects one address; the socket, or -1 with errno's text in error.
int connectAddress(const addrinfo& ai, int64_t deadlineNs, const std::atomic<bool>& cancelled,
                   std::string& error)
{
    const int fd = ::socket(ai.ai_family, ai.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, ai.ai_protocol);
    if (fd < 0) {
        error = std::strerror(errno);
        return -1;
    }
    if (::connect(fd, ai.ai_addr, ai.ai_addrlen) == 0)
        return fd;
    if (errno != EINPROGRESS) {
        error = std::strerror(errno);
        ::close(fd);
        return -1;
    }
    while (!cancelled.load()) {
        const int64_t leftMs = (deadlineNs - monotonicNowNs()) / 1000000;
        if (leftMs <= 0) {
            error = TimedOut;
            break;
        }
        pollfd p{fd, POLLOUT, 0};
        const int r = ::poll(&p, 1, static_cast<int>(leftMs < SliceMs ? leftMs : SliceMs));
        if (r < 0 && errno != EINTR) {
            error = std::strerror(errno);
            break;
        }
        if (r > 0) {
            int soError = 0;
            socklen_t len = sizeof soError;
            ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &len);
            if (soError == 0)
                return fd;
            error = std::strerror(soError);
            break;
        }
    }
    ::close(fd);
    return -1;
}

}  // namespace

NetConnector::NetConnector(std::string host, uint16_t port, int timeoutMs, int wakeFd)
    : shared_(std::make_shared<Shared>())
{
    std::thread(run, shared_, std::move(host), port, timeoutMs, wakeFd).detach();
}

NetConnector::~NetConnector()
{
    const std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->cancelled = true;
    if (shared_->socket >= 0) {
        ::close(shared_->socket);
        shared_->socket = -1;
    }
}

bool NetConnector::done() const
{
    const std::lock_guard<std::mutex> lock(shared_->mutex);
    return shared_->done;
}

int NetConnector::takeSocket()
{
    const std::lock_guard<std::mutex> lock(shared_->mutex);
    const int fd = shared_->socket;
    shared_->socket = -1;
    return fd;
}

std::string NetConnector::error() const
{
    const std::lock_guard<std::mutex> lock(shared_->mutex);
    return shared_->error;
}

bool NetConnector::timedOut() const
{
    const std::lock_guard<std::mutex> lock(shared_->mutex);
    return shared_->error == TimedOut;
}

bool NetConnector::unresolved() const
{
    const std::lock_guard<std::mutex> lock(shared_->mutex);
    return shared_->unresolved;
}

// Runs detached: the name service cannot be interrupted, so a cancelled
// attempt finishes on its own and its result is thrown away.
void NetConnector::run(const std::shared_ptr<Shared>& shared, const std::string& host, uint16_t port,
                       int timeoutMs, int wakeFd)
{
    const int64_t deadlineNs = monotonicNowNs() + int64_t{timeoutMs} * 1000000;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_ADDRCONFIG | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    const int gai = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
    int fd = -1;
    std::string error;
    bool unresolved = false;
    if (gai != 0) {
        error = ::gai_strerror(gai);
        unresolved = true;
    } else {
        for (const addrinfo* ai = found; ai && fd < 0 && !shared->cancelled.load(); ai = ai->ai_next)
            fd = connectAddress(*ai, deadlineNs, shared->cancelled, error);
        ::freeaddrinfo(found);
    }
    if (fd >= 0 && monotonicNowNs() > deadlineNs) {
        ::close(fd);
        fd = -1;
        error = TimedOut;
    }
    if (fd >= 0) {
        const int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    }
    {
        const std::lock_guard<std::mutex> lock(shared->mutex);
        if (shared->cancelled.load()) {
            if (fd >= 0)
                ::close(fd);
        } else {
            shared->socket = fd;
            shared->error = error;
            shared->unresolved = unresolved;
        }
        shared->done = true;
    }
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t w = ::write(wakeFd, &one, sizeof one);
    ::close(wakeFd);
}

}  // namespace comtrax
