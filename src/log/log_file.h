#pragma once
// The log file: created by the first Start Log of a run, paused and resumed,
// appended and flushed line by line, closed at shut-down.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

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
    // Lines written from beginBatch to the matching endBatch reach the system
    // together at endBatch, in one call (a pause or close writes them first).
    // What the disk takes of them is kept line by line as before: a failure
    // leaves every whole line and takes back the torn one.
    void beginBatch() { ++batchDepth_; }
    void endBatch();
    void close();

    bool active() const { return active_; }      // LogActive
    bool fileOpen() const { return fileOpen_; }  // LogFileOpen
    bool logging() const { return logging_; }    // StartLog's Tag
    const std::string& fileName() const { return fileName_; }
    const std::string& caption() const { return caption_; }  // StartLog (UTF-8)
    const std::string& status() const { return status_; }    // STLog (UTF-8)

private:
    void pause();
    void writePending();
    TerminalView& view_;
    std::string dir_;
    Opener opener_;
    std::FILE* file_ = nullptr;
    bool active_ = false;
    bool fileOpen_ = false;
    bool logging_ = false;  // StartLog's Tag: the user asked for a log file
    int64_t end_ = -1;      // the file's size after the last line, -1 until asked
    int batchDepth_ = 0;
    std::string pending_;                   // lines not yet handed to the system
    std::vector<std::size_t> pendingEnds_;  // where each of them ends in pending_
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

    // The lines of one hand-over go to the file together.
    class Batch {
    public:
        explicit Batch(LogOutput& output) : file_(output.file_) { file_.beginBatch(); }
        ~Batch() { file_.endBatch(); }
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        LogFile& file_;
    };

private:
    TerminalView& view_;
    LogFile& file_;
};

// The TimeOutRx arrows: steps that grow with the value, capped at 100000 going up.
int32_t timeoutStep(int32_t value, bool up);

}  // namespace comtrax
