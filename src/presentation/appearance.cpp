#include "presentation/appearance.h"

namespace comtrax {

int nextColourScheme(int index)
{
    const int count = static_cast<int>(ColourSchemes.size());
    return ((index % count) + count + 1) % count;
}

int32_t stepFontSize(int32_t size, bool up)
{
    if (up && size < MaxFontSize)
        return size + 1;
    if (!up && size > MinFontSize)
        return size - 1;
    return size;
}

std::optional<uint32_t> timeoutReadoutColour(int32_t ms, bool fromArrows)
{
    if (fromArrows ? ms != 0 : ms > 0)
        return clYellow;
    if (fromArrows)
        return clBtnFace;
    return std::nullopt;
}

}  // namespace comtrax
