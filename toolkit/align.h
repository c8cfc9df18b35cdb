// Layout resolution: where aligned and anchored children of a parent go when
// the parent's client area changes. No window system involved.
#pragma once

#include <cstdint>
#include <vector>

#include "toolkit/geometry.h"

namespace swfp::tk {

enum class Align { None, Top, Bottom, Left, Right, Client };

// Which edges of the parent a control keeps its distance to.
enum Anchor : std::uint8_t { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
using Anchors = std::uint8_t;
inline constexpr Anchors kDefaultAnchors = akLeft | akTop;

// Minimum and maximum size; 0 means "no limit".
struct SizeConstraints {
  int minWidth = 0;
  int minHeight = 0;
  int maxWidth = 0;
  int maxHeight = 0;
  friend bool operator==(const SizeConstraints&, const SizeConstraints&) = default;
};

Size applyConstraints(Size size, const SizeConstraints& c);

// One child as the layout sees it. `anchorBase` is the child's bounds and
// `anchorParent` the parent's client size at the moment the anchors were last
// fixed (creation or an explicit move); anchored children are placed relative to them.
struct LayoutItem {
  Bounds bounds;
  Align align = Align::None;
  Anchors anchors = kDefaultAnchors;
  SizeConstraints constraints;
  bool visible = true;
  Bounds anchorBase;
  Size anchorParent;
};

// Places the children of a parent whose client area now has `client` size.
// Aligned children are taken edge by edge in the order top, bottom, left,
// right, client (each group in list order) and stack inwards; hidden ones take
// no room. Unaligned children follow their anchors: anchored on both opposite
// edges they stretch, on the far edge only they move, on neither they keep
// their proportional centre.
void resolveLayout(Size client, std::vector<LayoutItem>& items);

}  // namespace swfp::tk
