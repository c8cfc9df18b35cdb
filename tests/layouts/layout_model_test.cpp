#include "layouts/layout_model.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>

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
  EXPECT_EQ((std::tuple{p.hasBounds, p.bounds, p.align, p.anchors}),
            (std::tuple{true, tk::Bounds{1, 2, 3, 4}, tk::Align::Bottom, tk::Anchors(tk::akRight | tk::akBottom)}));
  EXPECT_EQ(p.props, json({{"x", 1}}));
  EXPECT_EQ(p.events, (std::map<std::string, std::string>{{"OnClick", "pClick"}}));
  // The label gives nothing but its kind, name and parent.
  EXPECT_EQ(l.parent, "p");
  EXPECT_EQ((std::tuple{l.hasBounds, l.align, l.anchors}),
            (std::tuple{false, tk::Align::None, tk::Anchors(tk::akLeft | tk::akTop)}));
  EXPECT_EQ(l.props, json::object());
  EXPECT_TRUE(l.events.empty());
  // Every alignment and anchor by its name.
  const std::string head = R"({"name":"f","clientWidth":1,"clientHeight":1,"components":[{"kind":"TPanel","name":"a",)";
  struct Case { const char* given; tk::Align align; tk::Anchors anchors; };
  for (const Case c : {Case{R"("align":"top","anchors":["left"])", tk::Align::Top, tk::akLeft},
                       Case{R"("align":"left","anchors":["top"])", tk::Align::Left, tk::akTop},
                       Case{R"("align":"right","anchors":["right"])", tk::Align::Right, tk::akRight},
                       Case{R"("align":"client","anchors":[])", tk::Align::Client, 0},
                       Case{R"("align":"none")", tk::Align::None, tk::Anchors(tk::akLeft | tk::akTop)}}) {
    const ComponentLayout a = ParseLayout(head + c.given + "}]}").components[0];
    EXPECT_EQ((std::pair{a.align, a.anchors}), (std::pair{c.align, c.anchors})) << c.given;
  }

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

// In slot order: enable, enter, over (active), leave (enter backwards), down (press), up
// (press backwards), pressed, three unused; the press at the button's pace, fades at 50 ms.
TEST(ButtonSlots, FollowTheNamingRule) {
  std::vector<std::string> names;
  std::vector<tk::Millis> delays;
  std::vector<int> backward;
  for (const tk::SlotAnimation& s : ButtonSlotsFor("play", 25)) {
    names.push_back(s.animation);
    delays.push_back(s.delay);
    if (s.direction == tk::AnimDirection::Backward) backward.push_back(int(names.size()) - 1);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"play_enable", "play_enter", "play_active", "play_enter", "play_press",
                                             "play_press", "play_pressed", "", "", ""}));
  EXPECT_EQ(delays, (std::vector<tk::Millis>{100, 50, 100, 50, 25, 25, 25, 100, 100, 100}));
  EXPECT_EQ(backward, (std::vector<int>{int(tk::ButtonSlot::MouseLeave), int(tk::ButtonSlot::MouseUp)}));
}
