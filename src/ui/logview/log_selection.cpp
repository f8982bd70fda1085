#include "ui/logview/log_selection.h"

#include <QClipboard>
#include <QGuiApplication>

#include <algorithm>
#include <climits>

#include "ui/logview/log_line_store.h"

namespace comtrax {

namespace {

bool before(LogPlace a, LogPlace b)
{
    return a.line < b.line || (a.line == b.line && a.column < b.column);
}

bool forward(LogSelection::Step step)
{
    using Step = LogSelection::Step;
    return step == Step::Right || step == Step::Down || step == Step::PageDown || step == Step::LineEnd
        || step == Step::LogEnd;
}

}  // namespace

int LogSelection::lastLine() const
{
    return static_cast<int>(lines_.size()) - 1;
}

int LogSelection::lineLength(int line) const
{
    if (line < 0 || line > lastLine())
        return 0;
    return lines_.length(static_cast<std::size_t>(line));
}

LogPlace LogSelection::clamp(LogPlace place) const
{
    if (lines_.empty() || place.line < 0)
        return {};
    if (place.line > lastLine())
        return {lastLine(), lineLength(lastLine())};
    place.column = std::clamp(place.column, 0, lineLength(place.line));
    return place;
}

void LogSelection::linesDropped(int count)
{
    // A place on a line that fell off goes to the first line kept: a
    // selection wholly gone is no selection.
    for (LogPlace* place : {&anchor_, &caret_}) {
        place->line -= count;
        *place = clamp(*place);
    }
}

LogPlace LogSelection::start() const
{
    return before(caret_, anchor_) ? caret_ : anchor_;
}

LogPlace LogSelection::end() const
{
    return before(caret_, anchor_) ? anchor_ : caret_;
}

QString LogSelection::text() const
{
    const LogPlace from = start();
    const LogPlace to = end();
    if (from == to)
        return {};
    QString result;
    for (int line = from.line; line <= to.line; ++line) {
        const QString text = lines_[static_cast<std::size_t>(line)];
        const int begin = line == from.line ? from.column : 0;
        const int end = line == to.line ? to.column : static_cast<int>(text.size());
        result += text.mid(begin, end - begin);
        if (line < to.line)
            result += QLatin1Char('\n');
    }
    return result;
}

void LogSelection::select(LogPlace anchor, LogPlace caret)
{
    anchor_ = clamp(anchor);
    caret_ = clamp(caret);
}

void LogSelection::placeCaret(LogPlace at, bool extend)
{
    caret_ = clamp(at);
    if (!extend)
        anchor_ = caret_;
}

void LogSelection::selectLine(int line)
{
    anchor_ = clamp({line, 0});
    caret_ = clamp({line, lineLength(line)});
}

void LogSelection::selectAll()
{
    anchor_ = {};
    caret_ = clamp({lastLine() + 1, 0});
}

LogPlace LogSelection::keyStart(Step step, const Shown& shown) const
{
    // A new keyboard selection starts on the page in view, not at a caret
    // that the lines have long scrolled away from.
    if (!empty() || lines_.empty() || (caret_.line >= shown.first && caret_.line < shown.first + shown.rows))
        return caret_;
    // Forward from the first line in view, back from the last one's end.
    if (forward(step))
        return clamp({shown.first, 0});
    const int last = std::min(lastLine() + 1, shown.first + shown.rows) - 1;
    return clamp({last, INT_MAX});
}

LogPlace LogSelection::target(Step step, LogPlace from, int page) const
{
    switch (step) {
    case Step::Left:
        if (from.column > 0)
            return {from.line, from.column - 1};
        return from.line > 0 ? clamp({from.line - 1, INT_MAX}) : from;
    case Step::Right:
        return from.column < lineLength(from.line) ? LogPlace{from.line, from.column + 1}
                                                   : clamp({from.line + 1, 0});
    case Step::Up:
        return clamp({std::max(0, from.line - 1), from.column});
    case Step::Down:
        return clamp({from.line + 1, from.column});
    case Step::PageUp:
    case Step::PageDown:
        // The caret moves a page, on the same row of the page.
        if (lines_.empty())
            return from;
        page = step == Step::PageUp ? -page : page;
        return clamp({std::clamp(from.line + page, 0, lastLine()), from.column});
    case Step::LineStart:
        return {from.line, 0};
    case Step::LineEnd:
        return {from.line, lineLength(from.line)};
    case Step::LogStart:
        return {};
    case Step::LogEnd:
        return clamp({lastLine() + 1, 0});
    }
    return from;
}

void LogSelection::move(Step step, bool extend, const Shown& shown)
{
    const LogPlace from = keyStart(step, shown);
    const LogPlace to = target(step, from, shown.rows);
    if (!extend)
        anchor_ = to;
    else if (empty())
        anchor_ = from;
    caret_ = to;
}

void LogSelection::copy() const
{
    const QString selected = text();
    if (!selected.isEmpty())
        QGuiApplication::clipboard()->setText(selected);
}

void LogSelection::offer() const
{
    // As every X program does: what is selected is what a middle click
    // pastes elsewhere. The clipboard proper is Ctrl+C's alone.
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard->supportsSelection() || empty())
        return;
    clipboard->setText(text(), QClipboard::Selection);
}

std::optional<LogSelection::Step> stepForKey(int key, Qt::KeyboardModifiers modifiers)
{
    using Step = LogSelection::Step;
    const bool shift = modifiers & Qt::ShiftModifier;
    const bool ctrl = modifiers & Qt::ControlModifier;
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (!shift || ctrl)
            return std::nullopt;
        return key == Qt::Key_Left ? Step::Left
            : key == Qt::Key_Right ? Step::Right
            : key == Qt::Key_Up    ? Step::Up
                                   : Step::Down;
    case Qt::Key_Home:
        return shift && !ctrl ? Step::LineStart : Step::LogStart;
    case Qt::Key_End:
        return shift && !ctrl ? Step::LineEnd : Step::LogEnd;
    case Qt::Key_PageUp:
        return Step::PageUp;
    case Qt::Key_PageDown:
        return Step::PageDown;
    default:
        return std::nullopt;
    }
}

}  // namespace comtrax
