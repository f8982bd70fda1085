#pragma once
// When the receive thread wakes the window for what it has framed: at once
// when the window has not been woken for a display frame (the first packet
// after a quiet spell) or when a packet asks for an answer now, otherwise at
// the end of the running frame, so that a stream wakes the window at most
// once a frame whatever its packet rate. Reads that finish no packet bring
// only counts: they ride with the next packet or wake the window a frame
// later, and never use up a packet's wake at once (the packet's own bytes
// come in such reads, a silence before its end).
#include <cstdint>

namespace comtrax {

class HandOverPolicy {
public:
    static constexpr int64_t FrameNs = 40000000;  // the window's display frame

    explicit HandOverPolicy(int64_t frameNs = FrameNs) : frameNs_(frameNs) {}

    // Something new waits for the window at now; urgent: it must not wait for
    // the frame (an answer is due, the port is gone). True: wake it now.
    bool wakeNow(int64_t now, bool urgent)
    {
        pending_ = true;
        countsPending_ = false;  // they go with the packet
        if (urgent || lastWakeNs_ < 0 || now - lastWakeNs_ >= frameNs_) {
            woke(now);
            return true;
        }
        return false;
    }
    // Only counts wait (bytes read, no packet finished): no wake now.
    void countsWaiting(int64_t now)
    {
        if (!pending_ && !countsPending_) {
            countsPending_ = true;
            countsSinceNs_ = now;
        }
    }
    // When what waits must wake the window, or -1 when nothing waits.
    int64_t deadlineNs() const
    {
        if (pending_)
            return lastWakeNs_ + frameNs_;
        return countsPending_ ? countsSinceNs_ + frameNs_ : -1;
    }
    // The deadline has come: true when the window is to be woken.
    bool wakeAtDeadline(int64_t now)
    {
        if (pending_ && now >= lastWakeNs_ + frameNs_) {
            woke(now);
            return true;
        }
        if (!pending_ && countsPending_ && now >= countsSinceNs_ + frameNs_) {
            countsPending_ = false;  // not a packet's wake: the next packet may still go at once
            return true;
        }
        return false;
    }

private:
    void woke(int64_t now)
    {
        lastWakeNs_ = now;
        pending_ = false;
        countsPending_ = false;
    }

    int64_t frameNs_;
    int64_t lastWakeNs_ = -1;
    bool pending_ = false;
    bool countsPending_ = false;
    int64_t countsSinceNs_ = 0;
};

}  // namespace comtrax
