#pragma once
// A read-only log that keeps its lines in its own bounded store and lays out
// only the lines on screen: a text document costs far more per appended line
// than the terminal spends on the line itself. Lines never wrap; a long line
// is reached through the horizontal scroll bar. The view scrolls, routes
// input and has its rows painted; its font's measures, its selection,
// whether it follows the end, the painting of its rows and what screen
// readers hear are classes of their own.
#include <QAbstractScrollArea>
#include <QRect>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

#include "common/terminal_view.h"
#include "ui/logview/log_announcer.h"
#include "ui/logview/log_follow.h"
#include "ui/logview/log_font_metrics.h"
#include "ui/logview/log_line_store.h"
#include "ui/logview/log_row_painter.h"
#include "ui/logview/log_search.h"
#include "ui/logview/log_selection.h"

class QKeyEvent;

class QAction;

namespace comtrax {

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
    void appendLines(LogLineStore&& lines, std::optional<int> widest = std::nullopt);
    void appendLine(const QString& line, LogDirection direction = LogDirection::Other)
    {
        appendLines(QStringList{line}, {direction});
    }
    // A line's width in pixels in this view's font.
    int lineWidth(const QString& text) const { return metrics_.lineWidth(text); }
    int lineWidth(QByteArrayView latin1) const { return metrics_.lineWidth(latin1); }
    void clear();
    // The lines joined by '\n', as a plain text edit gives its text.
    QString toPlainText() const;
    int lineCount() const { return static_cast<int>(lines_.size()); }
    // How many whole lines the view shows at once.
    int pageLines() const;
    QString line(int index) const { return lines_[static_cast<std::size_t>(index)]; }
    const LogLineStore& lines() const { return lines_; }
    LogDirection direction(int index) const { return lines_.direction(static_cast<std::size_t>(index)); }

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
    // moves (the same place when nothing is selected), in the lines kept.
    LogPlace anchorPlace() const { return selection_.anchor(); }
    LogPlace caretPlace() const { return selection_.caret(); }
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
    void announceNewLines() { announcer_.announceNewLines(); }

    bool isReadOnly() const { return true; }
    void setReadOnly(bool) {}

    bool hasSelection() const { return !selection_.empty(); }
    QString selectedText() const { return selection_.text(); }
    void selectAll();
    void copy() const { selection_.copy(); }
    // Whether new lines keep the view at the end.
    bool following() const { return follow_.following(); }
    int firstVisibleLine() const;
    // Commands of the program's tools (rules, plot, ...) offered in the
    // context menu below the view's own; the view does not own them.
    void addContextAction(QAction* action) { contextActions_.push_back(action); }

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
    static constexpr int Margin = 4;  // between the view's edge and the text

    // The rows in view, as the selection's keys see them.
    LogSelection::Shown shown() const { return {firstVisibleLine(), pageLines()}; }
    // Screen readers are told where the caret and the selection are.
    void announceSelection() { announcer_.announceSelection(selection_.anchor(), selection_.caret()); }
    void updateScrollBars();
    // Where the picture on the screen stands: the lines counted from the
    // first ever kept, so that lines dropped off the top do not move it.
    struct Picture {
        quint64 top = 0;  // the line on the top row
        quint64 end = 0;  // one past the last line
        int x = 0;        // the sideways scroll
        QSize size;
    };
    Picture picture() const;
    void showAppended(const Picture& before);
    void keepCaretVisible();
    // Moves the view so that a rectangle (viewport coordinates) over the
    // viewport's top no longer hides the characters at a place.
    void scrollClearOf(LogPlace at, int length, const QRect& obstacle);
    void scrollColumnIntoView(const QString& text, int column);

    LogFontMetrics metrics_;
    LogLineStore lines_;
    LogRowPainter painter_{lines_, metrics_};
    LogSelection selection_{lines_};
    LogFollow follow_;
    std::pair<bool, bool> barsNeeded_{false, false};  // horizontal, vertical, as last laid out
    LogAnnouncer announcer_{this, lines_};
    QString highlight_;
    Qt::CaseSensitivity highlightCase_ = Qt::CaseInsensitive;
    int maxLines_ = 0;
    int widestLine_ = 0;           // in pixels, of all lines seen since the last clear
    bool mouseSelecting_ = false;  // a left button press is selecting
    quint64 revision_ = 0;
    quint64 droppedLines_ = 0;  // dropped off the top since the view was made
    bool adjusting_ = false;    // the view moves its own bar for new lines
    std::vector<QAction*> contextActions_;
};

}  // namespace comtrax
