#pragma once
// Receiving on a thread of its own, one per open port. The thread sleeps in
// poll() on the port's receive handle and a wake-up descriptor, reads
// everything waiting, stamps each read with the monotonic clock and frames
// packets by those stamps, so a busy window never merges two packets. Packets
// go to the window in batches through a hand-over it owns; the window is woken
// through the hand-over's descriptor.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "receive/framer.h"
#include "receive/hand_over_policy.h"

namespace comtrax {

class SerialPort;

// What the thread handed over since the window last took it.
struct ReceiveBatch {
    std::vector<FramedPacket> packets;
    // One monotonic millisecond for each millisecond in which reads brought
    // bytes (reads within one millisecond count as one, as the statistics
    // always counted them).
    std::vector<int64_t> readMs;
    uint64_t bytes = 0;
    bool lost = false;  // the port reported the device gone; the thread ended

    bool empty() const { return packets.empty() && readMs.empty() && bytes == 0 && !lost; }
};

// The meeting point of the receive thread and the window: a batch under a
// mutex and an event descriptor that is readable while one waits.
class HandOver {
public:
    HandOver();
    ~HandOver();
    HandOver(const HandOver&) = delete;
    HandOver& operator=(const HandOver&) = delete;

    int handle() const { return eventFd_; }
    // The thread: adds to the batch; wake makes the descriptor readable.
    void put(ReceiveBatch& from, bool wake);
    void wake();
    // The window: everything handed over so far (the descriptor is reset).
    ReceiveBatch take();

private:
    std::mutex mutex_;
    ReceiveBatch batch_;
    int eventFd_ = -1;
};

struct ReceiveSettings {
    int64_t gapNs = 1000000;
    bool hex = false;
    bool answerAtOnce = false;  // after-answer mode: the device's quiet wakes the window now
};

class ReceiveThread {
public:
    ReceiveThread(SerialPort& port, Framer& framer, HandOver& handOver);
    ~ReceiveThread();
    ReceiveThread(const ReceiveThread&) = delete;
    ReceiveThread& operator=(const ReceiveThread&) = delete;

    // False when the port has no receive handle or the system gives no
    // wake-up descriptor: receiving stays with the window's poll then.
    bool start(const ReceiveSettings& settings);
    // Ends and joins the thread; the framer's held bytes stay as they are.
    void stop();
    bool running() const { return thread_.joinable(); }
    // New framing settings from the next wake-up on; nothing held is lost.
    void reconfigure(const ReceiveSettings& settings);
    // The scheduling the thread got (for the report in the log of tests).
    const char* scheduling() const { return scheduling_.load(); }

private:
    void run();
    void applySettings();
    bool readAll(std::vector<FramedPacket>& out, ReceiveBatch& batch);
    int64_t waitNs(int64_t now) const;  // until the next deadline; -1: none

    SerialPort& port_;
    Framer& framer_;
    HandOver& handOver_;
    HandOverPolicy policy_;
    std::thread thread_;
    int wakeFd_ = -1;
    int portFd_ = -1;
    std::atomic<bool> stopping_{false};
    std::atomic<const char*> scheduling_{"none"};
    std::mutex settingsMutex_;
    ReceiveSettings settings_;
    bool settingsChanged_ = false;
    bool answerAtOnce_ = false;
    int64_t lastReadMs_ = -1;
};

}  // namespace comtrax
