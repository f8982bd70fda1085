#pragma once
// How the log and the controls around it look: the six colour schemes that
// BTPalitra steps through, the bounds of the font-size arrows, the colour of
// the receive-timeout read-out and the size the log is kept to.
#include <array>
#include <cstdint>
#include <optional>

#include "common/colour_values.h"

namespace comtrax {

struct ColourScheme {
    uint32_t back;
    uint32_t text;
};

// By the index BTPalitra has reached; the window starts at 0.
inline constexpr std::array<ColourScheme, 6> ColourSchemes{{
    {clWindow, clWindowText},
    {clInactiveBorder, clWindowText},
    {clMenuBar, clWindowText},
    {clAqua, clWindowText},
    {clBlack, clLime},
    {clRed, clBlue},
}};

// The scheme after index, round the six.
int nextColourScheme(int index);

// The font-size arrows step by one point within these bounds; a stored size
// outside them is kept as it is until an arrow moves it.
inline constexpr int32_t MinFontSize = 2;
inline constexpr int32_t MaxFontSize = 100;
int32_t stepFontSize(int32_t size, bool up);

// The read-out's background for a receive timeout: after the arrows, yellow
// for any value but 0 and the button face for 0; a restored value turns it
// yellow only when positive and otherwise leaves it as it is (nothing).
std::optional<uint32_t> timeoutReadoutColour(int32_t ms, bool fromArrows);

// The log window holds at most this many lines; past it, it starts afresh.
inline constexpr int LogLineCap = 5000;
inline bool logNeedsClearing(int lineCount)
{
    return lineCount > LogLineCap;
}

}  // namespace comtrax
