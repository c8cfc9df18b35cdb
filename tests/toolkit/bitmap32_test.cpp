#include "toolkit/bitmap32.h"

#include <gtest/gtest.h>

using namespace swfp::tk;

TEST(BlendPixel, AlphaAndMasterAlphaWeightTheSource) {
  const Color32 black = MakeColor32(0, 0, 0), white = MakeColor32(255, 255, 255);
  EXPECT_EQ(BlendPixel(black, MakeColor32(255, 255, 255, 0)), black);
  EXPECT_EQ(BlendPixel(black, white), white);
  EXPECT_EQ(BlendPixel(black, MakeColor32(255, 255, 255, 128)), MakeColor32(128, 128, 128));
  EXPECT_EQ(BlendPixel(black, white, 128), MakeColor32(128, 128, 128));
  // Alpha 255 with master alpha 192 over white: the shade colour at three quarters.
  const Color32 shade = FromBgr(7308177);
  EXPECT_EQ(shade, MakeColor32(145, 131, 111));
  const Color32 dimmed = BlendPixel(white, shade, 192);
  EXPECT_EQ(RedOf(dimmed), (145 * 192 + 255 * 63 + 127) / 255);
  EXPECT_EQ(BlueOf(dimmed), (111 * 192 + 255 * 63 + 127) / 255);
  EXPECT_EQ(AlphaOf(dimmed), 255);
  // Over a transparent destination the source colour is kept, with its alpha.
  EXPECT_EQ(BlendPixel(0, MakeColor32(10, 20, 30, 100)), MakeColor32(10, 20, 30, 100));
}

TEST(FitAndCentre, KeepsProportionsAndCentres) {
  EXPECT_EQ(FitAndCentre(650, 476, 115, 65), (IntRect{13, 0, 102, 65}));  // tall-ish picture in a wide box
  EXPECT_EQ(FitAndCentre(400, 100, 115, 65), (IntRect{0, 18, 115, 47}));
  EXPECT_EQ(FitAndCentre(23, 13, 115, 65), (IntRect{0, 0, 115, 65}));  // scaled up
  EXPECT_EQ(FitAndCentre(0, 10, 115, 65), (IntRect{}));
}

TEST(Bitmap32, FillFrameAndAlphaStayInsideTheBitmap) {
  Bitmap32 b(4, 3);
  b.FillRect({-5, -5, 2, 10}, MakeColor32(1, 2, 3));
  EXPECT_EQ(b.Pixel(1, 2), MakeColor32(1, 2, 3));
  EXPECT_EQ(b.Pixel(2, 0), 0u);
  b.Clear(0);
  b.Canvas.BrushColor = 0xFFFFFF;
  b.CanvasFrameRect({0, 0, 4, 3});
  EXPECT_EQ(b.Pixel(0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(b.Pixel(3, 2), 0xFFFFFFFFu);
  EXPECT_EQ(b.Pixel(1, 1), 0u);  // inside of the frame stays transparent
  b.ResetAlpha(255);
  EXPECT_EQ(b.Pixel(1, 1), 0xFF000000u);
  b.SetAlphaRect({1, 1, 100, 100}, 0);
  EXPECT_EQ(b.Pixel(3, 2), 0x00FFFFFFu);
  EXPECT_EQ(b.Pixel(0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(b.Pixel(-1, 0), 0u);
  // Beyond an edge lies nothing, not a pixel of the neighbouring row.
  EXPECT_EQ(b.Pixel(4, 0), 0u);
  b.SetPixel(4, 0, 0);
  b.SetPixel(-1, 1, 0);
  EXPECT_EQ(b.Pixel(0, 1), 0xFFFFFFFFu);
  EXPECT_EQ(b.Pixel(3, 0), 0xFFFFFFFFu);
}

TEST(DrawBitmap, ScalesClipsAndDrawsOpaqueWithMasterAlpha) {
  Bitmap32 dst(4, 4, MakeColor32(0, 0, 0));
  Bitmap32 src(2, 2, MakeColor32(255, 0, 0));
  src.SetPixel(1, 1, MakeColor32(0, 0, 255));
  DrawBitmap(dst, src, {2, 2, 6, 6});  // doubled, half of it outside
  EXPECT_EQ(dst.Pixel(2, 2), MakeColor32(255, 0, 0));
  EXPECT_EQ(dst.Pixel(3, 3), MakeColor32(255, 0, 0));
  EXPECT_EQ(dst.Pixel(1, 1), MakeColor32(0, 0, 0));

  // Opaque drawing ignores the source's alpha.
  Bitmap32 opaque(1, 1, MakeColor32(9, 9, 9, 0));
  Bitmap32 out2(1, 1);
  DrawBitmapAt(out2, opaque, 0, 0);
  EXPECT_EQ(out2.Pixel(0, 0), MakeColor32(9, 9, 9));
  // ...but not the master alpha: a half-faded opaque picture mixes with what lies below.
  Bitmap32 faded(1, 1, MakeColor32(255, 255, 255, 0));
  faded.MasterAlpha = 128;
  Bitmap32 out3(1, 1, MakeColor32(0, 0, 0));
  DrawBitmapAt(out3, faded, 0, 0);
  EXPECT_EQ(out3.Pixel(0, 0), MakeColor32(128, 128, 128));
}

// The navigator: a picture, a selection layer with a white frame, and a shade
// layer at master alpha 192 with a transparent hole over the selection.
TEST(ComposeImage, PictureWithShadeAndSelectionLayers) {
  Bitmap32 picture(10, 10, MakeColor32(0, 0, 0));
  Bitmap32 selection(4, 4);
  selection.Mode = DrawMode::Blend;
  selection.Canvas.BrushColor = 0xFFFFFF;
  selection.CanvasFrameRect({0, 0, 4, 4});
  Bitmap32 shade(10, 10);
  shade.Mode = DrawMode::Blend;
  shade.Canvas.BrushColor = 7308177;
  shade.CanvasFillRect({0, 0, 10, 10});
  shade.ResetAlpha(255);
  shade.MasterAlpha = 192;
  shade.SetAlphaRect({2, 2, 6, 6}, 0);

  Bitmap32 out(20, 10);
  ComposeImage(out, FromBgr(7308177), &picture, FitAndCentre(10, 10, 20, 10),
               {{&selection, {7, 2, 11, 6}, true}, {&shade, {5, 0, 15, 10}, true}, {&shade, {0, 0, 1, 1}, false},
                {nullptr, {0, 0, 1, 1}, true}});  // a layer without a picture is passed over
  EXPECT_EQ(out.Pixel(0, 0), FromBgr(7308177) | 0xFF000000u);  // margin: background, hidden layer not drawn
  // The shade (145, 131, 111) at 192 of 255 over black: (c x 192 + 127) div 255.
  const Color32 dimmedBlack = MakeColor32(109, 99, 84);
  EXPECT_EQ(out.Pixel(5, 0), dimmedBlack);
  EXPECT_EQ(out.Pixel(7, 2), 0xFFFFFFFFu);                 // selection frame, undimmed
  EXPECT_EQ(out.Pixel(8, 3), MakeColor32(0, 0, 0));        // inside the selection: the picture
  EXPECT_EQ(out.Pixel(11, 3), dimmedBlack);                // beside it: dimmed
  EXPECT_EQ(AlphaOf(out.Pixel(14, 9)), 255);
}
