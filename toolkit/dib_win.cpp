#include "toolkit/dib_win.h"

#include <algorithm>
#include <map>
#include <stdexcept>
#include <string>

#include "toolkit/application_win.h"

namespace swfp::tk {

// ----------------------------------------------------------- TDIBImageList

const Bitmap32& TDIBImageList::Image(int index) const {
  if (index < 0 || index >= Count())
    throw std::out_of_range("Image index " + std::to_string(index) + " out of range in " + Name());
  return images_[static_cast<size_t>(index)];
}

Size TDIBImageList::ImageSize(int index) const {
  if (index < 0 || index >= Count()) return {};
  const Bitmap32& b = images_[static_cast<size_t>(index)];
  return {b.Width(), b.Height()};
}

void TDIBImageList::Draw(HDC dc, int index, int x, int y, std::uint8_t opacity) const {
  if (index < 0 || index >= Count()) return;
  const Bitmap32& b = images_[static_cast<size_t>(index)];
  DrawBitmap32(dc, b, x, y, b.Width(), b.Height(), true, opacity);
}

void TDIBImageList::StretchDraw(HDC dc, int index, int x, int y, int w, int h, std::uint8_t opacity) const {
  if (index < 0 || index >= Count()) return;
  DrawBitmap32(dc, images_[static_cast<size_t>(index)], x, y, w, h, true, opacity);
}

// ------------------------------------------------------- TAnimationManager

namespace {
std::map<UINT_PTR, TAnimationManager*>& managers() {
  static std::map<UINT_PTR, TAnimationManager*> map;
  return map;
}
// The finest step the manager ticks at; frame delays are multiples of 5 ms or more.
constexpr UINT kTickMs = 10;
}  // namespace

TAnimationManager::TAnimationManager(TComponent* owner) : TComponent(owner) {}

TAnimationManager::~TAnimationManager() {
  if (timer_) {
    KillTimer(nullptr, timer_);
    managers().erase(timer_);
  }
}

Millis TAnimationManager::Now() const { return Clock ? Clock() : static_cast<Millis>(GetTickCount64()); }

void TAnimationManager::Register(AnimatedClient* c) {
  if (std::find(clients_.begin(), clients_.end(), c) == clients_.end()) clients_.push_back(c);
}

void TAnimationManager::Unregister(AnimatedClient* c) { std::erase(clients_, c); }

void TAnimationManager::Wake() {
  if (timer_) return;
  timer_ = SetTimer(nullptr, 0, kTickMs, &TAnimationManager::TimerProc);
  if (timer_) managers()[timer_] = this;
}

void CALLBACK TAnimationManager::TimerProc(HWND, UINT, UINT_PTR id, DWORD) {
  auto it = managers().find(id);
  if (it != managers().end()) it->second->Tick();
}

void TAnimationManager::Tick() {
  const Millis now = Now();
  bool busy = false;
  for (AnimatedClient* c : std::vector<AnimatedClient*>(clients_)) busy |= c->AnimationTick(now) >= 0;
  if (!busy && timer_) {
    KillTimer(nullptr, timer_);
    managers().erase(timer_);
    timer_ = 0;
  }
}

// --------------------------------------------------------------- TDIBImage

TDIBImage::TDIBImage(TComponent* owner) : TControl(owner) { style_ = csClickEvents | csDoubleClicks; }

void TDIBImage::SetImage(TDIBImageList* list, int index) {
  list_ = list;
  index_ = index;
  if (AutoSize && list_) {
    Size s = list_->ImageSize(index);
    SetBounds(Left(), Top(), s.width, s.height);
  }
  Invalidate();
}

void TDIBImage::Paint(HDC dc) {
  if (!list_) return;
  Size s = list_->ImageSize(index_);
  switch (DrawMode) {
    case DIBDrawMode::Stretch: list_->StretchDraw(dc, index_, 0, 0, Width(), Height(), Opacity); break;
    case DIBDrawMode::Center: list_->Draw(dc, index_, (Width() - s.width) / 2, (Height() - s.height) / 2, Opacity); break;
    case DIBDrawMode::Normal: list_->Draw(dc, index_, 0, 0, Opacity); break;
  }
}

// -------------------------------------------------- TDIBImageAnimContainer

TDIBImageAnimContainer::TDIBImageAnimContainer(TComponent* owner) : TCustomControl(owner) { color_ = 0x202020; }

void TDIBImageAnimContainer::SetBackground(TDIBImageList* list, int index) {
  list_ = list;
  index_ = index;
  Invalidate();
}

void TDIBImageAnimContainer::PaintContent(HDC dc) {
  if (!list_) return;
  Size s = list_->ImageSize(index_);
  list_->Draw(dc, index_, (Width() - s.width) / 2, (Height() - s.height) / 2);
}

void TDIBImageAnimContainer::PaintWindow(HDC dc) {
  TCustomControl::PaintWindow(dc);
  if (!DrawBorders) return;
  // Border lines go over the children so the skin's edges stay crisp.
  Size cs = ClientSize();
  RECT top{0, 0, cs.width, 1}, bottom{0, cs.height - 1, cs.width, cs.height};
  FillSolid(dc, top, BorderLight);
  FillSolid(dc, bottom, BorderDark);
}

// ------------------------------------------------------- TDIBAnimContainer

TDIBAnimContainer::TDIBAnimContainer(TComponent* owner) : TCustomControl(owner) { parentBackground_ = true; }

void TDIBAnimContainer::FitToContent() {
  int w = 0, h = 0;
  for (TControl* c : Controls()) {
    w = std::max(w, c->BoundsRect().right());
    h = std::max(h, c->BoundsRect().bottom());
  }
  if (w > 0 && h > 0) {
    // Anchored on the right, the container keeps its right edge.
    int left = Left();
    if ((GetAnchors() & akRight) && !(GetAnchors() & akLeft)) left = BoundsRect().right() - w;
    SetBounds(left, Top(), w, h);
  }
}

// -------------------------------------------------------------- TDIBButton

TDIBButton::TDIBButton(TComponent* owner, TAnimationManager* animator, TDIBImageList* images)
    : TControl(owner),
      manager_(animator),
      images_(images),
      animator_(animator ? &animator->Animations() : nullptr, {}) {
  style_ = csCaptureMouse | csClickEvents;
  if (manager_) manager_->Register(this);
}

TDIBButton::~TDIBButton() {
  if (manager_) manager_->Unregister(this);
}

void TDIBButton::SetSlots(const std::array<SlotAnimation, kButtonSlotCount>& slots) {
  animator_ = ButtonAnimator(manager_ ? &manager_->Animations() : nullptr, slots);
  const Millis now = manager_ ? manager_->Now() : 0;
  animator_.Reset(now);
  animator_.SetEnabled(enabled_, now);
  const int frame = animator_.FrameAt(now);
  if (images_ && frame >= 0) {
    Size s = images_->ImageSize(frame);
    SetBounds(Left(), Top(), s.width, s.height);
  }
  Invalidate();
}

int TDIBButton::CurrentFrame() { return animator_.FrameAt(manager_ ? manager_->Now() : 0); }

Millis TDIBButton::AnimationTick(Millis now) {
  const int frame = animator_.FrameAt(now);
  if (frame != shown_) Invalidate();
  return animator_.NextChange(now);
}

void TDIBButton::SetVisible(bool v) {
  if (v == Visible()) return;
  // A button that comes back shows its resting look, not the press that hid it.
  animator_.Reset(manager_ ? manager_->Now() : 0);
  TControl::SetVisible(v);
}

void TDIBButton::SetEnabled(bool v) {
  animator_.SetEnabled(v, manager_ ? manager_->Now() : 0);
  TControl::SetEnabled(v);
}

void TDIBButton::MouseEnter() {
  if (manager_) {
    animator_.Enter(manager_->Now());
    manager_->Wake();
  }
  Invalidate();
  TControl::MouseEnter();
}

void TDIBButton::MouseLeave() {
  if (manager_) {
    animator_.Leave(manager_->Now());
    manager_->Wake();
  }
  Invalidate();
  TControl::MouseLeave();
}

void TDIBButton::MouseDown(MouseButton b, ShiftState s, int x, int y) {
  if (b == MouseButton::Left && manager_) {
    animator_.Down(manager_->Now());
    manager_->Wake();
  }
  Invalidate();
  TControl::MouseDown(b, s, x, y);
}

void TDIBButton::MouseUp(MouseButton b, ShiftState s, int x, int y) {
  if (b == MouseButton::Left && manager_) {
    animator_.Up(manager_->Now(), x >= 0 && y >= 0 && x < Width() && y < Height());
    manager_->Wake();
  }
  Invalidate();
  TControl::MouseUp(b, s, x, y);
}

void TDIBButton::Paint(HDC dc) {
  shown_ = CurrentFrame();
  if (images_) images_->Draw(dc, shown_, 0, 0, Opacity);
}

// -------------------------------------------------------------- TDIBSlider

TDIBSlider::TDIBSlider(TComponent* owner, TDIBImageList* images) : TCustomControl(owner), images_(images) {
  style_ = csCaptureMouse;
  parentBackground_ = true;
  TabStop = true;
  model_.SetRange(0, 100);
}

bool TDIBSlider::Dispatch(Message& m) {
  using Key = SliderModel::Key;
  switch (m.msg) {
    case WM_GETDLGCODE:
      m.result = DLGC_WANTARROWS;  // the arrows move the slider instead of the focus
      return true;
    case WM_KEYDOWN: {
      static const std::pair<WPARAM, Key> keys[] = {{VK_LEFT, Key::Left},     {VK_RIGHT, Key::Right},
                                                    {VK_UP, Key::Up},         {VK_DOWN, Key::Down},
                                                    {VK_PRIOR, Key::PageUp},  {VK_NEXT, Key::PageDown},
                                                    {VK_HOME, Key::Home},     {VK_END, Key::End}};
      for (const auto& [vk, key] : keys)
        if (m.wParam == vk) {
          Changed(model_.PressKey(key));
          return true;
        }
      return false;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      Invalidate();  // the focus rectangle comes or goes
      return false;
    default:
      return TCustomControl::Dispatch(m);
  }
}

void TDIBSlider::SetSteps(int small, int large, int page) {
  model_.SmallStep = small;
  model_.LargeStep = large;
  model_.PageSize = page;
}

void TDIBSlider::Changed(bool moved) {
  if (!moved) return;
  Invalidate();
  if (OnChange) OnChange(*this);
}

int TDIBSlider::EndWidth() const { return images_ ? images_->ImageSize(1).width : 0; }

Bounds TDIBSlider::PointerBounds() const {
  Size p = images_ ? images_->ImageSize(3) : Size{10, Height()};
  const int left = model_.PointerLeft(0, Width(), p.width);
  return {left, (Height() - p.height) / 2, p.width, p.height};
}

void TDIBSlider::PaintContent(HDC dc) {
  if (images_) {
    const int endL = images_->ImageSize(1).width, endR = images_->ImageSize(2).width;
    images_->StretchDraw(dc, 0, endL, 0, std::max(0, Width() - endL - endR), Height());
    images_->Draw(dc, 1, 0, 0);
    images_->Draw(dc, 2, Width() - endR, 0);
    Bounds p = PointerBounds();
    images_->Draw(dc, 3, p.left, p.top);
  }
  if (Focused()) {
    const RECT all{0, 0, Width(), Height()};
    DrawFocusRect(dc, &all);
  }
}

void TDIBSlider::MouseDown(MouseButton b, ShiftState s, int x, int y) {
  SetFocus();
  TControl::MouseDown(b, s, x, y);
  if (b != MouseButton::Left) return;
  Bounds p = PointerBounds();
  dragging_ = true;
  if (x >= p.left && x < p.right()) {
    dragOffset_ = x - p.left;
  } else {
    // A press beside the pointer moves it there and keeps dragging from its centre.
    dragOffset_ = p.width / 2;
    SetPosition(model_.PositionAt(x, 0, Width(), p.width));
  }
}

void TDIBSlider::MouseMove(ShiftState s, int x, int y) {
  TControl::MouseMove(s, x, y);
  if (!dragging_) return;
  Bounds p = PointerBounds();
  SetPosition(model_.PositionAt(x - dragOffset_ + p.width / 2, 0, Width(), p.width));
}

void TDIBSlider::MouseUp(MouseButton b, ShiftState s, int x, int y) {
  dragging_ = false;
  TControl::MouseUp(b, s, x, y);
}

}  // namespace swfp::tk
