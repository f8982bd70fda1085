#include "ui/logview/display_frame.h"

#include <QElapsedTimer>
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

DisplayFrame::DisplayFrame(bool batch, QObject* parent, MonotonicMs nowMs)
    : QObject(parent), batch_(batch), timer_(new QTimer(this)), nowMs_(std::move(nowMs))
{
    if (!nowMs_) {
        QElapsedTimer steady;
        steady.start();
        nowMs_ = [steady] { return steady.elapsed(); };
    }
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, &DisplayFrame::show);
}

void DisplayFrame::addShower(std::function<void()> show)
{
    showers_.push_back(std::move(show));
}

void DisplayFrame::request()
{
    if (gathering_ > 0) {
        gathered_ = true;
        return;
    }
    // A pause of a frame's length means a flood of lines is over: what comes
    // now (the user's own command, say) shows at the usual pace, not after a
    // jump frame's wait, even when the frame that shows the flood's last
    // lines finds them many.
    const int64_t now = nowMs_();
    const bool paused = lastRequestMs_ && now - *lastRequestMs_ >= FrameMs;
    lastRequestMs_ = now;
    if (paused)
        intervalMs_ = FrameMs;
    const int64_t sinceShown = lastShownMs_ ? now - *lastShownMs_ : 0;
    // Changes that come at about the frame's pace (the receive thread hands
    // over at most once a frame, on its own clock) show when they come:
    // holding one back for the last few milliseconds of the frame would cost
    // the window a second wake a frame for nothing the eye could see.
    const int64_t early = intervalMs_ / 4;
    if (!batch_ || !lastShownMs_ || sinceShown >= intervalMs_ - early) {
        show();
        if (paused)
            intervalMs_ = FrameMs;
        return;
    }
    if (!timer_->isActive())
        timer_->start(std::max<int>(1, intervalMs_ - static_cast<int>(sinceShown)));
}

void DisplayFrame::show()
{
    timer_->stop();
    lastShownMs_ = nowMs_();
    for (const auto& f : showers_)
        f();
}

}  // namespace comtrax
