#include "toolkit/align.h"

#include <algorithm>

namespace swfp::tk {

Size applyConstraints(Size size, const SizeConstraints& c) {
  if (c.maxWidth > 0) size.width = std::min(size.width, c.maxWidth);
  if (c.maxHeight > 0) size.height = std::min(size.height, c.maxHeight);
  size.width = std::max(size.width, c.minWidth);
  size.height = std::max(size.height, c.minHeight);
  return size;
}

namespace {

// One axis of anchoring: returns the new start and length.
void anchorAxis(int baseStart, int baseLen, int baseParent, int parent, bool nearEdge, bool farEdge,
                int& start, int& len) {
  const int delta = parent - baseParent;
  if (nearEdge && farEdge) {
    start = baseStart;
    len = std::max(0, baseLen + delta);
  } else if (farEdge) {
    start = baseStart + delta;
    len = baseLen;
  } else if (nearEdge) {
    start = baseStart;
    len = baseLen;
  } else {
    // Keep the centre at the same fraction of the parent.
    len = baseLen;
    if (baseParent > 0) {
      const long long centre2 = 2LL * baseStart + baseLen;
      start = static_cast<int>((centre2 * parent / baseParent - baseLen) / 2);
    } else {
      start = baseStart;
    }
  }
}

}  // namespace

void resolveLayout(Size client, std::vector<LayoutItem>& items) {
  int left = 0, top = 0, right = client.width, bottom = client.height;

  auto place = [&](LayoutItem& it) {
    Bounds& b = it.bounds;
    switch (it.align) {
      case Align::Top: {
        Size s = applyConstraints({right - left, b.height}, it.constraints);
        b = {left, top, std::max(0, right - left), s.height};
        top += s.height;
        break;
      }
      case Align::Bottom: {
        Size s = applyConstraints({right - left, b.height}, it.constraints);
        b = {left, bottom - s.height, std::max(0, right - left), s.height};
        bottom -= s.height;
        break;
      }
      case Align::Left: {
        Size s = applyConstraints({b.width, bottom - top}, it.constraints);
        b = {left, top, s.width, std::max(0, bottom - top)};
        left += s.width;
        break;
      }
      case Align::Right: {
        Size s = applyConstraints({b.width, bottom - top}, it.constraints);
        b = {right - s.width, top, s.width, std::max(0, bottom - top)};
        right -= s.width;
        break;
      }
      case Align::Client: {
        Size s = applyConstraints({std::max(0, right - left), std::max(0, bottom - top)}, it.constraints);
        b = {left, top, s.width, s.height};
        break;
      }
      case Align::None:
        break;
    }
  };

  for (Align pass : {Align::Top, Align::Bottom, Align::Left, Align::Right, Align::Client}) {
    for (LayoutItem& it : items) {
      if (it.visible && it.align == pass) place(it);
    }
  }

  for (LayoutItem& it : items) {
    if (it.align != Align::None) continue;
    int x, w, y, h;
    anchorAxis(it.anchorBase.left, it.anchorBase.width, it.anchorParent.width, client.width,
               (it.anchors & akLeft) != 0, (it.anchors & akRight) != 0, x, w);
    anchorAxis(it.anchorBase.top, it.anchorBase.height, it.anchorParent.height, client.height,
               (it.anchors & akTop) != 0, (it.anchors & akBottom) != 0, y, h);
    Size s = applyConstraints({w, h}, it.constraints);
    it.bounds = {x, y, s.width, s.height};
  }
}

}  // namespace swfp::tk
