#include "layouts/skin.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>

using namespace swfp::layouts;

namespace {

std::uint8_t Alpha(const SkinImage& s, int x, int y) { return s.pixels[y * s.width + x] >> 24; }

// Mean absolute difference of two same-sized images, per channel.
double Difference(const SkinImage& a, const SkinImage& b) {
  double sum = 0;
  const int n = a.width * a.height;
  for (int i = 0; i < n; ++i)
    for (int shift = 0; shift < 32; shift += 8)
      sum += std::abs(int((a.pixels[i] >> shift) & 0xFF) - int((b.pixels[i] >> shift) & 0xFF));
  return sum / (n * 4.0);
}

}  // namespace

TEST(Skin, ImagesByTheNameALayoutGives) {
  EXPECT_EQ(SkinImages("ani_images").data(), AniImages().data());
  EXPECT_EQ(SkinImages("slider_images").data(), SliderImages().data());
  EXPECT_TRUE(SkinImages("other").empty());
  // The sliders' track, ends and pointer share one height.
  for (const auto& s : SliderImages()) EXPECT_EQ(s.height, 15);
}

TEST(Skin, PanelImagesAreOpaqueAndButtonsAreRoundOnTransparency) {
  auto ani = AniImages();
  for (int i = 0; i <= 3; ++i)
    for (int y = 0; y < ani[i].height; ++y)
      for (int x = 0; x < ani[i].width; ++x) ASSERT_EQ(Alpha(ani[i], x, y), 255) << i;
  for (int i = 4; i <= 33; ++i) {
    EXPECT_EQ(Alpha(ani[i], 0, 0), 0) << i;  // corner outside the round button
    EXPECT_EQ(Alpha(ani[i], 16, 16), 255) << i;
  }
}

TEST(Skin, FadesStepFromHoverToRestAndPressedLooksDiffer) {
  auto ani = AniImages();
  for (int first : {4, 9, 14, 19, 24, 29, 42}) {
    SCOPED_TRACE(first);
    // Each step of the fade moves away from the hover look, by similar amounts.
    double previous = 0;
    for (int k = 1; k < 5; ++k) {
      const double d = Difference(ani[first], ani[first + k]);
      EXPECT_GT(d, previous);
      previous = d;
    }
    EXPECT_GT(previous, 8.0);  // hover and rest are clearly different
  }
  // Pressed looks differ from the hover looks they follow, sound on from sound off,
  // and different glyphs on the same button look from each other.
  for (auto [a, b, least] : {std::tuple{14, 36, 8.0}, std::tuple{19, 37, 8.0}, std::tuple{9, 49, 8.0},
                             std::tuple{35, 38, 4.0}, std::tuple{34, 39, 4.0}, std::tuple{8, 13, 2.0},
                             std::tuple{18, 23, 2.0}})
    EXPECT_GT(Difference(ani[a], ani[b]), least) << a << " " << b;
}
