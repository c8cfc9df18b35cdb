#include "toolkit/graphics_win.h"

#include <stdexcept>

namespace swfp::tk {

COLORREF ColorToRGB(TColor c) {
  if (c & 0x80000000u) return GetSysColor(static_cast<int>(c & 0xFF));
  return static_cast<COLORREF>(c & 0xFFFFFF);
}

swfp::win::UniqueGdiObject<HFONT> CreateFontHandle(const TFont& font) {
  HFONT f = CreateFontW(font.height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                        DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                        DEFAULT_PITCH | FF_DONTCARE, font.name.c_str());
  if (!f) throw std::runtime_error("Could not create the font");
  return swfp::win::UniqueGdiObject<HFONT>(f);
}

MemoryCanvas::MemoryCanvas(HDC reference, int width, int height)
    : dc_(CreateCompatibleDC(reference)),
      bitmap_(CreateCompatibleBitmap(reference, width > 0 ? width : 1, height > 0 ? height : 1)) {
  if (!dc_ || !bitmap_) throw std::runtime_error("Could not create an off-screen canvas");
  old_ = SelectObject(dc_.get(), bitmap_.get());
}

// The bitmap goes back out of the DC before either is deleted.
MemoryCanvas::~MemoryCanvas() { SelectObject(dc_.get(), old_); }

void FillSolid(HDC dc, const RECT& r, TColor color) {
  COLORREF old = SetBkColor(dc, ColorToRGB(color));
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
  SetBkColor(dc, old);
}

}  // namespace swfp::tk

namespace swfp::tk {

namespace {

BITMAPINFO TopDownInfo(int w, int h) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  return bi;
}

}  // namespace

void DrawBitmap32(HDC dc, const Bitmap32& bmp, int x, int y, int w, int h, bool useAlpha, std::uint8_t opacity) {
  if (bmp.Empty() || w <= 0 || h <= 0) return;
  BITMAPINFO bi = TopDownInfo(bmp.Width(), bmp.Height());
  if (!useAlpha && opacity == 255) {
    StretchDIBits(dc, x, y, w, h, 0, 0, bmp.Width(), bmp.Height(), bmp.Pixels().data(), &bi, DIB_RGB_COLORS, SRCCOPY);
    return;
  }
  void* bits = nullptr;
  const swfp::win::UniqueGdiObject<HBITMAP> dib(CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!dib || !bits) return;
  auto* out = static_cast<Color32*>(bits);
  const auto& in = bmp.Pixels();
  for (size_t i = 0; i < in.size(); ++i) {
    const Color32 c = in[i];
    const std::uint32_t a = useAlpha ? AlphaOf(c) : 255;
    // AlphaBlend wants premultiplied colours.
    out[i] = (a << 24) | ((RedOf(c) * a / 255) << 16) | ((GreenOf(c) * a / 255) << 8) | (BlueOf(c) * a / 255);
  }
  const swfp::win::UniqueDC memDc(CreateCompatibleDC(dc));
  HDC mem = memDc.get();
  HGDIOBJ old = SelectObject(mem, dib.get());
  BLENDFUNCTION bf{AC_SRC_OVER, 0, opacity, AC_SRC_ALPHA};
  AlphaBlend(dc, x, y, w, h, mem, 0, 0, bmp.Width(), bmp.Height(), bf);
  SelectObject(mem, old);
}

Bitmap32 CaptureBitmap32(HDC dc, int x, int y, int w, int h) {
  Bitmap32 out(w, h);
  if (w <= 0 || h <= 0) return out;
  BITMAPINFO bi = TopDownInfo(w, h);
  void* bits = nullptr;
  const swfp::win::UniqueGdiObject<HBITMAP> dib(CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!dib || !bits) return out;
  const swfp::win::UniqueDC memDc(CreateCompatibleDC(dc));
  HDC mem = memDc.get();
  HGDIOBJ old = SelectObject(mem, dib.get());
  BitBlt(mem, 0, 0, w, h, dc, x, y, SRCCOPY);
  GdiFlush();
  const auto* px = static_cast<const Color32*>(bits);
  for (size_t i = 0; i < out.Pixels().size(); ++i) out.Pixels()[i] = px[i] | 0xFF000000u;
  SelectObject(mem, old);
  return out;
}

}  // namespace swfp::tk
