#include "presentation/appearance.h"

#include <gtest/gtest.h>

namespace comtrax {
namespace {

TEST(Appearance, TheSchemesGoRoundInOrder)
{
    EXPECT_EQ(nextColourScheme(0), 1);
    EXPECT_EQ(nextColourScheme(4), 5);
    EXPECT_EQ(nextColourScheme(5), 0);
    EXPECT_EQ(ColourSchemes[4].back, clBlack);
    EXPECT_EQ(ColourSchemes[4].text, clLime);
}

TEST(Appearance, FontArrowsStopAtTheBoundsButKeepAStoredSizeBeyondThem)
{
    struct Case {
        int32_t size;
        bool up;
        int32_t after;
    };
    const Case cases[] = {
        {8, true, 9},  {8, false, 7},    {100, true, 100},  {99, true, 100}, {2, false, 2},
        {3, false, 2}, {150, true, 150}, {150, false, 149}, {0, false, 0},   {0, true, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.size) + (c.up ? " up" : " down"));
        EXPECT_EQ(stepFontSize(c.size, c.up), c.after);
    }
}

TEST(Appearance, TheTimeoutReadOutIsYellowWhileATimeoutIsInForce)
{
    EXPECT_EQ(timeoutReadoutColour(5, true), clYellow);
    EXPECT_EQ(timeoutReadoutColour(-1, true), clYellow);
    EXPECT_EQ(timeoutReadoutColour(0, true), clBtnFace);
    EXPECT_EQ(timeoutReadoutColour(5, false), clYellow);
    EXPECT_EQ(timeoutReadoutColour(0, false), std::nullopt);
    EXPECT_EQ(timeoutReadoutColour(-1, false), std::nullopt);
}

TEST(Appearance, TheLogIsClearedOnlyPastItsCap)
{
    EXPECT_FALSE(logNeedsClearing(LogLineCap));
    EXPECT_TRUE(logNeedsClearing(LogLineCap + 1));
}

}  // namespace
}  // namespace comtrax
