#pragma once
// Sets a busy flag for the length of a scope and clears it on every way out,
// an exception included. SendBusy and RxBusy keep an operation from running
// inside itself when a modal window's own loop delivers timer events.
namespace comtrax {

class BusyGuard {
public:
    explicit BusyGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~BusyGuard() { flag_ = false; }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

private:
    bool& flag_;
};

}  // namespace comtrax
