#include "toolkit/menu_win.h"

#include <map>
#include <stdexcept>

#include "toolkit/application_win.h"
#include "toolkit/graphics_win.h"
#include "winbase/text_win.h"

namespace swfp::tk {

namespace {

std::map<UINT, TMenuItem*>& commands() {
  static std::map<UINT, TMenuItem*> map;
  return map;
}

UINT NextCommand() {
  // Menu commands are 16-bit; numbers are reused once they wrap.
  static UINT next = 100;
  for (;;) {
    UINT c = next;
    next = next >= 0xEFFF ? 100 : next + 1;
    if (!commands().count(c)) return c;
  }
}

}  // namespace

TMenuItem::TMenuItem(TComponent* owner, TMenu* menu) : TComponent(owner), menu_(menu), command_(NextCommand()) {
  commands()[command_] = this;
}

TMenuItem::~TMenuItem() {
  SetAction(nullptr);
  items_.clear();
  commands().erase(command_);
}

bool TMenuItem::DispatchCommand(UINT command) {
  auto it = commands().find(command);
  if (it == commands().end()) return false;
  it->second->Click();
  return true;
}

TMenuItem& TMenuItem::Add(const std::string& name) {
  auto item = std::make_unique<TMenuItem>(nullptr, menu_);
  item->SetName(name);
  item->parent_ = this;
  TMenuItem& ref = *item;
  items_.push_back(std::move(item));
  Changed();
  return ref;
}

TMenuItem* TMenuItem::Find(const std::string& name) {
  if (Name() == name) return this;
  for (auto& i : items_)
    if (TMenuItem* f = i->Find(name)) return f;
  return nullptr;
}

void TMenuItem::Changed() {
  if (menu_) menu_->ItemChanged();
}

void TMenuItem::SetCaption(const std::wstring& c) {
  if (c == caption_) return;
  caption_ = c;
  Changed();
}

void TMenuItem::SetVisible(bool v) {
  if (v == visible_) return;
  visible_ = v;
  Changed();
}

void TMenuItem::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  Changed();
}

void TMenuItem::SetChecked(bool v) {
  if (v == checked_) return;
  checked_ = v;
  if (v && radio_ && GroupIndex > 0 && parent_) {
    for (auto& sib : parent_->items_)
      if (sib.get() != this && sib->radio_ && sib->GroupIndex == GroupIndex) sib->SetChecked(false);
  }
  Changed();
}

void TMenuItem::SetRadioItem(bool v) {
  radio_ = v;
  Changed();
}

void TMenuItem::SetAction(TAction* a) {
  if (a == action_) return;
  if (action_) action_->RemoveClient(this);
  action_ = a;
  if (action_) {
    action_->AddClient(this);
    if (caption_.empty()) caption_ = swfp::win::Utf8ToWide(action_->Caption());
    visible_ = action_->Visible();
    enabled_ = action_->Enabled();
    checked_ = action_->Checked();
  }
  Changed();
}

void TMenuItem::ActionChanged(TAction& a, ActionProperty what) {
  switch (what) {
    case ActionProperty::Caption: SetCaption(swfp::win::Utf8ToWide(a.Caption())); break;
    case ActionProperty::Visible: SetVisible(a.Visible()); break;
    case ActionProperty::Enabled: SetEnabled(a.Enabled()); break;
    case ActionProperty::Checked: SetChecked(a.Checked()); break;
  }
}

void TMenuItem::ActionDestroyed(TAction&) { action_ = nullptr; }

void TMenuItem::Click() {
  if (!enabled_) return;
  if (action_) {
    action_->Execute();
    return;
  }
  if (AutoCheck) SetChecked(radio_ ? true : !checked_);
  if (OnClick) OnClick(*this);
}

void TMenuItem::AppendTo(HMENU menu) const {
  for (const auto& child : items_) {
    const TMenuItem& it = *child;
    if (!it.visible_) continue;
    MENUITEMINFOW mi{};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
    mi.wID = it.command_;
    std::wstring text = it.caption_;
    if (it.IsSeparator()) {
      mi.fType = MFT_SEPARATOR;
      mi.fMask = MIIM_FTYPE | MIIM_ID;
    } else {
      mi.fType = MFT_STRING | (it.radio_ ? MFT_RADIOCHECK : 0);
      mi.fState = (it.checked_ ? MFS_CHECKED : 0) | (it.enabled_ ? 0 : MFS_DISABLED);
      mi.dwTypeData = text.data();
    }
    if (!it.items_.empty()) {
      HMENU sub = CreatePopupMenu();
      it.AppendTo(sub);
      mi.fMask |= MIIM_SUBMENU;
      mi.hSubMenu = sub;
    }
    InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &mi);
  }
}

TMenu::TMenu(TComponent* owner, bool popup)
    : TComponent(owner), popup_(popup), hmenu_(popup ? CreatePopupMenu() : CreateMenu()) {
  if (!hmenu_) throw std::runtime_error("Could not create a menu");
  root_ = std::make_unique<TMenuItem>(nullptr, this);
}

TMenu::~TMenu() {
  if (window_ && IsWindow(window_) && GetMenu(window_) == hmenu_) ::SetMenu(window_, nullptr);
  root_.reset();
  DestroyMenu(hmenu_);
}

TMenuItem* TMenu::Find(const std::string& name) { return root_->Find(name); }

void TMenu::ItemChanged() {
  if (!updating_) Rebuild();
}

void TMenu::Rebuild() {
  if (!root_) return;
  while (GetMenuItemCount(hmenu_) > 0) DeleteMenu(hmenu_, 0, MF_BYPOSITION);
  root_->AppendTo(hmenu_);
  if (window_ && IsWindow(window_) && GetMenu(window_) == hmenu_) DrawMenuBar(window_);
}

void TMenu::SetWindow(HWND hwnd) { window_ = hwnd; }

void TMenu::Load(const std::vector<MenuNode>& nodes, const std::function<TAction*(const std::string&)>& actions) {
  updating_ = true;
  std::function<void(TMenuItem&, const std::vector<MenuNode>&)> load = [&](TMenuItem& parent,
                                                                           const std::vector<MenuNode>& list) {
    for (const MenuNode& n : list) {
      TMenuItem& item = parent.Add(n.name);
      item.SetCaption(swfp::win::Utf8ToWide(n.caption));
      item.AutoCheck = n.checkable && n.action.empty();
      item.GroupIndex = n.groupIndex;
      item.SetRadioItem(n.radio);
      item.SetChecked(n.checked);
      item.SetVisible(n.visible);
      item.SetEnabled(n.enabled && n.caption != "-");
      if (!n.action.empty()) {
        TAction* a = actions(n.action);
        if (!a) throw std::runtime_error("Menu item " + n.name + " names an unknown action " + n.action);
        item.SetAction(a);
      }
      load(item, n.items);
    }
  };
  load(*root_, nodes);
  updating_ = false;
  Rebuild();
}

void TPopupMenu::Popup(int x, int y) {
  if (OnPopup) OnPopup(*this);
  Rebuild();
  HWND owner = Application().Handle();
  // The menu closes properly only if its owner is the foreground window.
  SetForegroundWindow(owner);
  UINT cmd = static_cast<UINT>(
      TrackPopupMenu(Handle(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, x, y, 0, owner, nullptr));
  PostMessageW(owner, WM_NULL, 0, 0);
  if (cmd) TMenuItem::DispatchCommand(cmd);
}

}  // namespace swfp::tk
