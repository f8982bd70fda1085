#pragma once
// The network ports used lately, offered in ComPort's list after the local
// ones and kept in CfgNetPorts beside CfgLine ("port1=rfc2217://pi:3001",
// newest first; other lines kept as they stand).
#include <memory>
#include <string>
#include <vector>

#include "serial/serial_port.h"

namespace comtrax {

class RecentNetworkPorts {
public:
    // How many are kept.
    static constexpr std::size_t MaxPorts = 8;

    // path: the file; empty keeps the list in memory only.
    explicit RecentNetworkPorts(std::string path);
    const std::vector<std::string>& names() const { return names_; }
    // Puts name first (once) and saves; a file that could not be read whole
    // is never overwritten.
    void use(const std::string& name);

private:
    std::string path_;
    bool writable_ = true;
    std::vector<std::string> names_;
    std::string keptText_;
};

// The local lister's ports, then the recent network ports.
class RecentPortLister final : public PortLister {
public:
    RecentPortLister(PortLister& local, const RecentNetworkPorts& recent) : local_(local), recent_(recent) {}
    std::vector<std::string> listPorts() override;
    std::vector<PortInfo> listPortInfos() override;

private:
    PortLister& local_;
    const RecentNetworkPorts& recent_;
};

}  // namespace comtrax
