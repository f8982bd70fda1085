#include "ui/logview/log_row_painter.h"

#include <QPainter>
#include <QPalette>

#include <algorithm>
#include <optional>

#include "ui/logview/log_font_metrics.h"
#include "ui/logview/log_line_store.h"

namespace comtrax {

namespace {

// The characters of a line that reach into the viewport, with one to spare on
// each side for glyphs that reach past their advance: [begin, end), and x, where
// begin's character starts.
struct ShownPart {
    int begin = 0;
    int end = 0;
    int x = 0;
};

template <typename Advance> ShownPart shownPart(int size, int x0, int right, Advance advance)
{
    ShownPart part{0, 0, x0};
    while (part.begin < size && part.x + advance(part.begin) < 0) {
        part.x += advance(part.begin);
        ++part.begin;
    }
    if (part.begin > 0) {
        --part.begin;
        part.x -= advance(part.begin);
    }
    part.end = part.begin;
    for (int endX = part.x; part.end < size && endX <= right; ++part.end)
        endX += advance(part.end);
    part.end = std::min(size, part.end + 1);
    return part;
}

// Qt's raster engine hands a fill taller than about 64 pixel rows to its
// thread pool and waits for it: a thread wake and a wait per fill, several
// times a frame. Strips of a line's height stay on this thread and cost less.
void fillInStrips(QPainter& painter, const QRect& area, const QColor& colour)
{
    constexpr int Strip = 32;
    for (int y = area.top(); y <= area.bottom(); y += Strip)
        painter.fillRect(QRect(area.left(), y, area.width(), std::min(Strip, area.bottom() + 1 - y)), colour);
}
}  // namespace

QColor lineBackground(const QColor& back, const QColor& text, LogDirection direction)
{
    if (direction != LogDirection::Sent)
        return back;
    // A sixth of the way to the text colour: clear on light and dark schemes
    // alike, and far enough from the text for it to stay readable.
    constexpr int Share = 6;
    return QColor((back.red() * (Share - 1) + text.red()) / Share,
                  (back.green() * (Share - 1) + text.green()) / Share,
                  (back.blue() * (Share - 1) + text.blue()) / Share);
}

void LogRowPainter::paint(QPainter& painter, const QPalette& palette, const Rows& rows)
{
    painter.setFont(metrics_.font());
    const int height = metrics_.lineHeight();
    const int first = rows.first;
    const int last = rows.last;
    const int x0 = rows.x0;
    const int right = rows.size.width();
    const LogPlace from = rows.from;
    const LogPlace to = rows.to;
    const QString& highlight = rows.highlight;
    const QPalette& pal = palette;
    const QColor base = pal.color(QPalette::Base);
    const QColor textColour = pal.color(QPalette::Text);
    // Matches are marked as a highlighter pen would, the line's own colour
    // showing through, so they read on every scheme.
    QColor matchColour = QColor(255, 200, 0);
    matchColour.setAlpha(150);
    const int linesBottom = std::max(0, last - first) * height;
    const int fillTop = std::max(linesBottom, rows.clipTop);
    const int fillBottom = std::min(rows.size.height(), rows.clipBottom);
    fillInStrips(painter, QRect(0, fillTop, right, std::max(0, fillBottom - fillTop)), base);
    const bool cellsUsable = rows.cellsUsable;
    LogRowCells::Font cellFont;
    if (cellsUsable) {
        cellFont.raw = metrics_.rawFont();
        cellFont.ascent = metrics_.ascent();
        cellFont.height = height;
        cellFont.advances = metrics_.latin1Advances();
        cellFont.glyph = [this](uchar c) { return metrics_.glyphFor(QChar(c)); };
    }
    for (int i = first; i < last; ++i) {
        const int top = (i - first) * height;
        if (top + height <= rows.clipTop || top >= rows.clipBottom)
            continue;
        const QColor back = lineBackground(base, textColour, lines_.direction(static_cast<std::size_t>(i)));
        const bool selected = from != to && i >= from.line && i <= to.line;
        const std::optional<QByteArrayView> bytes = cellsUsable && !selected && highlight.isEmpty()
            ? lines_.latin1(static_cast<std::size_t>(i))
            : std::nullopt;
        if (bytes) {
            const int* advances = cellFont.advances;
            const ShownPart part = shownPart(static_cast<int>(bytes->size()), x0, right, [&](int k) {
                return advances[static_cast<uchar>((*bytes)[k])];
            });
            if (cells_.draw(painter, top, right, bytes->sliced(part.begin, part.end - part.begin), part.x,
                            textColour, back, cellFont))
                continue;
        }
        const QString text = lines_[static_cast<std::size_t>(i)];
        const int baseline = top + metrics_.ascent();
        painter.fillRect(0, top, right, height, back);
        if (!highlight.isEmpty()) {
            for (qsizetype at = text.indexOf(highlight, 0, rows.highlightCase); at >= 0;
                 at = text.indexOf(highlight, at + highlight.size(), rows.highlightCase)) {
                const int left = x0 + metrics_.textWidth(text, static_cast<int>(at));
                const int right = x0 + metrics_.textWidth(text, static_cast<int>(at + highlight.size()));
                painter.fillRect(QRect(left, top, right - left, height), matchColour);
            }
        }
        // Only the characters inside the viewport are drawn.
        const int size = static_cast<int>(text.size());
        const ShownPart part = shownPart(size, x0, right, [&](int k) { return metrics_.advance(text[k]); });
        const int x = part.x;
        const int begin = part.begin;
        const int end = part.end;
        const QGlyphRun run = metrics_.glyphRun(text, begin, end);
        const QString shown = run.isEmpty() ? text.mid(begin, end - begin) : QString();
        const auto drawShown = [&] {
            if (run.isEmpty())
                painter.drawText(x, baseline, shown);
            else
                painter.drawGlyphRun(QPointF(x, baseline), run);
        };
        painter.setPen(textColour);
        drawShown();
        if (!selected)
            continue;
        const int startColumn = i == from.line ? from.column : 0;
        const int endColumn = i == to.line ? to.column : size;
        const int left = x0 + metrics_.textWidth(text, startColumn);
        // A selected line break shows as a little room past the line's end.
        const int extra = i < to.line ? metrics_.averageCharWidth() : 0;
        const QRect band(left, top, x0 + metrics_.textWidth(text, endColumn) + extra - left, height);
        painter.fillRect(band, pal.color(QPalette::Highlight));
        painter.setPen(pal.color(QPalette::HighlightedText));
        painter.setClipRect(band);
        drawShown();
        painter.setClipping(false);
    }
}

}  // namespace comtrax
