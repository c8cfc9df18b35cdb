// Colours, fonts and owned GDI objects.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "winbase/handles_win.h"

namespace swfp::tk {

// A colour as 0x00BBGGRR, or a system colour as 0x80000000 | COLOR_xxx.
using TColor = std::uint32_t;
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clBtnFace = 0x80000000u | COLOR_BTNFACE;
inline constexpr TColor clWindow = 0x80000000u | COLOR_WINDOW;
inline constexpr TColor clWindowText = 0x80000000u | COLOR_WINDOWTEXT;
inline constexpr TColor clNone = 0x1FFFFFFF;

COLORREF ColorToRGB(TColor c);

struct TFont {
  std::wstring name = L"MS Shell Dlg 2";
  int height = -11;  // negative: character height in pixels
  bool bold = false;
  TColor color = clWindowText;
  friend bool operator==(const TFont&, const TFont&) = default;
};

swfp::win::UniqueGdiObject<HFONT> CreateFontHandle(const TFont& font);

// Selects an object into a device context for the lifetime of the guard.
class SelectGuard {
 public:
  SelectGuard(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
  ~SelectGuard() { SelectObject(dc_, old_); }
  SelectGuard(const SelectGuard&) = delete;
  SelectGuard& operator=(const SelectGuard&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// A memory device context with a compatible bitmap, for flicker-free painting.
class MemoryCanvas {
 public:
  MemoryCanvas(HDC reference, int width, int height);
  ~MemoryCanvas();
  MemoryCanvas(const MemoryCanvas&) = delete;
  MemoryCanvas& operator=(const MemoryCanvas&) = delete;
  HDC dc() const { return dc_.get(); }
  HBITMAP bitmap() const { return bitmap_.get(); }

 private:
  swfp::win::UniqueDC dc_;
  swfp::win::UniqueGdiObject<HBITMAP> bitmap_;
  HGDIOBJ old_;
};

void FillSolid(HDC dc, const RECT& r, TColor color);

}  // namespace swfp::tk

#include "toolkit/bitmap32.h"

namespace swfp::tk {

// Draws a 32-bit picture into a device context at (x, y), scaled to w x h.
// With `useAlpha` its per-pixel alpha (times `opacity`) lets the background show.
void DrawBitmap32(HDC dc, const Bitmap32& bmp, int x, int y, int w, int h, bool useAlpha, std::uint8_t opacity = 255);
// Reads what a device context shows in a rectangle (for snapshots and tests).
Bitmap32 CaptureBitmap32(HDC dc, int x, int y, int w, int h);

}  // namespace swfp::tk
