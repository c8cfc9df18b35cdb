#include "layouts/layout_model.h"

#include <gtest/gtest.h>

#include <set>

#include "layouts/skin.h"

using namespace swfp;
using namespace swfp::layouts;

namespace {

const ComponentLayout& Get(const FormLayout& f, const std::string& name) {
  const ComponentLayout* c = f.Find(name);
  if (!c) throw std::runtime_error("missing component " + name);
  return *c;
}

const tk::MenuNode* FindNode(const std::vector<tk::MenuNode>& items, const std::string& name) {
  for (const auto& n : items) {
    if (n.name == name) return &n;
    if (auto* f = FindNode(n.items, name)) return f;
  }
  return nullptr;
}

void CollectActions(const std::vector<tk::MenuNode>& items, std::set<std::string>& out) {
  for (const auto& n : items) {
    if (!n.action.empty()) out.insert(n.action);
    CollectActions(n.items, out);
  }
}

}  // namespace

TEST(FrmPlrLayout, WindowProperties) {
  const FormLayout& f = FrmPlrLayout();
  EXPECT_EQ(f.caption, "Quindo Flash Player");
  EXPECT_EQ(f.clientWidth, 650);
  EXPECT_EQ(f.clientHeight, 609);
  EXPECT_EQ(f.border, "single");
  EXPECT_EQ(f.constraints.minWidth, 656);
  EXPECT_EQ(f.font.name, "MS Shell Dlg 2");
  EXPECT_EQ(f.font.height, -11);
  EXPECT_TRUE(f.showHint);
  EXPECT_EQ(f.menu, "mnMain");
  EXPECT_EQ(f.events.at("OnCreate"), "FormCreate");
  EXPECT_EQ(f.events.at("OnCloseQuery"), "FormCloseQuery");
  EXPECT_EQ(f.events.size(), 6u);
}

TEST(FrmPlrLayout, PanelsImagesAndSliders) {
  const FormLayout& f = FrmPlrLayout();
  struct Row { const char* name; const char* kind; const char* parent; tk::Bounds b; tk::Align a; };
  const Row rows[] = {
      {"pnPlayer", "TPanel", "", {0, 0, 650, 476}, tk::Align::Client},
      {"plr", "TkxSWFPlayer2", "pnPlayer", {0, 0, 650, 476}, tk::Align::Client},
      {"pnControls", "TDIBImageAnimContainer", "", {0, 476, 650, 133}, tk::Align::Bottom},
      {"imgLeftBottom", "TDIBImage", "pnControls", {0, 0, 13, 133}, tk::Align::Left},
      {"imgControlsBottom", "TDIBImage", "pnControls", {13, 0, 283, 133}, tk::Align::Left},
      {"imgSeparatorBottom", "TDIBImage", "pnControls", {296, 0, 13, 133}, tk::Align::Left},
      {"imgDetailsBottom", "TDIBImage", "pnControls", {309, 0, 185, 133}, tk::Align::Client},
      {"imgRightBottom", "TDIBImage", "pnControls", {494, 0, 156, 133}, tk::Align::Right},
      {"ProgressSlider", "TDIBSlider", "pnControls", {21, 28, 260, 15}, tk::Align::None},
      {"zoom_slider", "TDIBSlider", "pnControls", {512, 107, 124, 15}, tk::Align::None},
      {"image", "TImage32", "pnControls", {516, 36, 115, 65}, tk::Align::None},
      {"DIBAnimContainer1", "TDIBAnimContainer", "pnControls", {620, 0, 24, 20}, tk::Align::None},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const ComponentLayout& c = Get(f, r.name);
    EXPECT_EQ(c.kind, r.kind);
    EXPECT_EQ(c.parent, r.parent);
    EXPECT_EQ(c.bounds, r.b);
    EXPECT_EQ(c.align, r.a);
  }
  EXPECT_EQ(Get(f, "pnPlayer").props.at("constraints").at("minHeight"), 100);
  EXPECT_EQ(Get(f, "pnPlayer").props.at("color"), 0xFFFFFF);
  EXPECT_EQ(Get(f, "imgControlsBottom").anchors, tk::akLeft | tk::akTop | tk::akRight | tk::akBottom);
  EXPECT_EQ(Get(f, "imgSeparatorBottom").events.size(), 0u);
  for (const char* n : {"imgLeftBottom", "imgControlsBottom", "imgDetailsBottom", "imgRightBottom", "lblMovieName"})
    EXPECT_EQ(Get(f, n).events.at("OnMouseDown"), "imgDetailsBottomMouseDown") << n;
  EXPECT_EQ(Get(f, "imgLeftBottom").Prop("index", -1), 1);
  EXPECT_EQ(Get(f, "imgRightBottom").Prop("index", -1), 2);
  EXPECT_EQ(Get(f, "imgSeparatorBottom").Prop("index", -1), 3);
  EXPECT_EQ(Get(f, "imgDetailsBottom").Prop<std::string>("draw", ""), "stretch");

  const ComponentLayout& ps = Get(f, "ProgressSlider");
  EXPECT_EQ(ps.anchors, tk::akLeft | tk::akBottom | tk::akRight);
  EXPECT_EQ(ps.Prop("max", 0), 100);
  EXPECT_EQ(ps.Prop("position", 0), 50);
  EXPECT_EQ(ps.Prop("largeStep", 0), 5);
  EXPECT_EQ(ps.events.at("OnChange"), "ProgressSliderChange");
  const ComponentLayout& zs = Get(f, "zoom_slider");
  EXPECT_EQ(zs.anchors, tk::akBottom | tk::akRight);
  EXPECT_EQ(zs.Prop("max", 0), 300);
  EXPECT_EQ(zs.Prop("largeStep", 0), 20);
  EXPECT_TRUE(zs.events.empty());
  EXPECT_EQ(Get(f, "image").Prop("backgroundColor", 0), 7308177);
  EXPECT_EQ(Get(f, "image").events.at("OnMouseMove"), "imageMouseMove");
  EXPECT_EQ(Get(f, "DIBAnimContainer1").anchors, tk::akTop | tk::akRight);
  const ComponentLayout& plr = Get(f, "plr");
  EXPECT_EQ(plr.props.at("WMode"), "Window");
  EXPECT_EQ(plr.props.at("AllowScriptAccess"), "always");
  EXPECT_EQ(plr.props.at("BackgroundColor"), -1);
  EXPECT_EQ(plr.props.at("FrameNum"), -1);
  EXPECT_EQ(plr.props.size(), 16u);
  EXPECT_EQ(plr.events.at("OnFSCommand"), "plrFSCommand");
  EXPECT_EQ(Get(f, "tmrRefresher").Prop("interval", 0), 333);
  EXPECT_TRUE(Get(f, "tmrRefresher").Prop("enabled", false));
}

TEST(FrmPlrLayout, ButtonsAndTheirAnimations) {
  const FormLayout& f = FrmPlrLayout();
  struct Row { const char* name; tk::Bounds b; const char* action; const char* anim; int delay; bool visible; };
  const Row rows[] = {
      {"btnRewind", {34, 69, 32, 32}, "actRewind", "rewind", 10, true},
      {"btnBack", {72, 70, 32, 32}, "actBack", "back", 10, true},
      {"btnStop", {113, 70, 32, 32}, "actStop", "stop", 10, true},
      {"btnPlay", {154, 70, 32, 32}, "actPlay", "play", 25, true},
      {"btnPause", {154, 69, 32, 32}, "actPlay", "pause", 10, true},
      {"btnForward", {195, 70, 32, 32}, "actForward", "forward", 10, true},
      {"btnEnd", {234, 69, 32, 32}, "actEnd", "end", 10, true},
      {"btnSoundOn", {0, 0, 24, 20}, "actSound", "soundOn", 10, true},
      {"btnSoundOff", {0, 0, 24, 20}, "actSound", "soundOff", 25, false},
  };
  const auto& anims = Get(f, "animator").props.at("animations");
  const auto skin = AniImages();
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const ComponentLayout& c = Get(f, r.name);
    EXPECT_EQ(c.bounds, r.b);
    EXPECT_EQ(c.Prop<std::string>("action", ""), r.action);
    EXPECT_EQ(c.Prop<std::string>("animations", ""), r.anim);
    EXPECT_EQ(c.Prop("pressDelay", 0), r.delay);
    EXPECT_EQ(c.Prop("visible", true), r.visible);
    EXPECT_EQ(c.Prop("opacity", 0), 255);
    // Every slot names an existing animation whose frames exist in the skin, and the
    // resting frame has exactly the button's size.
    for (const tk::SlotSpec& s : ButtonSlotsFor(r.anim, r.delay)) {
      if (s.animation.empty()) continue;
      ASSERT_TRUE(anims.contains(s.animation)) << s.animation;
      for (int frame : anims.at(s.animation)) ASSERT_LT(static_cast<size_t>(frame), skin.size());
    }
    const int rest = anims.at(std::string(r.anim) + "_enable")[0];
    EXPECT_EQ(skin[rest].width, r.b.width);
    EXPECT_EQ(skin[rest].height, r.b.height);
  }
  EXPECT_EQ(Get(f, "btnSoundOn").parent, "DIBAnimContainer1");
  EXPECT_EQ(anims.at("rewind_enter"), (std::vector<int>{8, 7, 6, 5, 4}));
  EXPECT_EQ(anims.at("pause_press"), (std::vector<int>{42, 47}));
  EXPECT_EQ(anims.at("soundOff_enter"), (std::vector<int>{39, 40}));
  EXPECT_EQ(anims.at("end_pressed"), (std::vector<int>{51}));
  EXPECT_EQ(anims.size(), 45u);
}

TEST(FrmPlrLayout, LabelsCaptionsAndPlaces) {
  const FormLayout& f = FrmPlrLayout();
  struct Row { const char* name; const char* caption; int left, top; };
  const Row rows[] = {
      {"Label3", "Frames:", 316, 29},      {"lblMovieFrames", "1045 / 1200", 360, 29},
      {"Label1", "FPS:", 316, 44},         {"lblMovieFPS", "30", 344, 44},
      {"Label2", "Actual size:", 316, 60}, {"lblMovieSize", "540 x 440 px", 384, 60},
      {"Label6", "File size:", 316, 76},   {"lblMovieFilesize", "350 kb", 368, 76},
      {"Label4", "Flash version:", 316, 92}, {"lblMovieVer", "4", 392, 92},
      {"Label5", "ZLib compressed:", 316, 108}, {"lblMovieCompressed", "Yes", 416, 108},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const ComponentLayout& c = Get(f, r.name);
    EXPECT_EQ(c.kind, "TLabel");
    EXPECT_EQ(c.Prop<std::string>("caption", ""), r.caption);
    EXPECT_EQ(c.bounds.left, r.left);
    EXPECT_EQ(c.bounds.top, r.top);
    EXPECT_EQ(c.anchors, tk::akTop | tk::akRight);
    FontSpec font = ParseFont(c.props.at("font"));
    EXPECT_EQ(font.name, "Verdana");
    EXPECT_EQ(font.height, -9);
    EXPECT_EQ(font.color, 0u);
  }
  FontSpec title = ParseFont(Get(f, "lblMovieName").props.at("font"));
  EXPECT_TRUE(title.bold);
  EXPECT_EQ(title.height, -11);
  EXPECT_EQ(title.color, 0xFFFFFFu);
}

TEST(FrmPlrLayout, ActionList) {
  const FormLayout& f = FrmPlrLayout();
  struct Row { const char* name; const char* category; const char* caption; const char* check; int group; bool checked; };
  const Row rows[] = {
      {"actClose", "File", "Close", "", 0, false},
      {"actPrint", "File", "Print...", "", 0, false},
      {"actAbout", "File", "About Quindo Flash Player...", "", 0, false},
      {"actZoomIn", "Zoom", "Zoom In", "", 0, false},
      {"actZoomOut", "Zoom", "Zoom Out", "", 0, false},
      {"actZoomAll", "Zoom", "Show All", "", 0, false},
      {"actLowQ", "Quality", "Low", "radio", 34, false},
      {"actMedQ", "Quality", "Medium", "radio", 34, false},
      {"actHighQ", "Quality", "High Quality", "radio", 34, true},
      {"actPlay", "Playing", "", "auto", 0, false},
      {"actSound", "Playing", "", "auto", 0, false},
      {"actLoop", "Playing", "", "auto", 0, false},
      {"actRewind", "Playing", "", "", 0, false},
      {"actForward", "Playing", "", "", 0, false},
      {"actBack", "Playing", "", "", 0, false},
      {"actStop", "Playing", "", "", 0, false},
      {"actEnd", "Playing", "", "", 0, false},
  };
  size_t count = 0;
  for (const auto& c : f.components) count += c.kind == "TAction";
  EXPECT_EQ(count, std::size(rows));
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const ComponentLayout& c = Get(f, r.name);
    EXPECT_EQ(c.kind, "TAction");
    EXPECT_EQ(c.parent, "ActionList1");
    EXPECT_EQ(c.Prop<std::string>("category", ""), r.category);
    EXPECT_EQ(c.Prop<std::string>("caption", ""), r.caption);
    EXPECT_EQ(c.Prop<std::string>("check", ""), r.check);
    EXPECT_EQ(c.Prop("groupIndex", 0), r.group);
    EXPECT_EQ(c.Prop("checked", false), r.checked);
    EXPECT_EQ(c.events.at("OnExecute"), std::string(r.name) + "Execute");
  }
  EXPECT_EQ(Get(f, "ActionList1").events.at("OnUpdate"), "ActionList1Update");
}

TEST(FrmPlrLayout, Menus) {
  const FormLayout& f = FrmPlrLayout();
  const auto main = ParseMenu(Get(f, "mnMain").props.at("items"));
  const auto popup = ParseMenu(Get(f, "mnPopup").props.at("items"));
  ASSERT_EQ(main.size(), 4u);
  EXPECT_EQ(main[0].name, "mnFile");
  EXPECT_EQ(main[3].caption, "Help");
  std::vector<std::string> control;
  for (const auto& n : main[2].items) control.push_back(n.name);
  EXPECT_EQ(control, (std::vector<std::string>{"Play1", "N5", "Rewind1", "Forward1", "Back1", "N6", "Loop2"}));
  const tk::MenuNode* n6 = FindNode(main, "N6");
  ASSERT_NE(n6, nullptr);
  EXPECT_EQ(n6->caption, "-");
  EXPECT_FALSE(n6->enabled);
  EXPECT_EQ(FindNode(main, "mnQuality1")->items.size(), 3u);
  EXPECT_TRUE(FindNode(main, "Medium1")->checkable);
  EXPECT_EQ(FindNode(popup, "mnQuality2")->items.size(), 2u);
  EXPECT_EQ(FindNode(popup, "Medium2"), nullptr);
  EXPECT_TRUE(FindNode(popup, "Sound1")->checked);
  EXPECT_EQ(FindNode(popup, "Sound1")->action, "actSound");
  EXPECT_EQ(popup.size(), 17u);

  std::set<std::string> inMain, inPopup;
  CollectActions(main, inMain);
  CollectActions(popup, inPopup);
  for (const char* a : {"actStop", "actEnd"}) {
    EXPECT_FALSE(inMain.count(a)) << a;
    EXPECT_FALSE(inPopup.count(a)) << a;
  }
  EXPECT_FALSE(inMain.count("actSound"));
  EXPECT_TRUE(inPopup.count("actSound"));
  // Every action a menu names exists.
  for (const std::string& a : inMain) EXPECT_NE(f.Find(a), nullptr) << a;
  for (const std::string& a : inPopup) EXPECT_NE(f.Find(a), nullptr) << a;
}

TEST(OtherLayouts, SplashAndAbout) {
  const FormLayout& s = FrmSplashLayout();
  EXPECT_EQ(s.caption, "frmSplash");
  EXPECT_EQ(s.border, "none");
  EXPECT_EQ(s.clientWidth, 447);
  EXPECT_EQ(s.clientHeight, 252);
  EXPECT_TRUE(s.stayOnTop);
  EXPECT_EQ(s.position, "screenCenter");
  EXPECT_EQ(s.color, "btnface");
  EXPECT_EQ(Get(s, "imgSplash").align, tk::Align::Client);
  EXPECT_FALSE(Get(s, "imgSplash").Prop("stretch", true));

  const FormLayout& a = FrmAboutLayout();
  EXPECT_EQ(a.caption, "About...");
  EXPECT_EQ(a.border, "dialog");
  EXPECT_EQ(a.clientWidth, 429);
  EXPECT_EQ(a.clientHeight, 65);
  EXPECT_EQ(a.font.name, "Verdana");
  EXPECT_EQ(a.position, "ownerFormCenter");
  EXPECT_EQ(Get(a, "imgIcon").bounds, (tk::Bounds{8, 8, 48, 48}));
  EXPECT_EQ(Get(a, "lblApplication").bounds.width, 356);
  EXPECT_EQ(Get(a, "lblFileVer").Prop<std::string>("caption", ""), "lblCompanyInfo");
  EXPECT_EQ(Get(a, "Button1").bounds, (tk::Bounds{352, 32, 67, 25}));
  EXPECT_EQ(Get(a, "Button1").Prop<std::string>("caption", ""), "Ok");
  EXPECT_EQ(Get(a, "Button1").Prop("modalResult", 0), 1);
}

TEST(ParseLayout, RejectsBrokenLayoutsWithAReason) {
  auto fails = [](std::string_view text, const std::string& needle) {
    try {
      ParseLayout(text);
    } catch (const std::runtime_error& e) {
      return std::string(e.what()).find(needle) != std::string::npos;
    }
    return false;
  };
  const std::string head = R"({"name":"f","clientWidth":1,"clientHeight":1,"components":[)";
  EXPECT_TRUE(fails("{not json", "not readable"));
  EXPECT_TRUE(fails(head + R"({"kind":"TPanel","name":"a"},{"kind":"TPanel","name":"a"}]})", "twice"));
  EXPECT_TRUE(fails(head + R"({"kind":"TPanel","name":"a","parent":"b"},{"kind":"TPanel","name":"b"}]})", "before"));
  EXPECT_TRUE(fails(head + R"({"kind":"TPanel","name":"a","align":"middle"}]})", "alignment"));
  EXPECT_TRUE(fails(head + R"({"kind":"TPanel","name":"a","bounds":[1,2,3]}]})", "four numbers"));
  EXPECT_TRUE(fails(head + R"({"kind":"TPanel","name":"a","anchors":["up"]}]})", "anchor"));
  EXPECT_TRUE(fails(R"({"name":"f","components":[]})", "clientWidth"));
  EXPECT_NO_THROW(ParseLayout(head + "]}"));
}

TEST(ButtonSlots, FollowTheNamingRule) {
  auto s = ButtonSlotsFor("play", 25);
  using tk::ButtonSlot;
  EXPECT_EQ(s[size_t(ButtonSlot::Enabled)].animation, "play_enable");
  EXPECT_EQ(s[size_t(ButtonSlot::MouseOver)].animation, "play_active");
  EXPECT_EQ(s[size_t(ButtonSlot::MouseLeave)].animation, "play_enter");
  EXPECT_EQ(s[size_t(ButtonSlot::MouseLeave)].direction, tk::AnimDirection::Backward);
  EXPECT_EQ(s[size_t(ButtonSlot::MouseEnter)].delay, 50);
  EXPECT_EQ(s[size_t(ButtonSlot::MouseUp)].direction, tk::AnimDirection::Backward);
  EXPECT_EQ(s[size_t(ButtonSlot::MouseUp)].delay, 25);
  EXPECT_EQ(s[size_t(ButtonSlot::Pressed)].animation, "play_pressed");
  EXPECT_EQ(s[size_t(ButtonSlot::Enabled)].delay, 100);
  EXPECT_TRUE(s[size_t(ButtonSlot::Disabled)].animation.empty());
}
