#include "layouts/layout_model.h"

#include <gtest/gtest.h>

#include "layouts/layout_texts.h"
#include "layouts/skin.h"

using namespace swfp;
using namespace swfp::layouts;
using nlohmann::json;

namespace {

struct StoredLayout {
  const char* text;
  const FormLayout& parsed;
};

std::vector<StoredLayout> StoredLayouts() {
  return {{kFrmPlrLayoutText, FrmPlrLayout()}, {kFrmSplashLayoutText, FrmSplashLayout()},
          {kFrmAboutLayoutText, FrmAboutLayout()}};
}

tk::Align AlignNamed(const std::string& s) {
  static const std::map<std::string, tk::Align> names{{"", tk::Align::None},      {"none", tk::Align::None},
                                                      {"top", tk::Align::Top},    {"bottom", tk::Align::Bottom},
                                                      {"left", tk::Align::Left},  {"right", tk::Align::Right},
                                                      {"client", tk::Align::Client}};
  return names.at(s);
}

tk::Anchors AnchorsNamed(const json& list) {
  static const std::map<std::string, tk::Anchors> bits{{"left", 1}, {"top", 2}, {"right", 4}, {"bottom", 8}};
  tk::Anchors a = 0;
  for (const auto& e : list) a |= bits.at(e.get<std::string>());
  return a;
}

std::map<std::string, std::string> EventsOf(const json& j) {
  return j.value("events", std::map<std::string, std::string>{});
}

void ExpectFont(const json& stored, const FontLayout& font) {
  EXPECT_TRUE(font.given);
  EXPECT_EQ(font.name, stored.value("name", "MS Shell Dlg 2"));
  EXPECT_EQ(font.height, stored.value("height", -11));
  EXPECT_EQ(font.bold, stored.value("bold", false));
  EXPECT_EQ(font.color, stored.value("color", 0u));
}

void ExpectMenu(const json& stored, const std::vector<tk::MenuNode>& menu) {
  ASSERT_EQ(menu.size(), stored.size());
  for (size_t i = 0; i < menu.size(); ++i) {
    const json& s = stored[i];
    const tk::MenuNode& n = menu[i];
    SCOPED_TRACE(n.name);
    EXPECT_EQ(n.name, s.at("name").get<std::string>());
    EXPECT_EQ(n.caption, s.value("caption", ""));
    EXPECT_EQ(n.action, s.value("action", ""));
    EXPECT_EQ(n.checkable, s.value("checkable", false));
    EXPECT_EQ(n.checked, s.value("checked", false));
    EXPECT_EQ(n.radio, s.value("radio", false));
    EXPECT_EQ(n.groupIndex, s.value("groupIndex", 0));
    EXPECT_EQ(n.visible, s.value("visible", true));
    EXPECT_EQ(n.enabled, s.value("enabled", n.caption != "-")) << "separators are disabled";
    ExpectMenu(s.value("items", json::array()), n.items);
  }
}

void CollectActions(const std::vector<tk::MenuNode>& items, std::vector<std::string>& out) {
  for (const auto& n : items) {
    if (!n.action.empty()) out.push_back(n.action);
    CollectActions(n.items, out);
  }
}

}  // namespace

// Every stored window reads back as stored, whatever the field and whether it is
// given or left to its default.
TEST(StoredLayouts, ReadBackAsStored) {
  for (const StoredLayout& layout : StoredLayouts()) {
    const json stored = json::parse(layout.text);
    const FormLayout& f = layout.parsed;
    SCOPED_TRACE(f.name);
    EXPECT_EQ(f.name, stored.at("name").get<std::string>());
    EXPECT_EQ(f.caption, stored.value("caption", ""));
    EXPECT_EQ(f.clientWidth, stored.at("clientWidth").get<int>());
    EXPECT_EQ(f.clientHeight, stored.at("clientHeight").get<int>());
    EXPECT_EQ(f.border, stored.value("border", "sizeable"));
    EXPECT_EQ(f.color, stored.value("color", ""));
    EXPECT_EQ(f.showHint, stored.value("showHint", false));
    EXPECT_EQ(f.stayOnTop, stored.value("stayOnTop", false));
    EXPECT_EQ(f.position, stored.value("position", "designed"));
    EXPECT_EQ(f.menu, stored.value("menu", ""));
    EXPECT_EQ(f.events, EventsOf(stored));
    EXPECT_EQ(f.constraints.minWidth, stored.value("constraints", json::object()).value("minWidth", 0));
    ExpectFont(stored.at("font"), f.font);

    ASSERT_EQ(f.components.size(), stored.at("components").size());
    for (size_t i = 0; i < f.components.size(); ++i) {
      const json& s = stored["components"][i];
      const ComponentLayout& c = f.components[i];
      SCOPED_TRACE(c.name);
      EXPECT_EQ(c.name, s.at("name").get<std::string>());
      EXPECT_EQ(&c, f.Find(c.name));
      EXPECT_EQ(c.kind, s.at("kind").get<std::string>());
      EXPECT_EQ(c.parent, s.value("parent", ""));
      EXPECT_EQ(c.hasBounds, s.contains("bounds"));
      if (c.hasBounds) {
        const auto b = s.at("bounds").get<std::array<int, 4>>();
        EXPECT_EQ(c.bounds, (tk::Bounds{b[0], b[1], b[2], b[3]}));
      }
      EXPECT_EQ(c.align, AlignNamed(s.value("align", "")));
      EXPECT_EQ(c.anchors, s.contains("anchors") ? AnchorsNamed(s["anchors"]) : tk::Anchors(1 | 2));
      EXPECT_EQ(c.props, s.value("props", json::object()));
      EXPECT_EQ(c.events, EventsOf(s));
      if (c.props.contains("font")) ExpectFont(c.props["font"], ParseFont(c.props["font"]));
      if (c.props.contains("items")) ExpectMenu(c.props["items"], ParseMenu(c.props["items"]));
    }
  }
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
  // The panel's pictures that are not stretched have the size of their place.
  for (const ComponentLayout& c : f.components) {
    if (!c.props.contains("index") || c.Prop<std::string>("draw", "") == "stretch") continue;
    ASSERT_LT(size_t(c.Prop("index", 0)), skin.size()) << c.name;
    const SkinImage& image = skin[size_t(c.Prop("index", 0))];
    EXPECT_EQ((std::pair{image.width, image.height}), (std::pair{c.bounds.width, c.bounds.height})) << c.name;
  }
}

// A menu item that names an action names one the window has.
TEST(StoredLayouts, MenusNameActionsOfTheirWindow) {
  const FormLayout& f = FrmPlrLayout();
  std::vector<std::string> actions;
  for (const char* menu : {"mnMain", "mnPopup"}) CollectActions(ParseMenu(f.Find(menu)->props.at("items")), actions);
  EXPECT_FALSE(actions.empty());
  for (const std::string& a : actions) {
    ASSERT_NE(f.Find(a), nullptr) << a;
    EXPECT_EQ(f.Find(a)->kind, "TAction") << a;
  }
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
