#include "toolkit/form_win.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "toolkit/application_win.h"
#include "toolkit/menu_win.h"
#include "toolkit/stdctrls_win.h"

namespace swfp::tk {

int SnapCoordinate(int pos, int edge, int buffer) { return std::abs(pos - edge) <= buffer ? edge : pos; }

TForm::TForm(TComponent* owner) : TCustomControl(owner) {
  visible_ = false;
  style_ = csCaptureMouse | csClickEvents | csDoubleClicks;
}

TForm::~TForm() {
  DoDestroy();
  if (menu_) menu_->SetWindow(nullptr);
}

void TForm::DoCreate() {
  if (OnCreate) OnCreate(*this);
}

void TForm::DoDestroy() {
  if (destroyed_) return;
  destroyed_ = true;
  if (OnDestroy) {
    try {
      OnDestroy(*this);
    } catch (...) {
      Application().HandleException(std::current_exception());
    }
  }
}

static DWORD StyleFor(BorderStyle b) {
  switch (b) {
    case BorderStyle::None: return WS_POPUP;
    case BorderStyle::Single: return WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    case BorderStyle::Dialog: return WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    case BorderStyle::Sizeable:
    default: return WS_OVERLAPPEDWINDOW;
  }
}

void TForm::MakeCreateParams(CreateParams& p) {
  TCustomControl::MakeCreateParams(p);
  p.className = L"SwfpForm";
  p.style = StyleFor(border_) | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  p.exStyle = border_ == BorderStyle::Dialog ? WS_EX_DLGMODALFRAME : 0;
  if (stayOnTop_) p.exStyle |= WS_EX_TOPMOST;
  p.style &= ~WS_VISIBLE;  // shown by Show, after placement
  auto* ownerForm = dynamic_cast<TForm*>(Owner());
  p.parent = ownerForm ? ownerForm->Handle() : Application().Handle();
  p.menu = menu_ ? menu_->Handle() : nullptr;
  RECT r{0, 0, clientSize_.width, clientSize_.height};
  AdjustWindowRectEx(&r, p.style, p.menu != nullptr, p.exStyle);
  p.width = r.right - r.left;
  p.height = r.bottom - r.top;
}

void TForm::CreateWnd() {
  TCustomControl::CreateWnd();
  if (menu_) menu_->SetWindow(WindowHandle());
  RECT wr;
  GetWindowRect(WindowHandle(), &wr);
  bounds_ = {wr.left, wr.top, wr.right - wr.left, wr.bottom - wr.top};
  // A long menu bar may wrap; keep the client size the layout asks for.
  Size cs = ClientSize();
  if (cs.height != clientSize_.height || cs.width != clientSize_.width) SetClientSize(clientSize_.width, clientSize_.height);
}

void TForm::SetBorderStyle(BorderStyle b) {
  border_ = b;
  if (HandleAllocated()) {
    HWND h = WindowHandle();
    LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE);
    style &= ~static_cast<LONG_PTR>(WS_OVERLAPPEDWINDOW | WS_POPUP | DS_MODALFRAME);
    style |= StyleFor(b);
    SetWindowLongPtrW(h, GWL_STYLE, style);
    SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED | SWP_NOACTIVATE);
  }
}

void TForm::SetStayOnTop(bool v) {
  stayOnTop_ = v;
  if (HandleAllocated())
    SetWindowPos(WindowHandle(), v ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TForm::SetClientSize(int width, int height) {
  clientSize_ = {width, height};
  if (!HandleAllocated()) {
    RECT r{0, 0, width, height};
    AdjustWindowRectEx(&r, StyleFor(border_), menu_ != nullptr, 0);
    bounds_.width = r.right - r.left;
    bounds_.height = r.bottom - r.top;
    Realign();
    return;
  }
  RECT wr, cr;
  GetWindowRect(WindowHandle(), &wr);
  GetClientRect(WindowHandle(), &cr);
  SetBounds(bounds_.left, bounds_.top, (wr.right - wr.left) - cr.right + width, (wr.bottom - wr.top) - cr.bottom + height);
}

Size TForm::ClientSize() const {
  if (WindowHandle()) return TCustomControl::ClientSize();
  return clientSize_;
}

void TForm::UpdateBounds(const Bounds& b) {
  if (b == bounds_) return;
  bounds_ = b;
  if (HandleAllocated()) {
    SetWindowPos(WindowHandle(), nullptr, b.left, b.top, b.width, b.height, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT cr;
    GetClientRect(WindowHandle(), &cr);
    clientSize_ = {cr.right, cr.bottom};
  }
}

void TForm::SetMenu(TMainMenu* menu) {
  if (menu_ == menu) return;
  if (menu_) menu_->SetWindow(nullptr);
  menu_ = menu;
  if (HandleAllocated()) {
    ::SetMenu(WindowHandle(), menu ? menu->Handle() : nullptr);
    if (menu) menu->SetWindow(WindowHandle());
  }
}

void TForm::PlaceOnShow() {
  RECT target{};
  if (Position == FormPosition::ScreenCenter) {
    target = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  } else if (Position == FormPosition::OwnerFormCenter) {
    auto* ownerForm = dynamic_cast<TForm*>(Owner());
    if (ownerForm && ownerForm->HandleAllocated()) {
      GetWindowRect(ownerForm->WindowHandle(), &target);
    } else {
      target = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
  } else {
    return;
  }
  SetBounds(target.left + (target.right - target.left - Width()) / 2,
            target.top + (target.bottom - target.top - Height()) / 2, Width(), Height());
}

void TForm::Show() {
  SetVisible(true);
  if (!HandleAllocated()) return;
  SetForegroundWindow(WindowHandle());
  // The first control in tab order takes the keyboard.
  if (TWinControl* first = NextTabStop(nullptr, true)) first->SetFocus();
}

TWinControl* TForm::NextTabStop(HWND from, bool forward) const {
  std::vector<TWinControl*> stops;
  for (TControl* c : Controls()) {
    auto* w = dynamic_cast<TWinControl*>(c);
    if (w && w->TabStop && w->CanFocus()) stops.push_back(w);
  }
  if (stops.empty()) return nullptr;
  // Equal tab orders keep the order the controls were placed in.
  std::stable_sort(stops.begin(), stops.end(), [](auto* a, auto* b) { return a->TabOrder < b->TabOrder; });
  const auto at = std::find_if(stops.begin(), stops.end(), [from](auto* w) { return from && w->WindowHandle() == from; });
  if (at == stops.end()) return forward ? stops.front() : stops.back();
  const size_t i = static_cast<size_t>(at - stops.begin());
  return stops[forward ? (i + 1) % stops.size() : (i + stops.size() - 1) % stops.size()];
}

void TForm::SetVisible(bool v) {
  if (v && !Visible()) {
    HandleNeeded();
    PlaceOnShow();
    if (Application().MainForm() == this) {
      // The taskbar button belongs to the application window.
      ShowWindow(Application().Handle(), SW_SHOWNA);
    }
  }
  TCustomControl::SetVisible(v);
  if (v && HandleAllocated()) {
    ShowWindow(WindowHandle(), SW_SHOW);
    UpdateWindow(WindowHandle());
  }
}

bool TForm::ProcessDialogKey(HWND target, UINT key, LPARAM keyData) {
  if (DialogKey(key, keyData)) return true;
  if (border_ != BorderStyle::Dialog) return false;
  if (key == VK_ESCAPE) {
    Close();
    return true;
  }
  if (key == VK_TAB) {
    // Tab moves the keyboard to the next control in tab order, Shift+Tab back.
    if (TWinControl* next = NextTabStop(target, GetKeyState(VK_SHIFT) >= 0)) next->SetFocus();
    return true;
  }
  if (key == VK_RETURN) {
    // Enter presses the button that has the keyboard.
    for (TControl* c : Controls()) {
      auto* b = dynamic_cast<TButton*>(c);
      if (b && b->WindowHandle() == target) {
        b->Click();
        return true;
      }
    }
  }
  return false;
}

bool TForm::CloseQuery() {
  bool can = true;
  if (OnCloseQuery) OnCloseQuery(*this, can);
  return can;
}

void TForm::Close() {
  if (!CloseQuery()) return;
  if (inModal_) {
    if (ModalResultValue == mrNone) ModalResultValue = mrCancel;
    return;
  }
  if (Application().MainForm() == this) {
    Hide();
    Application().Terminate();
  } else {
    Hide();
  }
}

int TForm::ShowModal() {
  HWND ownerWnd = nullptr;
  if (auto* ownerForm = dynamic_cast<TForm*>(Owner())) ownerWnd = ownerForm->HandleAllocated() ? ownerForm->WindowHandle() : nullptr;
  ModalResultValue = mrNone;
  inModal_ = true;
  if (ownerWnd) EnableWindow(ownerWnd, FALSE);
  Show();
  TApplication& app = Application();
  while (ModalResultValue == mrNone && !app.Terminated()) {
    if (!app.HandleMessage()) {
      app.Idle();
      if (ModalResultValue != mrNone) break;
      WaitMessage();
    }
  }
  // Re-enable the owner before hiding, so activation returns to it.
  if (ownerWnd) EnableWindow(ownerWnd, TRUE);
  inModal_ = false;
  Hide();
  if (ownerWnd) SetActiveWindow(ownerWnd);
  return ModalResultValue;
}

bool TForm::Dispatch(Message& m) {
  switch (m.msg) {
    case WM_CLOSE:
      Close();
      return true;
    case WM_SYSCOMMAND:
      // The main window is owned by the application window, which carries the
      // taskbar button: minimising goes through it, so the button restores it.
      if ((m.wParam & 0xFFF0) == SC_MINIMIZE && Application().MainForm() == this &&
          IsWindowVisible(Application().Handle())) {
        ShowWindow(Application().Handle(), SW_MINIMIZE);
        return true;
      }
      return false;
    case WM_SHOWWINDOW:
      if (m.wParam && OnShow) OnShow(*this);
      return false;
    case WM_ACTIVATE:
      if (LOWORD(m.wParam) != WA_INACTIVE && OnActivate) OnActivate(*this);
      return false;
    // Only top-level windows hear of palette changes: the form passes them on to its controls.
    case WM_QUERYNEWPALETTE:
      m.result = PaletteChanged(true) ? TRUE : FALSE;
      return true;
    case WM_PALETTECHANGED:
      if (reinterpret_cast<HWND>(m.wParam) != WindowHandle()) PaletteChanged(false);
      return false;
    case WM_WINDOWPOSCHANGING:
      if (ScreenSnap) {
        auto* wp = reinterpret_cast<WINDOWPOS*>(m.lParam);
        if (!(wp->flags & SWP_NOMOVE)) {
          RECT work;
          SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
          int w = wp->flags & SWP_NOSIZE ? Width() : wp->cx, h = wp->flags & SWP_NOSIZE ? Height() : wp->cy;
          wp->x = SnapCoordinate(wp->x, work.left, SnapBuffer);
          wp->x = SnapCoordinate(wp->x + w, work.right, SnapBuffer) - w;
          wp->y = SnapCoordinate(wp->y, work.top, SnapBuffer);
          wp->y = SnapCoordinate(wp->y + h, work.bottom, SnapBuffer) - h;
        }
      }
      return false;
    case WM_GETMINMAXINFO: {
      auto* mm = reinterpret_cast<MINMAXINFO*>(m.lParam);
      if (constraints_.minWidth > 0) mm->ptMinTrackSize.x = constraints_.minWidth;
      if (constraints_.minHeight > 0) mm->ptMinTrackSize.y = constraints_.minHeight;
      if (constraints_.maxWidth > 0) mm->ptMaxTrackSize.x = constraints_.maxWidth;
      if (constraints_.maxHeight > 0) mm->ptMaxTrackSize.y = constraints_.maxHeight;
      return false;
    }
    case WM_SIZE:
      if (m.wParam != SIZE_MINIMIZED) {
        RECT cr;
        GetClientRect(m.hwnd, &cr);
        clientSize_ = {cr.right, cr.bottom};
      }
      return TCustomControl::Dispatch(m);
    default:
      return TCustomControl::Dispatch(m);
  }
}

}  // namespace swfp::tk
