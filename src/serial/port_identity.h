#pragma once
// Which device a port is, apart from its name: the name a USB adapter gets
// depends on the order of plugging in, its serial number (or, without one,
// its vendor, product and socket) does not.
#include <string>
#include <vector>

#include "serial/serial_port.h"

namespace comtrax {

struct PortIdentity {
    std::string serialNumber;
    std::string vendorId;
    std::string productId;
    std::string location;

    // Nothing to recognise the device by (a built-in port, a pty, a link):
    // neither a serial number nor vendor, product and socket together.
    bool empty() const;
    bool operator==(const PortIdentity&) const = default;
};

PortIdentity identityOf(const PortInfo& info);

// The port list's entry: "ttyUSB0 — CP2102 (0001)", the bare name when the
// system tells nothing more. UTF-8.
std::string portLabel(const PortInfo& info);

// The entry of ports that is the device known by id, or nullptr when none is
// or when several could be (two adapters with the same serial number in
// other sockets): opening a wrong device is worse than waiting.
const PortInfo* findByIdentity(const std::vector<PortInfo>& ports, const PortIdentity& id);

// True when info names a device of its own that is not the device known by id.
bool isAnotherDevice(const PortInfo& info, const PortIdentity& id);

}  // namespace comtrax
