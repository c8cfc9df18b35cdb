#include "layouts/skin.h"

namespace swfp::layouts {

std::span<const SkinImage> SkinImages(std::string_view name) {
  if (name == "ani_images") return AniImages();
  if (name == "slider_images") return SliderImages();
  return {};
}

}  // namespace swfp::layouts
