#include "toolkit/slider_model.h"

#include <gtest/gtest.h>

#include <climits>

using namespace swfp::tk;

TEST(SliderModel, PositionIsClampedAndChangesAreReported) {
  SliderModel s;
  s.SetRange(0, 300);
  EXPECT_FALSE(s.SetPosition(-20));  // already 0
  EXPECT_TRUE(s.SetPosition(320));
  EXPECT_EQ(s.Position(), 300);
  EXPECT_FALSE(s.StepBy(20));  // zoom in at the end stays
  EXPECT_TRUE(s.StepBy(-20));
  EXPECT_EQ(s.Position(), 280);
  EXPECT_FALSE(s.SetPosition(280));
}

TEST(SliderModel, ShrinkingTheRangeMovesThePosition) {
  SliderModel s;
  s.SetRange(0, 100);
  s.SetPosition(50);
  EXPECT_TRUE(s.SetMax(9));  // a movie of ten frames
  EXPECT_EQ(s.Position(), 9);
  EXPECT_FALSE(s.SetMax(1199));
  EXPECT_TRUE(s.SetMin(2000));  // a minimum above the maximum raises it
  EXPECT_EQ(s.Max(), 2000);
  EXPECT_EQ(s.Position(), 2000);
  EXPECT_TRUE(s.SetRange(20, 10));  // reversed: collapses onto the minimum
  EXPECT_EQ(s.Min(), 20);
  EXPECT_EQ(s.Max(), 20);
  EXPECT_EQ(s.Position(), 20);
  // A movie without frames asks for a maximum of -1: the slider stays at 0,
  // so it never reports frame -1.
  SliderModel e;
  e.SetPosition(5);
  EXPECT_TRUE(e.SetMax(-1));
  EXPECT_EQ(e.Position(), 0);
  EXPECT_EQ(e.Min(), 0);
  EXPECT_EQ(e.Max(), 0);
  EXPECT_EQ(e.PositionAt(500, 0, 100, 10), 0);
  EXPECT_FALSE(e.StepBy(INT_MAX));
  EXPECT_FALSE(e.StepBy(INT_MIN));
}

TEST(SliderModel, PixelMappingRoundTrips) {
  SliderModel s;
  s.SetRange(0, 100);
  // Track 260 wide starting at 3, pointer 10 wide: 250 pixels of travel.
  EXPECT_EQ(s.PointerLeft(3, 260, 10), 3);
  s.SetPosition(100);
  EXPECT_EQ(s.PointerLeft(3, 260, 10), 253);
  s.SetPosition(50);
  EXPECT_EQ(s.PointerLeft(3, 260, 10), 128);
  EXPECT_EQ(s.PositionAt(128 + 5, 3, 260, 10), 50);
  EXPECT_EQ(s.PositionAt(-100, 3, 260, 10), 0);
  EXPECT_EQ(s.PositionAt(1000, 3, 260, 10), 100);
  SliderModel flat;
  flat.SetRange(0, 0);
  EXPECT_EQ(flat.PointerLeft(3, 260, 10), 3);
  EXPECT_EQ(flat.PositionAt(50, 3, 260, 10), 0);
}

TEST(SliderModel, KeysMoveByStepsAndPagesAndStopAtTheEnds) {
  using K = SliderModel::Key;
  struct Case { K key; int from, to; };
  for (const Case c : {Case{K::Right, 50, 51}, Case{K::Down, 50, 51}, Case{K::Left, 50, 49}, Case{K::Up, 50, 49},
                       Case{K::PageDown, 50, 70}, Case{K::PageUp, 50, 30}, Case{K::PageUp, 10, 0},
                       Case{K::PageDown, 290, 300}, Case{K::Home, 50, 0}, Case{K::End, 50, 300}}) {
    SliderModel s;
    s.SetRange(0, 300);
    s.LargeStep = 20;
    s.SetPosition(c.from);
    EXPECT_TRUE(s.PressKey(c.key)) << int(c.key);
    EXPECT_EQ(s.Position(), c.to) << int(c.key);
  }
  SliderModel atEnd;
  atEnd.SetPosition(100);
  EXPECT_FALSE(atEnd.PressKey(K::End));
  EXPECT_FALSE(atEnd.PressKey(K::Right));
}
