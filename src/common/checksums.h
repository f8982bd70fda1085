#pragma once
// The checksums the terminal computes over a run of bytes: the CRCs of the
// common serial protocols, described by their catalogue parameters, and the
// Modbus ASCII LRC.
#include <cstdint>
#include <string_view>

namespace comtrax {

struct CrcModel {
    int width;  // 8, 16 or 32
    uint32_t poly;
    uint32_t init;
    bool reflected;  // refin and refout together, as in every model here
    uint32_t xorOut;
};

inline constexpr CrcModel Crc16Modbus{16, 0x8005, 0xFFFF, true, 0x0000};
inline constexpr CrcModel Crc16CcittFalse{16, 0x1021, 0xFFFF, false, 0x0000};
inline constexpr CrcModel Crc16Xmodem{16, 0x1021, 0x0000, false, 0x0000};
inline constexpr CrcModel Crc8Smbus{8, 0x07, 0x00, false, 0x00};
inline constexpr CrcModel Crc8Maxim{8, 0x31, 0x00, true, 0x00};
inline constexpr CrcModel Crc32IsoHdlc{32, 0x04C11DB7, 0xFFFFFFFF, true, 0xFFFFFFFF};

uint32_t crc(const CrcModel& model, std::string_view bytes);

// The two's complement of the 8-bit sum (Modbus ASCII).
uint8_t lrc8(std::string_view bytes);

// A received frame that ends in its CRC-16/MODBUS, low byte first.
bool endsWithValidModbusCrc(std::string_view frame);

}  // namespace comtrax
