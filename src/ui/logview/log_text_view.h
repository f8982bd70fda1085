#pragma once
// A read-only log that keeps its lines in its own bounded store and lays out
// only the lines on screen: a text document costs far more per appended line
// than the terminal spends on the line itself. Lines never wrap; a long line
// is reached through the horizontal scroll bar.
#include <QAbstractScrollArea>
#include <QRect>
#include <QGlyphRun>
#include <QRawFont>
#include <QString>
#include <QStringList>

#include <climits>
#include <deque>
#include <optional>
#include <vector>

#include "common/terminal_view.h"
#include "ui/logview/log_line_store.h"
#include "ui/logview/log_row_cells.h"
#include "ui/logview/log_search.h"

class QKeyEvent;
class QMenu;

namespace comtrax {

// The background of a line that went the given way, on a log of the given
// colours: sent lines are shaded a little toward the text colour, so the
// scheme's own background stays the main colour and every scheme shows both.
QColor lineBackground(const QColor& back, const QColor& text, LogDirection direction);

class LogTextView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit LogTextView(QWidget* parent = nullptr);

    // Lines past the cap fall off the top (0: no cap).
    void setMaximumLineCount(int lines);
    int maximumLineCount() const { return maxLines_; }

    // Each string is one line (it holds no line break); directions, where
    // given, go with the lines one for one.
    void appendLines(const QStringList& lines, const std::vector<LogDirection>& directions = {});
    // widest: the widest of the lines in pixels, when the caller measured
    // them already (with lineWidth, as they came).
    void appendLines(LogLineStore&& lines, const std::vector<LogDirection>& directions,
                     std::optional<int> widest = std::nullopt);
    // A line's width in pixels in this view's font.
    int lineWidth(const QString& text) const { return textWidth(text, INT_MAX); }
    int lineWidth(QByteArrayView latin1) const;
    void appendLine(const QString& line, LogDirection direction = LogDirection::Other)
    {
        appendLines(QStringList{line}, {direction});
    }
    void clear();
    // The lines joined by '\n', as a plain text edit gives its text.
    QString toPlainText() const;
    int lineCount() const { return static_cast<int>(lines_.size()); }
    // How many whole lines the view shows at once.
    int pageLines() const;
    QString line(int index) const { return lines_[static_cast<std::size_t>(index)]; }
    const LogLineStore& lines() const { return lines_; }
    LogDirection direction(int index) const { return directions_.at(static_cast<std::size_t>(index)); }

    // Matches of the text are shown on the lines in view (empty: none).
    void setHighlight(const QString& text, Qt::CaseSensitivity sensitivity);
    std::optional<LogPlace> selectionStart() const;
    // Selects length characters at a place and scrolls them into view, and,
    // when keepClearOf (a rectangle over the viewport's top, in its
    // coordinates: the find bar) would hide them, down below it or sideways
    // out of it. False when the match is still under it.
    bool selectMatch(LogPlace at, int length, const QRect& keepClearOf = {});
    void clearSelection();

    // The selection's two ends: where it began, and the caret, the end that
    // moves (the same place when nothing is selected). Both clamped to the
    // lines kept.
    LogPlace anchorPlace() const;
    LogPlace caretPlace() const;
    // Selects from anchor to caret (clamped) and scrolls the caret into view.
    void setSelection(LogPlace anchor, LogPlace caret);
    // Where the characters [at, at + length) of a line are drawn, in the
    // viewport's coordinates (empty width at a line's end).
    QRect placeRect(LogPlace at, int length = 1) const;
    // The place nearest a point of the viewport.
    LogPlace placeAt(const QPoint& viewportPoint) const;
    // Grows with every change of the lines kept (added, dropped, cleared).
    quint64 linesRevision() const { return revision_; }
    // Tells screen readers about the lines that came and went since the last
    // call. Called once per display frame, never per line.
    void announceNewLines();

    bool isReadOnly() const { return true; }
    void setReadOnly(bool) {}

    bool hasSelection() const { return anchor_ != cursor_; }
    QString selectedText() const;
    void selectAll();
    void copy() const;
    // Whether new lines keep the view at the end.
    bool following() const { return following_; }
    int firstVisibleLine() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    static constexpr int kMargin = 4;  // between the view's edge and the text
    struct Pos {
        long long line = 0;  // counted from the first line ever appended, so trimming keeps it
        int column = 0;
        bool operator==(const Pos&) const = default;
        bool operator<(const Pos& o) const { return line < o.line || (line == o.line && column < o.column); }
    };

    int lineHeight() const;
    // A line is measured and placed by the advances of its characters, looked
    // up once per font: shaping every line that arrives, and every whole line
    // on screen at every frame, is what made a text document slow. Lines are
    // drawn without kerning so that the drawn text sits where the sums say.
    int charAdvance(QChar c) const;
    // The glyphs of text[begin, end) placed by the advances above, as a run
    // the painter draws without shaping; an empty run when the font lacks a
    // glyph (the painter then finds one in another font).
    // The view's font as glyphs are drawn from it (looked up once per font).
    const QRawFont& rawFont() const;
    // The font's glyph for a character (0: none, or left to the shaper).
    quint32 glyphFor(QChar c) const;
    QGlyphRun glyphRun(const QString& text, int begin, int end) const;
    const int* latin1Advances() const;
    int textWidth(const QString& text, int columns) const;
    int columnAt(const QString& text, int x) const;
    Pos posAt(const QPoint& point) const;
    Pos clampPos(Pos pos) const;
    Pos toPos(LogPlace place) const { return Pos{firstLineNumber_ + place.line, place.column}; }
    LogPlace toPlace(Pos pos) const;
    long long lastLineNumber() const { return firstLineNumber_ + lineCount() - 1; }
    int lineLength(long long number) const;
    bool lineInView(long long number) const;
    // Where a key that moves the caret starts from, and where it takes it
    // (nothing for keys that only scroll).
    Pos keyStart(bool forward) const;
    std::optional<Pos> keyTarget(const QKeyEvent* event, Pos from);
    // A selection made with the mouse or the keyboard is complete: it goes to
    // the primary selection (what a middle click pastes elsewhere).
    void offerSelection() const;
    // Screen readers are told where the caret and the selection are.
    void announceSelection();
    // Lines about to fall off the top: what screen readers were told of them
    // is taken back at the next announcement.
    void noteLinesGone(std::size_t count);
    void updateScrollBars();
    void scrollToEnd();
    void keepCursorVisible();
    // Moves the view so that a rectangle (viewport coordinates) over the
    // viewport's top no longer hides the characters at a place.
    void scrollClearOf(LogPlace at, int length, const QRect& obstacle);

    void scrollColumnIntoView(const QString& text, int column);
    // Line i's width in pixels, measured without making it a QString when it
    // is Latin-1.
    int storedLineWidth(std::size_t i) const;

    mutable std::vector<short> advances_;  // by UTF-16 code unit; -1 until looked up
    // The advances of the Latin-1 characters (empty until looked up).
    mutable std::vector<int> latin1Advances_;
    // The font's glyph of each code unit (NoGlyph until looked up, 0 when the
    // font has none), so that drawing a line needs no text shaping.
    mutable std::vector<quint32> glyphs_;
    mutable QRawFont rawFont_;
    LogRowCells cells_;
    LogLineStore lines_;
    std::deque<LogDirection> directions_;
    QString highlight_;
    Qt::CaseSensitivity highlightCase_ = Qt::CaseInsensitive;
    long long firstLineNumber_ = 0;  // the number of the line at lines_.front()
    int maxLines_ = 0;
    int widestLine_ = 0;  // in pixels, of all lines seen since the last clear
    bool following_ = true;
    bool adjusting_ = false;
    Pos anchor_;
    Pos cursor_;
    bool mouseSelecting_ = false;  // a left button press is selecting
    quint64 revision_ = 0;
    long long characters_ = 0;  // in the lines kept, line breaks not counted
    // What screen readers were told: the lines announced that are still
    // kept (the first `kept`), and the announced lines gone since.
    struct Announced {
        int kept = 0;
        int goneLines = 0;
        long long goneChars = 0;  // each gone line with the line break after it
    } announced_;
};

}  // namespace comtrax
