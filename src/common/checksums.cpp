#include "common/checksums.h"

namespace comtrax {

namespace {

uint32_t reflect(uint32_t v, int bits)
{
    uint32_t r = 0;
    for (int i = 0; i < bits; ++i)
        if (v & (1u << i))
            r |= 1u << (bits - 1 - i);
    return r;
}

}  // namespace

uint32_t crc(const CrcModel& m, std::string_view bytes)
{
    const uint32_t mask = m.width == 32 ? 0xFFFFFFFFu : (1u << m.width) - 1;
    const uint32_t top = 1u << (m.width - 1);
    if (m.reflected) {
        // The reflected form shifts right with the mirrored polynomial.
        const uint32_t poly = reflect(m.poly, m.width);
        uint32_t r = reflect(m.init, m.width);
        for (const char c : bytes) {
            r ^= static_cast<uint8_t>(c);
            for (int b = 0; b < 8; ++b)
                r = (r & 1) ? (r >> 1) ^ poly : r >> 1;
        }
        return (r ^ m.xorOut) & mask;
    }
    uint32_t r = m.init;
    for (const char c : bytes) {
        r ^= static_cast<uint32_t>(static_cast<uint8_t>(c)) << (m.width - 8);
        for (int b = 0; b < 8; ++b)
            r = (r & top) ? ((r << 1) ^ m.poly) & mask : (r << 1) & mask;
    }
    return (r ^ m.xorOut) & mask;
}

uint8_t lrc8(std::string_view bytes)
{
    uint8_t sum = 0;
    for (const char c : bytes)
        sum = static_cast<uint8_t>(sum + static_cast<uint8_t>(c));
    return static_cast<uint8_t>(-sum);
}

bool endsWithValidModbusCrc(std::string_view frame)
{
    if (frame.size() < 3)
        return false;
    const uint32_t value = crc(Crc16Modbus, frame.substr(0, frame.size() - 2));
    return static_cast<uint8_t>(frame[frame.size() - 2]) == (value & 0xFF)
        && static_cast<uint8_t>(frame[frame.size() - 1]) == (value >> 8);
}

}  // namespace comtrax
