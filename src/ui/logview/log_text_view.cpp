#include "ui/logview/log_text_view.h"

#include <QEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <climits>

#include "ui/logview/log_text_view_accessible.h"

namespace comtrax {

namespace {

QFont unkerned(QFont f)
{
    f.setKerning(false);
    return f;
}

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

LogTextView::LogTextView(QWidget* parent) : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setBackgroundRole(QPalette::Base);
    viewport()->setBackgroundRole(QPalette::Base);
    // The view fills its own background, line by line (see fillInStrips).
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setCursor(Qt::IBeamCursor);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    verticalScrollBar()->setSingleStep(1);
    updateScrollBars();
    installLogTextViewAccessibility();
}

void LogTextView::setMaximumLineCount(int lines)
{
    maxLines_ = std::max(0, lines);
    appendLines({});
}

int LogTextView::lineHeight() const
{
    return std::max(1, fontMetrics().lineSpacing());
}

int LogTextView::charAdvance(QChar c) const
{
    if (advances_.empty())
        advances_.assign(0x10000, -1);
    short& a = advances_[c.unicode()];
    if (a < 0)
        a = static_cast<short>(std::clamp(QFontMetrics(unkerned(font())).horizontalAdvance(c), 0, SHRT_MAX));
    return a;
}

const QRawFont& LogTextView::rawFont() const
{
    if (!rawFont_.isValid())
        rawFont_ = QRawFont::fromFont(unkerned(font()));
    return rawFont_;
}

quint32 LogTextView::glyphFor(QChar c) const
{
    constexpr quint32 NoGlyph = 0xFFFFFFFF;
    rawFont();
    if (glyphs_.empty())
        glyphs_.assign(0x10000, NoGlyph);
    quint32& g = glyphs_[c.unicode()];
    if (g == NoGlyph) {
        int found = 1;
        // Control characters and surrogates are left to the shaper.
        if (c.unicode() < 0x20 || c.isSurrogate() || !rawFont_.isValid()
            || !rawFont_.glyphIndexesForChars(&c, 1, &g, &found) || found != 1)
            g = 0;
    }
    return g;
}

QGlyphRun LogTextView::glyphRun(const QString& text, int begin, int end) const
{
    QList<quint32> indexes;
    QList<QPointF> positions;
    indexes.reserve(end - begin);
    positions.reserve(end - begin);
    int x = 0;
    for (int i = begin; i < end; ++i) {
        const QChar c = text[i];
        const quint32 g = glyphFor(c);
        if (g == 0)
            return {};
        indexes.append(g);
        positions.append(QPointF(x, 0));
        x += charAdvance(c);
    }
    QGlyphRun run;
    run.setRawFont(rawFont_);
    run.setGlyphIndexes(indexes);
    run.setPositions(positions);
    return run;
}

const int* LogTextView::latin1Advances() const
{
    if (latin1Advances_.empty())
        for (int c = 0; c < 0x100; ++c)
            latin1Advances_.push_back(charAdvance(QChar(c)));
    return latin1Advances_.data();
}

int LogTextView::textWidth(const QString& text, int columns) const
{
    columns = std::min(columns, static_cast<int>(text.size()));
    if (advances_.empty())
        advances_.assign(0x10000, -1);
    const short* advances = advances_.data();
    const ushort* units = text.utf16();
    int width = 0;
    for (int i = 0; i < columns; ++i) {
        const short a = advances[units[i]];
        width += a >= 0 ? a : charAdvance(QChar(units[i]));
    }
    return width;
}

int LogTextView::lineWidth(QByteArrayView latin1) const
{
    const int* advances = latin1Advances();
    int width = 0;
    for (const char c : latin1)
        width += advances[static_cast<uchar>(c)];
    return width;
}

int LogTextView::storedLineWidth(std::size_t i) const
{
    const std::optional<QByteArrayView> bytes = lines_.latin1(i);
    return bytes ? lineWidth(*bytes) : lineWidth(lines_[i]);
}

void LogTextView::appendLines(const QStringList& lines, const std::vector<LogDirection>& directions)
{
    LogLineStore store;
    for (const QString& text : lines)
        store.push_back(text);
    appendLines(std::move(store), directions);
}

void LogTextView::appendLines(LogLineStore&& lines, const std::vector<LogDirection>& directions,
                              std::optional<int> widest)
{
    const std::size_t first = lines_.size();
    const std::size_t count = lines.size();
    lines_.append(std::move(lines));
    for (std::size_t index = 0; index < count; ++index) {
        directions_.push_back(index < directions.size() ? directions[index] : LogDirection::Other);
        characters_ += lines_.length(first + index);
        if (!widest)
            widestLine_ = std::max(widestLine_, storedLineWidth(first + index));
    }
    if (widest)
        widestLine_ = std::max(widestLine_, *widest);
    ++revision_;
    int dropped = 0;
    if (maxLines_ > 0 && lines_.size() > static_cast<std::size_t>(maxLines_)) {
        noteLinesGone(lines_.size() - static_cast<std::size_t>(maxLines_));
        while (lines_.size() > static_cast<std::size_t>(maxLines_)) {
            characters_ -= lines_.length(0);
            lines_.pop_front();
            directions_.pop_front();
            ++firstLineNumber_;
            ++dropped;
        }
    }
    QScrollBar* bar = verticalScrollBar();
    const int keptTop = bar->value() - dropped;
    updateScrollBars();
    adjusting_ = true;
    if (following_)
        bar->setValue(bar->maximum());
    else
        bar->setValue(std::max(0, keptTop));
    adjusting_ = false;
    viewport()->update();
}

void LogTextView::clear()
{
    noteLinesGone(lines_.size());
    ++revision_;
    lines_.clear();
    directions_.clear();
    characters_ = 0;
    firstLineNumber_ = 0;
    widestLine_ = 0;
    anchor_ = cursor_ = Pos{};
    following_ = true;
    updateScrollBars();
    viewport()->update();
}

QString LogTextView::toPlainText() const
{
    QString all;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (i > 0)
            all += QLatin1Char('\n');
        all += lines_[i];
    }
    return all;
}

int LogTextView::firstVisibleLine() const
{
    return verticalScrollBar()->value();
}

int LogTextView::pageLines() const
{
    return std::max(1, viewport()->height() / lineHeight());
}

void LogTextView::updateScrollBars()
{
    const int visible = pageLines();
    QScrollBar* v = verticalScrollBar();
    v->setPageStep(visible);
    v->setRange(0, std::max(0, lineCount() - visible));
    QScrollBar* h = horizontalScrollBar();
    h->setPageStep(viewport()->width());
    h->setSingleStep(std::max(1, fontMetrics().averageCharWidth()));
    h->setRange(0, std::max(0, widestLine_ + 2 * kMargin - viewport()->width()));
}

void LogTextView::scrollToEnd()
{
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void LogTextView::scrollContentsBy(int, int)
{
    if (!adjusting_)
        following_ = verticalScrollBar()->value() == verticalScrollBar()->maximum();
    viewport()->update();
}

void LogTextView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    const bool follow = following_;
    adjusting_ = true;
    updateScrollBars();
    if (follow)
        scrollToEnd();
    adjusting_ = false;
    following_ = follow || verticalScrollBar()->value() == verticalScrollBar()->maximum();
}

void LogTextView::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        // The widest line is measured again only for the lines still kept.
        advances_.clear();
        latin1Advances_.clear();
        glyphs_.clear();
        cells_.clear();
        rawFont_ = QRawFont();
        widestLine_ = 0;
        for (std::size_t i = 0; i < lines_.size(); ++i)
            widestLine_ = std::max(widestLine_, storedLineWidth(i));
        const bool follow = following_;
        adjusting_ = true;
        updateScrollBars();
        if (follow)
            scrollToEnd();
        adjusting_ = false;
        viewport()->update();
    }
}

void LogTextView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    painter.setFont(unkerned(font()));
    const QFontMetrics metrics = fontMetrics();
    const int height = lineHeight();
    const int first = verticalScrollBar()->value();
    const int last = std::min(lineCount(), first + viewport()->height() / height + 2);
    const int x0 = kMargin - horizontalScrollBar()->value();
    const int right = viewport()->width();
    const Pos from = clampPos(std::min(anchor_, cursor_));
    const Pos to = clampPos(std::max(anchor_, cursor_));
    const QPalette& pal = palette();
    const QColor base = pal.color(QPalette::Base);
    const QColor textColour = pal.color(QPalette::Text);
    // Matches are marked as a highlighter pen would, the line's own colour
    // showing through, so they read on every scheme.
    QColor matchColour = QColor(255, 200, 0);
    matchColour.setAlpha(150);
    const int linesBottom = std::max(0, last - first) * height;
    fillInStrips(painter, QRect(0, linesBottom, right, std::max(0, viewport()->height() - linesBottom)),
                 base);
    // Plain rows are put together from character cells (see LogRowCells),
    // on a display that shows a pixel as a pixel.
    const bool cellsUsable = viewport()->devicePixelRatioF() == 1.0;
    LogRowCells::Font cellFont;
    if (cellsUsable) {
        cellFont.raw = rawFont();
        cellFont.ascent = metrics.ascent();
        cellFont.height = height;
        cellFont.advances = latin1Advances();
        cellFont.glyph = [this](uchar c) { return glyphFor(QChar(c)); };
    }
    for (int i = first; i < last; ++i) {
        const int top = (i - first) * height;
        const long long number = firstLineNumber_ + i;
        const QColor back = lineBackground(base, textColour, directions_[static_cast<std::size_t>(i)]);
        const bool selected = from != to && number >= from.line && number <= to.line;
        const std::optional<QByteArrayView> bytes = cellsUsable && !selected && highlight_.isEmpty()
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
        const int baseline = top + metrics.ascent();
        painter.fillRect(0, top, right, height, back);
        if (!highlight_.isEmpty()) {
            for (qsizetype at = text.indexOf(highlight_, 0, highlightCase_); at >= 0;
                 at = text.indexOf(highlight_, at + highlight_.size(), highlightCase_)) {
                const int left = x0 + textWidth(text, static_cast<int>(at));
                const int right = x0 + textWidth(text, static_cast<int>(at + highlight_.size()));
                painter.fillRect(QRect(left, top, right - left, height), matchColour);
            }
        }
        // Only the characters inside the viewport are drawn.
        const int size = static_cast<int>(text.size());
        const ShownPart part = shownPart(size, x0, right, [&](int k) { return charAdvance(text[k]); });
        const int x = part.x;
        const int begin = part.begin;
        const int end = part.end;
        const QGlyphRun run = glyphRun(text, begin, end);
        const QString shown = run.isEmpty() ? text.mid(begin, end - begin) : QString();
        const auto drawShown = [&] {
            if (run.isEmpty())
                painter.drawText(x, baseline, shown);
            else
                painter.drawGlyphRun(QPointF(x, baseline), run);
        };
        painter.setPen(textColour);
        drawShown();
        if (from == to || number < from.line || number > to.line)
            continue;
        const int startColumn = number == from.line ? from.column : 0;
        const int endColumn = number == to.line ? to.column : size;
        const int left = x0 + textWidth(text, startColumn);
        // A selected line break shows as a little room past the line's end.
        const int extra = number < to.line ? metrics.averageCharWidth() : 0;
        const QRect band(left, top, x0 + textWidth(text, endColumn) + extra - left, height);
        painter.fillRect(band, pal.color(QPalette::Highlight));
        painter.setPen(pal.color(QPalette::HighlightedText));
        painter.setClipRect(band);
        drawShown();
        painter.setClipping(false);
    }
}

}  // namespace comtrax
