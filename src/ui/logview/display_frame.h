#pragma once
// Changes that come faster than the eye can follow are gathered and shown
// together, at most once per display frame: the log's new lines and the
// statistics read-outs repaint the window once a frame instead of once per
// packet. A device that sends a packet every millisecond would otherwise have
// the window lay out and paint a thousand times a second.
#include <QObject>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class QTimer;

namespace comtrax {

// Lines that scroll past faster than ten pages a second cannot be read frame
// by frame; the view then jumps, as a terminal's jump scroll does: a frame
// every JumpFrameMs shows where the stream has got to, and the window spends
// its time on the data instead of on pictures nobody can read.
int frameIntervalMs(int linesShown, int64_t sinceLastFrameMs, int pageLines);

class DisplayFrame : public QObject {
public:
    static constexpr int FrameMs = 40;
    static constexpr int JumpFrameMs = 200;
    static constexpr int ReadablePagesPerSecond = 10;

    // Milliseconds on a clock that only goes forward.
    using MonotonicMs = std::function<int64_t()>;

    // batch: gather the changes of a frame (off in tests that drive the window
    // by hand, where every change shows at once). nowMs: the clock the frame's
    // pace is measured on (the system's steady clock when empty; tests give
    // their own, so that a starved machine cannot change what they see).
    explicit DisplayFrame(bool batch, QObject* parent = nullptr, MonotonicMs nowMs = {});

    // What showing a frame does; called in the order added.
    void addShower(std::function<void()> show);
    // Something changed: shown now when the last frame is about a frame ago
    // or more (three quarters of the interval), else at the end of this frame.
    void request();
    // Shows what waits now.
    void show();

    // Changes requested while one lives count as one request, made when the
    // outermost ends: a hand-over's lines, counters and read-outs make one
    // frame, not a frame and a second one at its end.
    class Gather {
    public:
        explicit Gather(DisplayFrame& frame) : frame_(frame) { ++frame_.gathering_; }
        ~Gather()
        {
            if (--frame_.gathering_ == 0 && frame_.gathered_) {
                frame_.gathered_ = false;
                frame_.request();
            }
        }
        Gather(const Gather&) = delete;
        Gather& operator=(const Gather&) = delete;

    private:
        DisplayFrame& frame_;
    };
    // The shortest time from one frame to the next; a pause of a frame's
    // length in the changes sets it back to FrameMs.
    void setIntervalMs(int ms) { intervalMs_ = ms; }
    int intervalMs() const { return intervalMs_; }
    // The time on the frame's clock.
    int64_t nowMs() const { return nowMs_(); }

private:
    bool batch_;
    QTimer* timer_;
    MonotonicMs nowMs_;
    std::optional<int64_t> lastShownMs_;
    std::optional<int64_t> lastRequestMs_;
    int intervalMs_ = FrameMs;
    int gathering_ = 0;
    bool gathered_ = false;
    std::vector<std::function<void()>> showers_;
};

}  // namespace comtrax
