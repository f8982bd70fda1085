#include "ui/display_frame.h"

#include <QTimer>

#include <algorithm>

namespace comtrax {

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
    if (!batch_ || !last_.isValid() || last_.elapsed() >= FrameMs) {
        show();
        return;
    }
    if (!timer_->isActive())
        timer_->start(std::max<int>(1, FrameMs - static_cast<int>(last_.elapsed())));
}

void DisplayFrame::show()
{
    timer_->stop();
    last_.start();
    for (const auto& f : showers_)
        f();
}

}  // namespace comtrax
