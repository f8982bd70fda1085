#pragma once
// What is selected in the log view: the text from where the selection began
// (the anchor) to the caret, the end that moves, both places in the lines
// kept. It is made by the mouse and by keys, taken as text, and handed to
// the clipboard and the primary selection; it knows nothing of pixels, so its
// rules are tested without a window.
#include <QString>
#include <Qt>

#include <optional>

#include "ui/logview/log_search.h"

namespace comtrax {

class LogLineStore;

class LogSelection {
public:
    // The ways a key moves the caret: by a character, a line or a page, to
    // a line's ends, or to the log's.
    enum class Step { Left, Right, Up, Down, PageUp, PageDown, LineStart, LineEnd, LogStart, LogEnd };
    // The rows in view: the first and how many.
    struct Shown {
        int first = 0;
        int rows = 1;
    };

    explicit LogSelection(const LogLineStore& lines) : lines_(lines) {}

    // The lines kept changed under the selection: count lines fell off the
    // top (the selection stays on its lines, and what fell off is no longer
    // selected), or all of them went.
    void linesDropped(int count);
    void linesCleared() { anchor_ = caret_ = LogPlace{}; }

    LogPlace anchor() const { return anchor_; }
    LogPlace caret() const { return caret_; }
    bool empty() const { return anchor_ == caret_; }
    // The selection's ends in the lines' order.
    LogPlace start() const;
    LogPlace end() const;
    // The selected characters, lines joined by '\n'.
    QString text() const;

    // Selects from anchor to caret (each clamped to the lines kept).
    void select(LogPlace anchor, LogPlace caret);
    // The caret to a place; the anchor too, unless the selection extends
    // (Shift+click, a drag).
    void placeCaret(LogPlace at, bool extend);
    // A whole line, from its start to its end (a double click).
    void selectLine(int line);
    void selectAll();
    // Nothing selected; the caret stays.
    void collapse() { anchor_ = caret_; }

    // A key's move of the caret by a step, extending the selection or
    // leaving nothing selected. A page step moves by the rows in view.
    void move(Step step, bool extend, const Shown& shown);
    // Where a step takes the caret from a place.
    LogPlace target(Step step, LogPlace from, int page) const;
    // Where a key's move starts: the caret, or, when nothing is selected and
    // the lines have scrolled the caret out of view, the page in view.
    LogPlace keyStart(Step step, const Shown& shown) const;

    // Ctrl+C: the selected text to the clipboard.
    void copy() const;
    // A selection made with the mouse or the keyboard is complete: it goes
    // to the primary selection (what a middle click pastes elsewhere).
    void offer() const;

    // The nearest place in the lines kept.
    LogPlace clamp(LogPlace place) const;

private:
    int lastLine() const;
    int lineLength(int line) const;

    const LogLineStore& lines_;
    LogPlace anchor_;
    LogPlace caret_;
};

// The step a key makes, or nothing for keys that only scroll: plain arrows
// scroll the log and, with Shift, extend the selection; Shift+Home and
// Shift+End reach a line's ends, as in any text; Home and End, and with
// Ctrl, the log's, as in any log.
std::optional<LogSelection::Step> stepForKey(int key, Qt::KeyboardModifiers modifiers);

}  // namespace comtrax
