// Commands as objects: one action per user command, any number of menu items
// and buttons bound to it. Every state change reaches the bound clients at once.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "toolkit/component.h"

namespace swfp::tk {

class TAction;
class TActionList;

enum class ActionProperty { Caption, Visible, Enabled, Checked };

// Implemented by whatever shows an action (menu item, button).
class ActionClient {
 public:
  virtual void ActionChanged(TAction& action, ActionProperty what) = 0;
  virtual void ActionDestroyed(TAction& action) = 0;

 protected:
  ~ActionClient() = default;
};

class TAction : public TComponent {
 public:
  using Handler = std::function<void(TAction&)>;

  explicit TAction(TComponent* owner, TActionList* list = nullptr);
  ~TAction() override;

  TActionList* ActionList() const { return list_; }
  void SetActionList(TActionList* list);

  const std::string& Category() const { return category_; }
  void SetCategory(std::string c) { category_ = std::move(c); }
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string c);
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  bool Checked() const { return checked_; }
  // Checking an action with a group index unchecks the others of its group in the same list.
  void SetChecked(bool v);
  bool AutoCheck() const { return autoCheck_; }
  void SetAutoCheck(bool v) { autoCheck_ = v; }
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int g) { groupIndex_ = g; }

  Handler OnExecute;
  Handler OnUpdate;

  // Runs the command: nothing when disabled; an auto-check action flips its
  // checked state first (a grouped one becomes checked); then OnExecute.
  // Returns whether a handler ran.
  bool Execute();

  void AddClient(ActionClient* c);
  void RemoveClient(ActionClient* c);

 private:
  friend class TActionList;
  void Notify(ActionProperty what);

  TActionList* list_ = nullptr;
  std::string category_;
  std::string caption_;
  bool visible_ = true;
  bool enabled_ = true;
  bool checked_ = false;
  bool autoCheck_ = false;
  int groupIndex_ = 0;
  std::vector<ActionClient*> clients_;
};

class TActionList : public TComponent {
 public:
  // The list's update event: set handled to stop the action's own update.
  using UpdateHandler = std::function<void(TAction& action, bool& handled)>;

  explicit TActionList(TComponent* owner);
  ~TActionList() override;

  const std::vector<TAction*>& Actions() const { return actions_; }
  TAction* Find(const std::string& name) const;

  UpdateHandler OnUpdate;

  // One update round, once per action (run while the application is idle).
  void UpdateActions();
  // Every live action list of the process, for the idle handler.
  static void UpdateAll();

 private:
  friend class TAction;
  std::vector<TAction*> actions_;
};

}  // namespace swfp::tk
