#include "ui/display_frame.h"

#include <QTimer>

#include <algorithm>

namespace comtrax {

int frameIntervalMs(int linesShown, int64_t sinceLastFrameMs, int pageLines)
{
    const int64_t ms = std::max<int64_t>(1, sinceLastFrameMs);
    const int64_t page = std::max(1, pageLines);
    const bool unreadable = int64_t(linesShown) * 1000 > DisplayFrame::ReadablePagesPerSecond * page * ms;
    return unreadable ? DisplayFrame::JumpFrameMs : DisplayFrame::FrameMs;
}

DisplayFrame::DisplayFrame(bool batch, QObject* parent)
    : QObject(parent), batch_(batch), timer_(new QTimer(this))
{
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, &DisplayFrame::show);
}

void DisplayFrame::addShower(std::function<void()> show)
{
    showers_.push_back(std::move(show));
}

void DisplayFrame::request()
{
    // A pause of a frame's length means a flood of lines is over: what comes
    // now (the user's own command, say) shows at the usual pace, not after a
    // jump frame's wait, even when the frame that shows the flood's last
    // lines finds them many.
    const bool paused = lastRequest_.isValid() && lastRequest_.elapsed() >= FrameMs;
    lastRequest_.start();
    if (paused)
        intervalMs_ = FrameMs;
    if (!batch_ || !last_.isValid() || last_.elapsed() >= intervalMs_) {
        show();
        if (paused)
            intervalMs_ = FrameMs;
        return;
    }
    if (!timer_->isActive())
        timer_->start(std::max<int>(1, intervalMs_ - static_cast<int>(last_.elapsed())));
}

void DisplayFrame::show()
{
    timer_->stop();
    last_.start();
    for (const auto& f : showers_)
        f();
}

}  // namespace comtrax
