#pragma once
// When lines go out without Enter: the four send modes, the period timer,
// sending after each answer, on connection, and stepping through a command file.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/clock.h"
#include "common/file_io.h"
#include "common/options.h"

namespace comtrax {

class TerminalView;

// A text file of command lines, read as bytes (Windows-1251), CR LF, LF or CR
// line ends. At most 500 lines are read; lines of 255 or more characters are
// skipped but counted. bigFile is set when 500 lines were read.
struct CommandFile {
    std::vector<std::string> lines;
    bool bigFile = false;
};
CommandFile parseCommandFile(const std::string& bytes);

class SendScheduler {
public:
    struct Hooks {
        std::function<void(const std::string&)> send;  // SendPortData
        std::function<bool()> portOpen;                 // PortOpen
    };

    SendScheduler(const TerminalOptions& options, const Clock& clock, TerminalView& view, Hooks hooks);

    // Mode selection actions; returns nothing, the window reads the enabled states below.
    void modeSelected(SendMode mode);
    void TimerPeriodTimer();
    void StartSendCommands();
    void SendNextAfterAnswer();
    void CheckSendDataAftConnect();
    void HousekeepingTick();  // re-enables TimerPeriod when CiklSend and RBPeriod

    // File view.
    void loadFile(const std::string& bytes);   // after the dialog and the read
    void leaveFile();

    bool fileMode() const { return fileMode_; }
    const std::vector<std::string>& fileLines() const { return fileLines_; }
    uint32_t fileLineIndex() const { return fileLineIndex_; }
    bool periodTimerEnabled() const { return periodTimer_; }
    void setPeriodTimerEnabled(bool on);
    bool sendStartEnabled() const { return sendStartEnabled_; }
    bool cyclicEnabled() const { return cyclicEnabled_; }
    int32_t lastPeriodSend() const { return lastPeriodSend_; }

private:
    const TerminalOptions& options_;
    const Clock& clock_;
    TerminalView& view_;
    Hooks hooks_;
    bool fileMode_ = false;
    std::vector<std::string> fileLines_;
    uint32_t fileLineIndex_ = 0;
    int32_t lastPeriodSend_ = 0;
    bool periodTimer_ = false;
    bool sendStartEnabled_ = true;
    bool cyclicEnabled_ = false;
};

}  // namespace comtrax
