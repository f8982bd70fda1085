#include "netport/ser2net_rig.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "common/clock.h"

namespace comtrax::testing {
namespace {

PtyPair makePty()
{
    PtyPair p;
    char name[128] = {};
    if (::openpty(&p.master, &p.slave, name, nullptr, nullptr) != 0)
        return p;
    p.path = name;
    termios t{};
    ::tcgetattr(p.master, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(p.master, TCSANOW, &t);
    ::fcntl(p.master, F_SETFL, ::fcntl(p.master, F_GETFL) | O_NONBLOCK);
    return p;
}

void closePty(PtyPair& p)
{
    if (p.master >= 0)
        ::close(p.master);
    if (p.slave >= 0)
        ::close(p.slave);
    p = {};
}

bool accepts(uint16_t port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

uint16_t freeLoopbackPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(fd);
    return ntohs(a.sin_port);
}

std::vector<uint8_t> readFor(int fd, std::size_t want, double seconds)
{
    std::vector<uint8_t> got;
    const int64_t deadline = monotonicNowNs() + static_cast<int64_t>(seconds * 1e9);
    uint8_t buffer[65536];
    while (got.size() < want && monotonicNowNs() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0)
            continue;
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0)
            got.insert(got.end(), buffer, buffer + n);
    }
    return got;
}

bool Ser2netRig::available()
{
    return std::system("command -v ser2net >/dev/null 2>&1") == 0;
}

Ser2netRig::Ser2netRig(int devToNetBuffer) : raw_(makePty()), telnet_(makePty())
{
    rawPort_ = freeLoopbackPort();
    telnetPort_ = freeLoopbackPort();
    while (telnetPort_ == rawPort_)
        telnetPort_ = freeLoopbackPort();
    const std::string options = devToNetBuffer > 0
        ? "    options:\n      dev-to-net-bufsize: " + std::to_string(devToNetBuffer) + "\n"
        : std::string();
    std::ofstream config(dir_.file("ser2net.yaml"));
    config << "%YAML 1.1\n---\n"
           << "connection: &raw\n    accepter: tcp,127.0.0.1," << rawPort_ << "\n"
           << "    connector: serialdev," << raw_.path << ",9600n81,local\n"
           << options << "connection: &rfc2217\n    accepter: telnet(rfc2217),tcp,127.0.0.1," << telnetPort_
           << "\n"
           << "    connector: serialdev," << telnet_.path << ",9600n81,local\n"
           << options;
}

Ser2netRig::~Ser2netRig()
{
    kill();
    closePty(raw_);
    closePty(telnet_);
}

bool Ser2netRig::start()
{
    kill();
    const std::string config = dir_.file("ser2net.yaml");
    const std::string pidFile = dir_.file("ser2net.pid");
    pid_ = ::fork();
    if (pid_ == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execlp("ser2net", "ser2net", "-n", "-u", "-c", config.c_str(), "-P", pidFile.c_str(),
                 static_cast<char*>(nullptr));
        ::_exit(127);
    }
    const int64_t deadline = monotonicNowNs() + 10 * int64_t{1000000000};
    while (monotonicNowNs() < deadline) {
        if (accepts(rawPort_) && accepts(telnetPort_)) {
            // The probes' connections are let go before the test's own.
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            return true;
        }
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

void Ser2netRig::kill()
{
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

}  // namespace comtrax::testing
