#include "toolkit/bitmap32.h"

#include <algorithm>
#include <cmath>

namespace swfp::tk {

namespace {
// x * y / 255, rounded to nearest, for 0..255 operands.
inline std::uint32_t Mul255(std::uint32_t x, std::uint32_t y) {
  std::uint32_t t = x * y + 128;
  return (t + (t >> 8)) >> 8;
}
}  // namespace

Color32 BlendPixel(Color32 dst, Color32 src, std::uint8_t master) {
  const std::uint32_t a = Mul255(AlphaOf(src), master);
  if (a == 0) return dst;
  if (a == 255) return src | 0xFF000000u;
  const std::uint32_t da = AlphaOf(dst);
  // Result alpha: a + da * (1 - a); colours weighted so a transparent
  // destination takes the source colour unchanged.
  const std::uint32_t outA = a + Mul255(da, 255 - a);
  auto channel = [&](std::uint32_t s, std::uint32_t d) {
    const std::uint32_t dw = Mul255(da, 255 - a);  // destination's weight
    return (s * a + d * dw + outA / 2) / outA;
  };
  return MakeColor32(std::uint8_t(channel(RedOf(src), RedOf(dst))), std::uint8_t(channel(GreenOf(src), GreenOf(dst))),
                     std::uint8_t(channel(BlueOf(src), BlueOf(dst))), std::uint8_t(outA));
}

IntRect FitAndCentre(int w, int h, int bw, int bh) {
  if (w <= 0 || h <= 0 || bw <= 0 || bh <= 0) return {};
  // Compare w/h with bw/bh without rounding: the wider side decides the scale.
  int dw, dh;
  if (static_cast<long long>(w) * bh >= static_cast<long long>(h) * bw) {
    dw = bw;
    dh = static_cast<int>(std::lround(static_cast<double>(h) * bw / w));
  } else {
    dh = bh;
    dw = static_cast<int>(std::lround(static_cast<double>(w) * bh / h));
  }
  const int left = (bw - dw) / 2, top = (bh - dh) / 2;
  return {left, top, left + dw, top + dh};
}

Bitmap32::Bitmap32(int width, int height, Color32 fill) {
  SetSize(width, height);
  Clear(fill);
}

void Bitmap32::SetSize(int width, int height) {
  width_ = std::max(0, width);
  height_ = std::max(0, height);
  pixels_.assign(static_cast<size_t>(width_) * height_, 0);
}

Color32 Bitmap32::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return pixels_[static_cast<size_t>(y) * width_ + x];
}

void Bitmap32::SetPixel(int x, int y, Color32 c) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  pixels_[static_cast<size_t>(y) * width_ + x] = c;
}

void Bitmap32::Clear(Color32 c) { std::fill(pixels_.begin(), pixels_.end(), c); }

void Bitmap32::FillRect(IntRect r, Color32 c) {
  r.left = std::max(r.left, 0);
  r.top = std::max(r.top, 0);
  r.right = std::min(r.right, width_);
  r.bottom = std::min(r.bottom, height_);
  for (int y = r.top; y < r.bottom; ++y) std::fill(Row(y) + r.left, Row(y) + std::max(r.left, r.right), c);
}

void Bitmap32::FrameRect(IntRect r, Color32 c) {
  if (r.width() <= 0 || r.height() <= 0) return;
  FillRect({r.left, r.top, r.right, r.top + 1}, c);
  FillRect({r.left, r.bottom - 1, r.right, r.bottom}, c);
  FillRect({r.left, r.top, r.left + 1, r.bottom}, c);
  FillRect({r.right - 1, r.top, r.right, r.bottom}, c);
}

void Bitmap32::ResetAlpha(std::uint8_t alpha) { SetAlphaRect({0, 0, width_, height_}, alpha); }

void Bitmap32::SetAlphaRect(IntRect r, std::uint8_t alpha) {
  r.left = std::max(r.left, 0);
  r.top = std::max(r.top, 0);
  r.right = std::min(r.right, width_);
  r.bottom = std::min(r.bottom, height_);
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) Row(y)[x] = (Row(y)[x] & 0x00FFFFFFu) | (Color32(alpha) << 24);
}

namespace {

template <class Op>
void ScaleInto(Bitmap32& dst, const Bitmap32& src, IntRect to, Op op) {
  if (src.Empty() || to.width() <= 0 || to.height() <= 0) return;
  const int x0 = std::max(to.left, 0), x1 = std::min(to.right, dst.Width());
  const int y0 = std::max(to.top, 0), y1 = std::min(to.bottom, dst.Height());
  for (int y = y0; y < y1; ++y) {
    const int sy = static_cast<int>(static_cast<long long>(y - to.top) * src.Height() / to.height());
    const Color32* srow = src.Row(sy);
    Color32* drow = dst.Row(y);
    for (int x = x0; x < x1; ++x) {
      const int sx = static_cast<int>(static_cast<long long>(x - to.left) * src.Width() / to.width());
      drow[x] = op(drow[x], srow[sx]);
    }
  }
}

}  // namespace

void DrawBitmapOpaque(Bitmap32& dst, const Bitmap32& src, IntRect to) {
  ScaleInto(dst, src, to, [](Color32, Color32 s) { return s | 0xFF000000u; });
}

void DrawBitmap(Bitmap32& dst, const Bitmap32& src, IntRect to) {
  const auto alpha = src.MasterAlpha;
  if (src.Mode == DrawMode::Blend)
    ScaleInto(dst, src, to, [alpha](Color32 d, Color32 s) { return BlendPixel(d, s, alpha); });
  else if (alpha == 255)
    DrawBitmapOpaque(dst, src, to);
  else
    ScaleInto(dst, src, to, [alpha](Color32 d, Color32 s) { return BlendPixel(d, s | 0xFF000000u, alpha); });
}

void DrawBitmapAt(Bitmap32& dst, const Bitmap32& src, int x, int y) {
  DrawBitmap(dst, src, {x, y, x + src.Width(), y + src.Height()});
}

}  // namespace swfp::tk

namespace swfp::tk {

void ComposeImage(Bitmap32& out, Color32 background, const Bitmap32* picture, IntRect pictureRect,
                  const std::vector<LayerView>& layers) {
  out.Clear(background | 0xFF000000u);
  if (picture && !picture->Empty()) {
    // The picture itself is always drawn opaque; only layers blend.
    DrawBitmapOpaque(out, *picture, pictureRect);
  }
  for (const LayerView& l : layers) {
    if (!l.visible || !l.bitmap || l.bitmap->Empty()) continue;
    IntRect r{static_cast<int>(std::lround(l.location.left)), static_cast<int>(std::lround(l.location.top)),
              static_cast<int>(std::lround(l.location.right)), static_cast<int>(std::lround(l.location.bottom))};
    DrawBitmap(out, *l.bitmap, r);
  }
}

}  // namespace swfp::tk
