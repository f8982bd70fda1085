#include "ui/logview/log_announcer.h"

#include <QAccessible>
#include <QAccessibleEvent>

#include <algorithm>
#include <utility>

#include "ui/logview/log_line_store.h"
#include "ui/logview/log_text_view_accessible.h"

namespace comtrax {

void LogAnnouncer::linesGoing(std::size_t count)
{
    if (!QAccessible::isActive())
        return;
    const int told = static_cast<int>(std::min<std::size_t>(count, static_cast<std::size_t>(told_.kept)));
    for (int i = 0; i < told; ++i)
        told_.goneChars += lines_.length(static_cast<std::size_t>(i)) + 1;
    told_.kept -= told;
    told_.goneLines += told;
}

void LogAnnouncer::announceNewLines()
{
    const int lineCount = static_cast<int>(lines_.size());
    const Told told = std::exchange(told_, Told{lineCount, 0, 0});
    if (!QAccessible::isActive())
        return;
    constexpr int Most = LogTextViewAccessible::MaxAnnounced;
    if (told.goneLines > 0) {
        // The lines gone are no longer kept; blanks of their length tell how
        // much went, as Qt's own texts tell of text they no longer have.
        const long long gone = told.goneChars - (told.kept == 0 ? 1 : 0);
        if (gone > 0 && gone <= Most) {
            QAccessibleTextRemoveEvent removed(view_, 0,
                                               QString(static_cast<qsizetype>(gone), QLatin1Char(' ')));
            QAccessible::updateAccessibility(&removed);
        }
    }
    const int last = lineCount - 1;
    if (last < told.kept)
        return;
    // The new lines, from the line break after the lines told before; of
    // more than one announcement carries, the newest whole lines that fit,
    // or the end of one long line.
    const long long length = lines_.characters() + last;
    const auto lengthOf = [this](int i) { return lines_.length(static_cast<std::size_t>(i)); };
    QString text;
    if (lengthOf(last) > Most) {
        text = lines_[static_cast<std::size_t>(last)].right(Most);
    } else {
        int first = last;
        long long size = lengthOf(last);
        while (first > told.kept && size + 1 + lengthOf(first - 1) <= Most)
            size += 1 + lengthOf(--first);
        if (first == told.kept && told.kept > 0 && size < Most)
            text += QLatin1Char('\n');
        text.reserve(static_cast<qsizetype>(size) + 1);
        for (int i = first; i <= last; ++i) {
            if (i > first)
                text += QLatin1Char('\n');
            text += lines_[static_cast<std::size_t>(i)];
        }
    }
    QAccessibleTextInsertEvent inserted(view_, static_cast<int>(length - text.size()), text);
    QAccessible::updateAccessibility(&inserted);
}

void LogAnnouncer::announceSelection(LogPlace anchor, LogPlace caret)
{
    if (!QAccessible::isActive())
        return;
    auto* accessible = dynamic_cast<LogTextViewAccessible*>(QAccessible::queryAccessibleInterface(view_));
    if (!accessible)
        return;
    const int caretOffset = accessible->offsetOf(caret);
    const int anchorOffset = accessible->offsetOf(anchor);
    QAccessibleTextCursorEvent moved(view_, caretOffset);
    QAccessible::updateAccessibility(&moved);
    QAccessibleTextSelectionEvent selected(view_, std::min(anchorOffset, caretOffset),
                                           std::max(anchorOffset, caretOffset));
    QAccessible::updateAccessibility(&selected);
}

}  // namespace comtrax
