#pragma once
// The port's line settings as COM-PORT-CONTROL values.
#include <cstdint>

#include "serial/serial_port.h"

namespace comtrax {

uint8_t parityCode(Parity p);
uint8_t stopCodeValue(int stopCode);
uint8_t flowCode(FlowControl f);

}  // namespace comtrax
