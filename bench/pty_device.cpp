#include "pty_device.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

#include "bench_util.h"

namespace comtrax::bench {

uint8_t patternByte(uint64_t i, Pattern kind)
{
    // splitmix64 of the position: no period a reader's buffer could hide.
    uint64_t z = i + 0x9E3779B97F4A7C15ULL;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    z ^= z >> 31;
    if (kind == Pattern::Text)
        return static_cast<uint8_t>(0x20 + z % 95);
    // 252 values: 1..255 without LF and CR.
    uint8_t b = static_cast<uint8_t>(1 + z % 252);
    if (b >= 10)
        ++b;
    if (b >= 13)
        ++b;
    return b;
}

std::string pattern(uint64_t from, uint64_t count, Pattern kind)
{
    std::string s(count, '\0');
    for (uint64_t k = 0; k < count; ++k)
        s[k] = static_cast<char>(patternByte(from + k, kind));
    return s;
}

Pattern patternNamed(const std::string& name)
{
    return name == "text" ? Pattern::Text : Pattern::Binary;
}

LogCheck checkLog(const std::string& logBytes, uint64_t count, Pattern kind)
{
    LogCheck c;
    c.expected = count;
    uint64_t k = 0;
    for (char ch : logBytes) {
        if (ch == '\r' || ch == '\n')
            continue;
        if (c.firstMismatch < 0 && (k >= count || static_cast<uint8_t>(ch) != patternByte(k, kind)))
            c.firstMismatch = static_cast<int64_t>(k);
        ++k;
    }
    c.got = k;
    c.lost = k < count ? count - k : 0;
    c.intact = k == count && c.firstMismatch < 0;
    return c;
}

PtyDevice::PtyDevice(bool keepSlave)
{
    char name[256] = {};
    termios raw{};
    cfmakeraw(&raw);
    if (openpty(&master_, &slave_, name, &raw, nullptr) != 0)
        throw std::runtime_error("openpty failed");
    path_ = name;
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    if (!keepSlave) {
        ::close(slave_);
        slave_ = -1;
    }
}

PtyDevice::~PtyDevice()
{
    if (slave_ >= 0)
        ::close(slave_);
    if (master_ >= 0)
        ::close(master_);
}

bool PtyDevice::peerOpen() const
{
    pollfd p{master_, 0, 0};
    if (::poll(&p, 1, 0) < 0)
        return false;
    return !(p.revents & POLLHUP);
}

bool PtyDevice::waitPeerOpen(int maxMs)
{
    const int64_t t0 = monotonicNs();
    while (!peerOpen()) {
        if (secondsSince(t0) * 1000 > maxMs)
            return false;
        ::usleep(2000);
    }
    return true;
}

std::size_t PtyDevice::writeAll(const char* data, std::size_t n, int stallMs)
{
    std::size_t done = 0;
    int64_t lastProgress = monotonicNs();
    while (done < n) {
        const ssize_t r = ::write(master_, data + done, n - done);
        if (r > 0) {
            done += static_cast<std::size_t>(r);
            lastProgress = monotonicNs();
            continue;
        }
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            break;
        if (secondsSince(lastProgress) * 1000 > stallMs)
            break;  // the reader has stopped
        pollfd p{master_, POLLOUT, 0};
        ::poll(&p, 1, 10);
        if (p.revents & POLLHUP)
            ::usleep(1000);  // nobody has the slave open: poll does not wait
    }
    return done;
}

std::string PtyDevice::drain()
{
    std::string out;
    char buf[65536];
    ssize_t n;
    while ((n = ::read(master_, buf, sizeof buf)) > 0)
        out.append(buf, static_cast<std::size_t>(n));
    return out;
}

}  // namespace comtrax::bench
