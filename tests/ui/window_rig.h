#pragma once
// The real main window on the fake port, clock and dialogs, in a fresh directory.
#include <functional>
#include <memory>

#include "support/fake_clock.h"
#include "support/fake_serial_port.h"
#include "support/temp_dir.h"
#include "ui/window/terminal_window.h"
#include "recording_dialogs.h"

namespace comtrax::testing {

struct WindowRig {
    TempDir dir;
    FakeSerialPort port;
    FakePortLister lister;
    FakeClock clock;
    RecordingDialogs dialogs;
    std::unique_ptr<TerminalWindow> window;
    std::string directory;                                 // where the window keeps its files; empty: dir
    std::function<void(WindowEnvironment&)> startOptions;  // the command line's part, if any

    WindowRig() { lister.ports = {"ttyUSB0", "ttyUSB1"}; }

    TerminalWindow& open()
    {
        WindowEnvironment env;
        env.port = &port;
        env.lister = &lister;
        env.clock = &clock;
        env.dialogs = &dialogs;
        env.directory = directory.empty() ? dir.path() : directory;
        env.startTimers = false;
        env.sleep = [](int) {};
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
};

}  // namespace comtrax::testing
