// The part of the stage shown in the window (twips). Starts as the whole
// stage; Zoom scales it about its centre, Pan moves it, SetZoomRect replaces
// it, ShowAll resets it. The view never leaves the stage and never becomes
// smaller than one pixel.
#pragma once

#include "standin/swf_movie.h"

namespace standin {

class ViewRect {
 public:
  void reset(const TwipsRect& stage) { stage_ = stage; view_ = stage; }
  const TwipsRect& stage() const { return stage_; }
  const TwipsRect& view() const { return view_; }
  bool showsAll() const { return view_ == stage_; }

  // An empty or inverted rectangle is refused (false) and leaves the view unchanged.
  bool setZoomRect(const TwipsRect& r);
  // percent < 100 zooms in, > 100 zooms out, 0 shows the whole stage; negative is refused.
  bool zoom(int percent);
  // mode 0: x, y in pixels; mode 1: percent of the view's size. Unknown modes are refused.
  bool pan(int x, int y, int mode);
  void showAll() { view_ = stage_; }

 private:
  void clampToStage();
  TwipsRect stage_;
  TwipsRect view_;
};

}  // namespace standin
