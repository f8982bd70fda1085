#pragma once
// A TerminalView that records everything the core asks the window to show.
#include <string>
#include <vector>

#include "common/terminal_view.h"

namespace comtrax::testing {

class RecordingView : public TerminalView {
public:
    std::vector<std::string> logLines;
    std::vector<LogDirection> logDirections;  // one for each line of logLines
    std::vector<std::string> messages;        // showMessage texts
    std::vector<std::string> errors;          // showError texts
    int noPortWindows = 0;
    std::string byteTotals = "TX: 0, RX: 0";
    std::string sentCount = "Send: 0";
    std::string readCount = "Read: 0";
    std::string minGap = "MIN_T_W:  NA";
    std::string maxGap = "MAX_T_W: NA";
    std::vector<bool> periodTimerChanges;
    int logStateChanges = 0;
    bool outputWaiting = false;

    void addLogLine(const std::string& line) override
    {
        logLines.push_back(line);
        logDirections.resize(logLines.size(), LogDirection::Other);
    }
    void addTrafficLine(const std::string& line, LogDirection direction) override
    {
        addLogLine(line);
        logDirections.back() = direction;
    }
    void setByteTotals(const std::string& t) override { byteTotals = t; }
    void setSentCount(const std::string& t) override { sentCount = t; }
    void setReadCount(const std::string& t) override { readCount = t; }
    void setGaps(const std::string& mn, const std::string& mx) override
    {
        minGap = mn;
        maxGap = mx;
    }
    void showMessage(const std::string& t) override { messages.push_back(t); }
    void showError(const std::string& t) override { errors.push_back(t); }
    void showNoPortWindow() override { ++noPortWindows; }
    void setPeriodTimerEnabled(bool on) override { periodTimerChanges.push_back(on); }
    void logStateChanged() override { ++logStateChanges; }
    void setOutputWaiting(bool waiting) override { outputWaiting = waiting; }
};

}  // namespace comtrax::testing
