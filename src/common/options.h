#pragma once
// The current choices of the window's controls that the core needs, as plain values.
// The window keeps this struct up to date on every change of the controls.
// Texts are Windows-1251 bytes, exactly as they are sent or compared.
#include <string>

namespace comtrax {

enum class SendMode { Manual = 1, OnSelect = 2, AfterAnswer = 3, Period = 4 };

// Times of a received packet shown beside VisTime's moment of display.
struct PacketTimes {
    bool arrival = false;        // when its first byte came, with milliseconds
    bool silenceBefore = false;  // the silence since the previous packet ended
    bool sinceSent = false;      // since the last sent line's last byte left
    bool any() const { return arrival || silenceBefore || sinceSent; }
};

struct TerminalOptions {
    bool hex = false;  // RBHEX selected (else RBASCII)
    SendMode sendMode = SendMode::Manual;
    bool showTime = false;            // VisTime
    std::string filter;               // FiltrLog
    std::string suffix = "$0D";       // AddStrCmd
    std::string commandText;          // MainStrCmd
    std::string periodText = "1000";  // PeriodTX
    bool cyclic = false;              // CiklSend
    bool sendOnConnect = false;       // SendAsReconn
    bool autoConnect = false;         // AutoConnect
    // Received HEX packets are checked as Modbus RTU frames (their last two
    // bytes a CRC-16/MODBUS of the rest) and marked good or bad.
    bool checkModbusCrc = false;
    PacketTimes packetTimes;
};

}  // namespace comtrax
