// The log view's selection, copy, find marks and its mouse and keyboard.
#include "ui/logview/log_text_view.h"

#include "ui/kit/translation.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>
#include <climits>

namespace comtrax {

int LogTextView::columnAt(const QString& text, int x) const
{
    // The break between characters nearest to x.
    int column = 0;
    int left = 0;
    const int size = static_cast<int>(text.size());
    while (column < size) {
        const int advance = charAdvance(text[column]);
        if (x < left + (advance + 1) / 2)
            break;
        left += advance;
        ++column;
    }
    return column;
}

LogTextView::Pos LogTextView::posAt(const QPoint& point) const
{
    if (lines_.empty())
        return Pos{firstLineNumber_, 0};
    const int index = std::clamp(verticalScrollBar()->value() + point.y() / lineHeight(), 0, lineCount() - 1);
    const QString text = lines_[static_cast<std::size_t>(index)];
    const int x = point.x() - kMargin + horizontalScrollBar()->value();
    return Pos{firstLineNumber_ + index, columnAt(text, x)};
}

LogTextView::Pos LogTextView::clampPos(Pos pos) const
{
    if (lines_.empty() || pos.line < firstLineNumber_)
        return Pos{firstLineNumber_, 0};
    const long long lastNumber = firstLineNumber_ + lineCount() - 1;
    if (pos.line > lastNumber)
        return Pos{lastNumber, lines_.length(lines_.size() - 1)};
    const int size = lines_.length(static_cast<std::size_t>(pos.line - firstLineNumber_));
    pos.column = std::min(pos.column, size);
    return pos;
}

LogPlace LogTextView::toPlace(Pos pos) const
{
    const Pos p = clampPos(pos);
    return LogPlace{static_cast<int>(p.line - firstLineNumber_), p.column};
}

int LogTextView::lineLength(long long number) const
{
    if (number < firstLineNumber_ || number > lastLineNumber())
        return 0;
    return lines_.length(static_cast<std::size_t>(number - firstLineNumber_));
}

bool LogTextView::lineInView(long long number) const
{
    const long long index = number - firstLineNumber_;
    return index >= verticalScrollBar()->value() && index < verticalScrollBar()->value() + pageLines();
}

LogPlace LogTextView::anchorPlace() const
{
    return toPlace(anchor_);
}

LogPlace LogTextView::caretPlace() const
{
    return toPlace(cursor_);
}

void LogTextView::setSelection(LogPlace anchor, LogPlace caret)
{
    anchor_ = clampPos(toPos(anchor));
    cursor_ = clampPos(toPos(caret));
    keepCursorVisible();
    viewport()->update();
    announceSelection();
}

QRect LogTextView::placeRect(LogPlace at, int length) const
{
    if (lines_.empty())
        return QRect(kMargin - horizontalScrollBar()->value(), 0, 0, lineHeight());
    const LogPlace place = toPlace(toPos(at));
    const QString text = line(place.line);
    const int x0 = kMargin - horizontalScrollBar()->value();
    const int left = x0 + textWidth(text, place.column);
    const int right = x0 + textWidth(text, place.column + std::max(0, length));
    return QRect(left, (place.line - verticalScrollBar()->value()) * lineHeight(), right - left,
                 lineHeight());
}

LogPlace LogTextView::placeAt(const QPoint& viewportPoint) const
{
    return toPlace(posAt(viewportPoint));
}

QString LogTextView::selectedText() const
{
    const Pos from = clampPos(std::min(anchor_, cursor_));
    const Pos to = clampPos(std::max(anchor_, cursor_));
    if (from == to)
        return {};
    QString result;
    for (long long number = from.line; number <= to.line; ++number) {
        const QString text = lines_[static_cast<std::size_t>(number - firstLineNumber_)];
        const int start = number == from.line ? from.column : 0;
        const int end = number == to.line ? to.column : static_cast<int>(text.size());
        result += text.mid(start, end - start);
        if (number < to.line)
            result += QLatin1Char('\n');
    }
    return result;
}

void LogTextView::selectAll()
{
    anchor_ = Pos{firstLineNumber_, 0};
    cursor_ = clampPos(Pos{firstLineNumber_ + lineCount(), 0});
    viewport()->update();
    offerSelection();
    announceSelection();
}

void LogTextView::copy() const
{
    const QString text = selectedText();
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text);
}

void LogTextView::offerSelection() const
{
    // As every X program does: what is selected is what a middle click
    // pastes elsewhere. The clipboard proper is Ctrl+C's alone.
    QClipboard* clipboard = QApplication::clipboard();
    if (!clipboard->supportsSelection() || !hasSelection())
        return;
    clipboard->setText(selectedText(), QClipboard::Selection);
}

void LogTextView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    cursor_ = posAt(event->position().toPoint());
    if (!(event->modifiers() & Qt::ShiftModifier))
        anchor_ = cursor_;
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
    cursor_ = posAt(point);
    viewport()->update();
}

void LogTextView::mouseReleaseEvent(QMouseEvent* event)
{
    event->setAccepted(event->button() == Qt::LeftButton);
    if (event->button() != Qt::LeftButton || !mouseSelecting_)
        return;
    // The selection is offered once, when the drag ends, not at every move.
    mouseSelecting_ = false;
    offerSelection();
    announceSelection();
}

void LogTextView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    // A double click takes the whole line: log lines are read and copied as lines.
    const Pos at = posAt(event->position().toPoint());
    anchor_ = Pos{at.line, 0};
    cursor_ = clampPos(Pos{at.line, lineLength(at.line)});
    mouseSelecting_ = true;
    viewport()->update();
    offerSelection();
}

void LogTextView::keepCursorVisible()
{
    const int index = static_cast<int>(clampPos(cursor_).line - firstLineNumber_);
    QScrollBar* bar = verticalScrollBar();
    if (index < bar->value())
        bar->setValue(index);
    else if (index >= bar->value() + bar->pageStep())
        bar->setValue(index - bar->pageStep() + 1);
}

LogTextView::Pos LogTextView::keyStart(bool forward) const
{
    // A new keyboard selection starts on the page in view, not at a caret
    // that the lines have long scrolled away from.
    const Pos caret = clampPos(cursor_);
    if (hasSelection() || lines_.empty() || lineInView(caret.line))
        return caret;
    // Forward from the first line in view, back from the last one's end.
    const int first = verticalScrollBar()->value();
    if (forward)
        return Pos{firstLineNumber_ + first, 0};
    const int last = std::min(lineCount(), first + pageLines()) - 1;
    return clampPos(Pos{firstLineNumber_ + last, INT_MAX});
}

std::optional<LogTextView::Pos> LogTextView::keyTarget(const QKeyEvent* event, Pos from)
{
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        // Plain arrows scroll the log; with Shift they extend the selection.
        if (!shift || ctrl)
            return std::nullopt;
        if (event->key() == Qt::Key_Left) {
            if (from.column > 0)
                return Pos{from.line, from.column - 1};
            return from.line > firstLineNumber_ ? clampPos(Pos{from.line - 1, INT_MAX}) : from;
        }
        if (event->key() == Qt::Key_Right)
            return from.column < lineLength(from.line) ? Pos{from.line, from.column + 1}
                                                       : clampPos(Pos{from.line + 1, 0});
        if (event->key() == Qt::Key_Up)
            return clampPos(Pos{std::max(firstLineNumber_, from.line - 1), from.column});
        return clampPos(Pos{from.line + 1, from.column});
    case Qt::Key_Home:
        // Shift+Home and Shift+End reach the line's ends, as in any text;
        // Home and End, and with Ctrl, the log's, as in any log.
        return shift && !ctrl ? Pos{from.line, 0} : Pos{firstLineNumber_, 0};
    case Qt::Key_End:
        return shift && !ctrl ? Pos{from.line, lineLength(from.line)}
                              : clampPos(Pos{lastLineNumber() + 1, 0});
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        // The view moves a page and the caret with it, on the same row.
        const int page = event->key() == Qt::Key_PageUp ? -pageLines() : pageLines();
        verticalScrollBar()->setValue(verticalScrollBar()->value() + page);
        if (lines_.empty())
            return from;
        return clampPos(Pos{std::clamp(from.line + page, firstLineNumber_, lastLineNumber()), from.column});
    }
    default:
        return std::nullopt;
    }
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
    const int key = event->key();
    const bool forward =
        key == Qt::Key_Right || key == Qt::Key_Down || key == Qt::Key_PageDown || key == Qt::Key_End;
    const Pos from = keyStart(forward);
    const std::optional<Pos> to = keyTarget(event, from);
    if (!to) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    if (!extend)
        anchor_ = *to;
    else if (!hasSelection())
        anchor_ = from;
    cursor_ = *to;
    keepCursorVisible();
    // A growing selection shows its moving end; Home shows the lines'
    // start. End keeps the sideways place, as new lines do.
    if ((extend || event->key() == Qt::Key_Home) && !lines_.empty())
        scrollColumnIntoView(line(static_cast<int>(cursor_.line - firstLineNumber_)), cursor_.column);
    viewport()->update();
    if (extend)
        offerSelection();
    announceSelection();
}

void LogTextView::setHighlight(const QString& text, Qt::CaseSensitivity sensitivity)
{
    highlight_ = text;
    highlightCase_ = sensitivity;
    viewport()->update();
}

std::optional<LogPlace> LogTextView::selectionStart() const
{
    if (!hasSelection())
        return std::nullopt;
    const Pos from = clampPos(std::min(anchor_, cursor_));
    return LogPlace{static_cast<int>(from.line - firstLineNumber_), from.column};
}

bool LogTextView::selectMatch(LogPlace at, int length, const QRect& keepClearOf)
{
    anchor_ = Pos{firstLineNumber_ + at.line, at.column};
    cursor_ = Pos{anchor_.line, at.column + length};
    keepCursorVisible();
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
    const int covered = (obstacle.bottom() + lineHeight()) / lineHeight();
    QScrollBar* bar = verticalScrollBar();
    if (covered < pageLines() && at.line >= covered && bar->value() > at.line - covered)
        bar->setValue(at.line - covered);
    const QRect match = placeRect(at, length);
    if (!match.intersects(obstacle))
        return;
    // Else sideways: the match left of the obstacle, if the line is long
    // enough to scroll that far and the match still fits beside it.
    QScrollBar* side = horizontalScrollBar();
    const int shift = match.right() + 1 + kMargin - obstacle.left();
    if (match.left() - shift >= 0 && side->value() + shift <= side->maximum())
        side->setValue(side->value() + shift);
}

void LogTextView::clearSelection()
{
    anchor_ = cursor_;
    viewport()->update();
    announceSelection();
}

void LogTextView::scrollColumnIntoView(const QString& text, int column)
{
    const int x = kMargin + textWidth(text, column);
    QScrollBar* bar = horizontalScrollBar();
    if (x < bar->value() || x > bar->value() + viewport()->width() - 2 * kMargin)
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
    menu.exec(event->globalPos());
}

}  // namespace comtrax
