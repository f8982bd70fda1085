// The log view's mouse and keyboard, routed to its selection, and the find
// marks and matches.
#include "ui/logview/log_text_view.h"

#include "ui/kit/translation.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>

namespace comtrax {

LogPlace LogTextView::placeAt(const QPoint& viewportPoint) const
{
    if (lines_.empty())
        return {};
    const int index = std::clamp(verticalScrollBar()->value() + viewportPoint.y() / metrics_.lineHeight(), 0,
                                 lineCount() - 1);
    const int x = viewportPoint.x() - Margin + horizontalScrollBar()->value();
    return LogPlace{index, metrics_.columnAt(line(index), x)};
}

QRect LogTextView::placeRect(LogPlace at, int length) const
{
    const int x0 = Margin - horizontalScrollBar()->value();
    const int height = metrics_.lineHeight();
    if (lines_.empty())
        return QRect(x0, 0, 0, height);
    const LogPlace place = selection_.clamp(at);
    const QString text = line(place.line);
    const int left = x0 + metrics_.textWidth(text, place.column);
    const int right = x0 + metrics_.textWidth(text, place.column + std::max(0, length));
    return QRect(left, (place.line - verticalScrollBar()->value()) * height, right - left, height);
}

void LogTextView::setSelection(LogPlace anchor, LogPlace caret)
{
    selection_.select(anchor, caret);
    keepCaretVisible();
    viewport()->update();
    announceSelection();
}

void LogTextView::selectAll()
{
    selection_.selectAll();
    viewport()->update();
    selection_.offer();
    announceSelection();
}

void LogTextView::clearSelection()
{
    selection_.collapse();
    viewport()->update();
    announceSelection();
}

std::optional<LogPlace> LogTextView::selectionStart() const
{
    if (!hasSelection())
        return std::nullopt;
    return selection_.start();
}

void LogTextView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    selection_.placeCaret(placeAt(event->position().toPoint()), event->modifiers() & Qt::ShiftModifier);
    mouseSelecting_ = true;
    viewport()->update();
}

void LogTextView::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    const QPoint point = event->position().toPoint();
    // Dragging past an edge scrolls the log under the pointer.
    if (point.y() < 0)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (point.y() > viewport()->height())
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    selection_.placeCaret(placeAt(point), true);
    viewport()->update();
}

void LogTextView::mouseReleaseEvent(QMouseEvent* event)
{
    event->setAccepted(event->button() == Qt::LeftButton);
    if (event->button() != Qt::LeftButton || !mouseSelecting_)
        return;
    // The selection is offered once, when the drag ends, not at every move.
    mouseSelecting_ = false;
    selection_.offer();
    announceSelection();
}

void LogTextView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    // A double click takes the whole line: log lines are read and copied as lines.
    selection_.selectLine(placeAt(event->position().toPoint()).line);
    mouseSelecting_ = true;
    viewport()->update();
    selection_.offer();
}

void LogTextView::keepCaretVisible()
{
    const int index = selection_.caret().line;
    QScrollBar* bar = verticalScrollBar();
    if (index < bar->value())
        bar->setValue(index);
    else if (index >= bar->value() + bar->pageStep())
        bar->setValue(index - bar->pageStep() + 1);
}

void LogTextView::keyPressEvent(QKeyEvent* event)
{
    if (event == QKeySequence::Copy) {
        copy();
        return;
    }
    if (event == QKeySequence::SelectAll) {
        selectAll();
        return;
    }
    const std::optional<LogSelection::Step> step = stepForKey(event->key(), event->modifiers());
    if (!step) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    selection_.move(*step, extend, shown());
    // A page key moves the view a page, and the caret with it.
    if (*step == LogSelection::Step::PageUp || *step == LogSelection::Step::PageDown) {
        QScrollBar* bar = verticalScrollBar();
        bar->setValue(bar->value() + (*step == LogSelection::Step::PageUp ? -pageLines() : pageLines()));
    }
    keepCaretVisible();
    // A growing selection shows its moving end; Home shows the lines'
    // start. End keeps the sideways place, as new lines do.
    if ((extend || event->key() == Qt::Key_Home) && !lines_.empty())
        scrollColumnIntoView(line(selection_.caret().line), selection_.caret().column);
    viewport()->update();
    if (extend)
        selection_.offer();
    announceSelection();
}

void LogTextView::setHighlight(const QString& text, Qt::CaseSensitivity sensitivity)
{
    highlight_ = text;
    highlightCase_ = sensitivity;
    viewport()->update();
}

bool LogTextView::selectMatch(LogPlace at, int length, const QRect& keepClearOf)
{
    selection_.select(at, LogPlace{at.line, at.column + length});
    keepCaretVisible();
    scrollColumnIntoView(line(at.line), at.column);
    if (!keepClearOf.isEmpty())
        scrollClearOf(at, length, keepClearOf);
    viewport()->update();
    announceSelection();
    return keepClearOf.isEmpty() || !placeRect(at, length).intersects(keepClearOf);
}

void LogTextView::scrollClearOf(LogPlace at, int length, const QRect& obstacle)
{
    if (!placeRect(at, length).intersects(obstacle))
        return;
    // Down: the match's row below the rows the obstacle covers, when the
    // log has lines enough above it.
    const int height = metrics_.lineHeight();
    const int covered = (obstacle.bottom() + height) / height;
    QScrollBar* bar = verticalScrollBar();
    if (covered < pageLines() && at.line >= covered && bar->value() > at.line - covered)
        bar->setValue(at.line - covered);
    const QRect match = placeRect(at, length);
    if (!match.intersects(obstacle))
        return;
    // Else sideways: the match left of the obstacle, if the line is long
    // enough to scroll that far and the match still fits beside it.
    QScrollBar* side = horizontalScrollBar();
    const int shift = match.right() + 1 + Margin - obstacle.left();
    if (match.left() - shift >= 0 && side->value() + shift <= side->maximum())
        side->setValue(side->value() + shift);
}

void LogTextView::scrollColumnIntoView(const QString& text, int column)
{
    const int x = Margin + metrics_.textWidth(text, column);
    QScrollBar* bar = horizontalScrollBar();
    if (x < bar->value() || x > bar->value() + viewport()->width() - 2 * Margin)
        bar->setValue(x - viewport()->width() / 3);
}

void LogTextView::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    QAction* copyAction = menu.addAction(uiText("Копировать"), this, &LogTextView::copy);
    copyAction->setShortcut(QKeySequence::Copy);
    copyAction->setEnabled(hasSelection());
    QAction* allAction = menu.addAction(uiText("Выделить всё"), this, &LogTextView::selectAll);
    allAction->setShortcut(QKeySequence::SelectAll);
    allAction->setEnabled(!lines_.empty());
    if (!contextActions_.empty()) {
        menu.addSeparator();
        for (QAction* action : contextActions_)
            menu.addAction(action);
    }
    menu.exec(event->globalPos());
}

}  // namespace comtrax
