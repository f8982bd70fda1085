#include "netport/com_port_values.h"

#include "telnet/telnet_codes.h"

namespace comtrax {

using namespace telnet;

uint8_t parityCode(Parity p)
{
    switch (p) {
    case Parity::Odd:
        return comport::ParityOdd;
    case Parity::Even:
        return comport::ParityEven;
    case Parity::Mark:
        return comport::ParityMark;
    case Parity::Space:
        return comport::ParitySpace;
    case Parity::None:
        break;
    }
    return comport::ParityNone;
}

uint8_t stopCodeValue(int stopCode)
{
    if (stopCode == TwoStop)
        return comport::StopTwo;
    if (stopCode == OneAndHalfStop)
        return comport::StopOneAndHalf;
    return comport::StopOne;
}

uint8_t flowCode(FlowControl f)
{
    if (f == FlowControl::RtsCts)
        return comport::FlowHardware;
    if (f == FlowControl::XonXoff)
        return comport::FlowXonXoff;
    return comport::FlowNone;
}

}  // namespace comtrax
