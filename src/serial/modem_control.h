#pragma once
// DTR, RTS and break on the open port: the states they take on connect, the
// user's toggles, a reset pulse and a timed break. Nothing here waits: a
// pulse or a break is started now and ended by a step the window's event
// loop runs later, so the program keeps serving the user meanwhile.
#include <functional>

#include "serial/serial_port.h"

namespace comtrax {

struct ModemSettings {
    // Both lines asserted, as the system sets them on open and as other
    // terminals leave them; a board that resets on DTR may want it low.
    bool dtrOnConnect = true;
    bool rtsOnConnect = true;
    int resetPulseMs = 100;
    bool resetPulseDtr = true;
    bool resetPulseRts = false;
    int breakMs = 250;
    bool operator==(const ModemSettings&) const = default;

    // The range a pulse or a break may last; a stored value outside it is not used.
    static constexpr int MinPulseMs = 10;
    static constexpr int MaxPulseMs = 5000;
    static bool validPulseMs(int ms) { return ms >= MinPulseMs && ms <= MaxPulseMs; }
};

class ModemControl {
public:
    // Runs a step once, ms milliseconds from now, from the event loop.
    using Schedule = std::function<void(int ms, std::function<void()> step)>;

    ModemControl(SerialPort& port, Schedule schedule);

    // Durations outside their range keep the values held before.
    void setSettings(const ModemSettings& settings);
    const ModemSettings& settings() const { return settings_; }

    // A successful open (Connect or a reconnection): DTR and RTS as the
    // settings say, whatever the user had toggled on the previous connection.
    void portOpened();
    // The port is about to close: a break under way is ended and a pulse's
    // lines restored now, while the port still takes them, so that no device
    // is left with its line held in break or its reset held down.
    void portClosing();
    // The port closed: a pulse or a break under way ends with it.
    void portClosed();

    // DTR and RTS as the user set them on this connection.
    bool dtr() const { return dtr_; }
    bool rts() const { return rts_; }
    // False when no port is open. The state is kept also when the device
    // has no such line (a pty), so the next open of a real one follows it.
    bool setDtr(bool on);
    bool setRts(bool on);
    // Under RTS/CTS flow control the driver drives RTS; the terminal leaves it alone.
    bool rtsOwnedByDriver() const { return port_.lineOptions().flow == FlowControl::RtsCts; }

    // Drops the lines the settings choose for resetPulseMs, then restores
    // them. False when no port is open, no line is chosen, or a pulse is
    // already under way.
    bool pulseReset();
    // The same pulse on the lines given (a rule's "pulse DTR" or "pulse RTS").
    bool pulseLines(bool dtr, bool rts);
    // Holds the line in break for breakMs. False when no port is open or a
    // break is already under way.
    bool sendBreak();
    bool pulsing() const { return pulsing_; }
    bool breaking() const { return breaking_; }

    // The port's lines now (invalid while no port is open or when the device cannot tell).
    ModemLines lines();

private:
    bool open() const { return port_.isOpen(); }
    void endPulse(unsigned session);
    void endBreak(unsigned session);

    SerialPort& port_;
    Schedule schedule_;
    ModemSettings settings_;
    bool dtr_ = true;
    bool rts_ = true;
    bool pulsing_ = false;
    // The lines the pulse under way holds low (the settings may change meanwhile).
    bool pulseDtr_ = false;
    bool pulseRts_ = false;
    bool breaking_ = false;
    // Counts opens and closes: a step scheduled on an earlier connection does nothing.
    unsigned session_ = 0;
};

}  // namespace comtrax
