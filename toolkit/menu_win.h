// Menus: items bound to actions, separators, checkable and radio items,
// submenus; a main menu for a window's menu bar and a context menu.
// The Win32 menu is rebuilt whenever an item or its action changes, so
// hidden items really disappear.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/action.h"
#include "toolkit/component.h"
#include "toolkit/menu_tree.h"

namespace swfp::tk {

class TMenu;
class TControl;

class TMenuItem : public TComponent, protected ActionClient {
 public:
  explicit TMenuItem(TComponent* owner, TMenu* menu = nullptr);
  ~TMenuItem() override;

  const std::wstring& Caption() const { return caption_; }
  void SetCaption(const std::wstring& c);
  bool IsSeparator() const { return caption_ == L"-"; }
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  bool Checked() const { return checked_; }
  void SetChecked(bool v);
  bool AutoCheck = false;
  bool RadioItem() const { return radio_; }
  void SetRadioItem(bool v);
  int GroupIndex = 0;

  TAction* Action() const { return action_; }
  void SetAction(TAction* a);

  // Children (submenu items), owned by this item.
  TMenuItem& Add(const std::string& name);
  const std::vector<std::unique_ptr<TMenuItem>>& Items() const { return items_; }
  TMenuItem* Parent() const { return parent_; }
  TMenuItem* Find(const std::string& name);

  // Command number of the item in the Win32 menu.
  UINT Command() const { return command_; }

  std::function<void(TMenuItem&)> OnClick;
  // Runs the action, or toggles an auto-check item and raises OnClick.
  void Click();

  // Routes a WM_COMMAND menu command to its item; false for unknown numbers.
  static bool DispatchCommand(UINT command);

 protected:
  void ActionChanged(TAction& action, ActionProperty what) override;
  void ActionDestroyed(TAction& action) override;

 private:
  friend class TMenu;
  void Changed();
  void AppendTo(HMENU menu) const;

  TMenu* menu_;
  TMenuItem* parent_ = nullptr;
  std::wstring caption_;
  bool visible_ = true;
  bool enabled_ = true;
  bool checked_ = false;
  bool radio_ = false;
  TAction* action_ = nullptr;
  UINT command_;
  std::vector<std::unique_ptr<TMenuItem>> items_;
};

class TMenu : public TComponent {
 public:
  TMenu(TComponent* owner, bool popup);
  ~TMenu() override;

  // The invisible root whose children are the menu's items.
  TMenuItem& Items() { return *root_; }
  TMenuItem* Find(const std::string& name);
  HMENU Handle() const { return hmenu_; }
  // Rebuilds the Win32 menu from the items; runs on every change.
  void Rebuild();
  // The window whose menu bar shows this menu (main menus).
  void SetWindow(HWND hwnd);
  HWND Window() const { return window_; }

  // Builds items from their stored description; actions are looked up in `actions`.
  void Load(const std::vector<MenuNode>& nodes, const std::function<TAction*(const std::string&)>& actions);

 private:
  friend class TMenuItem;
  void ItemChanged();
  bool popup_;
  HMENU hmenu_;
  HWND window_ = nullptr;
  bool updating_ = false;
  std::unique_ptr<TMenuItem> root_;
};

class TMainMenu : public TMenu {
 public:
  explicit TMainMenu(TComponent* owner) : TMenu(owner, false) {}
};

class TPopupMenu : public TMenu {
 public:
  explicit TPopupMenu(TComponent* owner) : TMenu(owner, true) {}
  // The control whose menu is being shown.
  TComponent* PopupComponent = nullptr;
  std::function<void(TPopupMenu&)> OnPopup;
  // Shows the menu at a screen point and runs the chosen item.
  void Popup(int x, int y);
};

}  // namespace swfp::tk
