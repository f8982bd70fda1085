#pragma once
// Port discovery and access: ScanPorts, OpenPort, ClosePort and the primitives
// the rest of the terminal uses, with the state PortOpen and PortName.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "serial/port_identity.h"
#include "serial/serial_port.h"

namespace comtrax {

class TerminalView;

// The ComPort box: a list of names and the selected entry (-1 for none).
// labels runs beside names: what the list shows for each (UTF-8), the name
// with what the system tells of the device; the name is what is opened and
// stored.
struct PortChoice {
    std::vector<std::string> names;
    int selected = -1;
    std::vector<std::string> labels;
};

// What the four port-parameter boxes hold when Connect is pressed.
// A text is empty when the box has no selected entry.
struct PortParameters {
    std::string portName;  // ComPort's selected entry
    std::string baudText;  // BaudRate's selected entry
    std::string bitsText;  // ComBits's selected entry
    int stopIndex = -1;    // ComStopBits's selected index
    LineOptions line;      // parity and flow control
    // ComPort's text when it is no entry. A path typed there (a pty, a
    // /dev/serial/by-id link) is opened when it names a character device.
    // Names and paths are the system's bytes (UTF-8), never the data's code page.
    std::string typedText = {};
};

// The fallback list used when no port is found.
std::vector<std::string> fallbackPortNames();
// What a scan asked for by the user says when it finds no port: the advice
// that fits this system (on Windows, to run as administrator; on Linux, where
// the adapters appear and which group may use them).
const char* noPortsFoundText();
const char* linuxNoPortsFoundText();

class PortAccess {
public:
    PortAccess(SerialPort& port, PortLister& lister, TerminalView& view);

    // Builds the ComPort list. With quiet (start-up) no message is shown when
    // nothing is found. The first found port is selected; with the fallback
    // list nothing is.
    PortChoice scanPorts(bool quiet);

    // Opens and configures the port. Shows "Выбери порт!" when no port is
    // selected and the conversion error when a box holds no entry.
    bool openPort(const PortParameters& p);
    // Notes which device the open port is (from a fresh listing), so that a
    // reconnection can find it again under another name.
    void rememberIdentity();
    // The reconnection's open: the device remembered, under whatever name it
    // has now; never another device that took its old name. Without an
    // identity (a pty, a built-in port) the port of p, as openPort.
    bool reopenPort(const PortParameters& p);
    void closePort();
    bool probePort();

    uint32_t portInputCount();
    uint32_t readPort(uint8_t* buffer, uint32_t n);
    void purgePort();
    // What the port took now (-1: refused, or no port open).
    int64_t writePort(const uint8_t* data, uint32_t n);
    // Called while the port is still open, just before it is closed.
    void setClosingListener(std::function<void()> listener) { closingListener_ = std::move(listener); }
    // Called whenever the port is closed (disconnect, loss, reopen).
    void setClosedListener(std::function<void()> listener) { closedListener_ = std::move(listener); }
    // Called after every successful open (Connect and a reconnection alike).
    void setOpenedListener(std::function<void()> listener) { openedListener_ = std::move(listener); }

    bool portOpen() const { return portOpen_; }
    // True when the latest openPort ended on a box with no entry (the
    // conversion error was shown, nothing was tried).
    bool conversionFailed() const { return conversionFailed_; }
    // True when the latest openPort refused a path that leads to no
    // character device (and said why, unless it was a reconnection).
    bool pathRefused() const { return pathRefused_; }
    // Ends the quiet start-up state: PortOpen is cleared after the scan.
    void setPortOpenFlag(bool v) { portOpen_ = v; }
    const std::string& portName() const { return portName_; }
    int stopCode() const { return stopCode_; }
    // The rate and data bits of the last successful open (9600, 8 before any).
    int baud() const { return baud_; }
    int dataBits() const { return dataBits_; }
    SerialPort& port() { return port_; }

private:
    bool reopenRemembered(const PortParameters& p);

    SerialPort& port_;
    PortLister& lister_;
    TerminalView& view_;
    bool portOpen_ = false;
    bool conversionFailed_ = false;
    bool pathRefused_ = false;
    bool quiet_ = false;  // a reconnection under way: refusals are not told
    PortIdentity identity_;
    std::string portName_;
    int stopCode_ = OneStop;
    int baud_ = 9600;
    int dataBits_ = 8;
    std::function<void()> closingListener_;
    std::function<void()> closedListener_;
    std::function<void()> openedListener_;
};

}  // namespace comtrax
