#include "toolkit/action.h"

#include <algorithm>

namespace swfp::tk {

namespace {
std::vector<TActionList*>& liveLists() {
  static std::vector<TActionList*> lists;
  return lists;
}
}  // namespace

TAction::TAction(TComponent* owner, TActionList* list) : TComponent(owner) { SetActionList(list); }

TAction::~TAction() {
  SetActionList(nullptr);
  // A client may unbind itself while being told; work on a copy.
  auto clients = clients_;
  clients_.clear();
  for (ActionClient* c : clients) c->ActionDestroyed(*this);
}

void TAction::SetActionList(TActionList* list) {
  if (list_ == list) return;
  if (list_) std::erase(list_->actions_, this);
  list_ = list;
  if (list_) list_->actions_.push_back(this);
}

void TAction::SetCaption(std::string c) {
  if (c == caption_) return;
  caption_ = std::move(c);
  Notify(ActionProperty::Caption);
}

void TAction::SetVisible(bool v) {
  if (v == visible_) return;
  visible_ = v;
  Notify(ActionProperty::Visible);
}

void TAction::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  Notify(ActionProperty::Enabled);
}

void TAction::SetChecked(bool v) {
  if (v == checked_) return;
  checked_ = v;
  if (v && groupIndex_ > 0 && list_) {
    for (TAction* other : list_->actions_)
      if (other != this && other->groupIndex_ == groupIndex_) other->SetChecked(false);
  }
  Notify(ActionProperty::Checked);
}

bool TAction::Execute() {
  if (!enabled_) return false;
  if (autoCheck_) SetChecked(groupIndex_ > 0 ? true : !checked_);
  if (!OnExecute) return false;
  OnExecute(*this);
  return true;
}

void TAction::AddClient(ActionClient* c) {
  if (std::find(clients_.begin(), clients_.end(), c) == clients_.end()) clients_.push_back(c);
}

void TAction::RemoveClient(ActionClient* c) { std::erase(clients_, c); }

void TAction::Notify(ActionProperty what) {
  auto clients = clients_;
  for (ActionClient* c : clients) c->ActionChanged(*this, what);
}

TActionList::TActionList(TComponent* owner) : TComponent(owner) { liveLists().push_back(this); }

TActionList::~TActionList() {
  std::erase(liveLists(), this);
  for (TAction* a : actions_) a->list_ = nullptr;
}

TAction* TActionList::Find(const std::string& name) const {
  for (TAction* a : actions_)
    if (a->Name() == name) return a;
  return nullptr;
}

void TActionList::UpdateActions() {
  // Handlers may hide or check actions but must not add or free them meanwhile.
  auto actions = actions_;
  for (TAction* a : actions) {
    bool handled = false;
    if (OnUpdate) OnUpdate(*a, handled);
    if (!handled && a->OnUpdate) a->OnUpdate(*a);
  }
}

void TActionList::UpdateAll() {
  auto lists = liveLists();
  for (TActionList* l : lists)
    if (std::find(liveLists().begin(), liveLists().end(), l) != liveLists().end()) l->UpdateActions();
}

}  // namespace swfp::tk
