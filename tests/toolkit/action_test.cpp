#include "toolkit/action.h"
#include "toolkit/hint_text.h"

#include <gtest/gtest.h>

#include <vector>

using namespace swfp::tk;

namespace {

struct Recorder : ActionClient {
  std::vector<ActionProperty> changes;
  bool destroyed = false;
  void ActionChanged(TAction&, ActionProperty what) override { changes.push_back(what); }
  void ActionDestroyed(TAction&) override { destroyed = true; }
};

}  // namespace

TEST(Action, ClientsHearOnlyRealChangesAndTheActionsEnd) {
  TComponent f(nullptr);
  auto& list = f.Make<TActionList>();
  Recorder r, stays;
  {
    TAction a(nullptr, &list);
    a.AddClient(&r);
    a.AddClient(&stays);
    EXPECT_EQ(list.Actions().size(), 1u);
    a.SetVisible(true);  // no change
    a.SetVisible(false);
    a.SetChecked(true);
    a.SetCaption("Play");
    a.SetEnabled(false);
    a.RemoveClient(&r);
    a.SetVisible(true);
  }
  EXPECT_EQ(r.changes, (std::vector<ActionProperty>{ActionProperty::Visible, ActionProperty::Checked,
                                                    ActionProperty::Caption, ActionProperty::Enabled}));
  EXPECT_FALSE(r.destroyed);
  EXPECT_TRUE(stays.destroyed);
  EXPECT_EQ(stays.changes.size(), 5u);
  EXPECT_TRUE(list.Actions().empty()) << "a destroyed action leaves its list";
}

TEST(Action, ExecuteFlipsAutoCheckBeforeTheHandlerAndSkipsWhenDisabled) {
  TComponent f(nullptr);
  auto& a = f.Make<TAction>();
  a.SetAutoCheck(true);
  std::vector<bool> seen;
  a.OnExecute = [&](TAction& self) { seen.push_back(self.Checked()); };
  EXPECT_TRUE(a.Execute());
  EXPECT_TRUE(a.Execute());
  EXPECT_EQ(seen, (std::vector<bool>{true, false}));
  a.SetEnabled(false);
  EXPECT_FALSE(a.Execute());
  EXPECT_EQ(seen.size(), 2u);
  EXPECT_FALSE(a.Checked());
}

TEST(Action, RadioGroupKeepsExactlyOneChecked) {
  TComponent f(nullptr);
  auto& list = f.Make<TActionList>();
  auto& low = f.Make<TAction>(&list);
  auto& med = f.Make<TAction>(&list);
  auto& high = f.Make<TAction>(&list);
  auto& other = f.Make<TAction>(&list);
  for (TAction* a : {&low, &med, &high}) {
    a->SetAutoCheck(true);
    a->SetGroupIndex(34);
  }
  other.SetChecked(true);
  high.SetChecked(true);
  int runs = 0;
  med.OnExecute = [&](TAction&) { ++runs; };
  med.Execute();
  med.Execute();  // choosing the checked one again keeps it checked and still runs
  EXPECT_EQ(runs, 2);
  EXPECT_TRUE(med.Checked());
  EXPECT_FALSE(low.Checked());
  EXPECT_FALSE(high.Checked());
  EXPECT_TRUE(other.Checked());  // not in the group
}

TEST(ActionList, UpdateRunsOncePerActionAndHandledStopsOwnUpdates) {
  TComponent f(nullptr);
  auto& list = f.Make<TActionList>();
  auto& a = f.Make<TAction>(&list);
  auto& b = f.Make<TAction>(&list);
  a.SetName("a");
  b.SetName("b");
  int ownUpdates = 0;
  a.OnUpdate = b.OnUpdate = [&](TAction&) { ++ownUpdates; };
  std::vector<std::string> listUpdates;
  list.OnUpdate = [&](TAction& act, bool& handled) {
    listUpdates.push_back(act.Name());
    handled = act.Name() == "a";
  };
  TActionList::UpdateAll();
  EXPECT_EQ(listUpdates, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(ownUpdates, 1);  // only b's own update ran
  EXPECT_EQ(list.Find("b"), &b);
  EXPECT_EQ(list.Find("zz"), nullptr);
}

TEST(HintToShow, OwnHintFirstThenTheCommandNameAndOnlyWhenHintsAreWanted) {
  struct Case { bool wanted; const wchar_t *hint, *caption, *expected; };
  for (const Case c : {Case{true, L"Play", L"&Start", L"Play"}, Case{true, L"", L"&Zoom In", L"Zoom In"},
                       Case{true, L"", L"Save && &Quit\tCtrl+Q", L"Save & Quit"}, Case{true, L"", L"", L""},
                       Case{false, L"Play", L"Play", L""}})
    EXPECT_EQ(HintToShow(c.wanted, c.hint, c.caption), c.expected) << c.caption;
}
