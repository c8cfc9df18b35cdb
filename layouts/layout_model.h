// Stored window layouts: the component tree of a window with positions,
// alignment, anchors, stored properties and handler names, read from the
// layout texts kept with the program.
#pragma once

#include <array>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "toolkit/align.h"
#include "toolkit/animation.h"
#include "toolkit/menu_tree.h"

namespace swfp::layouts {

// A component's stored font; `given` tells whether the layout names one at all.
struct FontLayout {
  std::string name = "MS Shell Dlg 2";
  int height = -11;
  bool bold = false;
  std::uint32_t color = 0;  // 0x00BBGGRR
  bool given = false;
};

struct ComponentLayout {
  std::string kind;
  std::string name;
  std::string parent;  // empty: the form
  tk::Bounds bounds;
  bool hasBounds = false;
  tk::Align align = tk::Align::None;
  tk::Anchors anchors = tk::kDefaultAnchors;
  nlohmann::json props = nlohmann::json::object();
  std::map<std::string, std::string> events;  // event name -> handler name

  // A stored property, or `fallback` when the layout does not give it.
  template <class T>
  T Prop(const std::string& key, T fallback) const {
    auto it = props.find(key);
    return it == props.end() ? fallback : it->template get<T>();
  }
};

struct FormLayout {
  std::string name;
  std::string className;
  std::string caption;
  int left = 0;
  int top = 0;
  int clientWidth = 0;
  int clientHeight = 0;
  std::string border = "sizeable";  // none, single, sizeable, dialog
  tk::SizeConstraints constraints;
  FontLayout font;
  std::string color;  // empty or "btnface"
  bool showHint = false;
  bool stayOnTop = false;
  std::string position = "designed";  // designed, screenCenter, ownerFormCenter
  std::string menu;
  std::map<std::string, std::string> events;
  std::vector<ComponentLayout> components;

  const ComponentLayout* Find(std::string_view name) const;
  // Every handler name the layout binds, form and components together.
  std::vector<std::string> HandlerNames() const;
};

// Reads a layout text; a malformed one raises std::runtime_error naming the problem.
FormLayout ParseLayout(std::string_view text);
std::vector<tk::MenuNode> ParseMenu(const nlohmann::json& items);
FontLayout ParseFont(const nlohmann::json& font);

// The animation slots of a skinned button whose animations carry `prefix`:
// enabled p_enable, enter p_enter, over p_active, leave p_enter backwards,
// down p_press, up p_press backwards, pressed p_pressed; the press slots use
// the button's press delay.
std::array<tk::SlotAnimation, tk::kButtonSlotCount> ButtonSlotsFor(const std::string& prefix, tk::Millis pressDelay);

// The three windows' stored layouts (parsed once).
const FormLayout& FrmPlrLayout();
const FormLayout& FrmSplashLayout();
const FormLayout& FrmAboutLayout();

}  // namespace swfp::layouts
