#pragma once
// What screen readers hear of the log view: the lines that came and went,
// told once per display frame, never per line, and where the caret and the
// selection are. With no screen reader listening, nothing is told and
// nothing is counted.
#include <cstddef>

#include "ui/logview/log_search.h"

class QObject;

namespace comtrax {

class LogLineStore;

class LogAnnouncer {
public:
    // view: the widget the events are about; lines: the lines it shows.
    LogAnnouncer(QObject* view, const LogLineStore& lines) : view_(view), lines_(lines) {}

    // Lines about to fall off the top (or all be cleared): what readers were
    // told of them is taken back at the next announcement.
    void linesGoing(std::size_t count);
    // Tells of the lines that came and went since the last call.
    void announceNewLines();
    void announceSelection(LogPlace anchor, LogPlace caret);

private:
    QObject* view_;
    const LogLineStore& lines_;
    // What readers were told: the lines announced that are still kept (the
    // first `kept`), and the announced lines gone since.
    struct Told {
        int kept = 0;
        int goneLines = 0;
        long long goneChars = 0;  // each gone line with the line break after it
    } told_;
};

}  // namespace comtrax
