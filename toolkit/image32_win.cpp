#include "toolkit/image32_win.h"

namespace swfp::tk {

bool TBitmapLayer::HitTest(int x, int y) const {
  return Visible && x >= Location.left && y >= Location.top && x < Location.right && y < Location.bottom;
}

void TBitmapLayer::Changed() {
  if (owner_) owner_->Changed();
}

TImage32::TImage32(TComponent* owner) : TControl(owner) { style_ = csCaptureMouse | csClickEvents | csDoubleClicks; }

void TImage32::SetPicture(Bitmap32 b) {
  picture_ = std::move(b);
  Invalidate();
}

void TImage32::SetBackgroundColor(TColor c) {
  background_ = c;
  Invalidate();
}

IntRect TImage32::GetBitmapRect() const {
  return FitAndCentre(picture_.Width(), picture_.Height(), Width(), Height());
}

TBitmapLayer& TImage32::AddLayer() {
  layers_.push_back(std::make_unique<TBitmapLayer>(this));
  return *layers_.back();
}

Bitmap32 TImage32::Compose() const {
  Bitmap32 out(Width(), Height());
  std::vector<LayerView> views;
  views.reserve(layers_.size());
  for (const auto& l : layers_) views.push_back({&l->Bitmap, l->Location, l->Visible});
  ComposeImage(out, FromBgr(ColorToRGB(background_)), &picture_, GetBitmapRect(), views);
  return out;
}

void TImage32::Paint(HDC dc) {
  if (Width() <= 0 || Height() <= 0) return;
  DrawBitmap32(dc, Compose(), 0, 0, Width(), Height(), false);
}

}  // namespace swfp::tk
