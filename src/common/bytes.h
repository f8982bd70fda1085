#pragma once
// Little-endian packing and the fixed-capacity short strings of the data files:
// string[N] is one length byte followed by N character bytes (Windows-1251).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace comtrax {

inline void putLE32(unsigned char* p, int32_t v)
{
    const auto u = static_cast<uint32_t>(v);
    p[0] = static_cast<unsigned char>(u);
    p[1] = static_cast<unsigned char>(u >> 8);
    p[2] = static_cast<unsigned char>(u >> 16);
    p[3] = static_cast<unsigned char>(u >> 24);
}

inline int32_t getLE32(const unsigned char* p)
{
    const uint32_t u =
        uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
    return static_cast<int32_t>(u);
}

// Reads a string[capacity] field at p. A length byte above the capacity is cut
// to the capacity: nothing beyond the field is ever read.
inline std::string getShortString(const unsigned char* p, std::size_t capacity)
{
    std::size_t len = p[0];
    if (len > capacity)
        len = capacity;
    return std::string(reinterpret_cast<const char*>(p + 1), len);
}

// Stores text into a string[capacity] field at p: cut to 255, then to the
// capacity. The bytes after the new length keep what was there before.
inline void putShortString(unsigned char* p, std::size_t capacity, std::string_view text)
{
    std::size_t len = text.size();
    if (len > 255)
        len = 255;
    if (len > capacity)
        len = capacity;
    p[0] = static_cast<unsigned char>(len);
    for (std::size_t i = 0; i < len; ++i)
        p[1 + i] = static_cast<unsigned char>(text[i]);
}

}  // namespace comtrax
