#include "ui/logview/log_text_view.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

#include "ui/kit/quiet_scroll_bar.h"
#include "ui/logview/log_text_view_accessible.h"

namespace comtrax {

namespace {

// The bars repaint only when their pixels change: while lines stream in, the
// range moves every display frame and the handle mostly stays put. The area
// lays its bars out again after every change of range, and that raises both
// (each raise of one puts the other below it), which marks both for a paint:
// the view lays them out itself, when a bar comes or goes (see
// updateScrollBars).
QScrollBar* quietBars(QAbstractScrollArea* area)
{
    area->setHorizontalScrollBar(new QuietScrollBar(Qt::Horizontal));
    area->setVerticalScrollBar(new QuietScrollBar(Qt::Vertical));
    for (QScrollBar* bar : {area->horizontalScrollBar(), area->verticalScrollBar()})
        QObject::disconnect(bar, SIGNAL(rangeChanged(int, int)), area, SLOT(_q_showOrHideScrollBars()));
    return area->verticalScrollBar();
}

}  // namespace

LogTextView::LogTextView(QWidget* parent)
    : QAbstractScrollArea(parent), metrics_(font()), follow_(quietBars(this))
{
    setFocusPolicy(Qt::StrongFocus);
    setBackgroundRole(QPalette::Base);
    viewport()->setBackgroundRole(QPalette::Base);
    // The view fills its own background, row by row (see LogRowPainter).
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
    appendLines(QStringList{});
}

void LogTextView::appendLines(const QStringList& lines, const std::vector<LogDirection>& directions)
{
    LogLineStore store;
    for (qsizetype i = 0; i < lines.size(); ++i)
        store.pushLine(lines[i],
                       static_cast<std::size_t>(i) < directions.size()
                           ? directions[static_cast<std::size_t>(i)]
                           : LogDirection::Other);
    appendLines(std::move(store));
}

void LogTextView::appendLines(LogLineStore&& lines, std::optional<int> widest)
{
    const Picture before = picture();
    const std::size_t first = lines_.size();
    lines_.append(std::move(lines));
    if (widest) {
        widestLine_ = std::max(widestLine_, *widest);
    } else {
        for (std::size_t i = first; i < lines_.size(); ++i)
            widestLine_ = std::max(widestLine_, metrics_.lineWidth(lines_, i));
    }
    ++revision_;
    int dropped = 0;
    if (maxLines_ > 0 && lines_.size() > static_cast<std::size_t>(maxLines_)) {
        dropped = static_cast<int>(lines_.size()) - maxLines_;
        announcer_.linesGoing(static_cast<std::size_t>(dropped));
        for (int i = 0; i < dropped; ++i)
            lines_.dropFirst();
        selection_.linesDropped(dropped);
        droppedLines_ += static_cast<quint64>(dropped);
    }
    {
        const QuietScrollBar::Paced down(verticalScrollBar());
        const QuietScrollBar::Paced across(horizontalScrollBar());
        adjusting_ = true;
        follow_.linesAdded(dropped, [this] { updateScrollBars(); });
        adjusting_ = false;
    }
    showAppended(before);
}

LogTextView::Picture LogTextView::picture() const
{
    return {droppedLines_ + static_cast<quint64>(verticalScrollBar()->value()), droppedLines_ + lines_.size(),
            horizontalScrollBar()->value(), viewport()->size()};
}

// What the screen shows moves up by the lines that went past its top; only
// the rows of lines it did not show yet are painted. A stream of short lines
// then paints a few rows a frame instead of every row.
void LogTextView::showAppended(const Picture& before)
{
    const Picture now = picture();
    const int height = metrics_.lineHeight();
    const int rows = viewport()->height() / height + 1;
    if (now.top < before.top || now.top - before.top >= static_cast<quint64>(rows) || now.x != before.x
        || now.size != before.size) {
        viewport()->update();
        return;
    }
    const int shift = static_cast<int>(now.top - before.top);
    if (shift > 0)
        viewport()->scroll(0, -shift * height);
    const quint64 firstNew = before.end > now.top ? before.end - now.top : 0;
    if (firstNew < static_cast<quint64>(rows)) {
        const int top = static_cast<int>(firstNew) * height;
        viewport()->update(QRect(0, top, viewport()->width(), viewport()->height() - top));
    }
}

void LogTextView::clear()
{
    announcer_.linesGoing(lines_.size());
    ++revision_;
    lines_.clear();
    selection_.linesCleared();
    widestLine_ = 0;
    follow_.reset();
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
    return std::max(1, viewport()->height() / metrics_.lineHeight());
}

void LogTextView::updateScrollBars()
{
    const int visible = pageLines();
    QScrollBar* v = verticalScrollBar();
    v->setPageStep(visible);
    v->setRange(0, std::max(0, lineCount() - visible));
    QScrollBar* h = horizontalScrollBar();
    h->setPageStep(viewport()->width());
    h->setSingleStep(std::max(1, metrics_.averageCharWidth()));
    h->setRange(0, std::max(0, widestLine_ + 2 * Margin - viewport()->width()));
    // A bar that comes or goes changes the layout; a range that only moves
    // does not.
    const std::pair<bool, bool> needed{h->maximum() > h->minimum(), v->maximum() > v->minimum()};
    if (needed != barsNeeded_) {
        barsNeeded_ = needed;
        setVerticalScrollBarPolicy(verticalScrollBarPolicy());  // lays the bars and the viewport out
    }
}

void LogTextView::scrollContentsBy(int, int)
{
    follow_.scrolled();
    // New lines move the picture themselves (showAppended).
    if (!adjusting_)
        viewport()->update();
}

void LogTextView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    follow_.refit([this] { updateScrollBars(); });
}

void LogTextView::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        // The widest line is measured again only for the lines still kept.
        metrics_.setFont(font());
        painter_.fontChanged();
        widestLine_ = 0;
        for (std::size_t i = 0; i < lines_.size(); ++i)
            widestLine_ = std::max(widestLine_, metrics_.lineWidth(lines_, i));
        follow_.refit([this] { updateScrollBars(); });
        viewport()->update();
    }
}

void LogTextView::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    const int first = verticalScrollBar()->value();
    LogRowPainter::Rows rows;
    rows.first = first;
    rows.last = std::min(lineCount(), first + viewport()->height() / metrics_.lineHeight() + 2);
    rows.x0 = Margin - horizontalScrollBar()->value();
    rows.size = viewport()->size();
    rows.from = selection_.start();
    rows.to = selection_.end();
    rows.highlight = highlight_;
    rows.highlightCase = highlightCase_;
    // Plain rows are put together from character cells on a display that
    // shows a pixel as a pixel.
    rows.cellsUsable = viewport()->devicePixelRatioF() == 1.0;
    rows.clipTop = event->rect().top();
    rows.clipBottom = event->rect().bottom() + 1;
    painter_.paint(painter, palette(), rows);
}

}  // namespace comtrax
