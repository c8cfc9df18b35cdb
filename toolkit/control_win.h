// The control classes every window of the player is made of.
//
// TControl: a component with a parent, bounds, alignment and anchors,
// visibility, size constraints, cursor, popup menu, mouse events and an
// optional action. Without a window of its own (a "graphic" control) it is
// painted by its parent and gets its mouse input from it.
//
// TWinControl: a control with a window. One window procedure serves every
// window the toolkit creates: the object is bound at WM_NCCREATE through
// lpCreateParams. A window made by someone else can be adopted: it is hooked
// with SetWindowSubclass and unhooked before it is destroyed, and whatever the
// object does not consume goes to the window's own procedure.
//
// Message flow: WndProc(m) -> Dispatch(m) (per-message handlers, true when
// consumed) -> DefaultHandler(m) (the class's default, or the adopted
// window's own procedure). Derived classes may override any of the three;
// overriding DefaultHandler is how a control decides what the adopted
// window's own procedure still sees.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/action.h"
#include "toolkit/align.h"
#include "toolkit/component.h"
#include "toolkit/graphics_win.h"
#include "toolkit/input_state.h"

namespace swfp::tk {

class TWinControl;
class TPopupMenu;
class THintTip;

// The key state of a mouse message (its wParam) as a shift set.
ShiftState ShiftFromMouseKeys(WPARAM keys);

using NotifyEvent = std::function<void(TComponent& sender)>;
using MouseEvent = std::function<void(TComponent& sender, MouseButton button, ShiftState shift, int x, int y)>;
using MouseMoveEvent = std::function<void(TComponent& sender, ShiftState shift, int x, int y)>;

// A window message on its way through a control; handlers set `result`.
struct Message {
  HWND hwnd = nullptr;
  UINT msg = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  LRESULT result = 0;
};

enum ControlStyle : unsigned {
  csCaptureMouse = 1,  // a button press captures the mouse until release
  csClickEvents = 2,   // a release over the control after a press raises Click
  csDoubleClicks = 4,  // double clicks are reported (else they count as presses)
  csNoStdEvents = 8,   // the base class raises no mouse events of its own
};

// Cursor numbers: 0 is the arrow; others are registered with the Screen (application_win.h).
inline constexpr int crDefault = 0;

class TControl : public TComponent, protected ActionClient {
 public:
  explicit TControl(TComponent* owner);
  ~TControl() override;

  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* parent);

  const Bounds& BoundsRect() const { return bounds_; }
  int Left() const { return bounds_.left; }
  int Top() const { return bounds_.top; }
  int Width() const { return bounds_.width; }
  int Height() const { return bounds_.height; }
  // Moves the control as the program asks; also re-fixes the anchor distances.
  virtual void SetBounds(int left, int top, int width, int height);
  void SetLeft(int v) { SetBounds(v, Top(), Width(), Height()); }
  void SetTop(int v) { SetBounds(Left(), v, Width(), Height()); }
  void SetWidth(int v) { SetBounds(Left(), Top(), v, Height()); }
  void SetHeight(int v) { SetBounds(Left(), Top(), Width(), v); }

  Align GetAlign() const { return align_; }
  void SetAlign(Align a);
  Anchors GetAnchors() const { return anchors_; }
  void SetAnchors(Anchors a);
  const SizeConstraints& Constraints() const { return constraints_; }
  void SetConstraints(const SizeConstraints& c);

  bool Visible() const { return visible_; }
  virtual void SetVisible(bool v);
  // Visible, and so are all parents.
  bool Showing() const;
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool v);

  int Cursor() const { return cursor_; }
  void SetCursor(int cursor) { cursor_ = cursor; }
  TPopupMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(TPopupMenu* menu) { popupMenu_ = menu; }

  TColor Color() const { return color_; }
  void SetColor(TColor c);
  const TFont& Font() const { return font_; }
  virtual void SetFont(const TFont& f);
  const std::wstring& Caption() const { return caption_; }
  virtual void SetCaption(const std::wstring& text);
  // Font and colour taken from the parent and followed when the parent's
  // change. Setting a font or colour of the control's own ends the following.
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool v);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool v);
  // Called by the parent when its font or colour changed, and on placing the
  // control on a parent: a following control takes it over.
  virtual void ParentFontChanged();
  virtual void ParentColorChanged();
  std::wstring Hint;
  bool ShowHint = false;

  // Binds the control to an action: caption, visibility and enabled state follow it,
  // and Click runs it.
  TAction* Action() const { return action_; }
  virtual void SetAction(TAction* action);

  unsigned Style() const { return style_; }
  void SetStyle(unsigned s) { style_ = s; }

  MouseEvent OnMouseDown;
  MouseMoveEvent OnMouseMove;
  MouseEvent OnMouseUp;
  NotifyEvent OnClick;
  NotifyEvent OnDblClick;
  NotifyEvent OnMouseEnter;
  NotifyEvent OnMouseLeave;
  NotifyEvent OnResize;

  // Notifications; the defaults raise the events above.
  virtual void Click();
  virtual void DblClick();
  virtual void MouseDown(MouseButton button, ShiftState shift, int x, int y);
  virtual void MouseMove(ShiftState shift, int x, int y);
  virtual void MouseUp(MouseButton button, ShiftState shift, int x, int y);
  virtual void MouseEnter();
  virtual void MouseLeave();

  virtual bool IsWindowed() const { return false; }
  // Repaints the control (for a graphic control: its rectangle of the parent).
  virtual void Invalidate();
  // Paints a graphic control; the origin of `dc` is the control's top-left corner.
  virtual void Paint(HDC dc) { (void)dc; }

  POINT ClientToScreen(POINT p) const;
  POINT ScreenToClient(POINT p) const;
  // Opens the popup menu at a screen point; returns false without one.
  bool ShowPopupMenu(POINT screen);

  // Layout bookkeeping (used by the parent's realignment).
  const Bounds& AnchorBase() const { return anchorBase_; }
  const Size& AnchorParent() const { return anchorParent_; }
  // Sets bounds as the layout computed them, leaving the anchor distances as they are.
  void SetBoundsFromLayout(const Bounds& b);

 protected:
  void ActionChanged(TAction& action, ActionProperty what) override;
  void ActionDestroyed(TAction& action) override;
  // Applies new bounds; windowed controls move their window here.
  virtual void UpdateBounds(const Bounds& b);
  // This control's own font or colour changed; windowed controls tell their children.
  virtual void FontChanged() {}
  virtual void ColorChanged() {}
  void FixAnchors();
  void RequestRealign();

  TWinControl* parent_ = nullptr;
  Bounds bounds_;
  Bounds anchorBase_;
  Size anchorParent_;
  Align align_ = Align::None;
  Anchors anchors_ = kDefaultAnchors;
  SizeConstraints constraints_;
  bool visible_ = true;
  bool enabled_ = true;
  int cursor_ = crDefault;
  TPopupMenu* popupMenu_ = nullptr;
  TColor color_ = clBtnFace;
  TFont font_;
  bool parentFont_ = false;
  bool parentColor_ = false;
  std::wstring caption_;
  TAction* action_ = nullptr;
  unsigned style_ = csCaptureMouse | csClickEvents | csDoubleClicks;
};

// Creation parameters of a toolkit window; classes adjust them in CreateParams.
struct CreateParams {
  std::wstring className;  // registered on first use with the toolkit's procedure
  std::wstring caption;
  DWORD style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  DWORD exStyle = 0;
  UINT classStyle = CS_DBLCLKS;
  int x = 0, y = 0, width = 0, height = 0;
  HWND parent = nullptr;
  HMENU menu = nullptr;
};

class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;

  // The window; created (with the windows of all children) on first use.
  HWND Handle();
  HWND WindowHandle() const { return hwnd_; }
  bool HandleAllocated() const { return hwnd_ != nullptr; }
  void HandleNeeded() { (void)Handle(); }
  bool IsWindowed() const override { return true; }

  const std::vector<TControl*>& Controls() const { return controls_; }
  // The topmost visible graphic child at a client point, or none.
  TControl* ControlAtPos(int x, int y) const;
  // Places aligned and anchored children for the current client size.
  void Realign();
  virtual Size ClientSize() const;

  // Sends a message through this control's own procedure chain.
  LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

  // The control a window belongs to, made by the toolkit or adopted; none for other windows.
  static TWinControl* FindControl(HWND hwnd);

  // A navigation key (Tab, arrows, Enter, Escape) the focused window left to
  // its form. The default offers it to the windowed children in turn; true
  // when one of them took it.
  virtual bool DialogKey(UINT key, LPARAM keyData);
  // The system palette changed (foreground: the form is about to become active
  // and may realise its palette). The default offers it to the windowed children;
  // true when one of them realised a palette.
  virtual bool PaletteChanged(bool foreground);

  virtual void WndProc(Message& m);
  // The end of every message's processing: the window class's default
  // procedure, or for an adopted window its own procedure.
  virtual void DefaultHandler(Message& m);

  void SetVisible(bool v) override;
  void SetEnabled(bool v) override;
  void SetCaption(const std::wstring& text) override;
  void Invalidate() override;
  void Update();  // paints pending invalid parts now
  bool Focused() const;
  void SetFocus();
  // Has a window that is visible and enabled, as are all its parents.
  bool CanFocus() const;
  bool TabStop = false;
  int TabOrder = 0;

  // Paints the window's client area into a device context (background,
  // own drawing, graphic children); used for snapshots and by children
  // that show their parent through.
  virtual void PaintTo(HDC dc, int x, int y);
  // The client area painted into a new 32-bit picture (a snapshot).
  Bitmap32 PaintToBitmap();
  // Children that show the parent's background ask for it here (client coordinates of this control).
  virtual void PaintBackgroundFor(const TControl& child, HDC dc);

  // Called by TControl::SetParent.
  void InsertControl(TControl* c);
  void RemoveControl(TControl* c);
  // A graphic child went away or hid: forget mouse tracking that points to it.
  void ForgetControl(TControl* c);

 protected:
  void FontChanged() override;
  void ColorChanged() override;
  virtual bool Dispatch(Message& m);
  virtual void MakeCreateParams(CreateParams& p);
  virtual void CreateWnd();
  // Creates this window, then those of the children.
  virtual void CreateHandle();
  // Destroys the window, or hands back an adopted one.
  virtual void DestroyWindowHandle();
  void DestroyHandle();
  void UpdateBounds(const Bounds& b) override;

  // Takes a window made elsewhere as this control's window (subclassing it).
  void AdoptWindow(HWND hwnd);
  // Unhooks an adopted window and forgets it (the window itself lives on).
  void ReleaseAdoptedWindow();
  bool Adopted() const { return adopted_; }

  // Painting of toolkit-made windows: double-buffered WM_PAINT.
  // Override PaintWindow for the whole client area; the default fills the
  // background colour, calls PaintContent and paints the graphic children.
  virtual void PaintWindow(HDC dc);
  virtual void PaintContent(HDC dc) { (void)dc; }
  void PaintControls(HDC dc, const TControl* upTo = nullptr);
  // The window shows its parent's picture as its background.
  bool parentBackground_ = false;
  // Repaint the whole window on every resize (for stretched and centred pictures).
  bool fullRepaint_ = true;

  virtual void Resize();

 private:
  static LRESULT CALLBACK StdWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK AdoptedWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR ref);
  LRESULT Deliver(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void WindowGone();
  bool MouseMessage(Message& m);
  void TrackLeave();
  // Points the tooltip at the graphic child under the mouse (none for this window itself).
  void UpdateHint(TControl* over);

  HWND hwnd_ = nullptr;
  bool adopted_ = false;
  bool creating_ = false;
  bool realigning_ = false;
  bool trackingLeave_ = false;
  int dispatchDepth_ = 0;
  std::vector<TControl*> controls_;
  TControl* mouseControl_ = nullptr;  // graphic child that took a button press
  TControl* hoverControl_ = nullptr;  // control the mouse is over (a child or this)
  std::unique_ptr<THintTip> hint_;     // made when a child first has something to say
};

// A plain windowed control that paints itself (panels, containers, forms derive from it).
class TCustomControl : public TWinControl {
 public:
  using TWinControl::TWinControl;
};

}  // namespace swfp::tk
