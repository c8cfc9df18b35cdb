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

  // The keyboard of a focused slider: arrows move by SmallStep (left and up
  // towards the minimum), Page Up and Page Down by LargeStep, Home and End to
  // the ends. Returns whether the position changed.
  enum class Key { Left, Right, Up, Down, PageUp, PageDown, Home, End };
  bool PressKey(Key key);

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
