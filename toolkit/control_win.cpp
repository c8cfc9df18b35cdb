#include "toolkit/control_win.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <set>
#include <stdexcept>

#include "toolkit/application_win.h"
#include "toolkit/hint_text.h"
#include "toolkit/hint_tip_win.h"
#include "toolkit/menu_win.h"
#include "winbase/text_win.h"

namespace swfp::tk {

ShiftState ShiftFromMouseKeys(WPARAM keys) {
  ShiftState s = 0;
  if (keys & MK_SHIFT) s |= ssShift;
  if (keys & MK_CONTROL) s |= ssCtrl;
  if (keys & MK_LBUTTON) s |= ssLeft;
  if (keys & MK_RBUTTON) s |= ssRight;
  if (keys & MK_MBUTTON) s |= ssMiddle;
  if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
  return s;
}

// ---------------------------------------------------------------- TControl

TControl::TControl(TComponent* owner) : TComponent(owner) {}

TControl::~TControl() {
  SetAction(nullptr);
  if (parent_) parent_->RemoveControl(this);
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  if (parent == this) throw std::logic_error("A control cannot be its own parent");
  if (parent_) parent_->RemoveControl(this);
  parent_ = parent;
  if (parent_) {
    parent_->InsertControl(this);
    FixAnchors();
    RequestRealign();
    ParentFontChanged();
    ParentColorChanged();
  }
}

void TControl::SetBounds(int left, int top, int width, int height) {
  Size s = applyConstraints({width, height}, constraints_);
  UpdateBounds({left, top, s.width, s.height});
  FixAnchors();
  RequestRealign();
}

void TControl::SetBoundsFromLayout(const Bounds& b) {
  if (b != bounds_) UpdateBounds(b);
}

void TControl::UpdateBounds(const Bounds& b) {
  if (b == bounds_) return;
  Invalidate();
  bounds_ = b;
  Invalidate();
  if (OnResize) OnResize(*this);
}

void TControl::FixAnchors() {
  anchorBase_ = bounds_;
  if (parent_) anchorParent_ = parent_->ClientSize();
}

void TControl::RequestRealign() {
  if (parent_) parent_->Realign();
}

void TControl::SetAlign(Align a) {
  if (a == align_) return;
  align_ = a;
  RequestRealign();
}

void TControl::SetAnchors(Anchors a) {
  anchors_ = a;
  FixAnchors();
}

void TControl::SetConstraints(const SizeConstraints& c) {
  constraints_ = c;
  Size s = applyConstraints({bounds_.width, bounds_.height}, c);
  if (s.width != bounds_.width || s.height != bounds_.height) SetBounds(bounds_.left, bounds_.top, s.width, s.height);
  RequestRealign();
}

void TControl::SetVisible(bool v) {
  if (v == visible_) return;
  if (!v && parent_) parent_->ForgetControl(this);
  Invalidate();
  visible_ = v;
  Invalidate();
  if (align_ != Align::None) RequestRealign();
}

bool TControl::Showing() const {
  if (!visible_) return false;
  return parent_ ? parent_->Showing() : true;
}

void TControl::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  Invalidate();
}

void TControl::SetColor(TColor c) {
  color_ = c;
  parentColor_ = false;
  Invalidate();
  ColorChanged();
}

void TControl::SetFont(const TFont& f) {
  font_ = f;
  parentFont_ = false;
  Invalidate();
  FontChanged();
}

void TControl::SetParentFont(bool v) {
  parentFont_ = v;
  if (v) ParentFontChanged();
}

void TControl::SetParentColor(bool v) {
  parentColor_ = v;
  if (v) ParentColorChanged();
}

void TControl::ParentFontChanged() {
  if (!parentFont_ || !parent_) return;
  font_ = parent_->Font();
  Invalidate();
  FontChanged();
}

void TControl::ParentColorChanged() {
  if (!parentColor_ || !parent_) return;
  color_ = parent_->Color();
  Invalidate();
  ColorChanged();
}

void TControl::SetCaption(const std::wstring& text) {
  if (text == caption_) return;
  caption_ = text;
  Invalidate();
}

void TControl::SetAction(TAction* action) {
  if (action == action_) return;
  if (action_) action_->RemoveClient(this);
  action_ = action;
  if (action_) {
    action_->AddClient(this);
    SetVisible(action_->Visible());
    SetEnabled(action_->Enabled());
    if (!action_->Caption().empty()) SetCaption(swfp::win::Utf8ToWide(action_->Caption()));
  }
}

void TControl::ActionChanged(TAction& action, ActionProperty what) {
  switch (what) {
    case ActionProperty::Visible: SetVisible(action.Visible()); break;
    case ActionProperty::Enabled: SetEnabled(action.Enabled()); break;
    case ActionProperty::Caption: SetCaption(swfp::win::Utf8ToWide(action.Caption())); break;
    case ActionProperty::Checked: Invalidate(); break;
  }
}

void TControl::ActionDestroyed(TAction&) { action_ = nullptr; }

void TControl::Click() {
  if (action_) {
    action_->Execute();
  } else if (OnClick) {
    OnClick(*this);
  }
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(*this);
}

void TControl::MouseDown(MouseButton b, ShiftState s, int x, int y) {
  if (OnMouseDown) OnMouseDown(*this, b, s, x, y);
}

void TControl::MouseMove(ShiftState s, int x, int y) {
  if (OnMouseMove) OnMouseMove(*this, s, x, y);
}

void TControl::MouseUp(MouseButton b, ShiftState s, int x, int y) {
  if (OnMouseUp) OnMouseUp(*this, b, s, x, y);
}

void TControl::MouseEnter() {
  if (OnMouseEnter) OnMouseEnter(*this);
}

void TControl::MouseLeave() {
  if (OnMouseLeave) OnMouseLeave(*this);
}

void TControl::Invalidate() {
  if (!parent_ || !visible_ || !parent_->HandleAllocated()) return;
  RECT r{bounds_.left, bounds_.top, bounds_.right(), bounds_.bottom()};
  InvalidateRect(parent_->WindowHandle(), &r, FALSE);
}

POINT TControl::ClientToScreen(POINT p) const {
  if (IsWindowed()) {
    auto* self = static_cast<const TWinControl*>(this);
    if (self->WindowHandle()) {
      ::ClientToScreen(self->WindowHandle(), &p);
      return p;
    }
  }
  if (!parent_) return p;
  return parent_->ClientToScreen({p.x + bounds_.left, p.y + bounds_.top});
}

POINT TControl::ScreenToClient(POINT p) const {
  POINT origin = ClientToScreen({0, 0});
  return {p.x - origin.x, p.y - origin.y};
}

bool TControl::ShowPopupMenu(POINT screen) {
  if (!popupMenu_) return false;
  popupMenu_->PopupComponent = this;
  popupMenu_->Popup(screen.x, screen.y);
  return true;
}

// ------------------------------------------------------------- TWinControl

namespace {
// Names the control of an adopted window (whose user data belongs to its maker).
constexpr wchar_t kAdopterProperty[] = L"swfp.tk.control";
}  // namespace

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
  // Leave the parent while this is still a whole windowed control.
  if (parent_) {
    parent_->RemoveControl(this);
    parent_ = nullptr;
  }
  // Children that outlive this control lose their parent (and their windows).
  auto children = controls_;
  for (TControl* c : children) c->SetParent(nullptr);
  if (hwnd_ && !adopted_) {
    // No message may reach this half-destroyed object any more.
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
    hwnd_ = nullptr;
  }
  DestroyHandle();
}

HWND TWinControl::Handle() {
  if (!hwnd_) CreateHandle();
  return hwnd_;
}

void TWinControl::MakeCreateParams(CreateParams& p) {
  p.className = L"SwfpControl";
  p.caption = caption_;
  p.x = bounds_.left;
  p.y = bounds_.top;
  p.width = bounds_.width;
  p.height = bounds_.height;
  if (visible_) p.style |= WS_VISIBLE;
  if (!enabled_) p.style |= WS_DISABLED;
  if (TabStop) p.style |= WS_TABSTOP;
  if (parent_) p.parent = parent_->Handle();
}

void TWinControl::CreateWnd() {
  CreateParams p;
  MakeCreateParams(p);
  if (!p.parent && (p.style & WS_CHILD)) throw std::logic_error("A child window needs a parent: " + Name());
  HINSTANCE inst = GetModuleHandleW(nullptr);
  {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExW(inst, p.className.c_str(), &wc)) {
      wc = WNDCLASSEXW{};
      wc.cbSize = sizeof wc;
      wc.style = p.classStyle;
      wc.lpfnWndProc = &TWinControl::StdWndProc;
      wc.hInstance = inst;
      wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
      wc.lpszClassName = p.className.c_str();
      wc.hIcon = Application().Icon();
      if (!RegisterClassExW(&wc)) throw std::runtime_error("Could not register a window class");
    }
  }
  creating_ = true;
  HWND hwnd = CreateWindowExW(p.exStyle, p.className.c_str(), p.caption.c_str(), p.style, p.x, p.y, p.width,
                              p.height, p.parent, p.menu, inst, this);
  creating_ = false;
  if (!hwnd) throw std::runtime_error("Could not create the window of " + Name());
  hwnd_ = hwnd;
}

void TWinControl::CreateHandle() {
  if (hwnd_) return;
  CreateWnd();
  for (TControl* c : std::vector<TControl*>(controls_)) {
    if (c->IsWindowed()) static_cast<TWinControl*>(c)->CreateHandle();
  }
  Realign();
}

void TWinControl::DestroyWindowHandle() {
  if (!hwnd_) return;
  if (adopted_) {
    ReleaseAdoptedWindow();
    return;
  }
  HWND h = hwnd_;
  DestroyWindow(h);  // WM_NCDESTROY clears hwnd_
  hwnd_ = nullptr;
}

void TWinControl::UpdateHint(TControl* over) {
  bool wanted = false;
  for (const TControl* c = over; c && !wanted; c = c->Parent()) wanted = c->ShowHint;
  const std::wstring text =
      over == this ? std::wstring()
                   : HintToShow(wanted, over->Hint, over->Action() ? swfp::win::Utf8ToWide(over->Action()->Caption()) : L"");
  if (text.empty()) {
    if (hint_) hint_->Hide();
    return;
  }
  if (!hint_) hint_ = std::make_unique<THintTip>(hwnd_);
  const RECT area{over->Left(), over->Top(), over->Left() + over->Width(), over->Top() + over->Height()};
  hint_->Show(area, text);
}

void TWinControl::DestroyHandle() {
  if (!hwnd_) return;
  hint_.reset();
  for (TControl* c : controls_) {
    if (c->IsWindowed()) static_cast<TWinControl*>(c)->DestroyHandle();
  }
  DestroyWindowHandle();
}

void TWinControl::AdoptWindow(HWND hwnd) {
  if (hwnd_) throw std::logic_error("The control already has a window: " + Name());
  if (!SetWindowSubclass(hwnd, &TWinControl::AdoptedWndProc, 1, reinterpret_cast<DWORD_PTR>(this)))
    throw std::runtime_error("Could not hook the window of " + Name());
  SetPropW(hwnd, kAdopterProperty, this);
  hwnd_ = hwnd;
  adopted_ = true;
}

void TWinControl::ReleaseAdoptedWindow() {
  if (!adopted_ || !hwnd_) return;
  RemoveWindowSubclass(hwnd_, &TWinControl::AdoptedWndProc, 1);
  RemovePropW(hwnd_, kAdopterProperty);
  hwnd_ = nullptr;
  adopted_ = false;
}

void TWinControl::WindowGone() {
  hwnd_ = nullptr;
  adopted_ = false;
  mouseControl_ = hoverControl_ = nullptr;
  trackingLeave_ = false;
}

TWinControl* TWinControl::FindControl(HWND hwnd) {
  if (!hwnd) return nullptr;
  if (HANDLE adopter = GetPropW(hwnd, kAdopterProperty)) return static_cast<TWinControl*>(adopter);
  // Only the toolkit's own window classes keep their control in the user data.
  if (reinterpret_cast<WNDPROC>(GetClassLongPtrW(hwnd, GCLP_WNDPROC)) != &TWinControl::StdWndProc) return nullptr;
  return reinterpret_cast<TWinControl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

bool TWinControl::DialogKey(UINT key, LPARAM keyData) {
  for (TControl* c : std::vector<TControl*>(controls_)) {
    if (c->IsWindowed() && static_cast<TWinControl*>(c)->DialogKey(key, keyData)) return true;
  }
  return false;
}

bool TWinControl::PaletteChanged(bool foreground) {
  bool realised = false;
  for (TControl* c : std::vector<TControl*>(controls_)) {
    if (!c->IsWindowed() || !static_cast<TWinControl*>(c)->PaletteChanged(foreground)) continue;
    realised = true;
    if (foreground) break;  // one palette is the foreground's
  }
  return realised;
}

LRESULT CALLBACK TWinControl::StdWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* self = static_cast<TWinControl*>(cs->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    if (self) self->hwnd_ = hwnd;
  }
  auto* self = reinterpret_cast<TWinControl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    LRESULT r = self->Deliver(hwnd, msg, wParam, lParam);
    self->WindowGone();
    return r;
  }
  return self->Deliver(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK TWinControl::AdoptedWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                             DWORD_PTR ref) {
  auto* self = reinterpret_cast<TWinControl*>(ref);
  if (msg == WM_NCDESTROY) {
    // The window is going: unhook first, so nothing reaches a stale object.
    RemoveWindowSubclass(hwnd, &TWinControl::AdoptedWndProc, 1);
    RemovePropW(hwnd, kAdopterProperty);
    self->WindowGone();
    return DefSubclassProc(hwnd, msg, wParam, lParam);
  }
  return self->Deliver(hwnd, msg, wParam, lParam);
}

LRESULT TWinControl::Deliver(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Message m{hwnd, msg, wParam, lParam, 0};
  ++dispatchDepth_;
  try {
    WndProc(m);
  } catch (...) {
    // An exception must not cross the window system's frames.
    Application().HandleException(std::current_exception());
  }
  --dispatchDepth_;
  return m.result;
}

LRESULT TWinControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
  Message m{hwnd_, msg, wParam, lParam, 0};
  WndProc(m);
  return m.result;
}

void TWinControl::WndProc(Message& m) {
  if (!Dispatch(m)) DefaultHandler(m);
}

void TWinControl::DefaultHandler(Message& m) {
  if (!m.hwnd) m.hwnd = hwnd_;
  if (!m.hwnd) {
    m.result = 0;
  } else if (adopted_) {
    m.result = DefSubclassProc(m.hwnd, m.msg, m.wParam, m.lParam);
  } else {
    m.result = DefWindowProcW(m.hwnd, m.msg, m.wParam, m.lParam);
  }
}

bool TWinControl::Dispatch(Message& m) {
  switch (m.msg) {
    case WM_PAINT: {
      if (adopted_) return false;
      PAINTSTRUCT ps;
      HDC dc = m.wParam ? reinterpret_cast<HDC>(m.wParam) : BeginPaint(m.hwnd, &ps);
      RECT rc;
      GetClientRect(m.hwnd, &rc);
      {
        MemoryCanvas canvas(dc, rc.right, rc.bottom);
        PaintWindow(canvas.dc());
        BitBlt(dc, 0, 0, rc.right, rc.bottom, canvas.dc(), 0, 0, SRCCOPY);
      }
      if (!m.wParam) EndPaint(m.hwnd, &ps);
      return true;
    }
    case WM_PRINTCLIENT:
      if (adopted_) return false;
      PaintWindow(reinterpret_cast<HDC>(m.wParam));
      return true;
    case WM_ERASEBKGND:
      if (adopted_) return false;
      m.result = 1;  // the double-buffered paint covers everything
      return true;
    case WM_SIZE: {
      if (IsIconic(m.hwnd)) return false;
      if (!realigning_) {
        RECT wr;
        GetWindowRect(m.hwnd, &wr);
        if (parent_ && parent_->HandleAllocated()) MapWindowPoints(nullptr, parent_->WindowHandle(), reinterpret_cast<POINT*>(&wr), 2);
        Bounds nb{wr.left, wr.top, wr.right - wr.left, wr.bottom - wr.top};
        if (nb != bounds_) bounds_ = nb;
      }
      Realign();
      if (fullRepaint_ && !adopted_) InvalidateRect(m.hwnd, nullptr, FALSE);
      Resize();
      return false;
    }
    case WM_SETCURSOR: {
      if (LOWORD(m.lParam) != HTCLIENT || reinterpret_cast<HWND>(m.wParam) != m.hwnd) return false;
      POINT p;
      GetCursorPos(&p);
      ::ScreenToClient(m.hwnd, &p);
      TControl* c = ControlAtPos(p.x, p.y);
      int cursor = c && c->Cursor() != crDefault ? c->Cursor() : cursor_;
      if (cursor == crDefault) return false;
      if (HCURSOR h = Screen().Cursor(cursor)) {
        ::SetCursor(h);
        m.result = TRUE;
        return true;
      }
      return false;
    }
    case WM_CONTEXTMENU: {
      if (adopted_) return false;  // an adopted window's control opens its own menu
      POINT p{GET_X_LPARAM(m.lParam), GET_Y_LPARAM(m.lParam)};
      if (p.x == -1 && p.y == -1) p = ClientToScreen({0, 0});
      POINT local = p;
      ::ScreenToClient(m.hwnd, &local);
      TControl* c = ControlAtPos(local.x, local.y);
      if (c && c->PopupMenu()) return c->ShowPopupMenu(p);
      if (ShowPopupMenu(p)) return true;
      return false;  // let the parent offer its menu
    }
    case WM_COMMAND:
      // An adopted window's commands are its own (the player sends the Flash
      // window command numbers of its own); menus only talk to our windows.
      if (adopted_) return false;
      if (m.lParam == 0 && HIWORD(m.wParam) == 0 && TMenuItem::DispatchCommand(LOWORD(m.wParam))) return true;
      if (m.lParam != 0) {
        // Notifications of child windows go back to their controls.
        HWND child = reinterpret_cast<HWND>(m.lParam);
        for (TControl* c : controls_) {
          if (c->IsWindowed() && static_cast<TWinControl*>(c)->WindowHandle() == child) {
            static_cast<TWinControl*>(c)->Perform(WM_COMMAND + 0xBC00, m.wParam, m.lParam);
            return true;
          }
        }
      }
      return false;
    case WM_MOUSELEAVE:
      trackingLeave_ = false;
      if (hoverControl_) {
        TControl* h = hoverControl_;
        hoverControl_ = nullptr;
        h->MouseLeave();
      }
      return false;
    default:
      if (m.msg >= WM_MOUSEFIRST && m.msg <= WM_MBUTTONDBLCLK) return MouseMessage(m);
      return false;
  }
}

void TWinControl::TrackLeave() {
  if (trackingLeave_ || !hwnd_) return;
  TRACKMOUSEEVENT t{sizeof t, TME_LEAVE, hwnd_, 0};
  trackingLeave_ = TrackMouseEvent(&t) != FALSE;
}

bool TWinControl::MouseMessage(Message& m) {
  const int x = GET_X_LPARAM(m.lParam), y = GET_Y_LPARAM(m.lParam);
  const ShiftState shift = ShiftFromMouseKeys(m.wParam);
  TControl* target = mouseControl_ ? mouseControl_ : ControlAtPos(x, y);
  if (target && !target->Enabled()) target = nullptr;
  TControl* receiver = target ? target : this;
  const int lx = target ? x - target->Left() : x, ly = target ? y - target->Top() : y;

  if (m.msg == WM_MOUSEMOVE) {
    TrackLeave();
    if (!mouseControl_ && hoverControl_ != receiver) {
      TControl* old = hoverControl_;
      hoverControl_ = receiver;
      if (old) old->MouseLeave();
      receiver->MouseEnter();
      UpdateHint(receiver);
    }
  }
  if (!target && (style_ & csNoStdEvents)) return false;

  auto buttonOf = [](UINT msg) {
    switch (msg) {
      case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK: return MouseButton::Right;
      case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MBUTTONDBLCLK: return MouseButton::Middle;
      default: return MouseButton::Left;
    }
  };

  switch (m.msg) {
    case WM_MOUSEMOVE:
      receiver->MouseMove(shift, lx, ly);
      break;
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK: case WM_RBUTTONDBLCLK: case WM_MBUTTONDBLCLK: {
      const bool dbl = m.msg == WM_LBUTTONDBLCLK || m.msg == WM_RBUTTONDBLCLK || m.msg == WM_MBUTTONDBLCLK;
      // The pressed child gets the rest of the press (and the click) even without capture.
      if (target) mouseControl_ = target;
      if (receiver->Style() & csCaptureMouse) SetCapture(m.hwnd);
      if (dbl && (receiver->Style() & csDoubleClicks)) receiver->DblClick();
      receiver->MouseDown(buttonOf(m.msg), shift | (dbl ? static_cast<ShiftState>(ssDouble) : 0u), lx, ly);
      break;
    }
    case WM_LBUTTONUP: case WM_RBUTTONUP: case WM_MBUTTONUP: {
      TControl* held = mouseControl_;
      mouseControl_ = nullptr;
      if (GetCapture() == m.hwnd) ReleaseCapture();
      const bool inside = lx >= 0 && ly >= 0 && lx < receiver->Width() && ly < receiver->Height();
      if (m.msg == WM_LBUTTONUP && inside && (receiver->Style() & csClickEvents) &&
          (held == target || !target))
        receiver->Click();
      receiver->MouseUp(buttonOf(m.msg), shift, lx, ly);
      if (held && !inside) {
        // The press ended outside the child: it is no longer under the mouse.
        if (hoverControl_ == held) hoverControl_ = nullptr;
        held->MouseLeave();
      }
      break;
    }
    default:
      return false;
  }
  return target != nullptr;  // the window's own default still sees its own mouse input
}

void TWinControl::Resize() {
  if (OnResize) OnResize(*this);
}

void TWinControl::UpdateBounds(const Bounds& b) {
  if (b == bounds_) return;
  bounds_ = b;
  if (hwnd_) {
    realigning_ = true;
    SetWindowPos(hwnd_, nullptr, b.left, b.top, b.width, b.height, SWP_NOZORDER | SWP_NOACTIVATE);
    realigning_ = false;
  } else {
    Realign();
  }
}

Size TWinControl::ClientSize() const {
  if (hwnd_) {
    RECT r;
    GetClientRect(hwnd_, &r);
    return {r.right, r.bottom};
  }
  return {bounds_.width, bounds_.height};
}

void TWinControl::Realign() {
  if (controls_.empty()) return;
  std::vector<LayoutItem> items;
  items.reserve(controls_.size());
  for (TControl* c : controls_) {
    LayoutItem it;
    it.bounds = c->BoundsRect();
    it.align = c->GetAlign();
    it.anchors = c->GetAnchors();
    it.constraints = c->Constraints();
    it.visible = c->Visible();
    it.anchorBase = c->AnchorBase();
    it.anchorParent = c->AnchorParent();
    items.push_back(it);
  }
  resolveLayout(ClientSize(), items);
  for (size_t i = 0; i < controls_.size(); ++i) controls_[i]->SetBoundsFromLayout(items[i].bounds);
}

TControl* TWinControl::ControlAtPos(int x, int y) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* c = *it;
    if (!c->IsWindowed() && c->Visible() && c->BoundsRect().contains(x, y)) return c;
  }
  return nullptr;
}

void TWinControl::InsertControl(TControl* c) {
  controls_.push_back(c);
  if (c->IsWindowed() && hwnd_) {
    auto* w = static_cast<TWinControl*>(c);
    if (w->HandleAllocated() && !w->Adopted()) {
      ::SetParent(w->WindowHandle(), hwnd_);
    } else if (!w->HandleAllocated()) {
      w->CreateHandle();
    }
  }
  c->Invalidate();
}

void TWinControl::RemoveControl(TControl* c) {
  ForgetControl(c);
  c->Invalidate();
  if (c->IsWindowed()) static_cast<TWinControl*>(c)->DestroyHandle();
  std::erase(controls_, c);
}

void TWinControl::ForgetControl(TControl* c) {
  if (mouseControl_ == c) {
    mouseControl_ = nullptr;
    if (hwnd_ && GetCapture() == hwnd_) ReleaseCapture();
  }
  if (hoverControl_ == c) hoverControl_ = nullptr;
}

void TWinControl::SetVisible(bool v) {
  if (v == visible_) return;
  TControl::SetVisible(v);
  if (hwnd_) ShowWindow(hwnd_, v ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::SetEnabled(bool v) {
  TControl::SetEnabled(v);
  if (hwnd_) EnableWindow(hwnd_, v);
}

void TWinControl::SetCaption(const std::wstring& text) {
  TControl::SetCaption(text);
  if (hwnd_) SetWindowTextW(hwnd_, text.c_str());
}

void TWinControl::Invalidate() {
  if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void TWinControl::Update() {
  if (hwnd_) UpdateWindow(hwnd_);
}

void TWinControl::FontChanged() {
  for (TControl* c : std::vector<TControl*>(controls_)) c->ParentFontChanged();
}

void TWinControl::ColorChanged() {
  for (TControl* c : std::vector<TControl*>(controls_)) c->ParentColorChanged();
}

bool TWinControl::CanFocus() const {
  for (const TWinControl* c = this; c; c = c->Parent()) {
    if (!c->HandleAllocated() || !c->Visible() || !c->Enabled()) return false;
  }
  return true;
}

bool TWinControl::Focused() const { return hwnd_ && GetFocus() == hwnd_; }

void TWinControl::SetFocus() {
  if (hwnd_) ::SetFocus(hwnd_);
}

void TWinControl::PaintWindow(HDC dc) {
  Size cs = ClientSize();
  RECT r{0, 0, cs.width, cs.height};
  if (parentBackground_ && parent_) {
    parent_->PaintBackgroundFor(*this, dc);
  } else if (color_ != clNone) {
    FillSolid(dc, r, color_);
  }
  PaintContent(dc);
  PaintControls(dc);
}

void TWinControl::PaintControls(HDC dc, const TControl* upTo) {
  for (TControl* c : controls_) {
    if (c == upTo) break;
    if (c->IsWindowed() || !c->Visible()) continue;
    const Bounds& b = c->BoundsRect();
    const int saved = SaveDC(dc);
    POINT old;
    OffsetViewportOrgEx(dc, b.left, b.top, &old);
    IntersectClipRect(dc, 0, 0, b.width, b.height);
    c->Paint(dc);
    RestoreDC(dc, saved);
  }
}

void TWinControl::PaintBackgroundFor(const TControl& child, HDC dc) {
  const int saved = SaveDC(dc);
  OffsetViewportOrgEx(dc, -child.Left(), -child.Top(), nullptr);
  PaintWindow(dc);
  RestoreDC(dc, saved);
}

Bitmap32 TWinControl::PaintToBitmap() {
  Size cs = ClientSize();
  if (cs.width <= 0 || cs.height <= 0) return Bitmap32();
  HDC screen = GetDC(nullptr);
  Bitmap32 out;
  {
    MemoryCanvas canvas(screen, cs.width, cs.height);
    PaintTo(canvas.dc(), 0, 0);
    out = CaptureBitmap32(canvas.dc(), 0, 0, cs.width, cs.height);
  }
  ReleaseDC(nullptr, screen);
  return out;
}

void TWinControl::PaintTo(HDC dc, int x, int y) {
  const int saved = SaveDC(dc);
  OffsetViewportOrgEx(dc, x, y, nullptr);
  if (adopted_ && hwnd_) {
    SendMessageW(hwnd_, WM_PRINT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
  } else {
    PaintWindow(dc);
  }
  for (TControl* c : controls_) {
    if (c->IsWindowed() && c->Visible())
      static_cast<TWinControl*>(c)->PaintTo(dc, c->Left(), c->Top());
  }
  RestoreDC(dc, saved);
}

}  // namespace swfp::tk
