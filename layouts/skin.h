// The skin of the player window: images drawn by the skin generator at
// build time and compiled into the program.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace swfp::layouts {

struct SkinImage {
  int width;
  int height;
  const std::uint32_t* pixels;  // width * height, 0xAARRGGBB, row by row from the top
};

// The 52 images of the control panel, indexed as the layout's animations use them.
std::span<const SkinImage> AniImages();
// Track, left end, right end and pointer of the sliders.
std::span<const SkinImage> SliderImages();
// By the name a layout gives ("ani_images", "slider_images"); empty for others.
std::span<const SkinImage> SkinImages(std::string_view name);

}  // namespace swfp::layouts
