#include "standin/view_rect.h"

#include <algorithm>
#include <cstdint>

namespace standin {

namespace {
constexpr int32_t kMinSize = 20;  // one pixel
}

bool ViewRect::setZoomRect(const TwipsRect& r) {
  if (r.right <= r.left || r.bottom <= r.top) return false;
  view_ = r;
  clampToStage();
  return true;
}

bool ViewRect::zoom(int percent) {
  if (percent < 0) return false;
  if (percent == 0) {
    showAll();
    return true;
  }
  int64_t cx = (int64_t{view_.left} + view_.right) / 2;
  int64_t cy = (int64_t{view_.top} + view_.bottom) / 2;
  int64_t w = (int64_t{view_.right} - view_.left) * percent / 100;
  int64_t h = (int64_t{view_.bottom} - view_.top) * percent / 100;
  w = std::min(std::max(w, int64_t{kMinSize}), std::max(int64_t{stage_.right} - stage_.left, int64_t{kMinSize}));
  h = std::min(std::max(h, int64_t{kMinSize}), std::max(int64_t{stage_.bottom} - stage_.top, int64_t{kMinSize}));
  view_.left = static_cast<int32_t>(cx - w / 2);
  view_.top = static_cast<int32_t>(cy - h / 2);
  view_.right = static_cast<int32_t>(view_.left + w);
  view_.bottom = static_cast<int32_t>(view_.top + h);
  clampToStage();
  return true;
}

bool ViewRect::pan(int x, int y, int mode) {
  int64_t dx, dy;
  if (mode == 0) {
    dx = int64_t{x} * 20;
    dy = int64_t{y} * 20;
  } else if (mode == 1) {
    dx = (int64_t{view_.right} - view_.left) * x / 100;
    dy = (int64_t{view_.bottom} - view_.top) * y / 100;
  } else {
    return false;
  }
  view_.left = static_cast<int32_t>(view_.left + dx);
  view_.right = static_cast<int32_t>(view_.right + dx);
  view_.top = static_cast<int32_t>(view_.top + dy);
  view_.bottom = static_cast<int32_t>(view_.bottom + dy);
  clampToStage();
  return true;
}

// Shrinks the view to the stage's size, then slides it back inside.
void ViewRect::clampToStage() {
  auto fit = [](int32_t& lo, int32_t& hi, int32_t stageLo, int32_t stageHi) {
    int64_t size = std::min<int64_t>(int64_t{hi} - lo, int64_t{stageHi} - stageLo);
    if (size < kMinSize) size = std::min<int64_t>(kMinSize, std::max<int64_t>(int64_t{stageHi} - stageLo, 0));
    int64_t l = std::clamp<int64_t>(lo, stageLo, std::max<int64_t>(stageLo, int64_t{stageHi} - size));
    lo = static_cast<int32_t>(l);
    hi = static_cast<int32_t>(l + size);
  };
  fit(view_.left, view_.right, stage_.left, stage_.right);
  fit(view_.top, view_.bottom, stage_.top, stage_.bottom);
}

}  // namespace standin
