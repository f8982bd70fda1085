#pragma once
// The whole window on a real pseudo-terminal for widget tests: the program's
// own timers, the Qt port and the log file, against a "device" that is the
// master end of the pty.
#include <QComboBox>

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
#include "support/fake_serial_port.h"
#include "support/temp_dir.h"
#include "ui/window/terminal_window.h"
#include "pty_io.h"
#include "recording_dialogs.h"
#include "wait_until.h"

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

struct LiveWindow {
    TempDir dir;
    PtyDevice device;
    QtSerialPort port;
    FakePortLister lister;
    SystemClock clock;
    RecordingDialogs dialogs;
    std::unique_ptr<TerminalWindow> window;

    explicit LiveWindow(int32_t timeoutMs)
    {
        lister.ports = {device.path};
        WindowEnvironment env;
        env.port = &port;
        env.lister = &lister;
        env.clock = &clock;
        env.dialogs = &dialogs;
        env.directory = dir.path();
        env.sleep = [](int) {};
        window = std::make_unique<TerminalWindow>(env);
        window->terminal().setRxTimeoutMs(timeoutMs);
        window->controls().ComPort->setCurrentIndex(0);
        window->controls().BaudRate->setCurrentIndex(7);
        window->toggleConnection();
        window->toggleLogFile();
    }

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

// Nanoseconds the calling thread has spent runnable but waiting for a CPU,
// as the scheduler counts them (0 where the kernel does not keep the count).
inline int64_t waitedForCpuNs()
{
    std::ifstream in("/proc/thread-self/schedstat");
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
