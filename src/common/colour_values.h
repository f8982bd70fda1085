#pragma once
// Colours as the program stores them: 32-bit values, 0x00BBGGRR for an RGB
// colour, or 0xFF0000nn for the platform's system colour nn (5 window
// background, 8 window text, 0x0B inactive border, 0x0F button face,
// 0x18 info background, 0x1E menu bar, ...).
//
// A widget keeps the exact 32-bit value it was given, so that saving the
// settings writes back the value that was loaded (a system colour stays a
// system colour instead of becoming whatever RGB the current theme has).
#include <cstdint>

namespace comtrax {

// The platform's own names for these colours: the stored values are known by them.
// NOLINTBEGIN(readability-identifier-naming)
inline constexpr uint32_t clWindow = 0xFF000005;
inline constexpr uint32_t clWindowText = 0xFF000008;
inline constexpr uint32_t clInactiveBorder = 0xFF00000B;
inline constexpr uint32_t clBtnFace = 0xFF00000F;
inline constexpr uint32_t clInfoBk = 0xFF000018;
inline constexpr uint32_t clMenuBar = 0xFF00001E;
inline constexpr uint32_t clBlack = 0x00000000;
inline constexpr uint32_t clRed = 0x000000FF;
inline constexpr uint32_t clLime = 0x0000FF00;
inline constexpr uint32_t clYellow = 0x0000FFFF;
inline constexpr uint32_t clBlue = 0x00FF0000;
inline constexpr uint32_t clAqua = 0x00FFFF00;
inline constexpr uint32_t clCream = 0x00F0FBFF;
// NOLINTEND(readability-identifier-naming)

}  // namespace comtrax
