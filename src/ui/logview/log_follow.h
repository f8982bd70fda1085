#pragma once
// Whether the log view keeps to its newest lines. It does until the user
// scrolls away from the end, and again once they scroll back to it. What the
// view moves itself (for new lines, a new size, a new font) is not the user's
// scrolling and never changes it.
#include <QScrollBar>

#include <algorithm>

namespace comtrax {

class LogFollow {
public:
    explicit LogFollow(QScrollBar* bar) : bar_(bar) {}

    bool following() const { return following_; }
    // The view scrolled: by the user, unless the view is moving itself.
    void scrolled()
    {
        if (!adjusting_)
            following_ = bar_->value() == bar_->maximum();
    }
    // Lines came, and dropped of the oldest fell off the top; setRange gives
    // the bar its new range. A following view goes to the end, any other
    // stays on the lines it showed.
    template <typename SetRange> void linesAdded(int dropped, SetRange setRange)
    {
        const int keptTop = bar_->value() - dropped;
        setRange();
        adjusting_ = true;
        bar_->setValue(following_ ? bar_->maximum() : std::max(0, keptTop));
        adjusting_ = false;
    }
    // The view's size or font changed; setRange gives the bar its new range.
    // A following view stays at the end, and one that finds itself at the
    // end follows.
    template <typename SetRange> void refit(SetRange setRange)
    {
        const bool follow = following_;
        adjusting_ = true;
        setRange();
        if (follow)
            bar_->setValue(bar_->maximum());
        adjusting_ = false;
        following_ = follow || bar_->value() == bar_->maximum();
    }
    // The lines are gone: the view follows again.
    void reset() { following_ = true; }

private:
    QScrollBar* bar_;
    bool following_ = true;
    bool adjusting_ = false;
};

}  // namespace comtrax
