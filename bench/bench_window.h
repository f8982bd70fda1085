#pragma once
// The program's main window as the benchmarks run it: the real TerminalWindow with the
// Qt serial port and the system clock, in a fresh directory, connected to a
// pseudo-terminal given by its path. Only the dialogs are replaced, by ones
// that print and return, so that no modal box can stop a run.
#include <QString>

#include <memory>
#include <string>
#include <vector>

#include "qtserial/qt_serial_port.h"
#include "ui/dialogs/dialog_service.h"
#include "ui/window/terminal_window.h"

namespace comtrax::bench {

class PrintingDialogs final : public DialogService {
public:
    int shown = 0;
    void message(const QString& text) override;
    void error(const QString& text) override;
    void noPortWindow() override;
    bool askYesNo(const QString&) override { return false; }
    QString openFileName() override { return {}; }
    SavePromptAnswer askSaveMacros() override { return SavePromptAnswer::No; }
    void about() override {}
    void editMacroHelp() override {}
};

class FixedLister final : public PortLister {
public:
    std::vector<std::string> ports;
    std::vector<std::string> listPorts() override { return ports; }
};

// A fresh directory under the system's temporary directory, removed at the end.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

struct BenchWindow {
    ScratchDir dir;
    QtSerialPort port;
    FixedLister lister;
    SystemClock clock;
    PrintingDialogs dialogs;
    std::unique_ptr<TerminalWindow> window;

    // An empty devicePath leaves the port closed.
    explicit BenchWindow(const std::string& devicePath, bool logOn = true);
    bool connected() { return window->terminal().portOpen(); }
    std::string logPath();
};

std::string readWholeFile(const std::string& path);

}  // namespace comtrax::bench
