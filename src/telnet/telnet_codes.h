#pragma once
// The byte values of Telnet and of its COM-PORT-CONTROL option.
#include <cstdint>

namespace comtrax::telnet {

// Commands: each follows an IAC.
inline constexpr uint8_t Se = 240;
inline constexpr uint8_t Nop = 241;
inline constexpr uint8_t DataMark = 242;
inline constexpr uint8_t Break = 243;
inline constexpr uint8_t GoAhead = 249;
inline constexpr uint8_t Sb = 250;
inline constexpr uint8_t Will = 251;
inline constexpr uint8_t Wont = 252;
inline constexpr uint8_t Do = 253;
inline constexpr uint8_t Dont = 254;
inline constexpr uint8_t Iac = 255;

// Options.
inline constexpr uint8_t Binary = 0;
inline constexpr uint8_t Echo = 1;
inline constexpr uint8_t SuppressGoAhead = 3;
inline constexpr uint8_t ComPort = 44;

// COM-PORT-CONTROL commands as the client sends them; the server answers
// with the same code plus ServerOffset.
namespace comport {
inline constexpr uint8_t Signature = 0;
inline constexpr uint8_t SetBaud = 1;
inline constexpr uint8_t SetDataSize = 2;
inline constexpr uint8_t SetParity = 3;
inline constexpr uint8_t SetStopSize = 4;
inline constexpr uint8_t SetControl = 5;
inline constexpr uint8_t NotifyLineState = 6;
inline constexpr uint8_t NotifyModemState = 7;
inline constexpr uint8_t FlowSuspend = 8;
inline constexpr uint8_t FlowResume = 9;
inline constexpr uint8_t SetLineStateMask = 10;
inline constexpr uint8_t SetModemStateMask = 11;
inline constexpr uint8_t PurgeData = 12;
inline constexpr uint8_t ServerOffset = 100;

// Values of SetParity.
inline constexpr uint8_t ParityNone = 1;
inline constexpr uint8_t ParityOdd = 2;
inline constexpr uint8_t ParityEven = 3;
inline constexpr uint8_t ParityMark = 4;
inline constexpr uint8_t ParitySpace = 5;
// Values of SetStopSize.
inline constexpr uint8_t StopOne = 1;
inline constexpr uint8_t StopTwo = 2;
inline constexpr uint8_t StopOneAndHalf = 3;
// Values of SetControl.
inline constexpr uint8_t FlowNone = 1;
inline constexpr uint8_t FlowXonXoff = 2;
inline constexpr uint8_t FlowHardware = 3;
inline constexpr uint8_t BreakOn = 5;
inline constexpr uint8_t BreakOff = 6;
inline constexpr uint8_t DtrOn = 8;
inline constexpr uint8_t DtrOff = 9;
inline constexpr uint8_t RtsOn = 11;
inline constexpr uint8_t RtsOff = 12;
// Values of PurgeData.
inline constexpr uint8_t PurgeReceive = 1;
inline constexpr uint8_t PurgeTransmit = 2;
inline constexpr uint8_t PurgeBoth = 3;
// Bits of the modem state.
inline constexpr uint8_t ModemCts = 0x10;
inline constexpr uint8_t ModemDsr = 0x20;
inline constexpr uint8_t ModemRi = 0x40;
inline constexpr uint8_t ModemDcd = 0x80;
}  // namespace comport

}  // namespace comtrax::telnet
