// The player window built from its layout, under the window system.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "layouts/frm_plr_win.h"
#include "toolkit/application_win.h"

using namespace swfp;
using namespace swfp::tk;
using namespace swfp::layouts;

namespace {

class TestForm : public TfrmPlrBase {
 public:
  using TfrmPlrBase::TfrmPlrBase;
  std::map<std::string, int> calls;
  std::vector<std::string> updates;
  void actRewindExecute(TAction&) override { ++calls["actRewindExecute"]; }
  void actLowQExecute(TAction&) override { ++calls["actLowQExecute"]; }
  void ActionList1Update(TAction& a, bool& handled) override {
    updates.push_back(a.Name());
    handled = true;
  }
  void imgDetailsBottomMouseDown(TComponent& s, MouseButton, ShiftState, int, int) override {
    ++calls["imgDetailsBottomMouseDown:" + s.Name()];
  }
};

// -1 when the menu has no such item.
int MenuChecked(HMENU menu, UINT cmd) {
  const UINT s = GetMenuState(menu, cmd, MF_BYCOMMAND);
  return s == static_cast<UINT>(-1) ? -1 : (s & MF_CHECKED) != 0;
}

class FrmPlr : public ::testing::Test {
 protected:
  void SetUp() override {
    SetCursorPos(2000, 2000);  // keep the real pointer away from the window
    form = std::make_unique<TestForm>(nullptr);
    form->SetBounds(0, 0, form->Width(), form->Height());  // wholly on screen, for the captures
    form->animator->Clock = [this] { return now; };
    Application().SetMainForm(form.get());
    form->Show();
    Application().ProcessMessages();
  }
  void TearDown() override {
    Application().SetMainForm(nullptr);
    form.reset();
  }
  std::unique_ptr<TestForm> form;
  Millis now = 100000;
};

TEST_F(FrmPlr, OpensAtItsClientSizeWithEveryComponentInPlace) {
  RECT cr;
  GetClientRect(form->WindowHandle(), &cr);
  EXPECT_EQ((std::pair{cr.right, cr.bottom}), (std::pair{650L, 609L}));
  EXPECT_EQ(GetMenu(form->WindowHandle()), form->mnMain->Handle());
  // Every placed component stands where the layout stores it; labels stored
  // without a size take the size of their text.
  for (const ComponentLayout& c : FrmPlrLayout().components) {
    if (!c.hasBounds) continue;
    const Bounds b = Component<TControl>(*form, c.name).BoundsRect();
    if (c.bounds.width == 0 && c.bounds.height == 0) {
      EXPECT_EQ((std::pair{b.left, b.top}), (std::pair{c.bounds.left, c.bounds.top})) << c.name;
      EXPECT_GT(b.width * b.height, 0) << c.name;
    } else {
      EXPECT_EQ(b, c.bounds) << c.name;
    }
  }
  EXPECT_FALSE(form->btnSoundOff->Visible());
  EXPECT_EQ(form->Constraints().minWidth, 656);
  EXPECT_THROW(Component<TLabel>(*form, "tmrRefresher"), std::runtime_error) << "a component of another kind";

  // 100 wider and 50 taller: the bottom panel keeps its height, the anchored slider stretches.
  form->SetClientSize(750, 659);
  Application().ProcessMessages();
  EXPECT_EQ(form->pnControls->BoundsRect(), (Bounds{0, 526, 750, 133}));
  EXPECT_EQ(form->ProgressSlider->Width(), 360);
}

TEST_F(FrmPlr, ActionStateReachesMenuItemsAndButtons) {
  HMENU main = form->mnMain->Handle(), popup = form->mnPopup->Handle();
  const UINT zoomIn2 = form->MenuItem("ZoomIn2")->Command();
  EXPECT_EQ(MenuChecked(popup, zoomIn2), 0);
  form->actZoomIn->SetVisible(false);
  EXPECT_EQ(MenuChecked(popup, zoomIn2), -1);
  // Radio group: HighQuality starts checked; choosing Low through the bar's menu
  // moves the check in both menus.
  const UINT low1 = form->MenuItem("Low1")->Command(), high1 = form->MenuItem("HighQuality1")->Command();
  EXPECT_EQ(MenuChecked(main, high1), 1);
  SendMessageW(form->WindowHandle(), WM_COMMAND, MAKEWPARAM(low1, 0), 0);
  EXPECT_EQ(form->calls["actLowQExecute"], 1);
  EXPECT_EQ(MenuChecked(main, high1), 0);
  EXPECT_EQ(MenuChecked(popup, form->MenuItem("Low2")->Command()), 1);
  // Buttons follow the action's visibility.
  form->actRewind->SetVisible(false);
  EXPECT_FALSE(form->btnRewind->Visible());
}

TEST_F(FrmPlr, IdleUpdateRunsOncePerActionThroughTheListHandler) {
  std::vector<std::string> actions;
  for (const ComponentLayout& c : FrmPlrLayout().components)
    if (c.kind == "TAction") actions.push_back(c.name);
  // The message loop runs it, once per action, when the queue is empty.
  form->updates.clear();
  PostMessageW(form->WindowHandle(), WM_NULL, 0, 0);
  const int id = Application().AddIdleHandler([] { Application().Terminate(); });
  Application().Run();
  Application().RemoveIdleHandler(id);
  ASSERT_GE(form->updates.size(), actions.size());
  form->updates.resize(actions.size());
  EXPECT_EQ(form->updates, actions);
}

TEST_F(FrmPlr, ButtonsAnimateOnTheMouseAndRunTheirAction) {
  HWND panel = form->pnControls->WindowHandle();
  TDIBButton& b = *form->btnRewind;
  SendMessageW(panel, WM_MOUSEMOVE, 0, MAKELPARAM(50, 85));  // over btnRewind: fades in 50 ms steps
  now += 50;
  EXPECT_EQ(b.CurrentFrame(), 7);
  now += 150;
  SendMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 85));
  now += 10;
  EXPECT_EQ(b.CurrentFrame(), 48);
  SendMessageW(panel, WM_LBUTTONUP, 0, MAKELPARAM(50, 85));
  EXPECT_EQ(form->calls["actRewindExecute"], 1);

  // A press on the panel images reaches their handler.
  SendMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(400, 125));
  EXPECT_EQ(form->calls["imgDetailsBottomMouseDown:imgDetailsBottom"], 1);
}

// The navigator's picture and the skin's left cap at the panel's corner, on screen.
TEST_F(FrmPlr, NavigatorPictureAndSkinPaintOnScreen) {
  TImage32& img = *form->image;
  img.SetPicture(Bitmap32(230, 130, MakeColor32(0, 0, 255)));  // fits the 115 x 65 control exactly
  UpdateWindow(form->WindowHandle());
  HWND panel = form->pnControls->WindowHandle();
  HDC dc = GetDC(panel);
  const Bitmap32 shown = CaptureBitmap32(dc, 0, 0, 650, 133);
  ReleaseDC(panel, dc);
  const Color32 cap = form->ani_images->Image(1).Pixel(1, 60);
  EXPECT_NEAR(RedOf(shown.Pixel(1, 60)), RedOf(cap), 2);
  EXPECT_NEAR(GreenOf(shown.Pixel(1, 60)), GreenOf(cap), 2);
  for (auto [dx, dy] : {std::pair{0, 0}, std::pair{114, 64}})
    EXPECT_EQ(shown.Pixel(img.Left() + dx, img.Top() + dy) & 0xFFFFFF, MakeColor32(0, 0, 255) & 0xFFFFFF) << dx;
}

}  // namespace
