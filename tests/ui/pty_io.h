#pragma once
// The device's side of a pseudo-terminal in widget tests: the master end,
// non-blocking, written while the window's event loop keeps running.
#include <QTest>

#include <string>
#include <unistd.h>

namespace comtrax::testing {

// Writes all of bytes, letting the event loop read meanwhile when the pty is full.
inline void sendToPty(int master, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master, bytes.data() + done, bytes.size() - done);
        if (n > 0)
            done += static_cast<std::size_t>(n);
        else
            QTest::qWait(1);
    }
}

// Everything the terminal has written since the last call.
inline std::string drainPty(int master)
{
    std::string out;
    char buf[4096];
    ssize_t n;
    while (master >= 0 && (n = ::read(master, buf, sizeof buf)) > 0)
        out.append(buf, static_cast<std::size_t>(n));
    return out;
}

}  // namespace comtrax::testing
