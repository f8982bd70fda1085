// The log view's selection, copy, find marks and its mouse and keyboard.
#include "ui/log_text_view.h"

#include "ui/translation.h"

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
}

void LogTextView::copy() const
{
    const QString text = selectedText();
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text);
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
}

void LogTextView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    // A double click takes the whole line: log lines are read and copied as lines.
    const Pos at = posAt(event->position().toPoint());
    anchor_ = Pos{at.line, 0};
    cursor_ = clampPos(
        Pos{at.line, static_cast<int>(lines_.empty() ? 0 : line(int(at.line - firstLineNumber_)).size())});
    viewport()->update();
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
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    if (shift
        && (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right || event->key() == Qt::Key_Up
            || event->key() == Qt::Key_Down)) {
        Pos pos = clampPos(cursor_);
        if (!hasSelection())
            anchor_ = pos;
        switch (event->key()) {
        case Qt::Key_Left:
            if (pos.column > 0)
                --pos.column;
            else if (pos.line > firstLineNumber_)
                pos = clampPos(Pos{pos.line - 1, INT_MAX});
            break;
        case Qt::Key_Right:
            if (pos.column
                < static_cast<int>(lines_.empty() ? 0 : line(int(pos.line - firstLineNumber_)).size()))
                ++pos.column;
            else
                pos = clampPos(Pos{pos.line + 1, 0});
            break;
        case Qt::Key_Up:
            pos = clampPos(Pos{std::max(firstLineNumber_, pos.line - 1), pos.column});
            break;
        default:
            pos = clampPos(Pos{pos.line + 1, pos.column});
            break;
        }
        cursor_ = pos;
        keepCursorVisible();
        viewport()->update();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Home:
        verticalScrollBar()->setValue(0);
        return;
    case Qt::Key_End:
        scrollToEnd();
        return;
    default:
        QAbstractScrollArea::keyPressEvent(event);
    }
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

void LogTextView::selectMatch(LogPlace at, int length)
{
    anchor_ = Pos{firstLineNumber_ + at.line, at.column};
    cursor_ = Pos{anchor_.line, at.column + length};
    keepCursorVisible();
    scrollColumnIntoView(line(at.line), at.column);
    viewport()->update();
}

void LogTextView::clearSelection()
{
    anchor_ = cursor_;
    viewport()->update();
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
