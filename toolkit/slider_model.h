// The state of a horizontal slider: range, position clamped to it, steps and
// page, and the mapping between positions and the pointer's pixels.
#pragma once

namespace swfp::tk {

class SliderModel {
 public:
  int Min() const { return min_; }
  int Max() const { return max_; }
  int Position() const { return position_; }
  int SmallStep = 1;
  int LargeStep = 5;
  int PageSize = 5;

  // Each returns true when the position changed (the owner then raises its change event).
  // A maximum below the minimum collapses the range onto the minimum; a
  // minimum above the maximum raises the maximum with it.
  bool SetRange(int min, int max);
  bool SetMin(int min) { return SetRange(min, min > max_ ? min : max_); }
  bool SetMax(int max) { return SetRange(min_, max); }
  bool SetPosition(int pos);
  bool StepBy(int delta);

  // Pixel geometry: the pointer (pointerWidth wide) runs inside a track of
  // trackWidth pixels starting at trackLeft.
  int PointerLeft(int trackLeft, int trackWidth, int pointerWidth) const;
  // The position whose pointer centre lies nearest to pixel x.
  int PositionAt(int x, int trackLeft, int trackWidth, int pointerWidth) const;

 private:
  int min_ = 0;
  int max_ = 100;
  int position_ = 0;
};

}  // namespace swfp::tk
