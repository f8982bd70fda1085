#pragma once
// The one rig every window test opens the real main window with: a port, a
// lister, a clock and recording dialogs, in a fresh directory. WindowRig runs
// on the fake port and clock with the timers still (tests run their handlers
// through the window's timers()); the live rigs (live_window.h and the device
// faults) put a real port and the program's own timers on the same rig.
#include <QPushButton>
#include <QToolButton>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "support/fake_clock.h"
#include "support/fake_serial_port.h"
#include "support/temp_dir.h"
#include "ui/kit/up_down.h"
#include "ui/window/terminal_timers.h"
#include "ui/window/terminal_window.h"
#include "recording_dialogs.h"

namespace comtrax::testing {

template <class Port, class ClockType> struct BasicWindowRig {
    TempDir dir;
    Port port;
    FakePortLister lister;
    ClockType clock;
    RecordingDialogs dialogs;
    std::unique_ptr<TerminalWindow> window;
    std::string directory;                                 // where the window keeps its files; empty: dir
    bool startTimers = false;                              // the program's own timers
    std::function<void(int ms)> sleep = [](int) {};        // the pause after a reconnection
    std::function<void(WindowEnvironment&)> startOptions;  // the command line's part, if any

    BasicWindowRig() { lister.ports = {"ttyUSB0", "ttyUSB1"}; }
    BasicWindowRig(const BasicWindowRig&) = delete;
    BasicWindowRig& operator=(const BasicWindowRig&) = delete;

    TerminalWindow& open()
    {
        WindowEnvironment env;
        env.port = &port;
        env.lister = &lister;
        env.clock = &clock;
        env.dialogs = &dialogs;
        env.directory = directory.empty() ? dir.path() : directory;
        env.startTimers = startTimers;
        env.sleep = sleep;
        if (startOptions)
            startOptions(env);
        window = std::make_unique<TerminalWindow>(env);
        return *window;
    }

    // Closes the window as the user would; true when it closed.
    bool close() { return window->close(); }

    // Closes and opens again in the same directory: a restart.
    TerminalWindow& restart()
    {
        close();
        window.reset();
        return open();
    }

    Controls& ui() { return window->controls(); }
    const Terminal& terminal() const { return window->terminal(); }
    // The test seam: what the timers run, run by hand.
    TerminalTimers& timers() { return window->timers(); }
    // A panel of the window, to call its intent methods.
    template <class Panel> Panel& panel()
    {
        auto* p = window->template findChild<Panel*>();
        if (!p)
            throw std::logic_error("the window has no such panel");
        return *p;
    }
};

using WindowRig = BasicWindowRig<FakeSerialPort, FakeClock>;

}  // namespace comtrax::testing
