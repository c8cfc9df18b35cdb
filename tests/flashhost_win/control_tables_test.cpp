// The control's decision tables: version gating of the scripting interface, the
// player control's mouse filter, the host's mouse-event synthesis, HIMETRIC sizes.
#include <gtest/gtest.h>

#include "flashhost/flash_member_table.h"
#include "flashhost/himetric.h"
#include "flashhost/mouse_filter.h"
#include "flashhost/mouse_synthesis.h"

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

TEST(FlashMemberTable, VersionTailsMoveAndGateTheLaterMembers)
{
    // SWRemote moves by one slot in the version 7 layout and is absent in 3 and 6.
    EXPECT_EQ(Slots(M::SWRemote, 4), S(73, 74));
    EXPECT_EQ(Slots(M::SWRemote, 5), S(73, 74));
    EXPECT_EQ(Slots(M::SWRemote, 7), S(74, 75));
    EXPECT_EQ(Slots(M::SWRemote, 8), S(74, 75));
    EXPECT_FALSE(Slots(M::SWRemote, 3));
    EXPECT_FALSE(Slots(M::SWRemote, 6));

    EXPECT_EQ(Slots(M::Stacking, 5), S(75, 76));
    for (int v : {3, 4, 6, 7, 8}) EXPECT_FALSE(Slots(M::Stacking, v)) << v;

    for (int v : {7, 8}) {
        EXPECT_EQ(Slots(M::FlashVars, v), S(76, 77));
        EXPECT_EQ(Slots(M::AllowScriptAccess, v), S(78, 79));
    }
    for (int v : {3, 4, 5, 6}) {
        EXPECT_FALSE(Slots(M::FlashVars, v));
        EXPECT_FALSE(Slots(M::AllowScriptAccess, v));
    }
    // Version 7 only: a version 9 object counts as 8 and gets neither.
    EXPECT_EQ(Slots(M::MovieData, 7), S(80, 81));
    EXPECT_EQ(Slots(M::TGetPropertyAsNumber, 7), S(73));
    EXPECT_FALSE(Slots(M::MovieData, FlashLayoutVersion(0x00090000)));
    EXPECT_FALSE(Slots(M::TGetPropertyAsNumber, FlashLayoutVersion(0x00090000)));
    EXPECT_TRUE(Slots(M::FlashVars, FlashLayoutVersion(0x00090000)));
}

// ---- the player control's mouse filter ----------------------------------------------

namespace {
MouseFilterOutcome Filter(FilteredMouseInput in, bool interact, bool standardMenu, bool popup, bool held)
{
    return FilterMouseInput(in, MouseFilterSettings{interact, standardMenu, popup}, held);
}
}  // namespace

TEST(MouseFilter, WithoutInteractionLeftClicksBecomeTheControlsOwnEvents)
{
    using I = FilteredMouseInput;
    auto down = Filter(I::LeftDown, false, false, false, false);
    EXPECT_FALSE(down.PassOn);
    EXPECT_TRUE(down.RaiseMouseDown);
    EXPECT_TRUE(down.ButtonHeld);

    auto up = Filter(I::LeftUp, false, false, false, down.ButtonHeld);
    EXPECT_FALSE(up.PassOn);
    EXPECT_TRUE(up.RaiseMouseUp);
    EXPECT_TRUE(up.RaiseClick);
    EXPECT_FALSE(up.ButtonHeld);

    // A release without a press the player took is no click.
    EXPECT_FALSE(Filter(I::LeftUp, false, false, false, false).RaiseClick);

    auto move = Filter(I::Move, false, false, false, true);
    EXPECT_TRUE(move.PassOn);
    EXPECT_TRUE(move.RaiseMouseMove);
    EXPECT_TRUE(move.ButtonHeld);
}

TEST(MouseFilter, WithInteractionLeftButtonAndMovesReachTheMovieUntouched)
{
    using I = FilteredMouseInput;
    for (auto in : {I::LeftDown, I::LeftUp, I::Move, I::Other}) {
        auto out = Filter(in, true, false, false, false);
        EXPECT_EQ(out, (MouseFilterOutcome{.PassOn = true})) << static_cast<int>(in);
    }
    // Other messages pass whatever the settings.
    EXPECT_EQ(Filter(I::Other, false, false, true, true), (MouseFilterOutcome{.PassOn = true, .ButtonHeld = true}));
}

TEST(MouseFilter, DoubleClicksAreDroppedSilently)
{
    using I = FilteredMouseInput;
    for (bool interact : {false, true})
        for (auto in : {I::LeftDoubleClick, I::RightDoubleClick}) {
            EXPECT_EQ(Filter(in, interact, true, true, false), MouseFilterOutcome{});
            EXPECT_EQ(Filter(in, interact, true, true, true), (MouseFilterOutcome{.ButtonHeld = true}));
        }
}

TEST(MouseFilter, RightButtonBelongsToThePopupUnlessTheStandardMenuIsAllowed)
{
    using I = FilteredMouseInput;
    for (bool interact : {false, true}) {
        auto withMenu = Filter(I::RightDown, interact, true, true, false);
        EXPECT_TRUE(withMenu.PassOn);
        EXPECT_FALSE(withMenu.ButtonHeld);

        auto kept = Filter(I::RightDown, interact, false, true, false);
        EXPECT_FALSE(kept.PassOn);
        EXPECT_TRUE(kept.ButtonHeld);
        auto release = Filter(I::RightUp, interact, false, true, kept.ButtonHeld);
        EXPECT_FALSE(release.PassOn);
        EXPECT_TRUE(release.ShowPopupMenu);
        EXPECT_FALSE(release.ButtonHeld);

        // No popup assigned: nothing happens on release.
        auto none = Filter(I::RightUp, interact, false, false, true);
        EXPECT_FALSE(none.PassOn);
        EXPECT_FALSE(none.ShowPopupMenu);
        // A release never reaches the movie, even with the standard menu.
        EXPECT_FALSE(Filter(I::RightUp, interact, true, false, false).PassOn);
    }
}

TEST(MouseFilter, LeavingTheControlForgetsTheHeldButton)
{
    using I = FilteredMouseInput;
    const MouseFilterSettings s{false, false, true};
    bool held = FilterMouseInput(I::RightDown, s, false).ButtonHeld;
    auto leave = FilterMouseInput(I::MouseLeft, s, held);
    EXPECT_FALSE(leave.PassOn);
    EXPECT_FALSE(leave.ButtonHeld);
    EXPECT_FALSE(FilterMouseInput(I::RightUp, s, leave.ButtonHeld).ShowPopupMenu);
}

// ---- the hosting control's mouse synthesis ------------------------------------------

TEST(HostMouseSynthesis, LeftPressRaisesTheEventFirstAndReachesTheMovieUnlessIgnored)
{
    using St = HostMouseStep;
    using V = std::vector<St>;
    EXPECT_EQ(HostMouseSteps(HostMouseInput::LeftDown, {false, false, false}), (V{St::MouseDown, St::CancelModes, St::Base}));
    EXPECT_EQ(HostMouseSteps(HostMouseInput::LeftDown, {false, false, true}),
              (V{St::MouseDown, St::CancelModes, St::Base, St::Capture}));
    EXPECT_EQ(HostMouseSteps(HostMouseInput::LeftDown, {true, false, true}), (V{St::MouseDown}));
}

TEST(HostMouseSynthesis, RightPressReachesTheMovieOnlyWithTheStandardMenu)
{
    using St = HostMouseStep;
    using V = std::vector<St>;
    EXPECT_EQ(HostMouseSteps(HostMouseInput::RightDown, {false, true, false}), (V{St::Base, St::MouseDown}));
    EXPECT_EQ(HostMouseSteps(HostMouseInput::RightDown, {false, false, false}), (V{St::MouseDown}));
    // IgnoreMouse concerns the left button only.
    EXPECT_EQ(HostMouseSteps(HostMouseInput::MiddleDown, {true, false, false}), (V{St::MouseDown, St::Base}));
}

TEST(HostMouseSynthesis, ReleasesMovesAndDoubleClicksGoToTheMovieFirst)
{
    using St = HostMouseStep;
    using V = std::vector<St>;
    const HostMouseSettings any{true, false, false};
    EXPECT_EQ(HostMouseSteps(HostMouseInput::LeftUp, any), (V{St::Base, St::ReleaseCapture, St::Click, St::MouseUp}));
    EXPECT_EQ(HostMouseSteps(HostMouseInput::RightUp, any), (V{St::Base, St::MouseUp}));
    EXPECT_EQ(HostMouseSteps(HostMouseInput::MiddleUp, any), (V{St::Base, St::MouseUp}));
    EXPECT_EQ(HostMouseSteps(HostMouseInput::Move, any), (V{St::Base, St::MouseMove}));
    EXPECT_EQ(HostMouseSteps(HostMouseInput::LeftDoubleClick, any),
              (V{St::CancelModes, St::Base, St::Capture, St::DblClick, St::MouseDownDouble}));
    EXPECT_EQ(HostMouseSteps(HostMouseInput::RightDoubleClick, any), (V{St::Base, St::MouseDownDouble}));
    EXPECT_EQ(HostMouseSteps(HostMouseInput::MiddleDoubleClick, any), (V{St::Base, St::MouseDownDouble}));
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
