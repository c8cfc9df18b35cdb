// The layered 32-bit picture control: a picture scaled to fit and centred
// on a background colour, with bitmap layers drawn over it by their own
// draw mode, per-pixel alpha and master alpha.
#pragma once

#include <memory>
#include <vector>

#include "toolkit/bitmap32.h"
#include "toolkit/control_win.h"

namespace swfp::tk {

class TImage32;

class TBitmapLayer {
 public:
  explicit TBitmapLayer(TImage32* owner) : owner_(owner) {}
  Bitmap32 Bitmap;
  // Where the layer lies, in control coordinates.
  FloatRect Location;
  bool Visible = true;
  // The point lies on the layer (left and top inclusive).
  bool HitTest(int x, int y) const;
  // Repaints the control after the layer or its bitmap changed.
  void Changed();

 private:
  TImage32* owner_;
};

class TImage32 : public TControl {
 public:
  explicit TImage32(TComponent* owner);

  // The picture; call Changed (or SetPicture) after drawing on it.
  Bitmap32& Bitmap() { return picture_; }
  void SetPicture(Bitmap32 b);
  TColor BackgroundColor() const { return background_; }
  void SetBackgroundColor(TColor c);
  // The rectangle the picture is drawn into (scaled to fit and centred).
  IntRect GetBitmapRect() const;

  // Layers, bottom first; the control owns them.
  TBitmapLayer& AddLayer();
  const std::vector<std::unique_ptr<TBitmapLayer>>& Layers() const { return layers_; }

  // The composed picture as it is shown (control size).
  Bitmap32 Compose() const;
  void Changed() { Invalidate(); }
  void Paint(HDC dc) override;

 private:
  Bitmap32 picture_;
  TColor background_ = clBlack;
  std::vector<std::unique_ptr<TBitmapLayer>> layers_;
};

}  // namespace swfp::tk
