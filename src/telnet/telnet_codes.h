#pragma once
// The byte values of Telnet and of its COM-PORT-CONTROL option.
#include <cstdint>

namespace comtrax::telnet {

// Commands: each follows an IAC.
inline constexpr uint8_t kSe = 240;
inline constexpr uint8_t kNop = 241;
inline constexpr uint8_t kDataMark = 242;
inline constexpr uint8_t kBreak = 243;
inline constexpr uint8_t kGoAhead = 249;
inline constexpr uint8_t kSb = 250;
inline constexpr uint8_t kWill = 251;
inline constexpr uint8_t kWont = 252;
inline constexpr uint8_t kDo = 253;
inline constexpr uint8_t kDont = 254;
inline constexpr uint8_t kIac = 255;

// Options.
inline constexpr uint8_t kBinary = 0;
inline constexpr uint8_t kEcho = 1;
inline constexpr uint8_t kSuppressGoAhead = 3;
inline constexpr uint8_t kComPort = 44;

// COM-PORT-CONTROL commands as the client sends them; the server answers
// with the same code plus kServerOffset.
namespace comport {
inline constexpr uint8_t kSignature = 0;
inline constexpr uint8_t kSetBaud = 1;
inline constexpr uint8_t kSetDataSize = 2;
inline constexpr uint8_t kSetParity = 3;
inline constexpr uint8_t kSetStopSize = 4;
inline constexpr uint8_t kSetControl = 5;
inline constexpr uint8_t kNotifyLineState = 6;
inline constexpr uint8_t kNotifyModemState = 7;
inline constexpr uint8_t kFlowSuspend = 8;
inline constexpr uint8_t kFlowResume = 9;
inline constexpr uint8_t kSetLineStateMask = 10;
inline constexpr uint8_t kSetModemStateMask = 11;
inline constexpr uint8_t kPurgeData = 12;
inline constexpr uint8_t kServerOffset = 100;

// Values of kSetParity.
inline constexpr uint8_t kParityNone = 1;
inline constexpr uint8_t kParityOdd = 2;
inline constexpr uint8_t kParityEven = 3;
inline constexpr uint8_t kParityMark = 4;
inline constexpr uint8_t kParitySpace = 5;
// Values of kSetStopSize.
inline constexpr uint8_t kStopOne = 1;
inline constexpr uint8_t kStopTwo = 2;
inline constexpr uint8_t kStopOneAndHalf = 3;
// Values of kSetControl.
inline constexpr uint8_t kFlowNone = 1;
inline constexpr uint8_t kFlowXonXoff = 2;
inline constexpr uint8_t kFlowHardware = 3;
inline constexpr uint8_t kBreakOn = 5;
inline constexpr uint8_t kBreakOff = 6;
inline constexpr uint8_t kDtrOn = 8;
inline constexpr uint8_t kDtrOff = 9;
inline constexpr uint8_t kRtsOn = 11;
inline constexpr uint8_t kRtsOff = 12;
// Values of kPurgeData.
inline constexpr uint8_t kPurgeReceive = 1;
inline constexpr uint8_t kPurgeTransmit = 2;
inline constexpr uint8_t kPurgeBoth = 3;
// Bits of the modem state.
inline constexpr uint8_t kModemCts = 0x10;
inline constexpr uint8_t kModemDsr = 0x20;
inline constexpr uint8_t kModemRi = 0x40;
inline constexpr uint8_t kModemDcd = 0x80;
}  // namespace comport

}  // namespace comtrax::telnet
