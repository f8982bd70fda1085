#include "netport/scripted_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace comtrax::testing {

bool ScriptedServer::Peer::send(const std::vector<uint8_t>& bytes) const
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        if (stop)
            return false;
        pollfd p{fd, POLLOUT, 0};
        ::poll(&p, 1, 20);
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n > 0)
            sent += static_cast<std::size_t>(n);
        else if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            return false;
    }
    return true;
}

std::vector<uint8_t> ScriptedServer::Peer::read(int ms) const
{
    std::vector<uint8_t> got;
    uint8_t buffer[4096];
    pollfd p{fd, POLLIN, 0};
    while (!stop && ::poll(&p, 1, ms) > 0) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        got.insert(got.end(), buffer, buffer + n);
        ms = 0;  // and what else is there already
    }
    return got;
}

void ScriptedServer::Peer::idle() const
{
    while (!stop)
        ::poll(nullptr, 0, 10);
}

ScriptedServer::ScriptedServer(Script script)
{
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    ::listen(listener_, 1);
    thread_ = std::thread([this, script = std::move(script)] {
        pollfd p{listener_, POLLIN, 0};
        while (!stop_ && ::poll(&p, 1, 20) <= 0) {
        }
        if (stop_)
            return;
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            return;
        script(Peer{fd, stop_});
        ::close(fd);
    });
}

void ScriptedServer::stop()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    if (listener_ >= 0)
        ::close(listener_);
    listener_ = -1;
}

ScriptedServer::~ScriptedServer()
{
    stop();
}

}  // namespace comtrax::testing
