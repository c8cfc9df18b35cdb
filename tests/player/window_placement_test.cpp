#include "player/window_placement.h"

#include <gtest/gtest.h>

namespace {

// A 1280 x 1024 screen with a 40-pixel taskbar and a designed 656 x 668 window at (1497, 152).
PlacementInput Screen(uint8_t mode, uint8_t position)
{
    PlacementInput in;
    in.windowMode = mode;
    in.windowPosition = position;
    in.screenWidth = 1280;
    in.screenHeight = 1024;
    in.taskbarHeight = 40;
    in.left = 1497;
    in.top = 152;
    in.width = 656;
    in.height = 667;
    return in;
}

TEST(PlaceWindow, NineScreenSpotsAndAGivenPoint)
{
    struct Case { uint8_t position; int left, top; };
    // (1280-656)/2 = 312, (1024-667)/2 = 178 (178.5 truncated), bottom = 1024-667-40 = 317
    const Case cases[] = {{0, 0, 0},     {1, 0, 178},   {2, 0, 317},   {3, 312, 0},   {4, 312, 178},
                          {5, 312, 317}, {6, 624, 0},   {7, 624, 178}, {8, 624, 317}};
    for (const Case& c : cases) {
        const auto out = PlaceWindow(Screen(0, c.position));
        EXPECT_EQ(out.left, c.left) << "position " << int(c.position);
        EXPECT_EQ(out.top, c.top) << "position " << int(c.position);
        EXPECT_EQ(out.width, 656);
        EXPECT_EQ(out.height, 667);
    }
    auto given = Screen(0, 9);
    given.windowLeft = -30;
    given.windowTop = -5;
    EXPECT_EQ(PlaceWindow(given).left, -30); // partly off screen, exactly there
    EXPECT_EQ(PlaceWindow(given).top, -5);
    const auto designed = PlaceWindow(Screen(0, 10));
    EXPECT_EQ(designed.left, 1497);
    EXPECT_EQ(designed.top, 152);
}

TEST(PlaceWindow, HalvesTruncateTowardZeroForWindowsLargerThanTheScreen)
{
    auto in = Screen(3, 4);
    in.controlsVisible = false;
    in.windowWidth = 1283; // (1280-1283)/2 = -1.5 -> -1
    in.windowHeight = 1027;
    const auto out = PlaceWindow(in);
    EXPECT_EQ(out.left, -1);
    EXPECT_EQ(out.top, -1);
}

TEST(PlaceWindow, WorkAreaAndMaximisedModesIgnoreEveryPositionRule)
{
    auto in = Screen(1, 8);
    in.rememberPosition = true;
    in.storedLeft = 100;
    in.storedTop = 100;
    const auto area = PlaceWindow(in);
    EXPECT_EQ(area.left, 0);
    EXPECT_EQ(area.top, 0);
    EXPECT_EQ(area.width, 1280);
    EXPECT_EQ(area.height, 984);
    EXPECT_FALSE(area.maximiseWithoutBorder);

    const auto maximised = PlaceWindow(Screen(2, 4));
    EXPECT_TRUE(maximised.maximiseWithoutBorder);
    EXPECT_EQ(maximised.left, 1497); // the position rule was not applied
}

TEST(PlaceWindow, GivenSizeTakesTheWidthOnlyWithoutTheControlPanel)
{
    auto hidden = Screen(3, 0);
    hidden.windowWidth = 400;
    hidden.windowHeight = 300;
    const auto a = PlaceWindow(hidden);
    EXPECT_EQ(a.width, 400);
    EXPECT_EQ(a.height, 300);
    EXPECT_EQ(a.windowMinWidth, 0);
    EXPECT_EQ(a.playerMinWidth, 0);

    auto shown = hidden;
    shown.controlsVisible = true;
    const auto b = PlaceWindow(shown);
    EXPECT_EQ(b.width, 656); // the layout's width stays
    EXPECT_EQ(b.height, 300);
    EXPECT_EQ(b.playerMinWidth, 650);
    EXPECT_FALSE(b.windowMinWidth);
}

TEST(PlaceWindow, RememberedPositionWinsAndAMissingOneKeepsTheDesignedSpot)
{
    auto in = Screen(0, 4);
    in.rememberPosition = true;
    in.storedLeft = 200;
    in.storedTop = 90;
    auto out = PlaceWindow(in);
    EXPECT_EQ(out.left, 200);
    EXPECT_EQ(out.top, 90);

    in.storedLeft = -1; // first run of a copy: nothing stored
    in.storedTop = -1;
    out = PlaceWindow(in);
    EXPECT_EQ(out.left, 1497);
    EXPECT_EQ(out.top, 152);

    auto unknownMode = Screen(7, 4);
    unknownMode.rememberPosition = true;
    unknownMode.storedLeft = 5;
    EXPECT_EQ(PlaceWindow(unknownMode).left, 5); // stored point applied, then nothing else
    EXPECT_EQ(PlaceWindow(unknownMode).top, 152);
    EXPECT_EQ(PlaceWindow(Screen(7, 4)).left, 1497);
}

} // namespace
