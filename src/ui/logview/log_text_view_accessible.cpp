#include "ui/logview/log_text_view_accessible.h"

#include <QAccessibleEvent>
#include <QScrollBar>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <utility>

#include "ui/logview/log_text_view.h"
#include "ui/kit/translation.h"

namespace comtrax {

namespace {

QAccessibleInterface* logTextViewFactory(const QString& key, QObject* object)
{
    if (key != QLatin1String(LogTextView::staticMetaObject.className()))
        return nullptr;
    auto* view = qobject_cast<LogTextView*>(object);
    return view ? new LogTextViewAccessible(view) : nullptr;
}

// The text items (characters, words, sentences) of a piece of text, found the
// way screen readers expect of every Qt text: an item's edges are where one
// starts or ends; what lies between two items (blanks, punctuation) counts as
// an item of its own.
class Items {
public:
    Items(QAccessible::TextBoundaryType type, const QString& text)
        : finder_(type == QAccessible::CharBoundary       ? QTextBoundaryFinder::Grapheme
                      : type == QAccessible::WordBoundary ? QTextBoundaryFinder::Word
                                                          : QTextBoundaryFinder::Sentence,
                  text),
          size_(static_cast<int>(text.size()))
    {}
    // [start, end) of the item at, before or after pos (0 <= pos < size for
    // at and after, 0 < pos <= size for before).
    std::pair<int, int> at(int pos)
    {
        finder_.setPosition(pos);
        const int start = edge() ? pos : previousEdge();
        return {start, nextEdge()};
    }
    std::pair<int, int> before(int pos)
    {
        finder_.setPosition(pos);
        const int end = edge() ? pos : previousEdge();
        return {previousEdge(), end};
    }
    std::pair<int, int> after(int pos)
    {
        finder_.setPosition(pos);
        const int start = nextEdge();
        return {start, nextEdge()};
    }

private:
    bool edge() const
    {
        return finder_.boundaryReasons()
            & (QTextBoundaryFinder::StartOfItem | QTextBoundaryFinder::EndOfItem);
    }
    int previousEdge()
    {
        while (finder_.toPreviousBoundary() > 0)
            if (edge())
                break;
        return std::max(0, static_cast<int>(finder_.position()));
    }
    int nextEdge()
    {
        for (;;) {
            const qsizetype p = finder_.toNextBoundary();
            if (p < 0 || p >= size_)
                return size_;
            if (edge())
                return static_cast<int>(p);
        }
    }
    QTextBoundaryFinder finder_;
    int size_;
};

}  // namespace

void installLogTextViewAccessibility()
{
    static const bool installed = (QAccessible::installFactory(&logTextViewFactory), true);
    Q_UNUSED(installed);
}

LogTextViewAccessible::LogTextViewAccessible(LogTextView* view)
    : QAccessibleWidget(view, QAccessible::EditableText)
{}

LogTextView* LogTextViewAccessible::view() const
{
    return static_cast<LogTextView*>(widget());
}

void* LogTextViewAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString LogTextViewAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name && view()->accessibleName().isEmpty())
        return uiText("Окно лога");
    return QAccessibleWidget::text(t);
}

QAccessible::State LogTextViewAccessible::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.readOnly = true;
    s.editable = false;
    s.multiLine = true;
    s.selectableText = true;
    return s;
}

const std::vector<int>& LogTextViewAccessible::starts() const
{
    if (startsRevision_ != view()->linesRevision() || starts_.empty()) {
        const LogLineStore& lines = view()->lines();
        starts_.resize(lines.size() + 1);
        starts_[0] = 0;
        for (std::size_t i = 0; i < lines.size(); ++i)
            starts_[i + 1] = starts_[i] + lines.length(i) + 1;
        startsRevision_ = view()->linesRevision();
    }
    return starts_;
}

int LogTextViewAccessible::characterCount() const
{
    return std::max(0, starts().back() - 1);
}

int LogTextViewAccessible::lineStart(int line) const
{
    const std::vector<int>& s = starts();
    return s[static_cast<std::size_t>(std::clamp(line, 0, static_cast<int>(s.size()) - 1))];
}

int LogTextViewAccessible::offsetOf(LogPlace place) const
{
    const int lines = view()->lineCount();
    if (lines == 0)
        return 0;
    const int line = std::clamp(place.line, 0, lines - 1);
    const int length = view()->lines().length(static_cast<std::size_t>(line));
    return lineStart(line) + std::clamp(place.column, 0, length);
}

LogPlace LogTextViewAccessible::placeOf(int offset) const
{
    const int lines = view()->lineCount();
    if (lines == 0)
        return {};
    const std::vector<int>& s = starts();
    offset = std::clamp(offset, 0, characterCount());
    // The line break at a line's end belongs to that line.
    const auto after = std::upper_bound(s.begin(), s.begin() + lines, offset);
    const int line = static_cast<int>(after - s.begin()) - 1;
    return LogPlace{line, offset - s[static_cast<std::size_t>(line)]};
}

QString LogTextViewAccessible::lineWithBreak(int line) const
{
    QString text = view()->line(line);
    if (line + 1 < view()->lineCount())
        text += QLatin1Char('\n');
    return text;
}

QString LogTextViewAccessible::text(int startOffset, int endOffset) const
{
    const int count = characterCount();
    startOffset = std::clamp(startOffset, 0, count);
    endOffset = std::clamp(endOffset, 0, count);
    if (startOffset >= endOffset)
        return {};
    // Only the lines the range touches are made into text.
    const LogPlace from = placeOf(startOffset);
    QString result;
    for (int line = from.line; line < view()->lineCount() && lineStart(line) < endOffset; ++line) {
        const int start = lineStart(line);
        const QString piece = lineWithBreak(line);
        const int begin = std::max(0, startOffset - start);
        result += piece.mid(begin, endOffset - start - begin);
    }
    return result;
}

QString LogTextViewAccessible::boundaryText(int offset, QAccessible::TextBoundaryType type, Side side,
                                            int* startOffset, int* endOffset) const
{
    const int count = characterCount();
    if (count == 0 || offset < 0 || offset > count) {
        *startOffset = *endOffset = -1;
        return {};
    }
    const auto range = [&](int start, int end) {
        *startOffset = std::clamp(start, 0, count);
        *endOffset = std::clamp(end, *startOffset, count);
        return text(*startOffset, *endOffset);
    };
    if (type == QAccessible::NoBoundary)
        return range(0, count);
    const int lines = view()->lineCount();
    // A caret past the last character is still on the last line.
    const int line = placeOf(offset).line;
    if (type == QAccessible::LineBoundary || type == QAccessible::ParagraphBoundary) {
        // A line is read with its line break, as every text gives it.
        const int target = side == Side::At ? line : side == Side::Before ? line - 1 : line + 1;
        if (target < 0)
            return range(0, 0);
        if (target >= lines)
            return range(count, count);
        return range(lineStart(target), lineStart(target + 1));
    }
    if ((side != Side::Before && offset == count) || (side == Side::Before && offset == 0))
        return range(offset, offset);
    // Characters, words and sentences are looked for among the line and its
    // neighbours only: a line break ends a word, and a search over the whole
    // log would cost as much as the log is long.
    const int first = std::max(0, line - 1);
    const int last = std::min(lines - 1, line + 1);
    QString window;
    for (int i = first; i <= last; ++i)
        window += lineWithBreak(i);
    const int base = lineStart(first);
    Items items(type, window);
    const int pos = offset - base;
    const std::pair<int, int> found = side == Side::At ? items.at(pos)
        : side == Side::Before                         ? items.before(pos)
                                                       : items.after(pos);
    return range(base + found.first, base + found.second);
}

QString LogTextViewAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                            int* startOffset, int* endOffset) const
{
    return boundaryText(offset, boundaryType, Side::At, startOffset, endOffset);
}

QString LogTextViewAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                                int* startOffset, int* endOffset) const
{
    return boundaryText(offset, boundaryType, Side::Before, startOffset, endOffset);
}

QString LogTextViewAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                               int* startOffset, int* endOffset) const
{
    return boundaryText(offset, boundaryType, Side::After, startOffset, endOffset);
}

void LogTextViewAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const
{
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || !view()->hasSelection())
        return;
    const int anchor = offsetOf(view()->anchorPlace());
    const int caret = offsetOf(view()->caretPlace());
    *startOffset = std::min(anchor, caret);
    *endOffset = std::max(anchor, caret);
}

int LogTextViewAccessible::selectionCount() const
{
    return view()->hasSelection() ? 1 : 0;
}

void LogTextViewAccessible::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void LogTextViewAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        view()->clearSelection();
}

void LogTextViewAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex == 0)
        view()->setSelection(placeOf(startOffset), placeOf(endOffset));
}

int LogTextViewAccessible::cursorPosition() const
{
    return offsetOf(view()->caretPlace());
}

void LogTextViewAccessible::setCursorPosition(int position)
{
    view()->setSelection(placeOf(position), placeOf(position));
}

QRect LogTextViewAccessible::characterRect(int offset) const
{
    if (offset < 0 || offset > characterCount())
        return {};
    QRect r = view()->placeRect(placeOf(offset), 1);
    // A line's end (its line break) has no width of its own.
    r.setWidth(std::max(r.width(), 1));
    return QRect(view()->viewport()->mapToGlobal(r.topLeft()), r.size());
}

int LogTextViewAccessible::offsetAtPoint(const QPoint& point) const
{
    const QPoint local = view()->viewport()->mapFromGlobal(point);
    if (!view()->viewport()->rect().contains(local) || view()->lineCount() == 0)
        return -1;
    // The character the point is on, not the break nearest to it.
    LogPlace place = view()->placeAt(local);
    if (place.column > 0 && view()->placeRect(place, 0).left() > local.x())
        --place.column;
    return offsetOf(place);
}

void LogTextViewAccessible::scrollToSubstring(int startIndex, int endIndex)
{
    const LogPlace from = placeOf(startIndex);
    QScrollBar* down = view()->verticalScrollBar();
    if (from.line < down->value() || from.line >= down->value() + view()->pageLines())
        down->setValue(from.line - view()->pageLines() / 3);
    const QRect shown = view()->placeRect(from, std::max(0, endIndex - startIndex));
    QScrollBar* side = view()->horizontalScrollBar();
    if (shown.left() < 0 || shown.left() >= view()->viewport()->width())
        side->setValue(side->value() + shown.left() - view()->viewport()->width() / 3);
}

QString LogTextViewAccessible::attributes(int offset, int* startOffset, int* endOffset) const
{
    // One font and colour for all the text.
    Q_UNUSED(offset);
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
}

}  // namespace comtrax
