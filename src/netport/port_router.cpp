#include "netport/port_router.h"

#include "serial/port_path.h"

namespace comtrax {

void PortRouter::setLineOptions(const LineOptions& options)
{
    SerialPort::setLineOptions(options);
    local_.setLineOptions(options);
    network_.setLineOptions(options);
}

bool PortRouter::open(const std::string& name, int baud, int dataBits, int stopCode)
{
    SerialPort* const wanted = isNetworkPortText(name) ? &network_ : &local_;
    if (wanted != active_ && active_->isOpen())
        active_->close();
    active_ = wanted;
    const bool opened = active_->open(name, baud, dataBits, stopCode);
    networkConnecting_ = opened && networkActive();
    if (networkConnecting_)
        networkName_ = name;
    return opened;
}

bool PortRouter::connecting()
{
    const bool now = active_->connecting();
    if (networkConnecting_ && !now) {
        networkConnecting_ = false;
        if (connectedListener_ && active_->probe())
            connectedListener_(networkName_);
    }
    return now;
}

}  // namespace comtrax
