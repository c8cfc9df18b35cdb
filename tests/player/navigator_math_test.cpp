#include "player/navigator_math.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The navigator picture is 115 x 65; a 550 x 400 movie fits as 89 x 65 centred at x = 13.
const NavView kView{13, 0, 89, 65};
const TwipsRect kMovie{0, 0, 11000, 8000};
constexpr double kAspect = 400.0 / 550.0;

TEST(NavigatorMath, RoundingIsHalfToEven)
{
    EXPECT_EQ(RoundHalfEven(0.5), 0);
    EXPECT_EQ(RoundHalfEven(1.5), 2);
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(-0.5), 0);
    EXPECT_EQ(RoundHalfEven(-1.5), -2);
    EXPECT_EQ(RoundHalfEven(2.4999), 2);
}

TEST(NavigatorMath, SelectionSizeAcrossTheSliderRange)
{
    const auto whole = SelectionSizeFor(kView.width, 0, kAspect);
    EXPECT_EQ(whole.width, 89);
    EXPECT_EQ(whole.height, 65); // 64.72 rounds to 65
    const auto quarter = SelectionSizeFor(kView.width, 300, kAspect);
    EXPECT_EQ(quarter.width, 22); // 8900 div 400 = 22 (truncated)
    EXPECT_EQ(quarter.height, 16); // 16.0
    EXPECT_EQ(SelectionSizeFor(kView.width, 20, kAspect).width, 74); // 8900 div 120
}

TEST(NavigatorMath, SlidePositionZeroGivesTheWholeMovie)
{
    const auto size = SelectionSizeFor(kView.width, 0, kAspect);
    const auto at = ClampSelection({0, 0}, kView, size); // the first refit puts it at the view's corner
    EXPECT_EQ(at, (NavPoint{13, 0}));
    const auto zoom = ZoomRectFor(kMovie, kView, size, at.x, at.y);
    EXPECT_EQ(zoom, kMovie);
}

TEST(NavigatorMath, ZoomRectangleOfAQuarterSelectionAtTheFarCorner)
{
    const auto size = SelectionSizeFor(kView.width, 300, kAspect); // 22 x 16
    const auto at = ClampSelection({500, 500}, kView, size);
    EXPECT_EQ(at, (NavPoint{13 + 89 - 22, 65 - 16}));
    const auto zoom = ZoomRectFor(kMovie, kView, size, at.x, at.y);
    // w = Round(11000*22/89) = Round(2719.10) = 2719; h = Round(8000*16/65) = Round(1969.23) = 1969
    // l = Round(67*11000/89) = Round(8280.90) = 8281; t = Round(49*8000/65) = Round(6030.77) = 6031
    EXPECT_EQ(zoom, (TwipsRect{8281, 6031, 8281 + 2719, 6031 + 1969}));
}

TEST(NavigatorMath, ClampKeepsTheSelectionInsideAndAnEmptyViewShowsTheWholeMovie)
{
    const SelectionSize size{30, 20};
    EXPECT_EQ(ClampSelection({-40, -40}, kView, size), (NavPoint{13, 0}));
    EXPECT_EQ(ClampSelection({40, 20}, kView, size), (NavPoint{40, 20}));
    EXPECT_EQ(ClampSelection({90, 60}, kView, size), (NavPoint{72, 45}));
    EXPECT_EQ(ZoomRectFor(kMovie, NavView{0, 0, 0, 0}, size, 0, 0), kMovie);
}

TEST(NavigatorMath, CentreUsesTheOldSizeAndLayerLocation)
{
    EXPECT_EQ(SelectionCentre({0, 0}, 0, 0), (NavPoint{0, 0}));
    EXPECT_EQ(SelectionCentre({21, 15}, 10, 10), (NavPoint{20, 18})); // 20.5 -> 20, 17.5 -> 18
}

TEST(SelectionGlide, EasesInAndLandsExactlyOnTheTarget)
{
    SelectionGlide glide({0, 0}, {100, 7});
    std::vector<NavPoint> path;
    while (!glide.Arrived() && path.size() < 500)
        path.push_back(glide.Step());
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.back(), (NavPoint{100, 7}));
    EXPECT_EQ(path.front().x, 10); // a tenth of the remaining distance
    for (size_t i = 1; i < path.size(); ++i) {
        EXPECT_GE(path[i].x, path[i - 1].x); // never overshoots or turns back
        EXPECT_LE(path[i].x, 100);
        EXPECT_LE(path[i].y, 7);
    }
    EXPECT_LT(path.size(), 80u);

    // Four pixels: six steps stand still while the divisor falls from 10 to 5
    // (4 div 10 .. 4 div 5 are 0), then 4 div 4, 3 div 3, 2 div 2, 1 div 1.
    SelectionGlide short_({0, 0}, {4, 0});
    path.clear();
    while (!short_.Arrived() && path.size() < 20)
        path.push_back(short_.Step());
    EXPECT_EQ(path, (std::vector<NavPoint>{{0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0},
                                           {0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}}));

    SelectionGlide back({50, 50}, {3, 50});
    while (!back.Arrived())
        back.Step();
    EXPECT_EQ(back.Current(), (NavPoint{3, 50}));
}

TEST(NavigatorMouse, DragOnTheSelectionGlideBesideItNothingInTheMargin)
{
    NavigatorMouse mouse;
    const SelectionSize size{30, 20};
    // press on the selection at (40, 20): dragging with the offset inside it
    auto action = mouse.Down({45, 25}, 40, 20, size, kView);
    EXPECT_TRUE(mouse.Dragging());
    EXPECT_TRUE(action.stopGlide);
    action = mouse.Move({60, 30}, 40, 20, size);
    EXPECT_EQ(action.kind, NavMouseAction::Kind::PlaceSelection);
    EXPECT_EQ(action.point, (NavPoint{55, 25}));
    mouse.Up();
    EXPECT_EQ(mouse.Move({70, 30}, 40, 20, size).kind, NavMouseAction::Kind::Nothing);

    // press in the view beside it: glide from the selection's centre to the point
    action = mouse.Down({90, 60}, 40, 20, size, kView);
    EXPECT_EQ(action.kind, NavMouseAction::Kind::StartGlide);
    EXPECT_EQ(action.point, (NavPoint{90, 60}));
    EXPECT_EQ(action.glideStart, (NavPoint{55, 30}));
    EXPECT_TRUE(mouse.Following());
    EXPECT_EQ(mouse.Move({80, 50}, 45, 25, size).kind, NavMouseAction::Kind::StartGlide);
    mouse.Up();

    // the margin left of the view, and the right edge itself, are outside it
    EXPECT_EQ(mouse.Down({5, 30}, 40, 20, size, kView).kind, NavMouseAction::Kind::Nothing);
    EXPECT_EQ(mouse.Down({102, 30}, 40, 20, size, kView).kind, NavMouseAction::Kind::Nothing);
    EXPECT_FALSE(mouse.Dragging());
    EXPECT_FALSE(mouse.Following());
}

} // namespace
