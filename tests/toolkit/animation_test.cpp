#include "toolkit/animation.h"

#include <gtest/gtest.h>

using namespace swfp::tk;

namespace {

// The rewind button of the player's control panel.
const AnimationTable kTable{
    {"rewind_enable", {8}}, {"rewind_active", {4}}, {"rewind_enter", {8, 7, 6, 5, 4}},
    {"rewind_press", {4, 48}}, {"rewind_pressed", {48}},
};

// In slot order: enabled, enter, over, leave, down, up, pressed; the rest unused.
std::array<SlotAnimation, kButtonSlotCount> RewindSlots(Millis press) {
  constexpr auto fwd = AnimDirection::Forward, back = AnimDirection::Backward;
  return {SlotAnimation{"rewind_enable", fwd, 100}, {"rewind_enter", fwd, 50}, {"rewind_active", fwd, 100},
          {"rewind_enter", back, 50}, {"rewind_press", fwd, press}, {"rewind_press", back, press},
          {"rewind_pressed", fwd, press}};
}

std::vector<int> Sample(ButtonAnimator& a, Millis from, Millis to, Millis step) {
  std::vector<int> out;
  for (Millis t = from; t <= to; t += step) out.push_back(a.FrameAt(t));
  return out;
}

}  // namespace

TEST(FramePlayer, StepsAtItsDelayAndFinishesOnTheLastFrame) {
  FramePlayer f({8, 7, 6, 5, 4}, AnimDirection::Forward, 50, 1000);
  EXPECT_EQ(f.FrameAt(1000), 8);
  EXPECT_EQ(f.FrameAt(1049), 8);
  EXPECT_EQ(f.FrameAt(1050), 7);
  EXPECT_EQ(f.NextChange(1060), 1100);
  EXPECT_FALSE(f.FinishedAt(1199));
  EXPECT_TRUE(f.FinishedAt(1200));
  EXPECT_EQ(f.FrameAt(5000), 4);
  EXPECT_EQ(f.NextChange(1200), -1);
}

TEST(ButtonAnimator, EnterFadesInFourStepsAndLeaveFadesBackFromTheFrameOnScreen) {
  ButtonAnimator a(&kTable, RewindSlots(10));
  EXPECT_EQ(a.FrameAt(0), 8);
  a.Enter(1000);
  EXPECT_EQ(Sample(a, 1000, 1250, 50), (std::vector<int>{8, 7, 6, 5, 4, 4}));
  EXPECT_EQ(a.CurrentSlot(), ButtonSlot::MouseOver);
  a.Leave(2000);
  EXPECT_EQ(Sample(a, 2000, 2200, 50), (std::vector<int>{4, 5, 6, 7, 8}));
  EXPECT_EQ(a.CurrentSlot(), ButtonSlot::Enabled);
  // Leaving halfway reverses from the frame on screen.
  a.Enter(3000);
  EXPECT_EQ(a.FrameAt(3100), 6);
  a.Leave(3100);
  EXPECT_EQ(Sample(a, 3100, 3200, 50), (std::vector<int>{6, 7, 8}));
}

TEST(ButtonAnimator, PressShowsPressedLookAndReleaseReturnsToHoverOrRest) {
  ButtonAnimator a(&kTable, RewindSlots(10));
  a.Enter(0);
  a.Down(500);
  EXPECT_EQ(a.FrameAt(500), 4);
  EXPECT_EQ(a.FrameAt(510), 48);
  EXPECT_EQ(a.FrameAt(900), 48);
  EXPECT_EQ(a.CurrentSlot(), ButtonSlot::Pressed);
  a.Leave(950);  // held: leaving does not fade
  EXPECT_EQ(a.FrameAt(960), 48);
  a.Enter(970);
  a.Up(1000, true);
  EXPECT_EQ(a.FrameAt(1000), 48);
  EXPECT_EQ(a.FrameAt(1010), 4);
  EXPECT_EQ(a.CurrentSlot(), ButtonSlot::MouseOver);

  a.Down(2000);
  a.Up(2100, false);  // released outside
  EXPECT_EQ(a.FrameAt(2200), 8);
  EXPECT_EQ(a.CurrentSlot(), ButtonSlot::Enabled);
}

TEST(ButtonAnimator, PressDelayComesFromTheSlots) {
  ButtonAnimator a(&kTable, RewindSlots(25));
  a.Down(0);
  EXPECT_EQ(a.NextChange(10), 25);
  EXPECT_EQ(a.FrameAt(24), 4);
  EXPECT_EQ(a.FrameAt(25), 48);
  EXPECT_EQ(a.NextChange(30), -1);
}

TEST(ButtonAnimator, DisabledIgnoresMouseAndEmptySlotsShowTheRestingLook) {
  ButtonAnimator a(&kTable, RewindSlots(10));
  a.SetEnabled(false, 0);
  a.Enter(10);
  a.Down(20);
  EXPECT_EQ(a.FrameAt(100), 8);
  AnimationTable none;
  ButtonAnimator b(&none, RewindSlots(10));
  b.Enter(0);
  EXPECT_EQ(b.FrameAt(10), -1);  // nothing to show, and no crash
}
