// Mouse input with synthesised messages: what reaches the runtime's window procedure,
// which of the controls' events fire and where popup menus open, for the host control
// and the player control. Each case that keeps input from the runtime has a case
// beside it where the same input reaches it.
#include <gtest/gtest.h>

#include "flashhost/kxSWFPlayer2_win.h"
#include "tests/flashhost_win/flashhost_test_support.h"
#include "toolkit/menu_win.h"

using namespace flashhost;
namespace wintest = swfp::wintest;
using Texts = std::vector<std::string>;

namespace {

// Records the container's popup requests without opening a real menu.
template <class Base>
class Recording : public Base {
public:
    using Base::Base;
    std::vector<POINT> popups;

protected:
    void PopupAt(POINT screen) override { popups.push_back(screen); }
};

// The control's mouse events as short texts: "down<button>[d]@x,y", "up<button>", "move", "click", "dblclick".
struct Events {
    Texts list;
    void Down(swfp::tk::MouseButton b, swfp::tk::ShiftState s, int x, int y)
    {
        list.push_back("down" + std::to_string(int(b)) + ((s & swfp::tk::ssDouble) ? "d" : "") + "@" +
                       std::to_string(x) + "," + std::to_string(y));
    }
    template <class C>
    void Hook(C& c)
    {
        c.OnMouseDown = [this](swfp::tk::TComponent&, swfp::tk::MouseButton b, swfp::tk::ShiftState s, int x, int y) {
            Down(b, s, x, y);
        };
        c.OnMouseUp = [this](swfp::tk::TComponent&, swfp::tk::MouseButton b, swfp::tk::ShiftState, int, int) {
            list.push_back("up" + std::to_string(int(b)));
        };
        c.OnMouseMove = [this](swfp::tk::TComponent&, swfp::tk::ShiftState, int, int) { list.push_back("move"); };
        // The player's clicks come through the toolkit's notification, which raises the base event.
        c.TFlashPlayerControl::OnClick = [this](swfp::tk::TComponent&) { list.push_back("click"); };
        c.TFlashPlayerControl::OnDblClick = [this](swfp::tk::TComponent&) { list.push_back("dblclick"); };
    }
};

const std::string L = std::to_string(int(swfp::tk::MouseButton::Left));
const std::string R = std::to_string(int(swfp::tk::MouseButton::Right));

// The toolkit's own leave notification (TWinControl::MouseLeave), not a window message.
constexpr UINT kToolkitLeave = WM_APP;

struct Input {
    UINT message;
    int x = 0, y = 0;
    WPARAM keys = 0;
};

struct MouseCase {
    const char* name;
    bool player;  // TkxSWFPlayer2, otherwise the host control TFlashPlayerControl
    bool interact, ignoreMouse, standardMenu, popup;
    std::vector<Input> inputs;
    Texts events;   // the control's events, in order
    Texts reached;  // the mouse messages the runtime's window received, in order
    std::vector<POINT> popups;  // client points where the container opened the popup
    bool heldAfter = false;     // the player still holds a press at the end
    const char* runtimeLine = nullptr;  // a line the runtime logs besides
};

const MouseCase kCases[] = {
    // ---- the host control: its own events, and the runtime sees the press
    {"HostPressMoveRelease", false, false, false, false, false,
     {{WM_LBUTTONDOWN, 10, -5, MK_LBUTTON}, {WM_MOUSEMOVE, 11, 6}, {WM_LBUTTONUP, 12, 7}, {WM_LBUTTONUP, 500, 7}},
     {"down" + L + "@10,-5", "move", "click", "up" + L, "up" + L},  // the release outside is no click
     {"WM_LBUTTONDOWN", "WM_MOUSEMOVE", "WM_LBUTTONUP", "WM_LBUTTONUP"}},
    {"HostDoubleClick", false, false, false, false, false, {{WM_LBUTTONDBLCLK, 3, 4}},
     {"dblclick", "down" + L + "d@3,4"}, {"WM_LBUTTONDBLCLK"}},
    {"HostLeaveReachesTheRuntime", false, false, false, false, false, {{WM_MOUSELEAVE}}, {}, {"WM_MOUSELEAVE"}},
    {"HostIgnoreMouseKeepsTheLeftPressButRaisesTheEvent", false, false, true, false, false,
     {{WM_LBUTTONDOWN, 1, 2, MK_LBUTTON}}, {"down" + L + "@1,2"}, {}},
    {"HostRightPressWithoutStandardMenu", false, false, false, false, false, {{WM_RBUTTONDOWN, 5, 5}},
     {"down" + R + "@5,5"}, {}},
    {"HostRightPressWithStandardMenuOpensTheRuntimesMenu", false, false, false, true, false, {{WM_RBUTTONDOWN, 6, 6}},
     {"down" + R + "@6,6"}, {"WM_RBUTTONDOWN"}, {}, false, "menu context 6 6"},
    {"HostPopupTakesTheRightPress", false, false, false, true, true, {{WM_RBUTTONDOWN, 7, 8}}, {}, {}, {{7, 8}}},
    // ---- the player control: left clicks are its own unless the movie may interact
    {"PlayerWithoutInteractionKeepsLeftClicksAndPassesMoves", true, false, false, false, false,
     {{WM_LBUTTONDOWN, 20, 30, MK_LBUTTON}, {WM_MOUSEMOVE, 21, 31, MK_LBUTTON}, {WM_LBUTTONUP, 22, 32}},
     {"down" + L + "@20,30", "move", "move", "up" + L, "click"},  // the host raises the move, the player once more
     {"WM_MOUSEMOVE"}},
    {"PlayerWithoutInteractionHoldsThePress", true, false, false, false, false, {{WM_LBUTTONDOWN, 20, 30, MK_LBUTTON}},
     {"down" + L + "@20,30"}, {}, {}, true},
    {"PlayerWithInteractionFollowsTheHostRules", true, true, false, false, false,
     {{WM_LBUTTONDOWN, 1, 1, MK_LBUTTON}, {WM_LBUTTONUP, 1, 1}}, {"down" + L + "@1,1", "click", "up" + L},
     {"WM_LBUTTONDOWN", "WM_LBUTTONUP"}},
    {"PlayerWithInteractionKeepsTheHostsIgnoreMouse", true, true, true, false, false,
     {{WM_LBUTTONDOWN, 2, 2, MK_LBUTTON}}, {"down" + L + "@2,2"}, {}},
    {"PlayerDropsDoubleClicks", true, false, false, false, false, {{WM_LBUTTONDBLCLK, 1, 1}, {WM_RBUTTONDBLCLK, 1, 1}},
     {}, {}},
    {"PlayerWithInteractionDropsDoubleClicks", true, true, false, false, false,
     {{WM_LBUTTONDBLCLK, 1, 1}, {WM_RBUTTONDBLCLK, 1, 1}}, {}, {}},
    // ---- the player's right button: the popup opens on the release
    {"PlayerRightButtonWithoutPopupDoesNothingAndLeavingForgetsThePress", true, false, false, false, false,
     {{WM_RBUTTONDOWN, 4, 4}, {WM_RBUTTONUP, 4, 4}, {kToolkitLeave}}, {}, {}},
    {"PlayerPopupWaitsForTheRelease", true, false, false, false, true, {{WM_RBUTTONDOWN, 9, 9}}, {}, {}, {}, true},
    {"PlayerPopupOpensOnTheRelease", true, false, false, false, true, {{WM_RBUTTONDOWN, 9, 9}, {WM_RBUTTONUP, 9, 9}},
     {}, {}, {{9, 9}}},
    {"PlayerLeavingForgetsThePress", true, false, false, false, true,
     {{WM_RBUTTONDOWN, 9, 9}, {kToolkitLeave}, {WM_RBUTTONUP, 9, 9}}, {}, {}},
    {"PlayerWithStandardMenuPassesThePressWhereTheHostOpensThePopup", true, false, false, true, true,
     {{WM_RBUTTONDOWN, 3, 3}, {WM_RBUTTONUP, 3, 3}}, {}, {}, {{3, 3}}},  // the release reaches nothing
    {"PlayerLetsTheLeaveMessageThroughAndForgetsThePress", true, false, false, false, false,
     {{WM_MOUSEMOVE, 9, 9}, {WM_RBUTTONDOWN, 9, 9}, {WM_MOUSELEAVE}}, {"move", "move"},
     {"WM_MOUSEMOVE", "WM_MOUSELEAVE"}},
};

class MouseInput : public ::testing::TestWithParam<MouseCase> {
protected:
    static void SetUpTestSuite() { wintest::UseRuntimeModule(L"flash_standin.dll"); }

    // The mouse messages the runtime's window received, in order, as it logged them.
    Texts Reached() const
    {
        Texts names;
        for (const std::string& line : log.Lines()) {
            if (line.rfind("window WM_", 0) != 0) continue;
            std::string name = line.substr(7, line.find(' ', 7) - 7);
            if (name.find("BUTTON") != std::string::npos || name == "WM_MOUSEMOVE" || name == "WM_MOUSELEAVE")
                names.push_back(name);
        }
        return names;
    }

    template <class C>
    void Run(const MouseCase& c)
    {
        Recording<C> control(nullptr);
        control.SetParent(&form.Form());
        control.SetBounds(0, 0, 400, 300);
        control.HandleNeeded();
        ASSERT_TRUE(control.InPlaceActive());
        if constexpr (std::is_same_v<C, TkxSWFPlayer2>) control.MouseInteract = c.interact;
        control.IgnoreMouse = c.ignoreMouse;
        control.StandartMenu = c.standardMenu;
        if (c.popup) control.SetPopupMenu(&menu);
        if (c.runtimeLine) wintest::CloseMenuWhenOpen();
        Events events;
        events.Hook(control);
        log.Clear();
        for (const Input& in : c.inputs) {
            if (in.message != kToolkitLeave) {
                SendMessageW(control.WindowHandle(), in.message, in.keys, MAKELPARAM(in.x, in.y));
            } else if constexpr (std::is_same_v<C, TkxSWFPlayer2>) {
                control.MouseLeave();
            }
        }
        EXPECT_EQ(events.list, c.events);
        EXPECT_EQ(Reached(), c.reached) << log.Dump();
        ASSERT_EQ(control.popups.size(), c.popups.size());
        for (size_t i = 0; i < c.popups.size(); ++i) {
            POINT expected = c.popups[i];
            ClientToScreen(control.WindowHandle(), &expected);
            EXPECT_EQ(control.popups[i].x, expected.x);
            EXPECT_EQ(control.popups[i].y, expected.y);
        }
        if constexpr (std::is_same_v<C, TkxSWFPlayer2>) {
            EXPECT_EQ(control.ButtonHeld(), c.heldAfter);
        }
        if (c.runtimeLine) {
            EXPECT_TRUE(log.HasLine(c.runtimeLine)) << log.Dump();
        }
    }

    wintest::StandinLog log;
    wintest::TestForm form;
    swfp::tk::TPopupMenu menu{nullptr};
};

}  // namespace

TEST_P(MouseInput, ReachesTheRuntimeAndRaisesTheEventsOfItsCase)
{
    if (GetParam().player) Run<TkxSWFPlayer2>(GetParam());
    else Run<TFlashPlayerControl>(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Cases, MouseInput, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MouseInputWithoutModule, HostRaisesEachEventOnce)
{
    wintest::ScopedRuntimeModule none(L"");
    wintest::TestForm form;
    TFlashPlayerControl c(nullptr);
    c.SetParent(&form.Form());
    c.HandleNeeded();
    ASSERT_FALSE(c.HasOleObject());
    Events e;
    e.Hook(c);
    SendMessageW(c.WindowHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 3));
    SendMessageW(c.WindowHandle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(4, 5));
    SendMessageW(c.WindowHandle(), WM_LBUTTONUP, 0, MAKELPARAM(4, 5));
    EXPECT_EQ(e.list, (Texts{"down" + L + "@2,3", "move", "click", "up" + L}));
}
