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
#include "transmit/command_file.h"

namespace comtrax {

class TerminalView;

// "Все команды отправлены" and "Большой файл" (UTF-8, the program's own texts).
extern const char* const AllSentText;
extern const char* const BigFileText;

// The current send mode is read from options.sendMode: the window updates it
// before calling modeSelected.
class SendScheduler {
public:
    struct Hooks {
        std::function<void(const std::string&)> send;  // send
        std::function<bool()> portOpen;                // PortOpen
        // A file run reached its end: true when the hook told the user itself
        // (the summary of a file with waits), so no "all sent" box follows.
        std::function<bool()> runEnded = {};
    };

    SendScheduler(const TerminalOptions& options, const Clock& clock, TerminalView& view, Hooks hooks);

    // Mode selection actions; returns nothing, the window reads the enabled states below.
    // Selecting the mode that is already selected does nothing.
    void modeSelected(SendMode mode);
    void periodTick();
    void startSending();
    void sendNextAfterAnswer();
    void sendAfterConnect();
    void housekeepingTick();  // re-enables TimerPeriod when CiklSend and RBPeriod
    // Stops periodic and after-answer sending (a rule, or an answer that never
    // came): nothing goes out by itself until a start, a mode change or resumeSending.
    void stopSending();
    void resumeSending() { stopped_ = false; }
    // The next line of the file now (after a wait or a pause), or the end of the run.
    void sendNextFileLine();
    bool sendingStopped() const { return stopped_; }

    // File view.
    void loadFile(const std::string& bytes);  // after the dialog and the read
    // After the dialog: switches to the file view, then reads the file in pieces.
    // A failure is shown with view.showError and returned; the lines read so far stay.
    FileResult loadFileFromPath(const std::string& path);
    void leaveFile();

    // How long the window may sleep before the next periodTick call with
    // the same outcome as ticking every millisecond: 0 = tick now, -1 = no tick
    // can do anything (timer off, another mode, no valid period, port closed).
    // Ask again after every tick and whenever the options, the port state or
    // the file view change.
    int64_t msUntilNextPeriodSend() const;

    bool fileMode() const { return fileMode_; }
    const std::vector<std::string>& fileLines() const { return fileLines_; }
    uint32_t fileLineIndex() const { return fileLineIndex_; }
    bool periodTimerEnabled() const { return periodTimer_; }
    void setPeriodTimerEnabled(bool on);
    bool sendStartEnabled() const { return sendStartEnabled_; }
    bool cyclicEnabled() const { return cyclicEnabled_; }
    int32_t lastPeriodSend() const { return lastPeriodSend_; }

private:
    void applyLoadedFile(CommandFile file);
    void announceEnd();
    void sendFileLine();

    const TerminalOptions& options_;
    const Clock& clock_;
    TerminalView& view_;
    Hooks hooks_;
    SendMode selectedMode_ = SendMode::Manual;
    bool fileMode_ = false;
    std::vector<std::string> fileLines_;
    uint32_t fileLineIndex_ = 0;
    bool stopped_ = false;   // stopSending: no period or after-answer sends until a start
    bool runEnded_ = false;  // a non-cyclic after-answer run reached its end; a start begins it again
    int32_t lastPeriodSend_ = 0;
    bool periodTimer_ = false;
    bool sendStartEnabled_ = true;
    bool cyclicEnabled_ = false;
};

// PeriodTX as a period in ms; false when the text is empty or not a decimal number.
bool parsePeriod(const std::string& text, int64_t& periodMs);

}  // namespace comtrax
