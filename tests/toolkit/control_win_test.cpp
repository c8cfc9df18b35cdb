// The control base under the window system: adopted windows, the mouse and the keyboard.
#include <gtest/gtest.h>

#include <windows.h>

#include <stdexcept>
#include <vector>

#include "toolkit/application_win.h"
#include "toolkit/dib_win.h"
#include "toolkit/form_win.h"
#include "toolkit/menu_win.h"
#include "toolkit/stdctrls_win.h"

using namespace swfp::tk;

namespace {

std::vector<UINT> foreignSeen;

LRESULT CALLBACK ForeignProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg >= WM_USER || msg == WM_COMMAND) {
    foreignSeen.push_back(msg);
    return 42;
  }
  return DefWindowProcW(h, msg, w, l);
}

HWND MakeForeignWindow(HWND parent) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = ForeignProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"ForeignForTests";
  RegisterClassW(&wc);  // fails harmlessly when already registered
  return CreateWindowExW(0, L"ForeignForTests", L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, parent, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

// A control that takes over a window made elsewhere, like the player control does.
class Adopter : public TWinControl {
 public:
  using TWinControl::TWinControl;
  using TWinControl::AdoptWindow;
  using TWinControl::ReleaseAdoptedWindow;
  std::vector<UINT> seen;
  void WndProc(Message& m) override {
    if (m.msg >= WM_USER) seen.push_back(m.msg);
    TWinControl::WndProc(m);
  }
  void DefaultHandler(Message& m) override {
    if (m.msg == WM_USER + 2) {  // kept from the window's own procedure
      m.result = 7;
      return;
    }
    TWinControl::DefaultHandler(m);
  }
};

void Click(HWND w, int x, int y) {
  SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

// Posts a key to the window and runs the toolkit's loop until the queue is empty.
void PressKey(HWND to, WPARAM key) {
  PostMessageW(to, WM_KEYDOWN, key, 1);
  while (Application().HandleMessage()) {
  }
}

struct Fixture : ::testing::Test {
  void SetUp() override {
    form.SetClientSize(200, 150);
    form.HandleNeeded();
    foreignSeen.clear();
  }
  TForm form{nullptr};
};

}  // namespace

// Every other case here reaches its controls through the binding; these are the parts they do not show.
TEST_F(Fixture, WindowsAreBoundToTheirObjectAtCreation) {
  auto& panel = form.Make<TPanel>();
  panel.SetParent(&form);
  ASSERT_TRUE(panel.HandleAllocated());
  EXPECT_EQ(GetParent(panel.WindowHandle()), form.WindowHandle());
  panel.SetVisible(false);
  EXPECT_FALSE(IsWindowVisible(panel.WindowHandle()));
  HWND h = panel.WindowHandle();
  panel.SetParent(nullptr);  // leaving the parent takes the window away
  EXPECT_FALSE(IsWindow(h));
}

TEST_F(Fixture, AdoptedWindowRunsThroughTheControlAndItsDefaultHandler) {
  auto& a = form.Make<Adopter>();
  HWND foreign = MakeForeignWindow(form.WindowHandle());
  ASSERT_TRUE(foreign);
  a.AdoptWindow(foreign);
  EXPECT_EQ(TWinControl::FindControl(foreign), &a);
  EXPECT_THROW(a.AdoptWindow(foreign), std::logic_error);

  EXPECT_EQ(SendMessageW(foreign, WM_USER + 1, 0, 0), 42);  // reaches the own procedure last
  EXPECT_EQ(SendMessageW(foreign, WM_USER + 2, 0, 0), 7);   // the control's default handler keeps it
  // A posted key is offered to the control first, reflected (left unhandled, that
  // reaches the own procedure too); the key itself, below WM_USER, is not recorded.
  const UINT reflectedKey = WM_KEYDOWN + 0xBC00;
  PressKey(foreign, 'K');
  EXPECT_EQ(a.seen, (std::vector<UINT>{WM_USER + 1, WM_USER + 2, reflectedKey}));
  EXPECT_EQ(foreignSeen, (std::vector<UINT>{WM_USER + 1, reflectedKey}));

  // Command numbers sent to an adopted window are the window's own, never menu clicks.
  TMenuItem& item = form.Make<TPopupMenu>().Items().Add("Item");
  int clicks = 0;
  item.OnClick = [&](TMenuItem&) { ++clicks; };
  SendMessageW(foreign, WM_COMMAND, item.Command(), 0);
  EXPECT_EQ(clicks, 0);
  SendMessageW(form.WindowHandle(), WM_COMMAND, item.Command(), 0);  // the form's menu commands do run
  EXPECT_EQ(clicks, 1);

  a.ReleaseAdoptedWindow();
  EXPECT_EQ(TWinControl::FindControl(foreign), nullptr);
  EXPECT_EQ(SendMessageW(foreign, WM_USER + 2, 0, 0), 42);
  EXPECT_EQ(a.seen.size(), 3u);
  EXPECT_EQ(foreignSeen, (std::vector<UINT>{WM_USER + 1, reflectedKey, WM_COMMAND, WM_USER + 2}));

  // A window destroyed while adopted unhooks itself and the control forgets it.
  a.AdoptWindow(foreign);
  DestroyWindow(foreign);
  EXPECT_FALSE(a.HandleAllocated());
}

TEST_F(Fixture, GraphicChildrenRunTheirActionAndReportHandlerExceptions) {
  auto& list = form.Make<TActionList>();
  auto& act = form.Make<TAction>(&list);
  int runs = 0;
  act.OnExecute = [&](TAction&) { ++runs; };
  auto& label = form.Make<TLabel>();
  label.SetCaption(L"Click me");
  label.SetBounds(20, 20, 0, 0);
  label.SetParent(&form);
  label.SetAction(&act);
  Click(form.WindowHandle(), 22, 22);
  EXPECT_EQ(runs, 1);
  // A release away from the control is no click.
  SendMessageW(form.WindowHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(22, 22));
  SendMessageW(form.WindowHandle(), WM_LBUTTONUP, 0, MAKELPARAM(150, 120));
  EXPECT_EQ(runs, 1);

  // An exception from a handler goes to the application's report, not through the window system.
  label.OnMouseDown = [](TComponent&, MouseButton, ShiftState, int, int) { throw std::runtime_error("broken"); };
  std::wstring reported;
  Application().OnException = [&](std::exception_ptr e) { reported = TApplication::ExceptionText(e); };
  Click(form.WindowHandle(), 22, 22);
  Application().OnException = nullptr;
  EXPECT_EQ(reported, L"broken");

  act.SetVisible(false);
  EXPECT_EQ(form.ControlAtPos(22, 22), nullptr);
}

TEST_F(Fixture, SliderFollowsTheMouseAndTheKeyboardAndReportsChanges) {
  auto& slider = form.Make<TDIBSlider>(nullptr);
  slider.SetBounds(10, 10, 150, 15);
  slider.SetParent(&form);
  slider.SetRange(0, 300);
  slider.SetSteps(1, 20, 5);
  int changes = 0;
  slider.OnChange = [&](TComponent&) { ++changes; };
  form.Show();
  // Dragged by its pointer to beyond the right end: the maximum.
  HWND h = slider.WindowHandle();
  SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(slider.PointerBounds().left + 5, 7));
  SendMessageW(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(200, 7));
  SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(200, 7));
  EXPECT_EQ(slider.Position(), 300);
  EXPECT_EQ(changes, 1);
  // The click gave it the keyboard.
  ASSERT_TRUE(slider.Focused());
  EXPECT_TRUE(SendMessageW(h, WM_GETDLGCODE, VK_LEFT, 0) & DLGC_WANTARROWS);
  slider.SetPosition(100);
  changes = 0;
  PressKey(GetFocus(), VK_LEFT);
  EXPECT_EQ(slider.Position(), 99);
  slider.SetMax(9);  // a shrinking range moves the position, and says so
  EXPECT_EQ(changes, 2);
}
