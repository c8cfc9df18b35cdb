// 32-bit pictures in memory and the arithmetic of drawing them over each
// other: per-pixel alpha, a master alpha, blend or opaque drawing, scaling,
// and the "scaled to fit and centred" rule of the layered picture control.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace swfp::tk {

// 0xAARRGGBB, alpha not premultiplied (in memory: blue, green, red, alpha).
using Color32 = std::uint32_t;

constexpr Color32 MakeColor32(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a = 255) {
  return (Color32(a) << 24) | (Color32(r) << 16) | (Color32(g) << 8) | b;
}
constexpr std::uint8_t AlphaOf(Color32 c) { return std::uint8_t(c >> 24); }
constexpr std::uint8_t RedOf(Color32 c) { return std::uint8_t(c >> 16); }
constexpr std::uint8_t GreenOf(Color32 c) { return std::uint8_t(c >> 8); }
constexpr std::uint8_t BlueOf(Color32 c) { return std::uint8_t(c); }
// A window-system colour (0x00BBGGRR) as an opaque 32-bit colour.
constexpr Color32 FromBgr(std::uint32_t bgr) {
  return MakeColor32(std::uint8_t(bgr), std::uint8_t(bgr >> 8), std::uint8_t(bgr >> 16));
}

enum class DrawMode { Opaque, Blend };

// Source over destination: the source's alpha scaled by `master`, channels
// rounded to nearest. An opaque destination stays opaque.
Color32 BlendPixel(Color32 dst, Color32 src, std::uint8_t master = 255);

struct IntRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  friend bool operator==(const IntRect&, const IntRect&) = default;
};

struct FloatRect {
  double left = 0, top = 0, right = 0, bottom = 0;
  friend bool operator==(const FloatRect&, const FloatRect&) = default;
};

// The rectangle a picture of w x h is drawn into inside a box of bw x bh:
// scaled (up or down) to fit, keeping its proportions, and centred.
IntRect FitAndCentre(int w, int h, int bw, int bh);

class Bitmap32 {
 public:
  Bitmap32() = default;
  Bitmap32(int width, int height, Color32 fill = 0);

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ <= 0 || height_ <= 0; }
  // New size; the content is cleared to transparent black.
  void SetSize(int width, int height);
  Color32 Pixel(int x, int y) const;
  void SetPixel(int x, int y, Color32 c);
  Color32* Row(int y) { return pixels_.data() + static_cast<size_t>(y) * width_; }
  const Color32* Row(int y) const { return pixels_.data() + static_cast<size_t>(y) * width_; }
  const std::vector<Color32>& Pixels() const { return pixels_; }
  std::vector<Color32>& Pixels() { return pixels_; }

  void Clear(Color32 c);
  // Fills a rectangle (clipped to the bitmap) with a colour, replacing what was there.
  void FillRect(IntRect r, Color32 c);
  // A one-pixel frame along the inside of a rectangle.
  void FrameRect(IntRect r, Color32 c);
  // Sets the alpha of every pixel, or of a rectangle, leaving the colours.
  void ResetAlpha(std::uint8_t alpha = 255);
  void SetAlphaRect(IntRect r, std::uint8_t alpha);

  // How this bitmap is drawn onto others.
  DrawMode Mode = DrawMode::Opaque;
  std::uint8_t MasterAlpha = 255;

  // Canvas state for the drawing calls of the program: colours as 0x00BBGGRR.
  struct Canvas {
    std::uint32_t BrushColor = 0xFFFFFF;
    std::uint32_t PenColor = 0;
  } Canvas;
  // Canvas drawing: opaque pixels in the brush colour.
  void CanvasFillRect(IntRect r) { FillRect(r, FromBgr(Canvas.BrushColor)); }
  void CanvasFrameRect(IntRect r) { FrameRect(r, FromBgr(Canvas.BrushColor)); }

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<Color32> pixels_;
};

// Draws `src` scaled (nearest pixel) into `dst` at `to`, clipped to `dst`,
// by the source's draw mode and master alpha.
void DrawBitmap(Bitmap32& dst, const Bitmap32& src, IntRect to);
// Scaled copy that ignores alpha and draw mode (a picture, not a layer).
void DrawBitmapOpaque(Bitmap32& dst, const Bitmap32& src, IntRect to);
// Same as DrawBitmap, without scaling, at (x, y).
void DrawBitmapAt(Bitmap32& dst, const Bitmap32& src, int x, int y);

}  // namespace swfp::tk

namespace swfp::tk {

// One bitmap layer as the composition sees it.
struct LayerView {
  const Bitmap32* bitmap = nullptr;
  FloatRect location;
  bool visible = true;
};

// Composes a layered picture of out's size: background colour, the picture
// scaled into `pictureRect`, then each visible layer scaled into its
// location (rounded to whole pixels), each by its bitmap's draw mode and master alpha.
void ComposeImage(Bitmap32& out, Color32 background, const Bitmap32* picture, IntRect pictureRect,
                  const std::vector<LayerView>& layers);

}  // namespace swfp::tk
