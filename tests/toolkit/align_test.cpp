#include "toolkit/align.h"

#include <gtest/gtest.h>

using namespace swfp::tk;

namespace {

LayoutItem aligned(Align a, Bounds b) { return {.bounds = b, .align = a}; }

LayoutItem anchored(Anchors a, Bounds b, Size parent) {
  return {.bounds = b, .anchors = a, .anchorBase = b, .anchorParent = parent};
}

}  // namespace

// Aligned items stack inwards edge by edge in list order; the client item takes what is left.
TEST(Align, AlignedItemsShareTheClientArea) {
  struct Case { Size parent; std::vector<LayoutItem> items; std::vector<Bounds> expected; };
  const Case cases[] = {
      // The player window: a bottom panel of fixed height and a client panel above it, at two sizes.
      {{650, 609}, {aligned(Align::Client, {0, 0, 10, 10}), aligned(Align::Bottom, {0, 0, 650, 133})},
       {{0, 0, 650, 476}, {0, 476, 650, 133}}},
      {{800, 700}, {aligned(Align::Client, {0, 0, 10, 10}), aligned(Align::Bottom, {0, 0, 650, 133})},
       {{0, 0, 800, 567}, {0, 567, 800, 133}}},
      // The control panel: three parts on the left, one on the right, the client between.
      {{650, 133},
       {aligned(Align::Left, {0, 0, 13, 1}), aligned(Align::Left, {0, 0, 283, 1}), aligned(Align::Left, {0, 0, 13, 1}),
        aligned(Align::Client, {0, 0, 1, 1}), aligned(Align::Right, {0, 0, 156, 1})},
       {{0, 0, 13, 133}, {13, 0, 283, 133}, {296, 0, 13, 133}, {309, 0, 185, 133}, {494, 0, 156, 133}}},
  };
  for (Case c : cases) {
    resolveLayout(c.parent, c.items);
    for (size_t i = 0; i < c.items.size(); ++i) EXPECT_EQ(c.items[i].bounds, c.expected[i]) << c.parent.width << " " << i;
  }
}

TEST(Align, HiddenItemsTakeNoRoomAndTopStacksDown) {
  std::vector<LayoutItem> items{aligned(Align::Top, {0, 0, 5, 20}), aligned(Align::Top, {0, 0, 5, 30}),
                                aligned(Align::Client, {0, 0, 1, 1})};
  items[0].visible = false;
  resolveLayout({100, 100}, items);
  EXPECT_EQ(items[1].bounds, (Bounds{0, 0, 100, 30}));
  EXPECT_EQ(items[2].bounds, (Bounds{0, 30, 100, 70}));
}

TEST(Align, ConstraintsLimitAlignedSizes) {
  std::vector<LayoutItem> items{aligned(Align::Bottom, {0, 0, 0, 133}), aligned(Align::Client, {})};
  items[1].constraints.minHeight = 100;
  resolveLayout({650, 150}, items);
  EXPECT_EQ(items[1].bounds.height, 100);  // too little room: the minimum wins
  EXPECT_EQ(applyConstraints({5, 500}, {10, 0, 0, 300}), (Size{10, 300}));
}

TEST(Align, AnchorsKeepDistancesOnResize) {
  const Size design{650, 133};
  std::vector<LayoutItem> items{
      anchored(akLeft | akBottom | akRight, {21, 28, 260, 15}, design),  // stretches
      anchored(akRight | akBottom, {512, 107, 124, 15}, design),         // moves
      anchored(akLeft | akTop, {8, 4, 50, 10}, design),                  // stays
      anchored(0, {300, 50, 50, 10}, design),                            // keeps its centre's proportion
  };
  resolveLayout({750, 153}, items);
  EXPECT_EQ(items[0].bounds, (Bounds{21, 48, 360, 15}));
  EXPECT_EQ(items[1].bounds, (Bounds{612, 127, 124, 15}));
  EXPECT_EQ(items[2].bounds, (Bounds{8, 4, 50, 10}));
  EXPECT_EQ(items[3].bounds.left, 350);  // centre 325 of 650 is 375 of 750, less half of 50

  // Shrinking far below the design never yields a negative size.
  resolveLayout({100, 133}, items);
  EXPECT_EQ(items[0].bounds.width, 0);
  EXPECT_EQ(items[1].bounds.left, 512 - 550);
}
