// The player window in-process under Wine, with the stand-in runtime playing
// real movies: set-up from the settings, commands as the runtime sees them,
// the timer, movie commands and the tray icon's data.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>

#include "app/swf_plr_globals.h"
#include "player/swf_plr_main_win.h"
#include "player/tray_icon_win.h"
#include "tests/support/swf_writer.h"
#include "tests/support_win/message_pump_win.h"
#include "tests/support_win/packaged_player_win.h"
#include "tests/support_win/runtime_environment_win.h"
#include "tests/support_win/standin_log_win.h"
#include "tests/support_win/test_files_win.h"
#include "toolkit/application_win.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace swfp::wintest;

namespace {

// The process's runtime state lives for the whole test program, as in the player,
// with the stand-in as the active provider's module.
[[maybe_unused]] const auto* const environment = AddRuntimeEnvironment(L"flash_standin.dll");

// A movie of `frames` frames (550 x 400 px, 12 fps).
std::vector<uint8_t> PlainMovie(int frames)
{
    SwfWriter w;
    w.Version(8).FrameSize(550, 400).FrameRate(12).SetBackgroundColor({0, 64, 96});
    w.DefineRectangle(1, 50, 50, {255, 0, 0}).PlaceObject(1, 1, 10, 10);
    for (int i = 0; i < frames; ++i)
        w.ShowFrame();
    return w.Build();
}

// The player reads nothing of its file but the package at its end.
fs::path WritePackagedPlayer(const fs::path& path, const std::vector<uint8_t>& movie)
{
    return WritePackage(path, {'M', 'Z', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, {MovieBlock(movie)});
}

// The window over a packaged movie with the given settings, once the runtime
// has fetched the movie and the refresh timer has shown its frame count.
std::unique_ptr<TfrmPlr> MakePlayerWindow(const PlayerSettings& settings, const fs::path& packaged)
{
    g_PlayerSettings = settings;
    auto window = std::make_unique<TfrmPlr>(nullptr, packaged.wstring());
    if (window->Player().HasOleObject() && !PumpUntil([&] {
            return window->Player().ReadyState() == 4 &&
                   window->ProgressSlider->Max() == int(window->Player().TotalFrames()) - 1;
        }, 20s))
        ADD_FAILURE() << "the movie was not loaded and shown";
    return window;
}

class PlayerWindow : public ::testing::Test {
protected:
    void TearDown() override
    {
        // The settings the windows share through the process outlive none of them.
        g_PlayerSettings = ZeroSettings();
    }

    TempFolder folder;
    StandinLog log;
    fs::path packaged = WritePackagedPlayer(folder.File(L"player.exe"), PlainMovie(5));
    PlayerSettings settings = ZeroSettings();

    std::unique_ptr<TfrmPlr> Make() { return MakePlayerWindow(settings, packaged); }
    std::unique_ptr<TfrmPlr> MakeWith(const std::vector<uint8_t>& movie)
    {
        packaged = WritePackagedPlayer(folder.File(L"other.exe"), movie);
        return Make();
    }
};

bool TopMenuVisible(const TfrmPlr& w, const char* name) { return w.mnMain->Find(name)->Visible(); }

// ---------------------------------------------------------------- set-up

// Which bit shows which command is a rule tested on its own; here the window
// applies it to its commands, and a menu left without items goes.
TEST_F(PlayerWindow, TheBitsShowTheirCommandsAndMenusWithoutItemsGo)
{
    for (const uint16_t bits : {0, 0x3FFF}) {
        settings.VisibleCommands = bits;
        auto w = Make();
        for (auto* a : {w->actZoomIn, w->actZoomOut, w->actZoomAll, w->actPlay, w->actStop, w->actLoop, w->actRewind,
                        w->actForward, w->actBack, w->actEnd, w->actPrint, w->actSound, w->actClose, w->actAbout})
            EXPECT_EQ(a->Visible(), bits != 0) << a->Name();
        for (const char* quality : {"mnQuality1", "mnQuality2"})
            EXPECT_EQ(w->MenuItem(quality)->Visible(), bits != 0) << quality;
        EXPECT_EQ(TopMenuVisible(*w, "mnHelp"), bits != 0);
        for (const char* menu : {"mnFile", "mnView", "mnControl"})
            EXPECT_TRUE(TopMenuVisible(*w, menu)) << menu;
        EXPECT_TRUE(w->btnPlay->Visible()) << "the panel's buttons do not follow the bits";
    }
    settings.VisibleCommands = 0x2000;  // only About: its menu stays, the quality menus go
    auto about = Make();
    EXPECT_TRUE(about->actAbout->Visible());
    EXPECT_FALSE(about->actClose->Visible());
    EXPECT_TRUE(TopMenuVisible(*about, "mnHelp"));
    EXPECT_FALSE(about->MenuItem("mnQuality1")->Visible());
}

TEST_F(PlayerWindow, LabelsTitleAndSliderRangeComeFromTheMovie)
{
    SetCountedString(settings.Title, "Grid Title");
    SetCountedString(settings.MovieName, "The Name");
    settings.ShowControls = 1;
    auto w = MakeWith(SwfWriter().FrameSize(320, 240).FrameRate(24).Version(7).Compressed(true)
                          .ShowFrame().ShowFrame().ShowFrame().ShowFrame().Build());
    wchar_t caption[64] = {};
    GetWindowTextW(w->Handle(), caption, 64);
    EXPECT_STREQ(caption, L"Grid Title");
    EXPECT_EQ(swfp::tk::Application().Title(), L"Grid Title");
    EXPECT_EQ(w->lblMovieName->Caption(), L"The Name");
    EXPECT_EQ(w->lblMovieSize->Caption(), L"320 x 240 px");
    EXPECT_EQ(w->lblMovieFPS->Caption(), L"24.00");
    EXPECT_EQ(w->lblMovieVer->Caption(), L"7");
    EXPECT_EQ(w->lblMovieCompressed->Caption(), L"True");
    EXPECT_EQ(w->lblMovieFrames->Caption(), L"1 / 4");
    EXPECT_EQ(w->ProgressSlider->Max(), 3);
    EXPECT_EQ(w->MovieRect.right, 320 * 20);
    EXPECT_EQ(w->MovieRect.bottom, 240 * 20);
    EXPECT_TRUE(EqualRect(&w->MovieRect, &w->ZoomRect));
    EXPECT_TRUE(w->Snapshot);
    EXPECT_EQ(log.FindLine("call put_FrameNum 3"), -1) << "setting the range did not seek\n" << log.Dump();
    w.reset();

    settings = ZeroSettings();
    auto plain = MakeWith(PlainMovie(2));
    EXPECT_EQ(plain->lblMovieCompressed->Caption(), L"False");
    EXPECT_EQ(plain->lblMovieName->Caption(), L"Tavolin created by Quindo Vexlor");
}

TEST_F(PlayerWindow, StartStateRewindsStopsAndPlaysOnlyWithAutoPlay)
{
    settings.Loop = 1;
    auto held = Make();
    const int rewind = log.FindLine("call Rewind");
    const int stop = log.FindLine("call Stop", rewind);
    const int loop = log.FindLine("call put_Loop -1", stop);
    ASSERT_GE(rewind, 0) << log.Dump();
    EXPECT_GT(stop, rewind);
    EXPECT_GT(loop, stop);
    EXPECT_EQ(log.FindLine("call Play", loop), -1);
    EXPECT_TRUE(held->actLoop->Checked());
    EXPECT_FALSE(held->Player().Playing());
    held.reset();

    log.Clear();
    settings.Loop = 0;
    settings.AutoPlay = 1;
    auto playing = Make();
    const int off = log.FindLine("call put_Loop 0");
    ASSERT_GE(off, 0) << log.Dump();
    EXPECT_GT(log.FindLine("call Play", off), off);
    EXPECT_TRUE(playing->Player().Playing());
}

// The object gets the layout's stored properties, in order, before any window exists.
TEST_F(PlayerWindow, StoredPropertiesComeFirst)
{
    auto w = Make();
    const std::vector<std::string> lines = log.Lines();
    int previous = -1;
    for (const char* stored : {"call put_FrameNum -1", "call put_Playing 0", "call put_Quality 1",
                               "call put_ScaleMode 0", "call put_AlignMode 0", "call put_BackgroundColor -1",
                               "call put_Loop 0", "call put_WMode Window", "call put_Menu 0"}) {
        const int at = FindLine(lines, stored, previous + 1);
        EXPECT_GT(at, previous) << stored << "\n" << log.Dump();
        previous = std::max(previous, at);
    }
    EXPECT_LT(previous, FindPrefix(lines, "import CreateWindowExA")) << log.Dump();
}

// ---------------------------------------------------------------- commands

TEST_F(PlayerWindow, EachCommandMakesItsCallsOnTheRuntime)
{
    settings.VisibleCommands = 0x3FFF;
    auto w = MakeWith(PlainMovie(8));
    // Each command, the calls it makes in that order, and calls it must not make.
    const struct {
        swfp::tk::TAction* action;
        std::vector<std::string> calls;
        std::vector<std::string> never;
    } cases[] = {
        {w->actStop, {"call Rewind", "call StopPlay"}, {}},
        {w->actRewind, {"call Rewind"}, {"call put_Playing 0", "call StopPlay"}},
        {w->actForward, {"call Forward"}, {}},
        {w->actBack, {"call Back"}, {}},
        {w->actEnd, {"call GotoFrame 7"}, {}},
        {w->actMedQ, {"call put_Quality 1"}, {}},
        {w->actHighQ, {"call put_Quality 1"}, {}},
        {w->actLowQ, {"call put_Quality 0"}, {"call put_Quality 1"}},
        {w->actLoop, {"call put_Loop -1"}, {}},
        {w->actLoop, {"call put_Loop 0"}, {}},
        {w->actPlay, {"call put_Playing -1"}, {}},
        {w->actPlay, {"call put_Playing 0"}, {}},
        {w->actPrint, {"command 20054 print"}, {}},
    };
    for (const auto& c : cases) {
        log.Clear();
        c.action->Execute();
        int at = -1;
        for (const std::string& call : c.calls) {
            const int found = log.FindLine(call, at + 1);
            EXPECT_GT(found, at) << c.action->Name() << ": " << call << "\n" << log.Dump();
            at = std::max(at, found);
        }
        for (const std::string& call : c.never)
            EXPECT_FALSE(log.HasLine(call)) << c.action->Name() << ": " << call;
        EXPECT_EQ(log.CountLine(c.calls.front()), 1) << c.action->Name();
        if (c.action == w->actHighQ) {
            EXPECT_TRUE(w->actHighQ->Checked());
            EXPECT_FALSE(w->actMedQ->Checked());
        }
        if (c.action == w->actLoop) {
            EXPECT_EQ(w->actLoop->Checked(), c.calls.front() == "call put_Loop -1");
        }
        if (c.action == w->actPlay) {
            const bool playing = c.calls.front() == "call put_Playing -1";
            bool handled = false;
            w->ActionList1Update(*w->actClose, handled);  // the update rule shows Pause while playing
            EXPECT_TRUE(handled);
            EXPECT_EQ(w->Player().Playing(), playing);
            EXPECT_EQ(w->actPlay->Checked(), playing);
            EXPECT_EQ(w->btnPause->Visible(), playing);
            EXPECT_EQ(w->btnPlay->Visible(), !playing);
        }
    }
}

TEST_F(PlayerWindow, TimerShowsTheFrameMovesTheSliderWithoutSeekingAndRestartsAStoppedLoop)
{
    settings.Loop = 1;
    settings.ShowControls = 1;
    auto w = MakeWith(PlainMovie(1));
    // Stopped on its last frame with looping on, whatever the timer did so far:
    // the running timer starts it again from the start (when it does so is a
    // rule tested on its own).
    w->Player().StopPlay();
    log.Clear();
    const auto restarted = [&] {
        const int rewind = log.FindLine("call Rewind");
        return rewind >= 0 && log.FindLine("call Play", rewind) > rewind;
    };
    EXPECT_TRUE(PumpUntil(restarted, 10s)) << log.Dump();
    EXPECT_EQ(w->lblMovieFrames->Caption(), L"1 / 1");
    EXPECT_EQ(log.FindLine("call put_FrameNum 0"), -1) << "the timer never seeks";
    w.reset();

    // A longer movie standing in the middle: the slider follows, the user's drag seeks.
    auto longer = MakeWith(PlainMovie(10));
    longer->Player().GotoFrame(4);
    longer->tmrRefresher->Tick();
    EXPECT_EQ(longer->lblMovieFrames->Caption(), L"5 / 10");
    EXPECT_EQ(longer->ProgressSlider->Position(), 4);
    log.Clear();
    longer->ProgressSlider->SetPosition(7);
    EXPECT_GE(log.FindLine("call put_FrameNum 7"), 0) << log.Dump();
}

// Which files the movie's commands open is decided by rules tested on their
// own; here the window resolves them against its own folder and the disk.
TEST_F(PlayerWindow, CommandsOpenOnlyFilesThatExist)
{
    auto w = Make();
    std::vector<std::string> opened;
    w->OpenWithShell = [&](const std::string& path) { opened.push_back(path); };
    const fs::path companions = folder.File(L"fscommand");
    fs::create_directories(companions);
    const std::string notes = (companions / "notes.txt").string(), readme = folder.File(L"readme.txt").string();
    std::ofstream(notes) << "x";
    std::ofstream(readme) << "x";
    const struct {
        const wchar_t* command;
        std::string argument;
        std::string opens;  // empty: nothing
    } cases[] = {
        {L"exec", "../notes.txt", notes},
        {L"exec", "missing.txt", ""},
        {L"shellopen", folder.Path().string(), ""},  // a folder
        {L"shellopen", readme, readme},
    };
    for (const auto& c : cases) {
        opened.clear();
        w->plrFSCommand(*w, c.command, std::wstring(c.argument.begin(), c.argument.end()));
        EXPECT_EQ(opened, c.opens.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.opens})
            << fs::path(c.command).string() << " " << c.argument;
    }
}

TEST(TrayIconData, FilledFromTheSettingsWithCutsAndFallbacks)
{
    PlayerSettings s = ZeroSettings();
    const HWND window = reinterpret_cast<HWND>(0x1234);
    const HICON icon = reinterpret_cast<HICON>(0x5678);
    NOTIFYICONDATAA d = MakeNotifyIconData(window, icon, s, "App Title");
    EXPECT_EQ(d.cbSize, kNotifyIconDataSize);
    EXPECT_EQ(d.hWnd, window);
    EXPECT_EQ(d.hIcon, icon);
    EXPECT_EQ(d.uID, 57051u);
    EXPECT_EQ(d.uFlags, 7u);
    EXPECT_EQ(d.uCallbackMessage, 1124u);
    EXPECT_STREQ(d.szTip, "App Title");
    EXPECT_EQ(d.dwInfoFlags, 0u);

    SetCountedString(s.TrayTip, std::string(128, 't'));
    s.ShowTrayBalloon = 1;
    d = MakeNotifyIconData(window, icon, s, "App Title");
    EXPECT_EQ(std::string(d.szTip), std::string(127, 't'));
    EXPECT_EQ(d.uFlags, 7u | 16u);
    EXPECT_EQ(d.dwInfoFlags, 1u);
    EXPECT_STREQ(d.szInfo, "");
    EXPECT_STREQ(d.szInfoTitle, "");

    SetCountedString(s.BalloonTitle, std::string(64, 'b'));
    SetCountedString(s.BalloonText, "Hello");
    d = MakeNotifyIconData(window, icon, s, "App Title");
    EXPECT_EQ(std::string(d.szInfoTitle), std::string(63, 'b'));
    EXPECT_STREQ(d.szInfo, "Hello");
}

}  // namespace
