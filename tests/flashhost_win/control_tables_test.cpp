// The control's decision tables: version gating of the scripting interface, the
// player control's mouse filter, the host's mouse-event synthesis, HIMETRIC sizes.
#include <gtest/gtest.h>

#include "flashhost/flash_member_table.h"
#include "flashhost/himetric.h"
#include "flashhost/mouse_filter.h"
#include "flashhost/mouse_synthesis.h"
#include "flashhost/stock_events.h"

using M = FlashMember;

namespace {
std::optional<FlashMemberSlots> Slots(M m, int v) { return FlashMemberSlotsFor(m, v); }
constexpr FlashMemberSlots S(int g, int s = -1) { return FlashMemberSlots{g, s}; }
}  // namespace

TEST(FlashLayoutVersion, TakesBits16To23AndCapsAtEight)
{
    EXPECT_EQ(FlashLayoutVersion(0x00060000), 6);
    EXPECT_EQ(FlashLayoutVersion(0x0007FFFF), 7);
    EXPECT_EQ(FlashLayoutVersion(0x00090000), 8);
    EXPECT_EQ(FlashLayoutVersion(0x000A0000), 8);
    EXPECT_EQ(FlashLayoutVersion(0x0A020000), 2);  // bits above 23 do not count
    EXPECT_EQ(FlashLayoutVersion(-1), 8);          // 0xFF masked, then capped
    EXPECT_EQ(FlashLayoutVersion(0), 0);
}

TEST(FlashMemberTable, CommonPropertiesForVersionsThreeToEightOnly)
{
    const struct { M m; FlashMemberSlots s; } common[] = {
        {M::ReadyState, S(7)}, {M::TotalFrames, S(8)}, {M::Playing, S(9, 10)}, {M::Quality, S(11, 12)},
        {M::ScaleMode, S(13, 14)}, {M::AlignMode, S(15, 16)}, {M::BackgroundColor, S(17, 18)},
        {M::Loop, S(19, 20)}, {M::Movie, S(21, 22)}, {M::FrameNum, S(23, 24)}, {M::WMode, S(40, 41)},
        {M::SAlign, S(42, 43)}, {M::Menu, S(44, 45)}, {M::Base, S(46, 47)}, {M::Scale, S(48, 49)},
        {M::DeviceFont, S(50, 51)}, {M::EmbedMovie, S(52, 53)}, {M::BGColor, S(54, 55)},
        {M::Quality2, S(56, 57)},
    };
    for (const auto& row : common) {
        for (int v = 3; v <= 8; ++v) EXPECT_EQ(Slots(row.m, v), row.s) << FlashMemberName(row.m) << " v" << v;
        EXPECT_FALSE(Slots(row.m, 2)) << FlashMemberName(row.m);
        EXPECT_FALSE(Slots(row.m, 9)) << "uncapped versions are not a layout";
        EXPECT_FALSE(Slots(row.m, -1)) << "no object";
    }
}

// The later members by layout version 3 to 8: where each sits, or nothing (absent).
TEST(FlashMemberTable, VersionTailsMoveAndGateTheLaterMembers)
{
    const std::optional<FlashMemberSlots> absent;
    const struct {
        M m;
        std::optional<FlashMemberSlots> byVersion[6];
    } tails[] = {
        // SWRemote moves by one slot in the version 7 layout and is absent in 3 and 6.
        {M::SWRemote, {absent, S(73, 74), S(73, 74), absent, S(74, 75), S(74, 75)}},
        {M::Stacking, {absent, absent, S(75, 76), absent, absent, absent}},
        {M::FlashVars, {absent, absent, absent, absent, S(76, 77), S(76, 77)}},
        {M::AllowScriptAccess, {absent, absent, absent, absent, S(78, 79), S(78, 79)}},
        // Version 7 only: a version 9 object counts as 8 and gets neither.
        {M::MovieData, {absent, absent, absent, absent, S(80, 81), absent}},
        {M::TGetPropertyAsNumber, {absent, absent, absent, absent, S(73), absent}},
    };
    for (const auto& row : tails)
        for (int v = 3; v <= 8; ++v)
            EXPECT_EQ(Slots(row.m, v), row.byVersion[v - 3]) << FlashMemberName(row.m) << " v" << v;
}

// ---- the player control's mouse filter ----------------------------------------------

TEST(MouseFilter, EachInputHasTheOutcomeOfItsSettings)
{
    using I = FilteredMouseInput;
    using O = MouseFilterOutcome;
    const struct {
        const char* why;
        I in;
        MouseFilterSettings settings;  // interaction, standard menu, popup assigned
        bool held;
        O out;
    } cases[] = {
        {"without interaction the press is the control's", I::LeftDown, {false, false, false}, false,
         O{.RaiseMouseDown = true, .ButtonHeld = true}},
        {"and so is the release, with its click", I::LeftUp, {false, false, false}, true,
         O{.RaiseMouseUp = true, .RaiseClick = true}},
        {"moves pass on and are raised", I::Move, {false, false, false}, true,
         O{.PassOn = true, .RaiseMouseMove = true, .ButtonHeld = true}},
        {"with interaction presses pass untouched", I::LeftDown, {true, false, false}, false, O{.PassOn = true}},
        {"with interaction releases pass untouched", I::LeftUp, {true, false, false}, false, O{.PassOn = true}},
        {"with interaction moves pass untouched", I::Move, {true, false, false}, false, O{.PassOn = true}},
        {"other messages pass", I::Other, {true, false, false}, false, O{.PassOn = true}},
        {"other messages pass whatever the settings", I::Other, {false, false, true}, true,
         O{.PassOn = true, .ButtonHeld = true}},
        {"double clicks are dropped", I::LeftDoubleClick, {false, true, true}, false, O{}},
        {"double clicks are dropped with interaction", I::LeftDoubleClick, {true, true, true}, true,
         O{.ButtonHeld = true}},
        {"right double clicks are dropped", I::RightDoubleClick, {false, true, true}, true, O{.ButtonHeld = true}},
        {"right double clicks are dropped with interaction", I::RightDoubleClick, {true, true, true}, false, O{}},
        {"the standard menu takes the right press", I::RightDown, {false, true, true}, false, O{.PassOn = true}},
        {"the standard menu takes it with interaction", I::RightDown, {true, true, true}, false, O{.PassOn = true}},
        {"the popup keeps the right press", I::RightDown, {false, false, true}, false, O{.ButtonHeld = true}},
        {"the popup keeps it with interaction", I::RightDown, {true, false, true}, false, O{.ButtonHeld = true}},
        {"the popup opens on the release", I::RightUp, {false, false, true}, true, O{.ShowPopupMenu = true}},
        {"the popup opens with interaction", I::RightUp, {true, false, true}, true, O{.ShowPopupMenu = true}},
        {"without a popup the release changes nothing", I::RightUp, {false, false, false}, true,
         O{.ButtonHeld = true}},
        {"a release never reaches the movie", I::RightUp, {false, true, false}, false, O{}},
        {"a release never reaches the movie with interaction", I::RightUp, {true, true, false}, false, O{}},
        {"leaving forgets the held button", I::MouseLeft, {false, false, true}, true, O{}},
        {"a release after leaving opens nothing", I::RightUp, {false, false, true}, false, O{}},
    };
    for (const auto& c : cases) EXPECT_EQ(FilterMouseInput(c.in, c.settings, c.held), c.out) << c.why;
    // A release without a press the player took is no click.
    EXPECT_FALSE(FilterMouseInput(I::LeftUp, {false, false, false}, false).RaiseClick);
}

// ---- the hosting control's mouse synthesis ------------------------------------------

TEST(HostMouseSynthesis, StepsFollowTheInputAndTheSettings)
{
    using St = HostMouseStep;
    using In = HostMouseInput;
    const struct {
        const char* why;
        In in;
        HostMouseSettings settings;  // ignore mouse, standard menu, capture style
        std::vector<St> steps;
    } cases[] = {
        {"a left press raises the event first", In::LeftDown, {false, false, false},
         {St::MouseDown, St::CancelModes, St::Base}},
        {"and captures when the style asks", In::LeftDown, {false, false, true},
         {St::MouseDown, St::CancelModes, St::Base, St::Capture}},
        {"an ignored left press reaches only the event", In::LeftDown, {true, false, true}, {St::MouseDown}},
        {"the standard menu lets the right press through", In::RightDown, {false, true, false},
         {St::Base, St::MouseDown}},
        {"otherwise the right press is the control's", In::RightDown, {false, false, false}, {St::MouseDown}},
        {"IgnoreMouse concerns the left button only", In::MiddleDown, {true, false, false}, {St::MouseDown, St::Base}},
        {"releases go to the movie first", In::LeftUp, {true, false, false},
         {St::Base, St::ReleaseCapture, St::Click, St::MouseUp}},
        {"right release", In::RightUp, {true, false, false}, {St::Base, St::MouseUp}},
        {"middle release", In::MiddleUp, {true, false, false}, {St::Base, St::MouseUp}},
        {"moves", In::Move, {true, false, false}, {St::Base, St::MouseMove}},
        {"left double click", In::LeftDoubleClick, {true, false, false},
         {St::CancelModes, St::Base, St::Capture, St::DblClick, St::MouseDownDouble}},
        {"right double click", In::RightDoubleClick, {true, false, false}, {St::Base, St::MouseDownDouble}},
        {"middle double click", In::MiddleDoubleClick, {true, false, false}, {St::Base, St::MouseDownDouble}},
    };
    for (const auto& c : cases) EXPECT_EQ(HostMouseSteps(c.in, c.settings), c.steps) << c.why;
}

// ---- HIMETRIC ----------------------------------------------------------------------

TEST(Himetric, RoundsToNearestLikeThePlatform)
{
    EXPECT_EQ(PixelsToHimetric(650, 96), 17198);
    EXPECT_EQ(PixelsToHimetric(476, 96), 12594);
    EXPECT_EQ(PixelsToHimetric(100, 120), 2117);
    EXPECT_EQ(HimetricToPixels(17198, 96), 650);
    EXPECT_EQ(HimetricToPixels(2540, 96), 96);
    EXPECT_EQ(MulDivRound(3, 1, 2), 2);    // half rounds away from zero
    EXPECT_EQ(MulDivRound(-3, 1, 2), -2);
    EXPECT_EQ(MulDivRound(5, 5, -2), -13);
    EXPECT_EQ(MulDivRound(1, 1, 0), -1);
    EXPECT_EQ(MulDivRound(0x7FFFFFFF, 4, 1), -1);  // does not fit
    EXPECT_EQ(ContainerToHimetric(96.0, 96), 2540);
    EXPECT_EQ(ContainerToHimetric(1.0, 96), 26);    // 26.458 rounds down
    EXPECT_EQ(ContainerToHimetric(-1.0, 96), -26);
}

// The runtime's stock events carry OLE's masks: shift 1, ctrl 2, alt 4; left 1, right 2, middle 4.
TEST(StockEvents, MasksBecomeTheToolkitsButtonAndShiftSet)
{
    using namespace swfp::tk;
    EXPECT_EQ(StockKeyShift(0), 0u);
    EXPECT_EQ(StockKeyShift(1), unsigned{ssShift});
    EXPECT_EQ(StockKeyShift(2), unsigned{ssCtrl});
    EXPECT_EQ(StockKeyShift(4), unsigned{ssAlt});
    EXPECT_EQ(StockKeyShift(7 | 8), unsigned{ssShift | ssCtrl | ssAlt}) << "other bits are not keys";

    const struct { long buttons, keys; MouseButton button; ShiftState shift; } cases[] = {
        {0, 0, MouseButton::Left, 0},
        {1, 0, MouseButton::Left, ssLeft},
        {2, 1, MouseButton::Right, ssRight | ssShift},
        {4, 2, MouseButton::Middle, ssMiddle | ssCtrl},
        {6, 4, MouseButton::Right, ssRight | ssMiddle | ssAlt},  // the lowest pressed button names it
        {7, 0, MouseButton::Left, ssLeft | ssRight | ssMiddle},
    };
    for (const auto& c : cases) {
        const StockMouseArgs args = StockMouse(c.buttons, c.keys);
        EXPECT_EQ(args.button, c.button) << c.buttons;
        EXPECT_EQ(args.shift, c.shift) << c.buttons << " " << c.keys;
    }
}
