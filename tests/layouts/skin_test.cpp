#include "layouts/skin.h"

#include <gtest/gtest.h>

using namespace swfp::layouts;

TEST(Skin, ImagesByTheNameALayoutGives) {
  EXPECT_EQ(SkinImages("ani_images").data(), AniImages().data());
  EXPECT_EQ(SkinImages("slider_images").data(), SliderImages().data());
  EXPECT_TRUE(SkinImages("other").empty());
  // The sliders' track, ends and pointer share one height.
  for (const auto& s : SliderImages()) EXPECT_EQ(s.height, 15);
}
