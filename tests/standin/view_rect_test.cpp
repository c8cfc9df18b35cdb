#include "standin/view_rect.h"

#include <gtest/gtest.h>

using standin::TwipsRect;
using standin::ViewRect;

namespace {
ViewRect Stage() {
  ViewRect v;
  v.reset({0, 0, 11000, 8000});
  return v;
}
}  // namespace

TEST(ViewRect, ZoomInAndOutAboutTheCentreStaysOnStage) {
  ViewRect v = Stage();
  EXPECT_TRUE(v.showsAll());
  EXPECT_TRUE(v.zoom(50));
  EXPECT_EQ(v.view(), (TwipsRect{2750, 2000, 8250, 6000}));
  EXPECT_FALSE(v.showsAll());
  EXPECT_TRUE(v.zoom(400));  // larger than the stage: whole stage
  EXPECT_TRUE(v.showsAll());
  v.zoom(80);
  EXPECT_TRUE(v.zoom(0));
  EXPECT_TRUE(v.showsAll());
  EXPECT_FALSE(v.zoom(-5));
}

TEST(ViewRect, SetZoomRectRefusesEmptyRectanglesAndClampsToStage) {
  ViewRect v = Stage();
  EXPECT_TRUE(v.setZoomRect({1000, 1000, 3000, 2000}));
  EXPECT_EQ(v.view(), (TwipsRect{1000, 1000, 3000, 2000}));
  EXPECT_FALSE(v.setZoomRect({5, 5, 5, 100}));
  EXPECT_FALSE(v.setZoomRect({10, 10, 0, 0}));
  EXPECT_EQ(v.view(), (TwipsRect{1000, 1000, 3000, 2000}));
  EXPECT_TRUE(v.setZoomRect({10000, -500, 13000, 1000}));  // slides back inside
  EXPECT_EQ(v.view(), (TwipsRect{8000, 0, 11000, 1500}));
  v.showAll();
  EXPECT_TRUE(v.showsAll());
}

TEST(ViewRect, PanInPixelsAndPercentStopsAtTheEdges) {
  ViewRect v = Stage();
  v.setZoomRect({0, 0, 2000, 1000});
  EXPECT_TRUE(v.pan(10, 5, 0));  // pixels
  EXPECT_EQ(v.view(), (TwipsRect{200, 100, 2200, 1100}));
  EXPECT_TRUE(v.pan(50, 0, 1));  // half the view's width
  EXPECT_EQ(v.view().left, 1200);
  EXPECT_TRUE(v.pan(-100000, 100000, 0));
  EXPECT_EQ(v.view(), (TwipsRect{0, 7000, 2000, 8000}));
  EXPECT_FALSE(v.pan(1, 1, 7));
}

TEST(ViewRect, ZeroSizedStageNeverProducesInvertedView) {
  ViewRect v;
  v.reset({0, 0, 0, 0});
  v.zoom(50);
  EXPECT_LE(v.view().left, v.view().right);
  EXPECT_LE(v.view().top, v.view().bottom);
}
