// The player window built from its layout, under the window system.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "layouts/frm_about_win.h"
#include "layouts/frm_plr_win.h"
#include "layouts/frm_splash_win.h"
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
  bool handleUpdates = true;
  void actRewindExecute(TAction&) override { ++calls["actRewindExecute"]; }
  void actLowQExecute(TAction&) override { ++calls["actLowQExecute"]; }
  void ProgressSliderChange(TComponent&) override { ++calls["ProgressSliderChange"]; }
  void ActionList1Update(TAction& a, bool& handled) override {
    updates.push_back(a.Name());
    handled = handleUpdates;
  }
  void imgDetailsBottomMouseDown(TComponent& s, MouseButton, ShiftState, int, int) override {
    ++calls["imgDetailsBottomMouseDown:" + s.Name()];
  }
};

void Pump() { Application().ProcessMessages(); }

LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

bool MenuHas(HMENU menu, UINT cmd) { return GetMenuState(menu, cmd, MF_BYCOMMAND) != static_cast<UINT>(-1); }
bool MenuChecked(HMENU menu, UINT cmd) {
  UINT s = GetMenuState(menu, cmd, MF_BYCOMMAND);
  return s != static_cast<UINT>(-1) && (s & MF_CHECKED);
}

class FrmPlr : public ::testing::Test {
 protected:
  void SetUp() override {
    SetCursorPos(2000, 2000);  // keep the real pointer away from the window
    form = std::make_unique<TestForm>(nullptr);
    form->SetBounds(0, 0, form->Width(), form->Height());
    form->animator->Clock = [this] { return now; };
    Application().SetMainForm(form.get());
    form->Show();
    Pump();
  }
  void TearDown() override {
    Application().SetMainForm(nullptr);
    form.reset();
  }
  std::unique_ptr<TestForm> form;
  Millis now = 100000;
};

TEST_F(FrmPlr, OpensAtItsClientSizeWithEveryComponentInPlace) {
  EXPECT_EQ(form->ClientSize(), (Size{650, 609}));
  RECT cr;
  GetClientRect(form->WindowHandle(), &cr);
  EXPECT_EQ(cr.right, 650);
  EXPECT_EQ(cr.bottom, 609);
  EXPECT_EQ(GetMenu(form->WindowHandle()), form->mnMain->Handle());
  // Every placed component stands where the layout stores it; labels stored
  // without a size take the size of their text.
  int placed = 0;
  for (const ComponentLayout& c : FrmPlrLayout().components) {
    if (!c.hasBounds) continue;
    ++placed;
    const Bounds b = Component<TControl>(*form, c.name).BoundsRect();
    if (c.bounds.width == 0 && c.bounds.height == 0) {
      EXPECT_EQ((std::pair{b.left, b.top}), (std::pair{c.bounds.left, c.bounds.top})) << c.name;
      EXPECT_GT(b.width * b.height, 0) << c.name;
    } else {
      EXPECT_EQ(b, c.bounds) << c.name;
    }
  }
  EXPECT_GT(placed, 30);
  EXPECT_TRUE(form->btnSoundOn->Visible());
  EXPECT_FALSE(form->btnSoundOff->Visible());
  EXPECT_EQ(form->lblMovieName->Caption(), L"Tavolin created by Quindo Vexlor");
  EXPECT_EQ(form->pnPlayer->Constraints().minHeight, 100);
  EXPECT_EQ(form->Constraints().minWidth, 656);
  EXPECT_EQ(form->tmrRefresher->Interval(), 333u);
  EXPECT_TRUE(form->tmrRefresher->Enabled());
  EXPECT_EQ(size_t(form->ani_images->Count()), AniImages().size());
  EXPECT_EQ(size_t(form->slider_images->Count()), SliderImages().size());

  // A wider and taller window: the panel keeps its height, anchored parts follow.
  form->SetClientSize(750, 659);
  Pump();
  EXPECT_EQ(form->pnPlayer->BoundsRect(), (Bounds{0, 0, 750, 526}));
  EXPECT_EQ(form->pnControls->BoundsRect(), (Bounds{0, 526, 750, 133}));
  EXPECT_EQ(form->imgDetailsBottom->BoundsRect(), (Bounds{309, 0, 285, 133}));
  EXPECT_EQ(form->imgRightBottom->BoundsRect(), (Bounds{594, 0, 156, 133}));
  EXPECT_EQ(form->ProgressSlider->BoundsRect(), (Bounds{21, 28, 360, 15}));
  EXPECT_EQ(form->zoom_slider->BoundsRect(), (Bounds{612, 107, 124, 15}));
  EXPECT_EQ(form->image->BoundsRect(), (Bounds{616, 36, 115, 65}));
  EXPECT_EQ(form->DIBAnimContainer1->BoundsRect(), (Bounds{720, 0, 24, 20}));
  EXPECT_EQ(form->lblMovieCompressed->Left(), 516);
  EXPECT_EQ(form->btnRewind->BoundsRect(), (Bounds{34, 69, 32, 32}));
}

TEST_F(FrmPlr, ActionStateReachesMenuItemsAndButtons) {
  HMENU main = form->mnMain->Handle(), popup = form->mnPopup->Handle();
  TMenuItem* zoomIn1 = form->MenuItem("ZoomIn1");
  TMenuItem* zoomIn2 = form->MenuItem("ZoomIn2");
  ASSERT_TRUE(zoomIn1 && zoomIn2);
  EXPECT_TRUE(MenuHas(main, zoomIn1->Command()));
  EXPECT_TRUE(MenuHas(popup, zoomIn2->Command()));
  form->actZoomIn->SetVisible(false);
  EXPECT_FALSE(MenuHas(main, zoomIn1->Command()));
  EXPECT_FALSE(MenuHas(popup, zoomIn2->Command()));
  form->actZoomIn->SetVisible(true);
  EXPECT_TRUE(MenuHas(main, zoomIn1->Command()));

  // Captions: from the action unless the layout gives one.
  EXPECT_EQ(form->MenuItem("Print1")->Caption(), L"Print...");
  EXPECT_EQ(form->MenuItem("Play1")->Caption(), L"Play");

  UINT loop2 = form->MenuItem("Loop2")->Command(), loop1 = form->MenuItem("Loop1")->Command();
  EXPECT_FALSE(MenuChecked(main, loop2));
  form->actLoop->SetChecked(true);
  EXPECT_TRUE(MenuChecked(main, loop2));
  EXPECT_TRUE(MenuChecked(popup, loop1));

  // Radio group: HighQuality starts checked; choosing Low through the menu moves the check.
  UINT low1 = form->MenuItem("Low1")->Command(), high1 = form->MenuItem("HighQuality1")->Command();
  EXPECT_TRUE(MenuChecked(main, high1));
  SendMessageW(form->WindowHandle(), WM_COMMAND, MAKEWPARAM(low1, 0), 0);
  EXPECT_EQ(form->calls["actLowQExecute"], 1);
  EXPECT_TRUE(MenuChecked(main, low1));
  EXPECT_FALSE(MenuChecked(main, high1));
  EXPECT_TRUE(MenuChecked(popup, form->MenuItem("Low2")->Command()));

  // Buttons follow the action's visibility; a hidden button paints nothing and takes no clicks.
  form->actRewind->SetVisible(false);
  EXPECT_FALSE(form->btnRewind->Visible());
  SendMessageW(form->pnControls->WindowHandle(), WM_LBUTTONDOWN, MK_LBUTTON, At(50, 85));
  SendMessageW(form->pnControls->WindowHandle(), WM_LBUTTONUP, 0, At(50, 85));
  EXPECT_EQ(form->calls["actRewindExecute"], 0);
  form->actRewind->SetVisible(true);
  EXPECT_TRUE(form->btnRewind->Visible());
  SendMessageW(form->pnControls->WindowHandle(), WM_LBUTTONDOWN, MK_LBUTTON, At(50, 85));
  SendMessageW(form->pnControls->WindowHandle(), WM_LBUTTONUP, 0, At(50, 85));
  EXPECT_EQ(form->calls["actRewindExecute"], 1) << "the same click reaches the shown button";

  // Hiding a submenu item (not an action) removes it from the bar's menu.
  TMenuItem* q1 = form->MenuItem("mnQuality1");
  q1->SetVisible(false);
  EXPECT_FALSE(MenuHas(main, low1));
}

TEST_F(FrmPlr, IdleUpdateRunsOncePerActionThroughTheListHandler) {
  form->updates.clear();
  Application().Idle();
  EXPECT_EQ(form->updates.size(), 17u);
  EXPECT_EQ(form->updates.front(), "actClose");
  EXPECT_EQ(form->updates.back(), "actEnd");
  // The message loop runs it when the queue is empty.
  form->updates.clear();
  PostMessageW(form->WindowHandle(), WM_NULL, 0, 0);
  bool idleRan = false;
  int id = Application().AddIdleHandler([&] {
    idleRan = true;
    Application().Terminate();
  });
  Application().Run();
  Application().RemoveIdleHandler(id);
  EXPECT_TRUE(idleRan);
  EXPECT_GE(form->updates.size(), 17u);
}

TEST_F(FrmPlr, ButtonPlaysEnterLeaveAndPressAnimationsWithTheirDelays) {
  HWND panel = form->pnControls->WindowHandle();
  TDIBButton& b = *form->btnRewind;
  EXPECT_EQ(b.CurrentFrame(), 8);
  SendMessageW(panel, WM_MOUSEMOVE, 0, At(50, 85));  // over btnRewind
  std::vector<int> frames;
  for (int i = 0; i < 5; ++i, now += 50) frames.push_back(b.CurrentFrame());
  EXPECT_EQ(frames, (std::vector<int>{8, 7, 6, 5, 4}));
  EXPECT_EQ(b.CurrentSlot(), ButtonSlot::MouseOver);

  SendMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, At(50, 85));
  EXPECT_EQ(b.CurrentFrame(), 4);
  now += 10;
  EXPECT_EQ(b.CurrentFrame(), 48);
  SendMessageW(panel, WM_LBUTTONUP, 0, At(50, 85));
  EXPECT_EQ(form->calls["actRewindExecute"], 1);
  EXPECT_EQ(b.CurrentFrame(), 48);
  now += 10;
  EXPECT_EQ(b.CurrentFrame(), 4);

  SendMessageW(panel, WM_MOUSEMOVE, 0, At(5, 120));  // over imgLeftBottom: leaves the button
  frames.clear();
  for (int i = 0; i < 5; ++i, now += 50) frames.push_back(b.CurrentFrame());
  EXPECT_EQ(frames, (std::vector<int>{4, 5, 6, 7, 8}));

  // The play button's press uses its own delay of 25 ms (the pause button shares its spot).
  form->btnPause->SetVisible(false);
  SendMessageW(panel, WM_MOUSEMOVE, 0, At(170, 86));
  now += 1000;
  SendMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, At(170, 86));
  now += 24;
  EXPECT_EQ(form->btnPlay->CurrentFrame(), 19);
  now += 1;
  EXPECT_EQ(form->btnPlay->CurrentFrame(), 37);
  SendMessageW(panel, WM_LBUTTONUP, 0, At(170, 86));

  // A press on the panel images reaches their handler.
  SendMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, At(400, 125));
  SendMessageW(panel, WM_LBUTTONUP, 0, At(400, 125));
  EXPECT_EQ(form->calls["imgDetailsBottomMouseDown:imgDetailsBottom"], 1);
}

TEST_F(FrmPlr, SliderChangeFiresOnSettingThePositionAndNotWhileDetached) {
  TDIBSlider& s = *form->ProgressSlider;
  EXPECT_EQ(s.Position(), 50);
  s.SetPosition(70);
  EXPECT_EQ(form->calls["ProgressSliderChange"], 1);
  s.SetPosition(1000);
  EXPECT_EQ(s.Position(), 100);
  EXPECT_EQ(form->calls["ProgressSliderChange"], 2);
  NotifyEvent attached = std::move(s.OnChange);
  s.OnChange = nullptr;
  s.SetPosition(30);
  s.SetMax(9);
  EXPECT_EQ(s.Position(), 9);
  EXPECT_EQ(form->calls["ProgressSliderChange"], 2);
  s.OnChange = attached;
  s.SetPosition(3);
  EXPECT_EQ(form->calls["ProgressSliderChange"], 3);
  // Dragging the pointer with the mouse moves the position and fires the event.
  // The slider has a window of its own (it takes the focus), so the mouse goes there.
  HWND slider = s.WindowHandle();
  Bounds p = s.PointerBounds();
  SendMessageW(slider, WM_LBUTTONDOWN, MK_LBUTTON, At(p.left + 5, 7));
  SendMessageW(slider, WM_MOUSEMOVE, MK_LBUTTON, At(s.Width() + 50, 7));
  SendMessageW(slider, WM_LBUTTONUP, 0, At(s.Width() + 50, 7));
  EXPECT_EQ(s.Position(), 9);
  EXPECT_EQ(form->calls["ProgressSliderChange"], 4);
}

TEST_F(FrmPlr, LayeredPictureComposesAndPaints) {
  TImage32& img = *form->image;
  img.SetPicture(Bitmap32(230, 130, MakeColor32(0, 0, 0)));  // fits the 115 x 65 control exactly
  EXPECT_EQ(img.GetBitmapRect(), (IntRect{0, 0, 115, 65}));
  TBitmapLayer& layer = img.AddLayer();
  layer.Bitmap.SetSize(50, 65);
  layer.Bitmap.Clear(MakeColor32(255, 255, 255, 255));
  layer.Bitmap.SetAlphaRect({0, 0, 25, 65}, 0);
  layer.Bitmap.Mode = DrawMode::Blend;
  layer.Bitmap.MasterAlpha = 128;
  layer.Location = {10, 0, 60, 65};
  layer.Changed();
  EXPECT_TRUE(layer.HitTest(10, 0));
  EXPECT_FALSE(layer.HitTest(60, 10));
  Bitmap32 composed = img.Compose();
  EXPECT_EQ(composed.Pixel(5, 5), MakeColor32(0, 0, 0));
  EXPECT_EQ(composed.Pixel(20, 5), MakeColor32(0, 0, 0));       // transparent half of the layer
  EXPECT_EQ(composed.Pixel(50, 5), MakeColor32(128, 128, 128));  // half-transparent white over black
  // On screen: the panel paints the same pixels.
  UpdateWindow(form->pnControls->WindowHandle());
  HDC dc = GetDC(form->pnControls->WindowHandle());
  Bitmap32 shown = CaptureBitmap32(dc, img.Left(), img.Top(), img.Width(), img.Height());
  ReleaseDC(form->pnControls->WindowHandle(), dc);
  EXPECT_EQ(shown.Pixel(50, 5), MakeColor32(128, 128, 128));
  EXPECT_EQ(shown.Pixel(5, 5), MakeColor32(0, 0, 0));
  // A picture of another shape is centred on the background colour.
  img.SetPicture(Bitmap32(65, 65, MakeColor32(255, 0, 0)));
  EXPECT_EQ(img.GetBitmapRect(), (IntRect{25, 0, 90, 65}));
  EXPECT_EQ(img.Compose().Pixel(2, 30), FromBgr(7308177) | 0xFF000000u);
}

// The panel on screen and its off-screen snapshot both show the skin: the left
// cap at the corner, the picture of the navigator where it stands.
TEST_F(FrmPlr, PanelOnScreenAndInItsSnapshotShowsTheSkin) {
  const Color32 blue = MakeColor32(40, 90, 160);
  form->image->SetPicture(Bitmap32(115, 65, blue));
  UpdateWindow(form->WindowHandle());
  HWND panel = form->pnControls->WindowHandle();
  HDC dc = GetDC(panel);
  const Bitmap32 shown = CaptureBitmap32(dc, 0, 0, 650, 133);
  ReleaseDC(panel, dc);
  const Bitmap32 snap = form->pnControls->PaintToBitmap();
  ASSERT_EQ(snap.Width(), 650);
  const Color32 cap = form->ani_images->Image(1).Pixel(1, 60);
  const TImage32& img = *form->image;
  for (const Bitmap32* b : {&shown, &snap}) {
    EXPECT_NEAR(RedOf(b->Pixel(1, 60)), RedOf(cap), 2);
    EXPECT_NEAR(GreenOf(b->Pixel(1, 60)), GreenOf(cap), 2);
    EXPECT_EQ(b->Pixel(img.Left() + 50, img.Top() + 30) & 0xFFFFFF, blue & 0xFFFFFF);
  }
}

TEST(OtherWindows, SplashAndAboutFromTheirLayouts) {
  TfrmSplashBase splash(nullptr);
  EXPECT_EQ(splash.ClientSize(), (Size{447, 252}));
  EXPECT_EQ(splash.imgSplash->BoundsRect(), (Bounds{0, 0, 447, 252}));
  EXPECT_TRUE(splash.StayOnTop());
  splash.HandleNeeded();
  EXPECT_EQ(GetWindowLongPtrW(splash.WindowHandle(), GWL_STYLE) & WS_CAPTION, 0);
  EXPECT_TRUE(GetWindowLongPtrW(splash.WindowHandle(), GWL_EXSTYLE) & WS_EX_TOPMOST);

  TfrmAboutBase about(nullptr);
  EXPECT_EQ(about.ClientSize(), (Size{429, 65}));
  EXPECT_EQ(about.Button1->BoundsRect(), (Bounds{352, 32, 67, 25}));
  EXPECT_EQ(about.lblApplication->BoundsRect().width, 356);
  about.HandleNeeded();
  // The Ok button ends the modal loop with the OK result.
  PostMessageW(about.Button1->WindowHandle(), BM_CLICK, 0, 0);
  EXPECT_EQ(about.ShowModal(), mrOk);
  EXPECT_FALSE(IsWindowVisible(about.WindowHandle()));
  // Escape closes it without a result of its own.
  PostMessageW(about.Button1->WindowHandle(), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(about.ShowModal(), mrCancel);
  // The button has the keyboard when the dialog shows; Enter on it is OK.
  PostMessageW(about.Button1->WindowHandle(), WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(about.ShowModal(), mrOk);
}

}  // namespace

namespace {

std::string BuildError(const std::string& components, const Handlers& handlers) {
  const std::string text = R"({"name":"f","clientWidth":100,"clientHeight":80,"components":[)" + components + "]}";
  TForm form(nullptr);
  LayoutBuilder builder(handlers);
  try {
    builder.Build(form, ParseLayout(text));
  } catch (const std::runtime_error& e) {
    return e.what();
  }
  return "";
}

}  // namespace

TEST(LayoutBuilder, RefusesLayoutsItCannotHonour) {
  Handlers none;
  EXPECT_NE(BuildError(R"({"kind":"TTimer","name":"t","events":{"OnTimer":"tTimer"}})", none).find("no handler tTimer"),
            std::string::npos);
  EXPECT_NE(BuildError(R"({"kind":"TGadget","name":"g"})", none).find("Unknown component kind TGadget"), std::string::npos);
  EXPECT_NE(BuildError(R"({"kind":"TLabel","name":"l","events":{"OnWobble":"x"}})", none).find("no event OnWobble"),
            std::string::npos);
  EXPECT_NE(BuildError(R"({"kind":"TDIBImage","name":"i","props":{"images":"missing"}})", none).find("missing"),
            std::string::npos);
  // With the handler present the same layout builds and binds it.
  Handlers h;
  int ticks = 0;
  h.notify["tTimer"] = [&](TComponent&) { ++ticks; };
  TForm form(nullptr);
  LayoutBuilder builder(h);
  builder.Build(form, ParseLayout(R"({"name":"f","clientWidth":100,"clientHeight":80,"components":[
      {"kind":"TTimer","name":"t","props":{"interval":5000},"events":{"OnTimer":"tTimer"}}]})"));
  Component<TTimer>(form, "t").Tick();
  EXPECT_EQ(ticks, 1);
  EXPECT_EQ(Component<TTimer>(form, "t").Interval(), 5000u);
  EXPECT_THROW(Component<TLabel>(form, "t"), std::runtime_error);
}
