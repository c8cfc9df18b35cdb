#include "toolkit/slider_model.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace swfp::tk {

bool SliderModel::SetRange(int min, int max) {
  // A maximum below the minimum collapses the range onto the minimum: a movie
  // without frames asks for a maximum of -1, and the slider must then not
  // report a position (a frame number) below 0.
  if (max < min) max = min;
  min_ = min;
  max_ = max;
  return SetPosition(position_);
}

bool SliderModel::SetPosition(int pos) {
  pos = std::clamp(pos, min_, max_);
  if (pos == position_) return false;
  position_ = pos;
  return true;
}

bool SliderModel::StepBy(int delta) {
  // Widened so a step near the integer limits cannot overflow.
  const long long target = static_cast<long long>(position_) + delta;
  return SetPosition(static_cast<int>(std::clamp<long long>(target, min_, max_)));
}

bool SliderModel::PressKey(Key key) {
  switch (key) {
    case Key::Left: case Key::Up: return StepBy(-SmallStep);
    case Key::Right: case Key::Down: return StepBy(SmallStep);
    case Key::PageUp: return StepBy(-LargeStep);
    case Key::PageDown: return StepBy(LargeStep);
    case Key::Home: return SetPosition(min_);
    case Key::End: return SetPosition(max_);
  }
  return false;
}

int SliderModel::PointerLeft(int trackLeft, int trackWidth, int pointerWidth) const {
  const int travel = std::max(0, trackWidth - pointerWidth);
  const long long span = static_cast<long long>(max_) - min_;
  if (span <= 0) return trackLeft;
  return trackLeft + static_cast<int>((static_cast<long long>(position_) - min_) * travel / span);
}

int SliderModel::PositionAt(int x, int trackLeft, int trackWidth, int pointerWidth) const {
  const int travel = std::max(0, trackWidth - pointerWidth);
  const long long span = static_cast<long long>(max_) - min_;
  if (travel == 0 || span <= 0) return min_;
  const double offset = std::clamp(x - trackLeft - pointerWidth / 2.0, 0.0, static_cast<double>(travel));
  return min_ + static_cast<int>(std::lround(offset * static_cast<double>(span) / travel));
}

}  // namespace swfp::tk
