#pragma once
// The log file: created by the first Start Log of a run, paused and resumed,
// appended and flushed line by line, closed at shut-down.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "common/clock.h"
#include "common/terminal_view.h"

namespace comtrax {

class LogFile {
public:
    // dir is where the file is made ("." in the program).
    LogFile(TerminalView& view, std::string dir = ".");
    ~LogFile();

    // "LOG_2021 3 5 7 4 9.txt"
    static std::string fileNameFor(const LocalDateTime& t);

    // Replaces how the file is opened for appending. Tests put a failing
    // device such as /dev/full behind it, which the program's own opening
    // refuses.
    using Opener = std::function<std::FILE*(const std::string& path)>;
    void setOpener(Opener opener) { opener_ = std::move(opener); }

    void toggleLogFile(const LocalDateTime& now);
    // Writes one line followed by CR LF if LogActive. A failure reports once and pauses.
    void writeLine(const std::string& line);
    void close();

    bool active() const { return active_; }      // LogActive
    bool fileOpen() const { return fileOpen_; }  // LogFileOpen
    bool logging() const { return logging_; }    // StartLog's Tag
    const std::string& fileName() const { return fileName_; }
    const std::string& caption() const { return caption_; }  // StartLog (UTF-8)
    const std::string& status() const { return status_; }    // STLog (UTF-8)

private:
    void pause();
    TerminalView& view_;
    std::string dir_;
    Opener opener_;
    std::FILE* file_ = nullptr;
    bool active_ = false;
    bool fileOpen_ = false;
    bool logging_ = false;  // StartLog's Tag: the user asked for a log file
    std::string fileName_;
    std::string caption_ = "Start Log";
    std::string status_;
};

// Shows a line in the log window and writes it to the log file, when the filter
// lets it through. Shared by sent echoes and received packets.
class LogOutput {
public:
    LogOutput(TerminalView& view, LogFile& file);
    // Returns true when the line passed the filter.
    bool addLine(const std::string& line, const std::string& filter,
                 LogDirection direction = LogDirection::Other);
    static std::string withCrLfBreaks(const std::string& line);

private:
    TerminalView& view_;
    LogFile& file_;
};

// The TimeOutRx arrows: steps that grow with the value, capped at 100000 going up.
int32_t timeoutStep(int32_t value, bool up);

}  // namespace comtrax
