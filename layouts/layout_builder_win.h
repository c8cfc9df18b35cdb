// Builds a window from its stored layout: creates every component owned by
// the form, sets the stored properties and binds the named handlers.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "layouts/layout_model.h"
#include "layouts/skin.h"
#include "toolkit/action.h"
#include "toolkit/bitmap32.h"
#include "toolkit/control_win.h"
#include "toolkit/form_win.h"

namespace swfp::layouts {

// The window's handlers by name, one table per handler shape.
struct Handlers {
  std::map<std::string, tk::NotifyEvent> notify;  // form events, OnTimer, OnChange, OnClick
  std::map<std::string, tk::MouseEvent> mouse;
  std::map<std::string, tk::MouseMoveEvent> mouseMove;
  std::map<std::string, tk::TAction::Handler> action;
  std::map<std::string, tk::TActionList::UpdateHandler> actionListUpdate;
  std::map<std::string, std::function<void(tk::TComponent&, bool&)>> closeQuery;
};

// Makes a control of a kind the toolkit does not know (the player control).
// It must create the control owned by `form`, and may bind the layout's
// events that are particular to its kind; the builder then places it and
// binds the common mouse events.
using ControlFactory =
    std::function<tk::TControl&(tk::TForm& form, const ComponentLayout& layout, const Handlers& handlers)>;

class LayoutBuilder {
 public:
  explicit LayoutBuilder(const Handlers& handlers) : handlers_(handlers) {}
  void RegisterKind(const std::string& kind, ControlFactory factory) { factories_[kind] = std::move(factory); }
  // Creates the components; raises std::runtime_error for an unknown kind, a
  // missing handler or a reference to a missing component.
  void Build(tk::TForm& form, const FormLayout& layout);

 private:
  void BuildComponent(tk::TForm& form, const ComponentLayout& c);
  void PlaceControl(tk::TForm& form, tk::TControl& control, const ComponentLayout& c);
  void BindControlEvents(tk::TControl& control, const ComponentLayout& c, bool strict);
  template <class Map>
  const typename Map::mapped_type& Handler(const Map& map, const ComponentLayout* c, const std::string& event,
                                           const std::string& name) const;

  const Handlers& handlers_;
  std::map<std::string, ControlFactory> factories_;
};

tk::Bitmap32 SkinBitmap(const SkinImage& image);
tk::TFont ToFont(const FontLayout& f);

// Looks up a component the builder made, with its type checked.
template <class T>
T& Component(tk::TComponent& form, const std::string& name) {
  auto* c = dynamic_cast<T*>(form.FindComponent(name));
  if (!c) throw std::runtime_error("The window has no component " + name + " of the expected kind");
  return *c;
}

}  // namespace swfp::layouts
