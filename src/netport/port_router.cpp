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
    return active_->open(name, baud, dataBits, stopCode);
}

}  // namespace comtrax
