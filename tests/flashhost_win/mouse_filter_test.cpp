// Mouse input with synthesised messages: what reaches the runtime's window procedure,
// which of the control's events fire and where the popup menu opens. The rules are
// the native tables' to test (the player's filter, then the host's synthesis beneath
// it); here the player control is shown to apply both.
#include <gtest/gtest.h>

#include "flashhost/kxSWFPlayer2_win.h"
#include "tests/flashhost_win/flashhost_test_support.h"
#include "toolkit/menu_win.h"

using namespace flashhost;
namespace wintest = swfp::wintest;
using Texts = std::vector<std::string>;

namespace {

const std::string L = std::to_string(int(swfp::tk::MouseButton::Left));

// Records the container's popup requests as client points instead of opening a real menu.
class Recording : public TkxSWFPlayer2 {
public:
    Recording() : TkxSWFPlayer2(nullptr) {}
    Texts popups;

protected:
    void PopupAt(POINT screen) override
    {
        ::ScreenToClient(WindowHandle(), &screen);
        popups.push_back(std::to_string(screen.x) + "," + std::to_string(screen.y));
    }
};

// A player control on a form, with its mouse events recorded as short texts:
// "down<button>[d]@x,y", "up<button>", "move", "click", "dblclick".
struct MouseProbe {
    MouseProbe()
    {
        control.SetParent(form.get());
        control.SetBounds(0, 0, 400, 300);
        control.OnMouseDown = [this](swfp::tk::TComponent&, swfp::tk::MouseButton b, swfp::tk::ShiftState s, int x,
                                     int y) {
            events.push_back("down" + std::to_string(int(b)) + ((s & swfp::tk::ssDouble) ? "d" : "") + "@" +
                             std::to_string(x) + "," + std::to_string(y));
        };
        control.OnMouseUp = [this](swfp::tk::TComponent&, swfp::tk::MouseButton b, swfp::tk::ShiftState, int, int) {
            events.push_back("up" + std::to_string(int(b)));
        };
        control.OnMouseMove = [this](swfp::tk::TComponent&, swfp::tk::ShiftState, int, int) {
            events.push_back("move");
        };
        // The player's clicks come through the toolkit's notification, which raises the base event.
        control.TFlashPlayerControl::OnClick = [this](swfp::tk::TComponent&) { events.push_back("click"); };
        control.TFlashPlayerControl::OnDblClick = [this](swfp::tk::TComponent&) { events.push_back("dblclick"); };
        log.Clear();
    }
    void Send(UINT message, int x, int y, WPARAM keys = 0)
    {
        SendMessageW(control.WindowHandle(), message, keys, MAKELPARAM(x, y));
    }
    // Compares what happened since the last call with what was expected, then forgets it:
    // the events, the mouse messages the runtime's window received, the popups.
    void Expect(const Texts& expectedEvents, const Texts& reached, const Texts& popups = {})
    {
        Texts messages;
        for (const std::string& line : log.Lines()) {
            if (line.rfind("window WM_", 0) != 0) continue;
            const std::string name = line.substr(7, line.find(' ', 7) - 7);
            if (name.find("BUTTON") != name.npos || name == "WM_MOUSEMOVE") messages.push_back(name);
        }
        EXPECT_EQ(events, expectedEvents);
        EXPECT_EQ(messages, reached) << log.Dump();
        EXPECT_EQ(control.popups, popups);
        events.clear();
        control.popups.clear();
        log.Clear();
    }

    wintest::StandinLog log;
    const std::unique_ptr<swfp::tk::TForm> form = wintest::MakeForm();
    swfp::tk::TPopupMenu menu{nullptr};
    Recording control;
    Texts events;
};

}  // namespace

TEST(MouseInput, ThePlayerKeepsLeftClicksUnlessTheMovieMayInteractAndOpensItsPopupOnTheRelease)
{
    wintest::UseRuntimeModule(L"flash_standin.dll");
    MouseProbe c;
    ASSERT_TRUE(c.control.InPlaceActive());
    c.Send(WM_LBUTTONDOWN, 20, 30, MK_LBUTTON);
    c.Send(WM_MOUSEMOVE, 21, 31, MK_LBUTTON);
    c.Send(WM_LBUTTONUP, 22, 32);
    c.Send(WM_LBUTTONDBLCLK, 1, 1);  // dropped
    // The host raises the move, the player once more.
    c.Expect({"down" + L + "@20,30", "move", "move", "up" + L, "click"}, {"WM_MOUSEMOVE"});

    c.control.SetPopupMenu(&c.menu);
    c.Send(WM_RBUTTONDOWN, 9, 9);
    c.Send(WM_RBUTTONUP, 9, 9);
    c.Send(WM_RBUTTONDOWN, 5, 5);
    c.control.MouseLeave();  // leaving forgets the press: the release opens nothing
    c.Send(WM_RBUTTONUP, 5, 5);
    c.Expect({}, {}, {"9,9"});

    c.control.MouseInteract = true;
    c.Send(WM_LBUTTONDOWN, 1, 1, MK_LBUTTON);
    c.Send(WM_LBUTTONUP, 1, 1);
    c.Expect({"down" + L + "@1,1", "click", "up" + L}, {"WM_LBUTTONDOWN", "WM_LBUTTONUP"});
}
