#include "soak/soak_device.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <poll.h>
#include <unistd.h>

namespace comtrax::soak {

namespace {

using Clock = std::chrono::steady_clock;

// Writes all of it; the master is non-blocking, so a full queue is waited out.
void writeAll(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN) {
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, 100);
            continue;
        }
        return;  // the terminal has gone
    }
}

std::string numbered(const char* word, long n)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%s %06ld\r\n", word, n);
    return buf;
}

}  // namespace

void runDevice(int master, int control, const DeviceScript& script, const std::string& transcriptPath)
{
    DeviceTranscript t;
    std::string partial;
    bool streaming = true;
    auto nextTick = Clock::now() + std::chrono::milliseconds(script.streamPeriodMs);
    for (;;) {
        const auto now = Clock::now();
        if (streaming && now >= nextTick) {
            writeAll(master, numbered("TICK", ++t.ticks));
            // Steady pace, not catching up after a stall.
            nextTick = std::max(nextTick + std::chrono::milliseconds(script.streamPeriodMs), now);
            continue;
        }
        int wait = -1;
        if (streaming)
            wait = static_cast<int>(
                       std::chrono::duration_cast<std::chrono::milliseconds>(nextTick - now).count())
                + 1;
        pollfd p[2] = {{master, POLLIN, 0}, {control, POLLIN, 0}};
        const int r = ::poll(p, 2, wait);
        if (r < 0 && errno != EINTR)
            break;
        if (r <= 0)
            continue;
        if (p[0].revents & POLLIN) {
            char buf[4096];
            const ssize_t n = ::read(master, buf, sizeof buf);
            for (ssize_t i = 0; i < n; ++i) {
                if (buf[i] != '\r') {
                    partial += buf[i];
                    continue;
                }
                t.seen.push_back(partial);
                partial.clear();
                writeAll(master, numbered("ANS", ++t.answers));
            }
        }
        if (p[1].revents & (POLLIN | POLLHUP)) {
            char c = 0;
            if (::read(control, &c, 1) != 1 || c == Finish)
                break;
            if (c == StopStreaming)
                streaming = false;
        }
    }
    std::ofstream out(transcriptPath, std::ios::binary | std::ios::trunc);
    out << t.answers << ' ' << t.ticks << ' ' << t.seen.size() << '\n';
    for (const std::string& line : t.seen)
        out << line << '\n';
}

bool readTranscript(const std::string& path, DeviceTranscript& out)
{
    std::ifstream in(path, std::ios::binary);
    std::size_t lines = 0;
    if (!(in >> out.answers >> out.ticks >> lines))
        return false;
    in.ignore(1);
    out.seen.clear();
    out.seen.reserve(lines);
    std::string line;
    while (out.seen.size() < lines && std::getline(in, line))
        out.seen.push_back(line);
    return out.seen.size() == lines;
}

}  // namespace comtrax::soak
