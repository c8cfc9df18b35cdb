// Drives packaged players from outside, as a user would: real processes, real
// mouse input, the stand-in runtime embedded in each package. Screenshots of
// the running players are written to blackbox_shots\ beside this program.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "player/window_position.h"
#include "tests/support/swf_writer.h"
#include "tests/support_win/child_process_win.h"
#include "tests/support_win/message_pump_win.h"
#include "tests/support_win/packaged_player_win.h"
#include "tests/support_win/scoped_state_win.h"
#include "tests/support_win/screenshot_win.h"
#include "tests/support_win/standin_log_win.h"
#include "tests/support_win/test_files_win.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace swfp::wintest;

namespace {

// A packaged player maps its runtime from the package before its window shows.
constexpr auto kStartTime = 30s;

std::vector<uint8_t> Movie()
{
    SwfWriter w;
    w.FrameSize(400, 300).FrameRate(12).SetBackgroundColor({20, 90, 140});
    w.DefineRectangle(1, 80, 80, {250, 200, 40}).PlaceObject(1, 1, 10, 100).ShowFrame();
    for (int i = 1; i < 24; ++i)
        w.MoveObject(1, 10 + i * 12, 100).ShowFrame();
    return w.Build();
}

// A player file with the stand-in runtime, the settings and the movie.
fs::path MakePlayer(const std::wstring& name, const std::function<void(PlayerSettings&)>& edit)
{
    PlayerSettings s = ZeroSettings();
    SetCountedString(s.Title, "Black box");
    s.ShowControls = 1;
    s.VisibleCommands = 0x3FFF;
    s.WindowPosition = 9;
    s.WindowLeft = 40;
    s.WindowTop = 30;
    edit(s);
    return WritePackage(NewTempFolder(name) / (name + L".exe"), PlayerExecutable(),
                        {SettingsBlock(s), RuntimeBlock(), MovieBlock(Movie())});
}

void Screenshot(const std::wstring& name) { SaveScreenshot(ExeFolder() / "blackbox_shots" / (name + L".bmp")); }

// A started packaged player; the stand-in in it writes to `log`, made first.
struct Player {
    StandinLog log;
    ChildProcess process;
    HWND main = process.WaitForWindow(kPlayerWindow, kStartTime);

    explicit Player(const fs::path& exe) : process(exe) {}

    // Whether the window shows with its movie loaded and is in front, ready for input.
    bool ReadyForInput() const
    {
        if (!main || log.AwaitPrefix("movie frames", 0, kStartTime) < 0)
            return false;
        SetForegroundWindow(main);
        return PumpUntil([&] { return GetForegroundWindow() == main; }, 5s);
    }
};

RECT WindowRect(HWND window)
{
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

bool WindowReaches(HWND window, LONG left, LONG top)
{
    return PumpUntil([&] { return WindowRect(window).left == left && WindowRect(window).top == top; }, 5s);
}

// Puts the pointer there; the system has it once GetCursorPos reports it.
bool MouseAt(POINT p)
{
    SetCursorPos(p.x, p.y);
    POINT now{};
    return PumpUntil([&] { return GetCursorPos(&now) && now.x == p.x && now.y == p.y; }, 5s);
}

void Click(POINT p, DWORD down, DWORD up)
{
    ASSERT_TRUE(MouseAt(p));
    mouse_event(down, 0, 0, 0, 0);
    mouse_event(up, 0, 0, 0, 0);
}

// A point of the control panel (client coordinates of the panel, which lies at the window's bottom).
POINT PanelPoint(HWND main, int x, int y)
{
    RECT client{};
    GetClientRect(main, &client);
    POINT p{x, client.bottom - 133 + y};
    ClientToScreen(main, &p);
    return p;
}

TEST(BlackBox, TheWindowOpensWhereTheSettingsPlaceItAndNextTimeWhereItWasClosed)
{
    {
        Player placed(MakePlayer(L"placed", [](PlayerSettings&) {}));
        ASSERT_TRUE(placed.ReadyForInput());
        EXPECT_EQ(WindowRect(placed.main).left, 40);
        EXPECT_EQ(WindowRect(placed.main).top, 30);
        Screenshot(L"placed");
        EXPECT_EQ(placed.process.CloseAndWait(placed.main), 0);
    }
    const fs::path remembering = MakePlayer(L"remember", [](PlayerSettings& s) { s.RememberPosition = 1; });
    const RegistryKeyRestorer key(HKEY_CURRENT_USER, fs::path(WindowPositionKey(remembering.string())).wstring());
    {
        Player first(remembering);
        ASSERT_TRUE(first.main);
        EXPECT_EQ(WindowRect(first.main).left, 1497) << "no stored position yet: the designed place";
        SetWindowPos(first.main, nullptr, 210, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        ASSERT_TRUE(WindowReaches(first.main, 210, 120));
        EXPECT_EQ(first.process.CloseAndWait(first.main), 0);
    }
    Player second(remembering);
    ASSERT_TRUE(second.main);
    EXPECT_EQ(WindowRect(second.main).left, 210);
    EXPECT_EQ(WindowRect(second.main).top, 120);
    EXPECT_EQ(second.process.CloseAndWait(second.main), 0);
}

TEST(BlackBox, PlayAndPauseButtonsDriveTheMovie)
{
    Player player(MakePlayer(L"buttons", [](PlayerSettings&) {}));
    ASSERT_TRUE(player.ReadyForInput());
    // The pause button takes the play button's place; either one switches playing.
    const POINT button = PanelPoint(player.main, 170, 86);
    Click(button, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(PumpUntil([&] { return player.log.HasLine("call put_Playing -1"); }, 10s)) << "play was clicked";
    Screenshot(L"playing");
    Click(button, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(PumpUntil([&] { return player.log.HasLine("call put_Playing 0"); }, 10s)) << "pause was clicked";
    EXPECT_EQ(player.process.CloseAndWait(player.main), 0);
}

TEST(BlackBox, RightClickOnTheMovieOpensTheContextMenu)
{
    Player player(MakePlayer(L"popup", [](PlayerSettings& s) { s.ShowPopupMenu = 1; }));
    ASSERT_TRUE(player.ReadyForInput());
    RECT client{};
    GetClientRect(player.main, &client);
    POINT centre{client.right / 2, (client.bottom - 133) / 2};
    ClientToScreen(player.main, &centre);
    Click(centre, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
    EXPECT_TRUE(player.process.WaitForWindow(L"#32768", 5s));
    Screenshot(L"context_menu");
    keybd_event(VK_ESCAPE, 0, 0, 0);
    keybd_event(VK_ESCAPE, 0, KEYEVENTF_KEYUP, 0);
    EXPECT_TRUE(PumpUntil([&] { return !player.process.FindWindowOf(L"#32768"); }, 5s)) << "Escape closes it";
    EXPECT_EQ(player.process.CloseAndWait(player.main), 0);
}

// Whether the thread of that window is in a move or size loop.
bool MovingOrSizing(HWND window)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) && (info.flags & GUI_INMOVESIZE);
}

TEST(BlackBox, ACaptionlessWindowIsDraggedByItsBody)
{
    Player player(MakePlayer(L"drag", [](PlayerSettings& s) {
        s.CaptionMode = 2;
        s.DragAnywhere = 1;
    }));
    ASSERT_TRUE(player.ReadyForInput());
    EXPECT_EQ(GetWindowLongW(player.main, GWL_STYLE) & WS_CAPTION, 0);
    const RECT before = WindowRect(player.main);
    const POINT start = PanelPoint(player.main, 20, 8);  // the movie title on the panel
    ASSERT_TRUE(MouseAt(start));
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return MovingOrSizing(player.main); }, 5s)) << "the press starts the window's move";
    // Each step is followed until the window stands there.
    for (int i = 1; i <= 10; ++i) {
        ASSERT_TRUE(MouseAt({start.x + i * 6, start.y + i * 4}));
        mouse_event(MOUSEEVENTF_MOVE, 0, 0, 0, 0);
        ASSERT_TRUE(WindowReaches(player.main, before.left + i * 6, before.top + i * 4)) << "step " << i;
    }
    mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return !MovingOrSizing(player.main); }, 5s)) << "the release ends the move";
    EXPECT_EQ(WindowRect(player.main).left - before.left, 60);
    EXPECT_EQ(WindowRect(player.main).top - before.top, 40);
    Screenshot(L"dragged");
    EXPECT_EQ(player.process.CloseAndWait(player.main), 0);
}

}  // namespace
