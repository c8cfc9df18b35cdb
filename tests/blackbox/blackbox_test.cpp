// Drives packaged players from outside, as a user would: real processes, real
// mouse input, the stand-in runtime embedded in each package. Screenshots of
// the running players are written to blackbox_shots\ beside this program.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/player_package.h"
#include "app/player_settings.h"
#include "player/window_position.h"
#include "tests/support/deflate.h"
#include "tests/support/swf_writer.h"
#include "tests/support_win/child_process_win.h"
#include "tests/support_win/message_pump_win.h"
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
    w.DefineRectangle(1, 80, 80, {250, 200, 40});
    for (int i = 0; i < 24; ++i) {
        if (i == 0)
            w.PlaceObject(1, 1, 10, 100);
        else
            w.MoveObject(1, 10 + i * 12, 100);
        w.ShowFrame();
    }
    return w.Build();
}

// A player file with the stand-in runtime, the settings and the movie.
fs::path MakePlayer(const std::wstring& name, const std::function<void(PlayerSettings&)>& edit)
{
    std::vector<uint8_t> file = ReadWholeFile(ExeFolder() / "swf_player.exe");
    EXPECT_FALSE(file.empty()) << "swf_player.exe sits beside the test program";
    const std::vector<uint8_t> runtime = ReadWholeFile(ExeFolder() / "flash_standin.dll");
    EXPECT_FALSE(runtime.empty());
    PlayerSettings s{};
    SetCountedString(s.Title, "Black box");
    s.ShowControls = 1;
    s.VisibleCommands = 0x3FFF;
    s.WindowPosition = 9;
    s.WindowLeft = 40;
    s.WindowTop = 30;
    edit(s);
    const auto* bytes = reinterpret_cast<const uint8_t*>(&s);
    // The movie block comes last: the package is read from the end of the file.
    AppendBlock(file, PackageBlockKind::Settings, std::vector<uint8_t>(bytes, bytes + sizeof s));
    AppendBlock(file, PackageBlockKind::RuntimeModule, swfp::test::Deflate(runtime));
    AppendBlock(file, kPackageMovieMagic, Movie());
    const fs::path path = NewTempFolder(name) / (name + L".exe");
    WriteWholeFile(path, file);
    return path;
}

// The whole screen as a BMP file in blackbox_shots\ beside the test program.
void Screenshot(const std::wstring& name)
{
    const fs::path folder = ExeFolder() / "blackbox_shots";
    fs::create_directories(folder);
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO bmi{};
    bmi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, 0, 0, SRCCOPY);
    GdiFlush();
    const DWORD stride = DWORD((w * 3 + 3) & ~3), size = stride * DWORD(h);
    BITMAPFILEHEADER file{0x4D42, DWORD(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + size), 0, 0,
                          DWORD(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER))};
    std::ofstream out(folder / (name + L".bmp"), std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&bmi.bmiHeader), sizeof bmi.bmiHeader);
    out.write(static_cast<const char*>(bits), size);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

void MouseAt(POINT p) { SetCursorPos(p.x, p.y); std::this_thread::sleep_for(100ms); }
void Click(POINT p, DWORD down, DWORD up)
{
    MouseAt(p);
    mouse_event(down, 0, 0, 0, 0);
    std::this_thread::sleep_for(80ms);
    mouse_event(up, 0, 0, 0, 0);
    std::this_thread::sleep_for(200ms);
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

POINT MovieCentre(HWND main)
{
    RECT client{};
    GetClientRect(main, &client);
    POINT p{client.right / 2, (client.bottom - 133) / 2};
    ClientToScreen(main, &p);
    return p;
}

TEST(BlackBox, TheWindowOpensWhereTheSettingsPlaceItAndNextTimeWhereItWasClosed)
{
    ChildProcess placed(MakePlayer(L"placed", [](PlayerSettings&) {}));
    HWND main = placed.WaitForWindow(L"TfrmPlr", kStartTime);
    ASSERT_TRUE(main);
    RECT r{};
    GetWindowRect(main, &r);
    EXPECT_EQ(r.left, 40);
    EXPECT_EQ(r.top, 30);
    std::this_thread::sleep_for(1500ms);
    Screenshot(L"placed");
    EXPECT_EQ(placed.CloseAndWait(main), 0);

    const fs::path remembering = MakePlayer(L"remember", [](PlayerSettings& s) { s.RememberPosition = 1; });
    const std::string key = WindowPositionKey(remembering.string());
    RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
    {
        ChildProcess first(remembering);
        HWND w = first.WaitForWindow(L"TfrmPlr", kStartTime);
        ASSERT_TRUE(w);
        GetWindowRect(w, &r);
        EXPECT_EQ(r.left, 1497) << "no stored position yet: the designed place";
        SetWindowPos(w, nullptr, 210, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        std::this_thread::sleep_for(300ms);
        EXPECT_EQ(first.CloseAndWait(w), 0);
    }
    {
        ChildProcess second(remembering);
        HWND w = second.WaitForWindow(L"TfrmPlr", kStartTime);
        ASSERT_TRUE(w);
        GetWindowRect(w, &r);
        EXPECT_EQ(r.left, 210);
        EXPECT_EQ(r.top, 120);
        EXPECT_EQ(second.CloseAndWait(w), 0);
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
}

TEST(BlackBox, PlayAndPauseButtonsDriveTheMovie)
{
    StandinLog log;  // the player started meanwhile writes to it
    ChildProcess player(MakePlayer(L"buttons", [](PlayerSettings&) {}));
    HWND main = player.WaitForWindow(L"TfrmPlr", kStartTime);
    ASSERT_TRUE(main);
    std::this_thread::sleep_for(1500ms);
    SetForegroundWindow(main);
    Click(PanelPoint(main, 170, 86), MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);  // the play button
    EXPECT_TRUE(PumpUntil([&] { return log.HasLine("call put_Playing -1"); }, 10s)) << "play was clicked";
    std::this_thread::sleep_for(800ms);
    Screenshot(L"playing");
    Click(PanelPoint(main, 170, 86), MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);  // now the pause button
    EXPECT_TRUE(PumpUntil([&] { return log.HasLine("call put_Playing 0"); }, 10s)) << "pause was clicked";
    EXPECT_EQ(player.CloseAndWait(main), 0);
}

TEST(BlackBox, RightClickOnTheMovieOpensTheContextMenu)
{
    ChildProcess player(MakePlayer(L"popup", [](PlayerSettings& s) { s.ShowPopupMenu = 1; }));
    HWND main = player.WaitForWindow(L"TfrmPlr", kStartTime);
    ASSERT_TRUE(main);
    std::this_thread::sleep_for(1500ms);
    SetForegroundWindow(main);
    Click(MovieCentre(main), MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
    HWND menu = player.WaitForWindow(L"#32768", 5s);
    EXPECT_TRUE(menu);
    Screenshot(L"context_menu");
    keybd_event(VK_ESCAPE, 0, 0, 0);
    keybd_event(VK_ESCAPE, 0, KEYEVENTF_KEYUP, 0);
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(player.CloseAndWait(main), 0);
}

TEST(BlackBox, ACaptionlessWindowIsDraggedByItsBody)
{
    ChildProcess player(MakePlayer(L"drag", [](PlayerSettings& s) {
        s.CaptionMode = 2;
        s.DragAnywhere = 1;
    }));
    HWND main = player.WaitForWindow(L"TfrmPlr", kStartTime);
    ASSERT_TRUE(main);
    EXPECT_EQ(GetWindowLongW(main, GWL_STYLE) & WS_CAPTION, 0);
    std::this_thread::sleep_for(1500ms);
    SetForegroundWindow(main);
    RECT before{};
    GetWindowRect(main, &before);
    const POINT start = PanelPoint(main, 20, 8);  // the movie title on the panel
    MouseAt(start);
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    std::this_thread::sleep_for(200ms);
    for (int i = 1; i <= 10; ++i) {
        SetCursorPos(start.x + i * 6, start.y + i * 4);
        mouse_event(MOUSEEVENTF_MOVE, 0, 0, 0, 0);
        std::this_thread::sleep_for(50ms);
    }
    mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    std::this_thread::sleep_for(500ms);
    RECT after{};
    GetWindowRect(main, &after);
    EXPECT_EQ(after.left - before.left, 60);
    EXPECT_EQ(after.top - before.top, 40);
    Screenshot(L"dragged");
    EXPECT_EQ(player.CloseAndWait(main), 0);
}

TEST(BlackBox, TheTrayIconIsThereWhileThePlayerRuns)
{
    ChildProcess player(MakePlayer(L"tray", [](PlayerSettings& s) {
        s.ShowTrayIcon = 1;
        SetCountedString(s.TrayTip, "Black box tray");
    }));
    HWND main = player.WaitForWindow(L"TfrmPlr", kStartTime);
    ASSERT_TRUE(main);
    std::this_thread::sleep_for(1000ms);
    NOTIFYICONDATAW probe{};
    probe.cbSize = sizeof probe;
    probe.hWnd = main;
    probe.uID = 57051;
    // The shell accepts a change only to an icon it shows.
    EXPECT_TRUE(Shell_NotifyIconW(NIM_MODIFY, &probe));
    Screenshot(L"tray");
    EXPECT_EQ(player.CloseAndWait(main), 0);
    EXPECT_FALSE(Shell_NotifyIconW(NIM_MODIFY, &probe)) << "removed when the window goes";
}

}  // namespace
