#pragma once
// The real port list, over QSerialPortInfo plus the pseudo-terminal links a
// user makes in /dev for virtual ports.
#include <string>
#include <vector>

#include "serial/serial_port.h"

namespace comtrax {

class QtPortLister final : public PortLister {
public:
    // devDir is where the pseudo-terminal links are looked for ("/dev").
    explicit QtPortLister(std::string devDir = "/dev");
    std::vector<std::string> listPorts() override;
    // The system's ports with what it tells of their devices, then the pty
    // links, then the persistent links of /dev/serial/by-id (by their paths).
    std::vector<PortInfo> listPortInfos() override;

    // Names of the links directly in devDir that point at a live /dev/pts/N,
    // sorted by name.
    std::vector<std::string> ptyLinks() const;
    // Paths of the links in devDir/serial/by-id that lead to a character
    // device, sorted.
    std::vector<std::string> byIdLinks() const;

private:
    std::string devDir_;
};

}  // namespace comtrax
