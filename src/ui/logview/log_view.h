#pragma once
// The log window: MainWindow, which takes the lines as they come, and
// SecondWindow, the frozen copy shown while StartStop holds the view. Lines
// that come within one display frame of the last are added together.
// StartStop's click freezes and unfreezes the view.
#include <QObject>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "common/terminal_view.h"
#include "ui/logview/log_line_store.h"

class QPlainTextEdit;
class QPushButton;

namespace comtrax {

class DisplayFrame;
class LogTextView;

class LogView : public QObject {
    Q_OBJECT
public:
    // New lines wait for the display frame. overCap is told when a flush
    // takes the log past its line cap.
    LogView(LogTextView* live, QPlainTextEdit* frozen, QPushButton* freezeButton, DisplayFrame& frame,
            std::function<void()> overCap, QObject* parent = nullptr);

    // One line; CR LF inside it is a line break.
    void addLine(const QString& text, LogDirection direction = LogDirection::Other);
    // The same for a line in Windows-1251, as the port gives it.
    void addCp1251Line(const std::string& bytes, LogDirection direction);
    // Shows the lines still waiting for their frame.
    void flush();
    void clear();
    // StartStop: freezes the view into the frozen copy, or goes back to the live one.
    void toggleFreeze();
    bool frozen() const { return frozen_; }
    void setFontSize(int points);
    // The live log's colours, as stored colour values (the colour scheme).
    void setBackgroundColour(uint32_t value);
    void setTextColour(uint32_t value);
    // The live log past its line cap (it starts afresh at the next housekeeping).
    bool overCap() const;
    void clearIfOverCap();

private:
    LogTextView* live_;
    QPlainTextEdit* frozenView_;
    QPushButton* freezeButton_;
    DisplayFrame& frame_;
    std::function<void()> overCap_;
    LogLineStore pending_;  // lines not yet in the live view, with their directions
    bool frozen_ = false;
    std::optional<int64_t> lastFlushMs_;  // on the frame's clock: the time a frame's lines took to come
    int pendingWidest_ = 0;               // measured as the lines came, not all at once in the frame
};

}  // namespace comtrax
