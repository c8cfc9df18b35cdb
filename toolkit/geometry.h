// Plain geometry shared by the portable and the Win32 halves of the toolkit.
#pragma once

namespace swfp::tk {

// A control's bounds: position in its parent's client area and size, in pixels.
struct Bounds {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;

  int right() const { return left + width; }
  int bottom() const { return top + height; }
  bool contains(int x, int y) const { return x >= left && y >= top && x < right() && y < bottom(); }
  friend bool operator==(const Bounds&, const Bounds&) = default;
};

struct Size {
  int width = 0;
  int height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

}  // namespace swfp::tk
