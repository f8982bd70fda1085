#pragma once
// Paints the log's rows in view: each row's background (sent lines tinted),
// the find marks, the text and the selection band. Plain Latin-1 rows are
// put together from character cells (LogRowCells), every other row is drawn
// as glyph runs; either way only the characters inside the viewport are
// drawn, so a line of any length costs what the viewport shows of it.
#include <QColor>
#include <QSize>
#include <QString>

#include <limits>

#include "common/terminal_view.h"
#include "ui/logview/log_row_cells.h"
#include "ui/logview/log_search.h"

class QPainter;
class QPalette;

namespace comtrax {

class LogFontMetrics;
class LogLineStore;

// The background of a line that went the given way, on a log of the given
// colours: sent lines are shaded a little toward the text colour, so the
// scheme's own background stays the main colour and every scheme shows both.
QColor lineBackground(const QColor& back, const QColor& text, LogDirection direction);

class LogRowPainter {
public:
    // What one paint shows.
    struct Rows {
        int first = 0;  // the line on the top row
        int last = 0;   // one past the last line drawn
        int x0 = 0;     // where a line's first character starts (left of 0 when scrolled sideways)
        QSize size;     // the viewport's
        LogPlace from;  // the selection's ends in the lines' order (from == to: none)
        LogPlace to;
        QString highlight;  // the find marks' text (empty: none)
        Qt::CaseSensitivity highlightCase = Qt::CaseInsensitive;
        bool cellsUsable = true;  // false on a display that scales pixels
        // Only rows that reach into these pixel rows are drawn (the rest of
        // the picture is still on the screen).
        int clipTop = 0;
        int clipBottom = std::numeric_limits<int>::max();
    };

    LogRowPainter(const LogLineStore& lines, const LogFontMetrics& metrics) : lines_(lines), metrics_(metrics)
    {}

    // The font changed: every cell is made again.
    void fontChanged() { cells_.clear(); }
    void paint(QPainter& painter, const QPalette& palette, const Rows& rows);

private:
    const LogLineStore& lines_;
    const LogFontMetrics& metrics_;
    LogRowCells cells_;
};

}  // namespace comtrax
