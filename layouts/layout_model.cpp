#include "layouts/layout_model.h"

#include <stdexcept>

#include "layouts/layout_texts.h"

namespace swfp::layouts {

using nlohmann::json;

namespace {

tk::Align ParseAlign(const std::string& s) {
  if (s == "top") return tk::Align::Top;
  if (s == "bottom") return tk::Align::Bottom;
  if (s == "left") return tk::Align::Left;
  if (s == "right") return tk::Align::Right;
  if (s == "client") return tk::Align::Client;
  if (s == "none" || s.empty()) return tk::Align::None;
  throw std::runtime_error("Unknown alignment \"" + s + "\"");
}

tk::Anchors ParseAnchors(const json& list) {
  tk::Anchors a = 0;
  for (const auto& e : list) {
    const std::string s = e.get<std::string>();
    if (s == "left") a |= tk::akLeft;
    else if (s == "top") a |= tk::akTop;
    else if (s == "right") a |= tk::akRight;
    else if (s == "bottom") a |= tk::akBottom;
    else throw std::runtime_error("Unknown anchor \"" + s + "\"");
  }
  return a;
}

std::map<std::string, std::string> ParseEvents(const json& j) {
  std::map<std::string, std::string> out;
  if (auto it = j.find("events"); it != j.end())
    for (auto& [k, v] : it->items()) out[k] = v.get<std::string>();
  return out;
}

tk::SizeConstraints ParseConstraints(const json& j) {
  tk::SizeConstraints c;
  c.minWidth = j.value("minWidth", 0);
  c.minHeight = j.value("minHeight", 0);
  c.maxWidth = j.value("maxWidth", 0);
  c.maxHeight = j.value("maxHeight", 0);
  return c;
}

}  // namespace

FontLayout ParseFont(const json& f) {
  FontLayout font;
  font.given = true;
  font.name = f.value("name", font.name);
  font.height = f.value("height", font.height);
  font.bold = f.value("bold", false);
  font.color = f.value("color", 0u);
  return font;
}

std::vector<tk::MenuNode> ParseMenu(const json& items) {
  std::vector<tk::MenuNode> out;
  for (const auto& j : items) {
    tk::MenuNode n;
    n.name = j.at("name").get<std::string>();
    n.caption = j.value("caption", "");
    n.action = j.value("action", "");
    n.checkable = j.value("checkable", false);
    n.checked = j.value("checked", false);
    n.radio = j.value("radio", false);
    n.groupIndex = j.value("groupIndex", 0);
    n.visible = j.value("visible", true);
    // Separators are stored as disabled items.
    n.enabled = j.value("enabled", n.caption != "-");
    if (j.contains("items")) n.items = ParseMenu(j.at("items"));
    out.push_back(std::move(n));
  }
  return out;
}

FormLayout ParseLayout(std::string_view text) {
  json j;
  try {
    j = json::parse(text);
  } catch (const json::exception& e) {
    throw std::runtime_error(std::string("The window layout is not readable: ") + e.what());
  }
  FormLayout f;
  try {
    f.name = j.at("name").get<std::string>();
    f.className = j.value("class", "");
    f.caption = j.value("caption", "");
    f.left = j.value("left", 0);
    f.top = j.value("top", 0);
    f.clientWidth = j.at("clientWidth").get<int>();
    f.clientHeight = j.at("clientHeight").get<int>();
    f.border = j.value("border", "sizeable");
    if (j.contains("constraints")) f.constraints = ParseConstraints(j.at("constraints"));
    if (j.contains("font")) f.font = ParseFont(j.at("font"));
    f.color = j.value("color", "");
    f.showHint = j.value("showHint", false);
    f.stayOnTop = j.value("stayOnTop", false);
    f.position = j.value("position", "designed");
    f.menu = j.value("menu", "");
    f.events = ParseEvents(j);
    for (const auto& c : j.at("components")) {
      ComponentLayout cl;
      cl.kind = c.at("kind").get<std::string>();
      cl.name = c.at("name").get<std::string>();
      cl.parent = c.value("parent", "");
      if (auto b = c.find("bounds"); b != c.end()) {
        if (!b->is_array() || b->size() != 4) throw std::runtime_error("Bounds of " + cl.name + " need four numbers");
        cl.bounds = {(*b)[0].get<int>(), (*b)[1].get<int>(), (*b)[2].get<int>(), (*b)[3].get<int>()};
        cl.hasBounds = true;
      }
      cl.align = ParseAlign(c.value("align", ""));
      if (c.contains("anchors")) cl.anchors = ParseAnchors(c.at("anchors"));
      if (c.contains("props")) cl.props = c.at("props");
      cl.events = ParseEvents(c);
      if (f.Find(cl.name)) throw std::runtime_error("Component " + cl.name + " appears twice");
      if (!cl.parent.empty() && !f.Find(cl.parent))
        throw std::runtime_error("Parent " + cl.parent + " of " + cl.name + " must come before it");
      f.components.push_back(std::move(cl));
    }
  } catch (const json::exception& e) {
    throw std::runtime_error("Window layout " + f.name + ": " + e.what());
  }
  return f;
}

const ComponentLayout* FormLayout::Find(std::string_view n) const {
  for (const auto& c : components)
    if (c.name == n) return &c;
  return nullptr;
}

std::vector<std::string> FormLayout::HandlerNames() const {
  std::vector<std::string> out;
  for (const auto& [e, h] : events) out.push_back(h);
  for (const auto& c : components)
    for (const auto& [e, h] : c.events) out.push_back(h);
  return out;
}

std::array<tk::SlotAnimation, tk::kButtonSlotCount> ButtonSlotsFor(const std::string& p, tk::Millis pressDelay) {
  using tk::AnimDirection;
  using tk::ButtonSlot;
  std::array<tk::SlotAnimation, tk::kButtonSlotCount> s{};
  s[size_t(ButtonSlot::Enabled)] = {p + "_enable", AnimDirection::Forward, 100};
  s[size_t(ButtonSlot::MouseEnter)] = {p + "_enter", AnimDirection::Forward, 50};
  s[size_t(ButtonSlot::MouseOver)] = {p + "_active", AnimDirection::Forward, 100};
  s[size_t(ButtonSlot::MouseLeave)] = {p + "_enter", AnimDirection::Backward, 50};
  s[size_t(ButtonSlot::MouseDown)] = {p + "_press", AnimDirection::Forward, pressDelay};
  s[size_t(ButtonSlot::MouseUp)] = {p + "_press", AnimDirection::Backward, pressDelay};
  s[size_t(ButtonSlot::Pressed)] = {p + "_pressed", AnimDirection::Forward, pressDelay};
  s[size_t(ButtonSlot::Down)] = {"", AnimDirection::Forward, 100};
  s[size_t(ButtonSlot::Disabled)] = {"", AnimDirection::Forward, 100};
  s[size_t(ButtonSlot::MouseClick)] = {"", AnimDirection::Forward, 100};
  return s;
}

const FormLayout& FrmPlrLayout() {
  static const FormLayout layout = ParseLayout(kFrmPlrLayoutText);
  return layout;
}

const FormLayout& FrmSplashLayout() {
  static const FormLayout layout = ParseLayout(kFrmSplashLayoutText);
  return layout;
}

const FormLayout& FrmAboutLayout() {
  static const FormLayout layout = ParseLayout(kFrmAboutLayoutText);
  return layout;
}


}  // namespace swfp::layouts
