// Skinned controls: image lists of 32-bit skin images, the animation
// manager that plays frame animations on a timer, and the controls drawn
// from the skin (image, image panel, animated container, button, slider).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/animation.h"
#include "toolkit/bitmap32.h"
#include "toolkit/control_win.h"
#include "toolkit/slider_model.h"

namespace swfp::tk {

class TDIBImageList : public TComponent {
 public:
  explicit TDIBImageList(TComponent* owner) : TComponent(owner) {}
  void Add(Bitmap32 image) { images_.push_back(std::move(image)); }
  void Clear() { images_.clear(); }
  int Count() const { return static_cast<int>(images_.size()); }
  // The image at an index; an index out of range throws.
  const Bitmap32& Image(int index) const;
  Size ImageSize(int index) const;
  // Draws one image with its alpha; nothing for an index out of range.
  void Draw(HDC dc, int index, int x, int y, std::uint8_t opacity = 255) const;
  void StretchDraw(HDC dc, int index, int x, int y, int w, int h, std::uint8_t opacity = 255) const;

 private:
  std::vector<Bitmap32> images_;
};

// Something the animation manager drives.
class AnimatedClient {
 public:
  // Called on every tick; returns the next moment it needs a tick, or -1.
  virtual Millis AnimationTick(Millis now) = 0;

 protected:
  ~AnimatedClient() = default;
};

// Holds the named animations (frame lists into an image list) and runs a
// timer while any client animates. The clock can be replaced (tests).
class TAnimationManager : public TComponent {
 public:
  explicit TAnimationManager(TComponent* owner);
  ~TAnimationManager() override;

  void AddAnimation(const std::string& name, std::vector<int> frames) { table_[name] = std::move(frames); }
  const AnimationTable& Animations() const { return table_; }

  std::function<Millis()> Clock;
  Millis Now() const;

  void Register(AnimatedClient* c);
  void Unregister(AnimatedClient* c);
  // A client started something: make sure the timer runs.
  void Wake();
  // One round over all clients (the timer calls it).
  void Tick();
  bool Running() const { return timer_ != 0; }

 private:
  static void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD);
  AnimationTable table_;
  std::vector<AnimatedClient*> clients_;
  UINT_PTR timer_ = 0;
};

enum class DIBDrawMode { Normal, Center, Stretch };

class TDIBImage : public TControl {
 public:
  explicit TDIBImage(TComponent* owner);
  void SetImage(TDIBImageList* list, int index);
  int ImageIndex() const { return index_; }
  DIBDrawMode DrawMode = DIBDrawMode::Normal;
  // Sizes the control to its image.
  bool AutoSize = false;
  std::uint8_t Opacity = 255;
  void Paint(HDC dc) override;

 private:
  TDIBImageList* list_ = nullptr;
  int index_ = -1;
};

// A skinned panel: its own background image centred on a dark fill, its
// children, then its border lines drawn over them.
class TDIBImageAnimContainer : public TCustomControl {
 public:
  explicit TDIBImageAnimContainer(TComponent* owner);
  void SetBackground(TDIBImageList* list, int index);
  TColor BorderLight = 0x5A5A5A;
  TColor BorderDark = 0x101010;
  bool DrawBorders = true;

 protected:
  void PaintWindow(HDC dc) override;
  void PaintContent(HDC dc) override;

 private:
  TDIBImageList* list_ = nullptr;
  int index_ = -1;
};

// A windowed holder of skinned controls that shows its parent through and
// can size itself to its content.
class TDIBAnimContainer : public TCustomControl {
 public:
  explicit TDIBAnimContainer(TComponent* owner);
  bool AutoSize = false;
  // Fits the container around its visible children.
  void FitToContent();
};

class TDIBButton : public TControl, protected AnimatedClient {
 public:
  TDIBButton(TComponent* owner, TAnimationManager* animator, TDIBImageList* images);
  ~TDIBButton() override;

  // The animation slots; sizes the button to the resting image.
  void SetSlots(const std::array<SlotAnimation, kButtonSlotCount>& slots);
  const std::array<SlotAnimation, kButtonSlotCount>& Slots() const { return animator_.Slots(); }
  std::uint8_t Opacity = 255;
  // The image index on screen now.
  int CurrentFrame();
  ButtonSlot CurrentSlot() const { return animator_.CurrentSlot(); }

  void SetVisible(bool v) override;
  void SetEnabled(bool v) override;
  void Paint(HDC dc) override;
  void MouseEnter() override;
  void MouseLeave() override;
  void MouseDown(MouseButton b, ShiftState s, int x, int y) override;
  void MouseUp(MouseButton b, ShiftState s, int x, int y) override;

 protected:
  Millis AnimationTick(Millis now) override;

 private:
  TAnimationManager* manager_;
  TDIBImageList* images_;
  ButtonAnimator animator_;
  int shown_ = -1;
};

// A horizontal slider: track (stretched), two ends and a pointer from an
// image list (indexes 0 track, 1 and 2 ends, 3 pointer). It has a window of its
// own so that it can take the focus (a click or Tab gives it): the arrows, Page
// Up and Page Down, Home and End then move it. Its background is its parent's
// picture.
class TDIBSlider : public TCustomControl {
 public:
  TDIBSlider(TComponent* owner, TDIBImageList* images);

  int Min() const { return model_.Min(); }
  int Max() const { return model_.Max(); }
  int Position() const { return model_.Position(); }
  void SetMin(int v) { Changed(model_.SetMin(v)); }
  void SetMax(int v) { Changed(model_.SetMax(v)); }
  void SetRange(int min, int max) { Changed(model_.SetRange(min, max)); }
  // Clamped to the range; raises OnChange when the position moves.
  void SetPosition(int v) { Changed(model_.SetPosition(v)); }
  int SmallStep() const { return model_.SmallStep; }
  int LargeStep() const { return model_.LargeStep; }
  int PageSize() const { return model_.PageSize; }
  void SetSteps(int small, int large, int page);

  // Detach by assigning nothing; attach again by assigning the handler.
  NotifyEvent OnChange;

  // Pointer rectangle in control coordinates.
  Bounds PointerBounds() const;

  void MouseDown(MouseButton b, ShiftState s, int x, int y) override;
  void MouseMove(ShiftState s, int x, int y) override;
  void MouseUp(MouseButton b, ShiftState s, int x, int y) override;

 protected:
  void PaintContent(HDC dc) override;
  bool Dispatch(Message& m) override;

 private:
  void Changed(bool moved);
  int EndWidth() const;
  TDIBImageList* images_;
  SliderModel model_;
  bool dragging_ = false;
  int dragOffset_ = 0;
};

}  // namespace swfp::tk
