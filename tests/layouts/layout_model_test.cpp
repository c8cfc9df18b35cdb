#include "layouts/layout_model.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "layouts/skin.h"

using namespace swfp;
using namespace swfp::layouts;
using nlohmann::json;

// What a layout gives is read; what it leaves out takes its default.
TEST(ParseLayout, ReadsWhatIsGivenAndDefaultsTheRest) {
  const FormLayout f = ParseLayout(R"({"name":"f","caption":"Player","clientWidth":30,"clientHeight":20,
      "border":"dialog","color":"btnface","showHint":true,"stayOnTop":true,"position":"screenCenter","menu":"m",
      "constraints":{"minWidth":5},"font":{"name":"Tahoma","height":-13,"bold":true,"color":255},
      "events":{"OnShow":"fShow"},"components":[
      {"kind":"TPanel","name":"p","bounds":[1,2,3,4],"align":"bottom","anchors":["right","bottom"],
       "props":{"x":1},"events":{"OnClick":"pClick"}},
      {"kind":"TLabel","name":"l","parent":"p"}]})");
  EXPECT_EQ((std::pair{f.name, f.caption}), (std::pair<std::string, std::string>{"f", "Player"}));
  EXPECT_EQ((std::pair{f.clientWidth, f.clientHeight}), (std::pair{30, 20}));
  EXPECT_EQ((std::vector{f.border, f.color, f.position, f.menu}),
            (std::vector<std::string>{"dialog", "btnface", "screenCenter", "m"}));
  EXPECT_TRUE(f.showHint && f.stayOnTop);
  EXPECT_EQ(f.constraints.minWidth, 5);
  EXPECT_EQ((std::tuple{f.font.given, f.font.name, f.font.height, f.font.bold, f.font.color}),
            (std::tuple{true, std::string("Tahoma"), -13, true, 255u}));
  EXPECT_EQ(f.events, (std::map<std::string, std::string>{{"OnShow", "fShow"}}));
  ASSERT_EQ(f.components.size(), 2u);
  const ComponentLayout &p = f.components[0], &l = f.components[1];
  EXPECT_EQ((std::pair{p.kind, p.name}), (std::pair<std::string, std::string>{"TPanel", "p"}));
  EXPECT_TRUE(p.hasBounds);
  EXPECT_EQ(p.bounds, (tk::Bounds{1, 2, 3, 4}));
  EXPECT_EQ(p.align, tk::Align::Bottom);
  EXPECT_EQ(p.anchors, tk::Anchors(tk::akRight | tk::akBottom));
  EXPECT_EQ(p.props, json({{"x", 1}}));
  EXPECT_EQ(p.events, (std::map<std::string, std::string>{{"OnClick", "pClick"}}));
  EXPECT_EQ(f.Find("l"), &l);
  EXPECT_EQ(f.Find("q"), nullptr);
  // The label gives nothing but its kind, name and parent.
  EXPECT_EQ(l.parent, "p");
  EXPECT_FALSE(l.hasBounds);
  EXPECT_EQ(l.align, tk::Align::None);
  EXPECT_EQ(l.anchors, tk::Anchors(tk::akLeft | tk::akTop));
  EXPECT_EQ(l.props, json::object());
  EXPECT_TRUE(l.events.empty());

  const FormLayout d = ParseLayout(R"({"name":"d","clientWidth":1,"clientHeight":1,"components":[]})");
  EXPECT_EQ((std::vector{d.caption, d.border, d.color, d.position, d.menu}),
            (std::vector<std::string>{"", "sizeable", "", "designed", ""}));
  EXPECT_FALSE(d.showHint || d.stayOnTop || d.font.given);
  EXPECT_EQ(d.constraints.minWidth, 0);
  EXPECT_TRUE(d.events.empty());
  // A font names only what differs from the dialog font.
  const FontLayout font = ParseFont(json::object());
  EXPECT_EQ((std::tuple{font.given, font.name, font.height, font.bold, font.color}),
            (std::tuple{true, std::string("MS Shell Dlg 2"), -11, false, 0u}));
}

// Menu items read their flags and sub-items; separators are disabled unless told.
TEST(ParseMenu, ReadsFlagsAndSubItems) {
  const auto menu = ParseMenu(json::parse(R"([{"name":"a","caption":"&Play","action":"actPlay","checkable":true,
      "checked":true,"radio":true,"groupIndex":3,"visible":false,
      "items":[{"name":"s","caption":"-"},{"name":"b","enabled":false},{"name":"c"}]}])"));
  ASSERT_EQ(menu.size(), 1u);
  const tk::MenuNode& a = menu[0];
  EXPECT_EQ((std::vector{a.name, a.caption, a.action}), (std::vector<std::string>{"a", "&Play", "actPlay"}));
  EXPECT_EQ((std::tuple{a.checkable, a.checked, a.radio, a.groupIndex, a.visible, a.enabled}),
            (std::tuple{true, true, true, 3, false, true}));
  ASSERT_EQ(a.items.size(), 3u);
  const tk::MenuNode& c = a.items[2];
  EXPECT_EQ((std::tuple{c.caption, c.action, c.checkable, c.checked, c.radio, c.groupIndex, c.visible}),
            (std::tuple{std::string(), std::string(), false, false, false, 0, true}));
  EXPECT_EQ((std::vector{a.items[0].enabled, a.items[1].enabled, c.enabled}), (std::vector{false, false, true}));
}

// Each skinned button's slots name stored animations whose frames are in the
// skin, and its resting frame has the button's size.
TEST(StoredLayouts, ButtonsShowSkinFramesOfTheirOwnSize) {
  const FormLayout& f = FrmPlrLayout();
  const json& animations = f.Find("animator")->props.at("animations");
  const auto skin = AniImages();
  int buttons = 0;
  for (const ComponentLayout& c : f.components) {
    // A skinned button names the prefix of its animations (the animator holds the table).
    if (!c.props.contains("animations") || !c.props["animations"].is_string()) continue;
    const std::string prefix = c.props["animations"].get<std::string>();
    SCOPED_TRACE(c.name);
    ++buttons;
    for (const tk::SlotAnimation& s : ButtonSlotsFor(prefix, c.Prop("pressDelay", 0))) {
      if (s.animation.empty()) continue;
      ASSERT_TRUE(animations.contains(s.animation)) << s.animation;
      for (int frame : animations.at(s.animation)) ASSERT_LT(size_t(frame), skin.size());
    }
    const SkinImage& rest = skin[animations.at(prefix + "_enable")[0].get<size_t>()];
    EXPECT_EQ(rest.width, c.bounds.width);
    EXPECT_EQ(rest.height, c.bounds.height);
  }
  EXPECT_GT(buttons, 0);
}

TEST(ParseLayout, RejectsBrokenLayoutsWithAReason) {
  const std::string head = R"({"name":"f","clientWidth":1,"clientHeight":1,"components":[)";
  const std::pair<std::string, const char*> cases[] = {
      {"{not json", "not readable"},
      {head + R"({"kind":"TPanel","name":"a"},{"kind":"TPanel","name":"a"}]})", "twice"},
      {head + R"({"kind":"TPanel","name":"a","parent":"b"},{"kind":"TPanel","name":"b"}]})", "before"},
      {head + R"({"kind":"TPanel","name":"a","align":"middle"}]})", "alignment"},
      {head + R"({"kind":"TPanel","name":"a","bounds":[1,2,3]}]})", "four numbers"},
      {head + R"({"kind":"TPanel","name":"a","anchors":["up"]}]})", "anchor"},
      {R"({"name":"f","components":[]})", "clientWidth"},
  };
  for (const auto& [text, reason] : cases) {
    try {
      ParseLayout(text);
      ADD_FAILURE() << text << " was accepted";
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(reason), std::string::npos) << e.what();
    }
  }
  EXPECT_NO_THROW(ParseLayout(head + "]}"));
}

// enable, enter, over (active), leave (enter backwards), down (press), up (press
// backwards), pressed; the press slots at the button's own pace, the fades at 50 ms.
TEST(ButtonSlots, FollowTheNamingRule) {
  using tk::AnimDirection;
  using tk::ButtonSlot;
  struct Row { ButtonSlot slot; const char* animation; AnimDirection direction; tk::Millis delay; };
  const Row rows[] = {
      {ButtonSlot::Enabled, "play_enable", AnimDirection::Forward, 100},
      {ButtonSlot::MouseEnter, "play_enter", AnimDirection::Forward, 50},
      {ButtonSlot::MouseOver, "play_active", AnimDirection::Forward, 100},
      {ButtonSlot::MouseLeave, "play_enter", AnimDirection::Backward, 50},
      {ButtonSlot::MouseDown, "play_press", AnimDirection::Forward, 25},
      {ButtonSlot::MouseUp, "play_press", AnimDirection::Backward, 25},
      {ButtonSlot::Pressed, "play_pressed", AnimDirection::Forward, 25},
      {ButtonSlot::Down, "", AnimDirection::Forward, 100},
      {ButtonSlot::Disabled, "", AnimDirection::Forward, 100},
      {ButtonSlot::MouseClick, "", AnimDirection::Forward, 100},
  };
  const auto slots = ButtonSlotsFor("play", 25);
  for (const Row& r : rows) {
    const tk::SlotAnimation& s = slots[size_t(r.slot)];
    SCOPED_TRACE(int(r.slot));
    EXPECT_EQ(s.animation, r.animation);
    EXPECT_EQ(s.direction, r.direction);
    EXPECT_EQ(s.delay, r.delay);
  }
}
