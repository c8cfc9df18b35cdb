// Plain controls: timer, label, panel, push button and picture.
#pragma once

#include <memory>

#include "toolkit/bitmap32.h"
#include "toolkit/control_win.h"

namespace swfp::tk {

class TTimer : public TComponent {
 public:
  explicit TTimer(TComponent* owner);
  ~TTimer() override;

  unsigned Interval() const { return interval_; }
  void SetInterval(unsigned ms);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  NotifyEvent OnTimer;
  // Raises OnTimer as a tick would (errors go to the application's report).
  void Tick();

 private:
  void Restart();
  static void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD);
  unsigned interval_ = 1000;
  bool enabled_ = true;
  UINT_PTR id_ = 0;
};

// Text drawn straight onto its parent; transparent unless told otherwise.
class TLabel : public TControl {
 public:
  explicit TLabel(TComponent* owner);
  bool Transparent = true;
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool v);
  void SetCaption(const std::wstring& text) override;
  void SetFont(const TFont& f) override;
  // An auto-sized label takes the position and keeps the size of its text.
  void SetBounds(int left, int top, int width, int height) override;
  void Paint(HDC dc) override;
  // Size of the caption in the label's font.
  Size TextExtent() const;

 private:
  void AdjustSize();
  bool autoSize_ = true;
};

class TPanel : public TCustomControl {
 public:
  explicit TPanel(TComponent* owner);
  enum class Bevel { None, Raised, Lowered };
  Bevel BevelOuter = Bevel::None;

 protected:
  void PaintContent(HDC dc) override;
};

// A native push button; a click sets the owner form's modal result when one is given.
class TButton : public TWinControl {
 public:
  explicit TButton(TComponent* owner);
  int ModalResult = 0;
  void Click() override;

 protected:
  void MakeCreateParams(CreateParams& p) override;
  void CreateWnd() override;
  bool Dispatch(Message& m) override;

 private:
  swfp::win::UniqueGdiObject<HFONT> fontHandle_;
};

// A picture: drawn unscaled and centred, or stretched.
class TImage : public TControl {
 public:
  explicit TImage(TComponent* owner);
  Bitmap32& Picture() { return picture_; }
  void SetPicture(Bitmap32 b);
  bool Center = true;
  bool Stretch = false;
  TColor Background = clNone;
  void Paint(HDC dc) override;

 private:
  Bitmap32 picture_;
};

}  // namespace swfp::tk
