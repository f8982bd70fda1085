#pragma once
// Changes that come faster than the eye can follow are gathered and shown
// together, at most once per display frame: the log's new lines and the
// statistics read-outs repaint the window once a frame instead of once per
// packet. A device that sends a packet every millisecond would otherwise have
// the window lay out and paint a thousand times a second.
#include <QElapsedTimer>
#include <QObject>

#include <cstdint>
#include <functional>
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

    // batch: gather the changes of a frame (off in tests that drive the window
    // by hand, where every change shows at once).
    explicit DisplayFrame(bool batch, QObject* parent = nullptr);

    // What showing a frame does; called in the order added.
    void addShower(std::function<void()> show);
    // Something changed: shown now when the last frame is a frame ago or more,
    // else at the end of this frame.
    void request();
    // Shows what waits now.
    void show();
    // The shortest time from one frame to the next; a pause of a frame's
    // length in the changes sets it back to FrameMs.
    void setIntervalMs(int ms) { intervalMs_ = ms; }
    int intervalMs() const { return intervalMs_; }

private:
    bool batch_;
    QTimer* timer_;
    QElapsedTimer last_;
    QElapsedTimer lastRequest_;
    int intervalMs_ = FrameMs;
    std::vector<std::function<void()>> showers_;
};

}  // namespace comtrax
