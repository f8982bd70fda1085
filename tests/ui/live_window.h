#pragma once
// The whole window on a real pseudo-terminal for widget tests: the program's
// own timers, the Qt port and the log file, against a "device" that is the
// master end of the pty.
#include <QComboBox>
#include <QPushButton>
#include <QToolButton>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>

#include "common/clock.h"
#include "qtserial/qt_serial_port.h"
#include "pty_io.h"
#include "wait_until.h"
#include "window_rig.h"

namespace comtrax::testing {

struct PtyDevice {
    int master = -1;
    int slave = -1;
    std::string path;

    PtyDevice()
    {
        char name[256] = {};
        termios raw{};
        cfmakeraw(&raw);
        if (openpty(&master, &slave, name, &raw, nullptr) != 0)
            throw std::runtime_error("openpty failed");
        path = name;
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    }
    ~PtyDevice()
    {
        if (slave >= 0)
            ::close(slave);
        if (master >= 0)
            ::close(master);
    }
    void send(const std::string& bytes) { sendToPty(master, bytes); }
    std::string drain() { return drainPty(master); }
};

// The shared rig on the pty with the program's own timers, connected at
// 115200 with the given receive timeout and logging to a file.
struct LiveWindow : BasicWindowRig<QtSerialPort, SystemClock> {
    PtyDevice device;

    explicit LiveWindow(int32_t timeoutMs)
    {
        lister.ports = {device.path};
        startTimers = true;
        open();
        Controls& c = ui();
        while (terminal().rxTimeoutMs() < timeoutMs)
            c.TimeOutRx->upButton()->click();
        c.ComPort->setCurrentIndex(0);
        c.BaudRate->setCurrentIndex(7);
        c.BTConnect->click();
        c.StartLog->click();
    }
    // The window goes before the device it is connected to.
    ~LiveWindow() { window.reset(); }

    std::string logFile() { return readFileBytes(dir.file(window->terminal().logFileName())); }

    // Waits (bounded) until the log file holds at least n bytes.
    std::string waitForLog(std::size_t n)
    {
        std::string log;
        waitUntil([&] { return (log = logFile()).size() >= n; });
        return log;
    }

    // Waits (bounded) until the device has read at least n bytes from the
    // terminal since the last drain; returns them.
    std::string drainAtLeast(std::size_t n)
    {
        std::string got;
        waitUntil([&] {
            got += device.drain();
            return got.size() >= n;
        });
        return got;
    }
};

// Nanoseconds a thread (the calling one unless another's schedstat file is
// named) has spent runnable but waiting for a CPU, as the scheduler counts
// them (0 where the kernel does not keep the count).
inline int64_t waitedForCpuNs(const std::string& schedstat = "/proc/thread-self/schedstat")
{
    std::ifstream in(schedstat);
    long long onCpu = 0, waiting = 0;
    return in >> onCpu >> waiting ? waiting : 0;
}

inline std::string withoutLineBreaks(const std::string& s)
{
    std::string out;
    out.reserve(s.size());
    for (char c : s)
        if (c != '\r' && c != '\n')
            out += c;
    return out;
}

}  // namespace comtrax::testing
