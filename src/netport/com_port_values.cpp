#include "netport/com_port_values.h"

#include "telnet/telnet_codes.h"

namespace comtrax {

using namespace telnet;

uint8_t parityCode(Parity p)
{
    switch (p) {
    case Parity::Odd:
        return comport::kParityOdd;
    case Parity::Even:
        return comport::kParityEven;
    case Parity::Mark:
        return comport::kParityMark;
    case Parity::Space:
        return comport::kParitySpace;
    case Parity::None:
        break;
    }
    return comport::kParityNone;
}

uint8_t stopCodeValue(int stopCode)
{
    if (stopCode == TwoStop)
        return comport::kStopTwo;
    if (stopCode == OneAndHalfStop)
        return comport::kStopOneAndHalf;
    return comport::kStopOne;
}

uint8_t flowCode(FlowControl f)
{
    if (f == FlowControl::RtsCts)
        return comport::kFlowHardware;
    if (f == FlowControl::XonXoff)
        return comport::kFlowXonXoff;
    return comport::kFlowNone;
}

}  // namespace comtrax
