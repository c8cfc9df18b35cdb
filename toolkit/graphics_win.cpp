#include "toolkit/graphics_win.h"

#include <stdexcept>

namespace swfp::tk {

COLORREF ColorToRGB(TColor c) {
  if (c & 0x80000000u) return GetSysColor(static_cast<int>(c & 0xFF));
  return static_cast<COLORREF>(c & 0xFFFFFF);
}

GdiObject<HFONT> CreateFontHandle(const TFont& font) {
  HFONT f = CreateFontW(font.height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                        DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                        DEFAULT_PITCH | FF_DONTCARE, font.name.c_str());
  if (!f) throw std::runtime_error("Could not create the font");
  return GdiObject<HFONT>(f);
}

MemoryCanvas::MemoryCanvas(HDC reference, int width, int height)
    : dc_(CreateCompatibleDC(reference)),
      bitmap_(CreateCompatibleBitmap(reference, width > 0 ? width : 1, height > 0 ? height : 1)) {
  if (!dc_ || !bitmap_) {
    if (dc_) DeleteDC(dc_);
    throw std::runtime_error("Could not create an off-screen canvas");
  }
  old_ = SelectObject(dc_, bitmap_.get());
}

MemoryCanvas::~MemoryCanvas() {
  SelectObject(dc_, old_);
  DeleteDC(dc_);
}

void FillSolid(HDC dc, const RECT& r, TColor color) {
  COLORREF old = SetBkColor(dc, ColorToRGB(color));
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
  SetBkColor(dc, old);
}

std::wstring Widen(const std::string& utf8) {
  if (utf8.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::string Narrow(const std::wstring& wide) {
  if (wide.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace swfp::tk
