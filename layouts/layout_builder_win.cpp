#include "layouts/layout_builder_win.h"

#include <stdexcept>

#include "layouts/skin.h"
#include "toolkit/dib_win.h"
#include "toolkit/image32_win.h"
#include "toolkit/menu_win.h"
#include "toolkit/stdctrls_win.h"
#include "winbase/text_win.h"

namespace swfp::layouts {

using namespace swfp::tk;

Bitmap32 SkinBitmap(const SkinImage& image) {
  Bitmap32 b(image.width, image.height);
  std::copy(image.pixels, image.pixels + static_cast<size_t>(image.width) * image.height, b.Pixels().begin());
  return b;
}

TFont ToFont(const FontLayout& f) {
  TFont font;
  font.name = swfp::win::Utf8ToWide(f.name);
  font.height = f.height;
  font.bold = f.bold;
  font.color = f.color;
  return font;
}

template <class Map>
const typename Map::mapped_type& LayoutBuilder::Handler(const Map& map, const ComponentLayout* c,
                                                        const std::string& event, const std::string& name) const {
  auto it = map.find(name);
  if (it == map.end() || !it->second)
    throw std::runtime_error("The window has no handler " + name + " for " + (c ? c->name + "." : std::string()) + event);
  return it->second;
}

void LayoutBuilder::Build(TForm& form, const FormLayout& layout) {
  form.SetName(layout.name);
  form.SetCaption(swfp::win::Utf8ToWide(layout.caption));
  if (layout.border == "none") form.SetBorderStyle(BorderStyle::None);
  else if (layout.border == "single") form.SetBorderStyle(BorderStyle::Single);
  else if (layout.border == "dialog") form.SetBorderStyle(BorderStyle::Dialog);
  else form.SetBorderStyle(BorderStyle::Sizeable);
  form.SetStayOnTop(layout.stayOnTop);
  form.Position = layout.position == "screenCenter"      ? FormPosition::ScreenCenter
                  : layout.position == "ownerFormCenter" ? FormPosition::OwnerFormCenter
                                                         : FormPosition::Designed;
  if (layout.font.given) form.SetFont(ToFont(layout.font));
  form.SetColor(layout.color == "btnface" || layout.color.empty() ? clBtnFace : clWindow);
  form.ShowHint = layout.showHint;
  form.SetClientSize(layout.clientWidth, layout.clientHeight);
  form.SetBounds(layout.left, layout.top, form.Width(), form.Height());
  form.SetConstraints(layout.constraints);

  for (const ComponentLayout& c : layout.components) BuildComponent(form, c);

  if (!layout.menu.empty()) form.SetMenu(&Component<TMainMenu>(form, layout.menu));
  for (const auto& [event, name] : layout.events) {
    if (event == "OnCloseQuery") {
      form.OnCloseQuery = Handler(handlers_.closeQuery, nullptr, event, name);
      continue;
    }
    const NotifyEvent& h = Handler(handlers_.notify, nullptr, event, name);
    if (event == "OnCreate") form.OnCreate = h;
    else if (event == "OnShow") form.OnShow = h;
    else if (event == "OnActivate") form.OnActivate = h;
    else if (event == "OnResize") form.OnResize = h;
    else if (event == "OnDestroy") form.OnDestroy = h;
    else throw std::runtime_error("Windows have no event " + event);
  }
}

void LayoutBuilder::PlaceControl(TForm& form, TControl& control, const ComponentLayout& c) {
  control.SetName(c.name);
  if (c.hasBounds) control.SetBounds(c.bounds.left, c.bounds.top, c.bounds.width, c.bounds.height);
  if (c.props.contains("constraints")) {
    const auto& j = c.props.at("constraints");
    control.SetConstraints({j.value("minWidth", 0), j.value("minHeight", 0), j.value("maxWidth", 0), j.value("maxHeight", 0)});
  }
  if (c.props.contains("font")) control.SetFont(ToFont(ParseFont(c.props.at("font"))));
  if (c.props.contains("hint")) control.Hint = swfp::win::Utf8ToWide(c.Prop<std::string>("hint", ""));
  control.SetVisible(c.Prop("visible", true));
  TWinControl* parent = c.parent.empty() ? &form : dynamic_cast<TWinControl*>(form.FindComponent(c.parent));
  if (!parent) throw std::runtime_error("The parent " + c.parent + " of " + c.name + " cannot hold controls");
  control.SetAnchors(c.anchors);
  control.SetParent(parent);
  control.SetAnchors(c.anchors);  // fixes the anchor distances against the parent
  control.SetAlign(c.align);
}

void LayoutBuilder::BindControlEvents(TControl& control, const ComponentLayout& c, bool strict) {
  for (const auto& [event, name] : c.events) {
    if (event == "OnMouseDown") control.OnMouseDown = Handler(handlers_.mouse, &c, event, name);
    else if (event == "OnMouseUp") control.OnMouseUp = Handler(handlers_.mouse, &c, event, name);
    else if (event == "OnMouseMove") control.OnMouseMove = Handler(handlers_.mouseMove, &c, event, name);
    else if (event == "OnClick") control.OnClick = Handler(handlers_.notify, &c, event, name);
    else if (event == "OnDblClick") control.OnDblClick = Handler(handlers_.notify, &c, event, name);
    else if (event == "OnChange" && dynamic_cast<TDIBSlider*>(&control))
      static_cast<TDIBSlider&>(control).OnChange = Handler(handlers_.notify, &c, event, name);
    else if (strict) throw std::runtime_error(c.kind + " has no event " + event + " (" + c.name + ")");
  }
}

void LayoutBuilder::BuildComponent(TForm& form, const ComponentLayout& c) {
  auto images = [&](const char* key, const char* fallback) {
    return &Component<TDIBImageList>(form, c.Prop<std::string>(key, fallback));
  };

  if (auto f = factories_.find(c.kind); f != factories_.end()) {
    TControl& control = f->second(form, c, handlers_);
    PlaceControl(form, control, c);
    BindControlEvents(control, c, false);
    return;
  }

  if (c.kind == "TDIBImageList") {
    auto& list = form.Make<TDIBImageList>();
    list.SetName(c.name);
    for (const SkinImage& s : SkinImages(c.Prop<std::string>("skin", c.name))) list.Add(SkinBitmap(s));
  } else if (c.kind == "TAnimationManager") {
    auto& m = form.Make<TAnimationManager>();
    m.SetName(c.name);
    if (c.props.contains("animations"))
      for (auto& [name, frames] : c.props.at("animations").items()) m.AddAnimation(name, frames.get<std::vector<int>>());
  } else if (c.kind == "TActionList") {
    auto& l = form.Make<TActionList>();
    l.SetName(c.name);
    for (const auto& [event, name] : c.events) {
      if (event != "OnUpdate") throw std::runtime_error("TActionList has no event " + event);
      l.OnUpdate = Handler(handlers_.actionListUpdate, &c, event, name);
    }
  } else if (c.kind == "TAction") {
    auto& a = form.Make<TAction>(&Component<TActionList>(form, c.parent));
    a.SetName(c.name);
    a.SetCategory(c.Prop<std::string>("category", ""));
    a.SetCaption(c.Prop<std::string>("caption", ""));
    const std::string check = c.Prop<std::string>("check", "");
    a.SetAutoCheck(check == "auto" || check == "radio");
    a.SetGroupIndex(c.Prop("groupIndex", 0));
    a.SetChecked(c.Prop("checked", false));
    a.SetVisible(c.Prop("visible", true));
    a.SetEnabled(c.Prop("enabled", true));
    for (const auto& [event, name] : c.events) {
      if (event != "OnExecute" && event != "OnUpdate") throw std::runtime_error("TAction has no event " + event);
      (event == "OnExecute" ? a.OnExecute : a.OnUpdate) = Handler(handlers_.action, &c, event, name);
    }
  } else if (c.kind == "TMainMenu" || c.kind == "TPopupMenu") {
    TMenu& m = c.kind == "TMainMenu" ? static_cast<TMenu&>(form.Make<TMainMenu>()) : form.Make<TPopupMenu>();
    m.SetName(c.name);
    m.Load(ParseMenu(c.props.value("items", nlohmann::json::array())), [&](const std::string& name) {
      return dynamic_cast<TAction*>(form.FindComponent(name));
    });
  } else if (c.kind == "TTimer") {
    auto& t = form.Make<TTimer>();
    t.SetName(c.name);
    for (const auto& [event, name] : c.events) {
      if (event != "OnTimer") throw std::runtime_error("TTimer has no event " + event);
      t.OnTimer = Handler(handlers_.notify, &c, event, name);
    }
    t.SetInterval(c.Prop("interval", 1000u));
    t.SetEnabled(c.Prop("enabled", true));
  } else {
    TControl* control = nullptr;
    if (c.kind == "TPanel") {
      auto& p = form.Make<TPanel>();
      p.SetColor(c.Prop("color", static_cast<std::uint32_t>(clBtnFace)));
      p.BevelOuter = c.Prop<std::string>("bevel", "none") == "none" ? TPanel::Bevel::None : TPanel::Bevel::Raised;
      control = &p;
    } else if (c.kind == "TDIBImageAnimContainer") {
      control = &form.Make<TDIBImageAnimContainer>();
    } else if (c.kind == "TDIBAnimContainer") {
      auto& a = form.Make<TDIBAnimContainer>();
      a.AutoSize = c.Prop("autoSize", false);
      control = &a;
    } else if (c.kind == "TDIBImage") {
      auto& i = form.Make<TDIBImage>();
      const std::string draw = c.Prop<std::string>("draw", "normal");
      i.DrawMode = draw == "stretch" ? DIBDrawMode::Stretch : draw == "center" ? DIBDrawMode::Center : DIBDrawMode::Normal;
      i.AutoSize = c.Prop("autoSize", false);
      i.SetImage(images("images", "ani_images"), c.Prop("index", -1));
      control = &i;
    } else if (c.kind == "TDIBButton") {
      auto& animator = Component<TAnimationManager>(form, c.Prop<std::string>("animator", "animator"));
      auto& b = form.Make<TDIBButton>(&animator, images("images", "ani_images"));
      b.Opacity = static_cast<std::uint8_t>(c.Prop("opacity", 255));
      control = &b;
    } else if (c.kind == "TDIBSlider") {
      auto& s = form.Make<TDIBSlider>(images("images", "slider_images"));
      s.SetRange(c.Prop("min", 0), c.Prop("max", 100));
      s.SetPosition(c.Prop("position", 0));
      s.SetSteps(c.Prop("smallStep", 1), c.Prop("largeStep", 5), c.Prop("page", 5));
      control = &s;
    } else if (c.kind == "TImage32") {
      auto& i = form.Make<TImage32>();
      i.SetBackgroundColor(c.Prop("backgroundColor", 0u));
      control = &i;
    } else if (c.kind == "TLabel") {
      auto& l = form.Make<TLabel>();
      l.SetAutoSize(c.Prop("autoSize", true));
      control = &l;
    } else if (c.kind == "TButton") {
      auto& b = form.Make<TButton>();
      b.ModalResult = c.Prop("modalResult", 0);
      b.TabOrder = c.Prop("tabOrder", 0);
      control = &b;
    } else if (c.kind == "TImage") {
      auto& i = form.Make<TImage>();
      i.Center = c.Prop("center", true);
      i.Stretch = c.Prop("stretch", false);
      control = &i;
    } else {
      throw std::runtime_error("Unknown component kind " + c.kind + " (" + c.name + ")");
    }
    if (c.props.contains("caption")) control->SetCaption(swfp::win::Utf8ToWide(c.Prop<std::string>("caption", "")));
    PlaceControl(form, *control, c);
    if (auto* b = dynamic_cast<TDIBButton*>(control)) {
      b->SetSlots(ButtonSlotsFor(c.Prop<std::string>("animations", c.name), c.Prop("pressDelay", 10)));
      if (c.props.contains("action")) b->SetAction(&Component<TAction>(form, c.Prop<std::string>("action", "")));
      b->SetVisible(c.Prop("visible", true));  // the layout's own visibility wins over the action's
    }
    if (auto* l = dynamic_cast<TLabel*>(control); l && !l->AutoSize() && c.hasBounds)
      l->SetBounds(c.bounds.left, c.bounds.top, c.bounds.width, c.bounds.height);
    BindControlEvents(*control, c, true);
  }
  // A container that sizes itself to its content does so once its children exist.
  if (!c.parent.empty()) {
    if (auto* holder = dynamic_cast<TDIBAnimContainer*>(form.FindComponent(c.parent)); holder && holder->AutoSize)
      holder->FitToContent();
  }
}

}  // namespace swfp::layouts
