#include "toolkit/stdctrls_win.h"

#include <map>
#include <stdexcept>

#include "toolkit/application_win.h"
#include "toolkit/form_win.h"

namespace swfp::tk {

// ------------------------------------------------------------------ TTimer

namespace {
std::map<UINT_PTR, TTimer*>& timers() {
  static std::map<UINT_PTR, TTimer*> map;
  return map;
}
}  // namespace

TTimer::TTimer(TComponent* owner) : TComponent(owner) { Restart(); }

TTimer::~TTimer() {
  if (id_) {
    KillTimer(nullptr, id_);
    timers().erase(id_);
  }
}

void TTimer::SetInterval(unsigned ms) {
  interval_ = ms;
  Restart();
}

void TTimer::SetEnabled(bool v) {
  enabled_ = v;
  Restart();
}

void TTimer::Restart() {
  if (id_) {
    KillTimer(nullptr, id_);
    timers().erase(id_);
    id_ = 0;
  }
  if (!enabled_ || interval_ == 0) return;
  id_ = SetTimer(nullptr, 0, interval_, &TTimer::TimerProc);
  if (!id_) throw std::runtime_error("Could not start a timer");
  timers()[id_] = this;
}

void CALLBACK TTimer::TimerProc(HWND, UINT, UINT_PTR id, DWORD) {
  auto it = timers().find(id);
  if (it != timers().end()) it->second->Tick();
}

void TTimer::Tick() {
  if (!OnTimer) return;
  try {
    OnTimer(*this);
  } catch (...) {
    Application().HandleException(std::current_exception());
  }
}

// ------------------------------------------------------------------ TLabel

TLabel::TLabel(TComponent* owner) : TControl(owner) {
  style_ = csClickEvents | csDoubleClicks;
  color_ = clNone;
}

void TLabel::SetAutoSize(bool v) {
  autoSize_ = v;
  AdjustSize();
}

void TLabel::SetCaption(const std::wstring& text) {
  TControl::SetCaption(text);
  AdjustSize();
}

void TLabel::SetFont(const TFont& f) {
  TControl::SetFont(f);
  AdjustSize();
}

void TLabel::SetBounds(int left, int top, int width, int height) {
  TControl::SetBounds(left, top, width, height);
  AdjustSize();
}

Size TLabel::TextExtent() const {
  HDC dc = GetDC(nullptr);
  auto font = CreateFontHandle(font_);
  Size out;
  {
    SelectGuard g(dc, font.get());
    RECT r{0, 0, 0, 0};
    DrawTextW(dc, caption_.empty() ? L" " : caption_.c_str(), -1, &r, DT_CALCRECT | DT_NOPREFIX | DT_SINGLELINE);
    out = {caption_.empty() ? 0 : r.right, r.bottom};
  }
  ReleaseDC(nullptr, dc);
  return out;
}

void TLabel::AdjustSize() {
  if (!autoSize_) return;
  Size s = TextExtent();
  if (s.width != Width() || s.height != Height()) {
    // The label keeps its left edge and grows to the right.
    UpdateBounds({Left(), Top(), s.width, s.height});
    FixAnchors();
  }
}

void TLabel::Paint(HDC dc) {
  RECT r{0, 0, Width(), Height()};
  if (!Transparent && color_ != clNone) FillSolid(dc, r, color_);
  auto font = CreateFontHandle(font_);
  SelectGuard g(dc, font.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, enabled_ ? ColorToRGB(font_.color) : GetSysColor(COLOR_GRAYTEXT));
  DrawTextW(dc, caption_.c_str(), -1, &r, DT_NOPREFIX | DT_SINGLELINE | DT_LEFT | DT_TOP);
}

// ------------------------------------------------------------------ TPanel

TPanel::TPanel(TComponent* owner) : TCustomControl(owner) {}

void TPanel::PaintContent(HDC dc) {
  if (BevelOuter == Bevel::None) return;
  RECT r{0, 0, Width(), Height()};
  DrawEdge(dc, &r, BevelOuter == Bevel::Raised ? BDR_RAISEDOUTER : BDR_SUNKENOUTER, BF_RECT);
}

// ----------------------------------------------------------------- TButton

TButton::TButton(TComponent* owner) : TWinControl(owner) { TabStop = true; }

void TButton::MakeCreateParams(CreateParams& p) {
  TWinControl::MakeCreateParams(p);
  p.className = L"BUTTON";
  p.style |= BS_PUSHBUTTON;
}

void TButton::CreateWnd() {
  // BUTTON is a system class: create it plainly and adopt it, so its own
  // procedure stays its default handler.
  CreateParams p;
  MakeCreateParams(p);
  HWND h = CreateWindowExW(p.exStyle, L"BUTTON", p.caption.c_str(), p.style, p.x, p.y, p.width, p.height, p.parent,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!h) throw std::runtime_error("Could not create a button");
  AdoptWindow(h);
  fontHandle_ = CreateFontHandle(Font());
  SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(fontHandle_.get()), FALSE);
}

bool TButton::Dispatch(Message& m) {
  // Our parent sends the BN_CLICKED notification back as WM_COMMAND + 0xBC00.
  if (m.msg == WM_COMMAND + 0xBC00 && HIWORD(m.wParam) == BN_CLICKED) {
    Click();
    return true;
  }
  // Mouse input goes to the native button untouched.
  if (m.msg >= WM_MOUSEFIRST && m.msg <= WM_MBUTTONDBLCLK) return false;
  return TWinControl::Dispatch(m);
}

void TButton::Click() {
  if (ModalResult != 0) {
    for (TComponent* o = Owner(); o; o = o->Owner()) {
      if (auto* f = dynamic_cast<TForm*>(o)) {
        f->ModalResultValue = ModalResult;
        break;
      }
    }
  }
  TWinControl::Click();
}

// ------------------------------------------------------------------ TImage

TImage::TImage(TComponent* owner) : TControl(owner) {}

void TImage::SetPicture(Bitmap32 b) {
  picture_ = std::move(b);
  Invalidate();
}

void TImage::Paint(HDC dc) {
  if (Background != clNone) {
    RECT r{0, 0, Width(), Height()};
    FillSolid(dc, r, Background);
  }
  if (picture_.Empty()) return;
  if (Stretch) {
    DrawBitmap32(dc, picture_, 0, 0, Width(), Height(), false);
  } else if (Center) {
    DrawBitmap32(dc, picture_, (Width() - picture_.Width()) / 2, (Height() - picture_.Height()) / 2, picture_.Width(),
                 picture_.Height(), false);
  } else {
    DrawBitmap32(dc, picture_, 0, 0, picture_.Width(), picture_.Height(), false);
  }
}

}  // namespace swfp::tk
