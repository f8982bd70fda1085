#pragma once
// The user's side of the link: Connect/Disconnect, the ComPort indicator colour,
// and the once-a-second check that notices a lost device and reconnects.
#include <cstdint>
#include <functional>

#include "serial/port_access.h"

#include "common/colour_values.h"

namespace comtrax {

class Connection {
public:
    struct Hooks {
        // Sleeps without serving the user (the 2000 ms pause after a reconnection).
        std::function<void(int ms)> sleep;
        // The send-on-connect step (sendAfterConnect).
        std::function<void()> sendAfterConnect;
    };

    Connection(PortAccess& access, TerminalView& view, Hooks hooks);

    // BTConnect click. params are read from the boxes at the moment of the click.
    void toggle(const PortParameters& params, bool sendOnConnect);
    // CheckConnect timer tick, once a second. It also ends a connection the
    // port was still making (a port across the network): on success the
    // indicator turns lime and the send-on-connect step runs; a failure is
    // told when the user asked for the connection, quietly retried when it
    // was a reconnection.
    void check(const PortParameters& params, bool autoConnect, bool sendOnConnect);
    // True while the port is still making the connection (yellow indicator;
    // Disconnect cancels it at once).
    bool connecting() const { return connecting_; }

    bool connected() const { return connected_; }  // BTConnect's Tag
    uint32_t indicatorColour() const { return colour_; }
    // BTConnect's caption: "Connect" or "Disconnect".
    const char* caption() const { return connected_ ? "Disconnect" : "Connect"; }
    // ComPort, BaudRate, BTRescan, ComBits and ComStopBits: usable only while
    // not connected (also in the lost state they stay disabled).
    bool parametersEnabled() const { return !connected_; }

    // The most ticks a reconnection made in the background waits before the next.
    static constexpr int MaxRetryPause = 16;

private:
    void finishConnecting(bool autoConnect, bool sendOnConnect);
    bool waitBeforeRetry();

    PortAccess& access_;
    TerminalView& view_;
    Hooks hooks_;
    bool connected_ = false;  // BTConnect's Tag
    uint32_t colour_ = clWindow;
    bool connecting_ = false;
    bool userAttempt_ = false;  // the connection being made was asked for by a click
    int retryPause_ = 0;        // ticks between background reconnections, growing
    int retryWait_ = 0;         // ticks still to wait before the next
};

}  // namespace comtrax
