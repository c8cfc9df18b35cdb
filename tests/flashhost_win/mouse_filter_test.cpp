// Mouse input with synthesised messages: what reaches the runtime's window procedure
// and which of the controls' events fire, for the host control and the player control.
#include <gtest/gtest.h>

#include <windowsx.h>

#include "flashhost/kxSWFPlayer2_win.h"
#include "tests/flashhost_win/flashhost_test_support.h"
#include "toolkit/menu_win.h"

using namespace flashhost;
namespace wintest = swfp::wintest;

namespace {

// Records the container's popup requests without opening a real menu. What
// reaches the runtime is read from the runtime's own log.
template <class Base>
class Recording : public Base {
public:
    using Base::Base;
    std::vector<POINT> popups;

protected:
    void PopupAt(POINT screen) override { popups.push_back(screen); }
};

struct Events {
    std::vector<std::string> list;
    void Hook(TFlashPlayerControl& c)
    {
        c.OnMouseDown = [this](swfp::tk::TComponent&, swfp::tk::MouseButton b, swfp::tk::ShiftState s, int x, int y) {
            list.push_back("down" + std::to_string(int(b)) + ((s & swfp::tk::ssDouble) ? "d" : "") + "@" +
                           std::to_string(x) + "," + std::to_string(y));
        };
        c.OnMouseUp = [this](swfp::tk::TComponent&, swfp::tk::MouseButton b, swfp::tk::ShiftState, int, int) {
            list.push_back("up" + std::to_string(int(b)));
        };
        c.OnMouseMove = [this](swfp::tk::TComponent&, swfp::tk::ShiftState, int, int) { list.push_back("move"); };
        c.OnClick = [this](swfp::tk::TComponent&) { list.push_back("click"); };
        c.OnDblClick = [this](swfp::tk::TComponent&) { list.push_back("dblclick"); };
    }
    void Hook(TkxSWFPlayer2& c)
    {
        c.OnMouseDown = [this](swfp::tk::TComponent&, swfp::tk::MouseButton b, swfp::tk::ShiftState, int x, int y) {
            list.push_back("down" + std::to_string(int(b)) + "@" + std::to_string(x) + "," + std::to_string(y));
        };
        c.OnMouseUp = [this](swfp::tk::TComponent&, swfp::tk::MouseButton b, swfp::tk::ShiftState, int, int) {
            list.push_back("up" + std::to_string(int(b)));
        };
        c.OnMouseMove = [this](swfp::tk::TComponent&, swfp::tk::ShiftState, int, int) { list.push_back("move"); };
        // The click goes to the toolkit's own notification, which raises the base event.
        c.TFlashPlayerControl::OnClick = [this](swfp::tk::TComponent&) { list.push_back("click"); };
        c.TFlashPlayerControl::OnDblClick = [this](swfp::tk::TComponent&) { list.push_back("dblclick"); };
    }
};

LPARAM At(int x, int y) { return MAKELPARAM(x, y); }
const std::string L = std::to_string(int(swfp::tk::MouseButton::Left));
const std::string R = std::to_string(int(swfp::tk::MouseButton::Right));

class MouseInput : public ::testing::Test {
protected:
    static void SetUpTestSuite() { wintest::UseRuntimeModule(L"flash_standin.dll"); }
    template <class C>
    std::unique_ptr<C> Make()
    {
        auto c = std::make_unique<C>(nullptr);
        c->SetParent(&form.Form());
        c->SetBounds(0, 0, 400, 300);
        c->HandleNeeded();
        log.Clear();
        return c;
    }
    // The mouse messages the runtime's window received, in order, as it logged them.
    std::vector<std::string> Reached() const
    {
        std::vector<std::string> names;
        for (const std::string& line : log.Lines()) {
            if (line.rfind("window WM_", 0) != 0) continue;
            std::string name = line.substr(7, line.find(' ', 7) - 7);
            if (name.find("BUTTON") != std::string::npos || name == "WM_MOUSEMOVE") names.push_back(name);
        }
        return names;
    }
    LRESULT Send(swfp::tk::TWinControl& c, UINT msg, LPARAM lp, WPARAM wp = 0)
    {
        return SendMessageW(c.WindowHandle(), msg, wp, lp);
    }
    wintest::StandinLog log;
    wintest::TestForm form;
    swfp::tk::TPopupMenu menu{nullptr};
};

}  // namespace

// ---- the host control ------------------------------------------------------------------

TEST_F(MouseInput, HostRaisesItsOwnEventsAndLetsTheRuntimeSeeThePress)
{
    auto c = Make<Recording<TFlashPlayerControl>>();
    ASSERT_TRUE(c->InPlaceActive());
    Events e;
    e.Hook(*c);
    Send(*c, WM_LBUTTONDOWN, At(10, -5), MK_LBUTTON);
    Send(*c, WM_MOUSEMOVE, At(11, 6));
    Send(*c, WM_LBUTTONUP, At(12, 7));
    Send(*c, WM_LBUTTONUP, At(500, 7));  // outside: no click
    EXPECT_EQ(e.list, (std::vector<std::string>{"down" + L + "@10,-5", "move", "click", "up" + L, "up" + L}));
    EXPECT_EQ(Reached(),
              (std::vector<std::string>{"WM_LBUTTONDOWN", "WM_MOUSEMOVE", "WM_LBUTTONUP", "WM_LBUTTONUP"}));

    e.list.clear();
    log.Clear();
    Send(*c, WM_LBUTTONDBLCLK, At(3, 4));
    EXPECT_EQ(e.list, (std::vector<std::string>{"dblclick", "down" + L + "d@3,4"}));
    EXPECT_EQ(Reached(), (std::vector<std::string>{"WM_LBUTTONDBLCLK"}));
    Send(*c, WM_LBUTTONUP, At(3, 4));

    // The platform's leave notification is the runtime's business too.
    Send(*c, WM_MOUSELEAVE, 0);
    EXPECT_GE(log.FindLine("window WM_MOUSELEAVE"), 0) << log.Dump();
}

TEST_F(MouseInput, HostIgnoreMouseKeepsLeftPressesFromTheRuntimeButRaisesTheEvent)
{
    auto c = Make<Recording<TFlashPlayerControl>>();
    Events e;
    e.Hook(*c);
    c->IgnoreMouse = true;
    Send(*c, WM_LBUTTONDOWN, At(1, 2));
    EXPECT_EQ(e.list, (std::vector<std::string>{"down" + L + "@1,2"}));
    EXPECT_TRUE(Reached().empty());
}

TEST_F(MouseInput, HostRightButtonOpensThePopupAtOnceOrReachesTheRuntimeOnlyWithTheStandardMenu)
{
    auto c = Make<Recording<TFlashPlayerControl>>();
    Events e;
    e.Hook(*c);
    // No popup, standard menu off: the event fires, the runtime sees nothing.
    Send(*c, WM_RBUTTONDOWN, At(5, 5));
    EXPECT_EQ(e.list, (std::vector<std::string>{"down" + R + "@5,5"}));
    EXPECT_TRUE(Reached().empty());

    // Standard menu on: the runtime sees the press first.
    e.list.clear();
    c->StandartMenu = true;
    wintest::CloseMenuWhenOpen();
    Send(*c, WM_RBUTTONDOWN, At(6, 6));
    EXPECT_EQ(Reached(), (std::vector<std::string>{"WM_RBUTTONDOWN"}));
    EXPECT_GE(log.FindLine("menu context 6 6"), 0) << "the runtime's menu opens on the press" << log.Dump();
    EXPECT_EQ(e.list, (std::vector<std::string>{"down" + R + "@6,6"}));

    // A popup menu takes the press: shown at the screen point, no event, no runtime.
    e.list.clear();
    log.Clear();
    c->SetPopupMenu(&menu);
    Send(*c, WM_RBUTTONDOWN, At(7, 8));
    ASSERT_EQ(c->popups.size(), 1u);
    POINT expected{7, 8};
    ClientToScreen(c->WindowHandle(), &expected);
    EXPECT_EQ(c->popups[0].x, expected.x);
    EXPECT_EQ(c->popups[0].y, expected.y);
    EXPECT_TRUE(e.list.empty());
    EXPECT_TRUE(Reached().empty());
}

// ---- the player control -----------------------------------------------------------------

TEST_F(MouseInput, PlayerWithoutInteractionKeepsLeftClicksAndPassesMoves)
{
    auto c = Make<Recording<TkxSWFPlayer2>>();
    Events e;
    e.Hook(*c);
    c->MouseInteract = false;
    Send(*c, WM_LBUTTONDOWN, At(20, 30), MK_LBUTTON);
    EXPECT_TRUE(c->ButtonHeld());
    Send(*c, WM_MOUSEMOVE, At(21, 31), MK_LBUTTON);
    Send(*c, WM_LBUTTONUP, At(22, 32));
    EXPECT_FALSE(c->ButtonHeld());
    // The move passes on (the host raises its event) and is raised once more by the player.
    EXPECT_EQ(e.list, (std::vector<std::string>{"down" + L + "@20,30", "move", "move", "up" + L, "click"}));
    EXPECT_EQ(Reached(), (std::vector<std::string>{"WM_MOUSEMOVE"})) << "the movie sees only the move";
}

TEST_F(MouseInput, PlayerWithInteractionPassesLeftClicksToTheHostRules)
{
    auto c = Make<Recording<TkxSWFPlayer2>>();
    Events e;
    e.Hook(*c);
    c->MouseInteract = true;
    Send(*c, WM_LBUTTONDOWN, At(1, 1), MK_LBUTTON);
    Send(*c, WM_LBUTTONUP, At(1, 1));
    EXPECT_EQ(Reached(), (std::vector<std::string>{"WM_LBUTTONDOWN", "WM_LBUTTONUP"}));
    EXPECT_EQ(e.list, (std::vector<std::string>{"down" + L + "@1,1", "click", "up" + L}));
    EXPECT_FALSE(c->ButtonHeld());

    // IgnoreMouse of the host still applies to what passes.
    e.list.clear();
    log.Clear();
    c->IgnoreMouse = true;
    Send(*c, WM_LBUTTONDOWN, At(2, 2), MK_LBUTTON);
    EXPECT_TRUE(Reached().empty());
    EXPECT_EQ(e.list, (std::vector<std::string>{"down" + L + "@2,2"}));
}

TEST_F(MouseInput, PlayerDropsDoubleClicksSilently)
{
    auto c = Make<Recording<TkxSWFPlayer2>>();
    Events e;
    e.Hook(*c);
    for (bool interact : {false, true}) {
        c->MouseInteract = interact;
        Send(*c, WM_LBUTTONDBLCLK, At(1, 1));
        Send(*c, WM_RBUTTONDBLCLK, At(1, 1));
    }
    EXPECT_TRUE(e.list.empty());
    EXPECT_TRUE(Reached().empty());
}

TEST_F(MouseInput, PlayerRightButtonOpensThePopupOnReleaseAndLeavingForgetsThePress)
{
    auto c = Make<Recording<TkxSWFPlayer2>>();
    Events e;
    e.Hook(*c);
    // Without a popup nothing happens at all.
    Send(*c, WM_RBUTTONDOWN, At(4, 4));
    Send(*c, WM_RBUTTONUP, At(4, 4));
    EXPECT_TRUE(c->popups.empty());
    EXPECT_TRUE(Reached().empty());
    c->MouseLeave();  // the toolkit's notification
    EXPECT_FALSE(c->ButtonHeld());

    c->SetPopupMenu(&menu);
    Send(*c, WM_RBUTTONDOWN, At(9, 9));
    EXPECT_TRUE(c->popups.empty()) << "the menu waits for the release";
    Send(*c, WM_RBUTTONUP, At(9, 9));
    ASSERT_EQ(c->popups.size(), 1u);
    POINT expected{9, 9};
    ClientToScreen(c->WindowHandle(), &expected);
    EXPECT_EQ(c->popups[0].x, expected.x);

    // Press, leave, release: no menu.
    Send(*c, WM_RBUTTONDOWN, At(9, 9));
    c->MouseLeave();
    Send(*c, WM_RBUTTONUP, At(9, 9));
    EXPECT_EQ(c->popups.size(), 1u);
    EXPECT_TRUE(Reached().empty());
    EXPECT_TRUE(e.list.empty());

    // With the standard menu the press goes on, where the host opens the popup at once.
    c->StandartMenu = true;
    Send(*c, WM_RBUTTONDOWN, At(3, 3));
    EXPECT_EQ(c->popups.size(), 2u);
    Send(*c, WM_RBUTTONUP, At(3, 3));
    EXPECT_EQ(c->popups.size(), 2u) << "the release never reaches anything";
}

TEST_F(MouseInput, PlayerLetsTheLeaveMessageThroughAndTheToolkitsNoticeForgetsThePress)
{
    auto c = Make<TkxSWFPlayer2>();
    Send(*c, WM_MOUSEMOVE, At(9, 9));  // the toolkit now knows the mouse is over the control
    Send(*c, WM_RBUTTONDOWN, At(9, 9));
    ASSERT_TRUE(c->ButtonHeld());
    Send(*c, WM_MOUSELEAVE, 0);
    EXPECT_EQ(log.CountLine("window WM_MOUSELEAVE"), 1) << log.Dump();
    EXPECT_FALSE(c->ButtonHeld());
}

TEST(MouseInputWithoutModule, HostRaisesEachEventOnce)
{
    wintest::UseRuntimeModule(L"");
    {
        wintest::TestForm form;
        TFlashPlayerControl c(nullptr);
        c.SetParent(&form.Form());
        c.HandleNeeded();
        ASSERT_FALSE(c.HasOleObject());
        Events e;
        e.Hook(c);
        SendMessageW(c.WindowHandle(), WM_LBUTTONDOWN, MK_LBUTTON, At(2, 3));
        SendMessageW(c.WindowHandle(), WM_MOUSEMOVE, MK_LBUTTON, At(4, 5));
        SendMessageW(c.WindowHandle(), WM_LBUTTONUP, 0, At(4, 5));
        EXPECT_EQ(e.list, (std::vector<std::string>{"down" + L + "@2,3", "move", "click", "up" + L}));
    }
    wintest::UseRuntimeModule(L"flash_standin.dll");
}
