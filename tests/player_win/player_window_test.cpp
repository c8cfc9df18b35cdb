// The player window in-process under Wine, with the stand-in runtime playing
// real movies: set-up from the settings, commands as the runtime sees them,
// timer rules, movie commands, dragging, tray data and the remembered position.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "app/swf_plr_globals.h"
#include "flashrt/import_hooks_win.h"
#include "player/swf_plr_about_win.h"
#include "player/swf_plr_main_win.h"
#include "player/tray_icon_win.h"
#include "player/window_position.h"
#include "player/window_position_win.h"
#include "tests/support/swf_writer.h"
#include "tests/support_win/message_pump_win.h"
#include "tests/support_win/packaged_player_win.h"
#include "tests/support_win/runtime_environment_win.h"
#include "tests/support_win/scoped_state_win.h"
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
        // What the windows share through the process outlives none of them.
        g_PlayerSettings = ZeroSettings();
        flashrt::SetFlashSoundEnabled(true);
        swfp::tk::Application().SetMainForm(nullptr);
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

TEST_F(PlayerWindow, EachBitShowsItsCommandPlayDecidesStopAndMenusWithoutItemsGo)
{
    using swfp::tk::TAction;
    const auto commands = [](const TfrmPlr& w) {
        return std::vector<TAction*>{w.actZoomIn, w.actZoomOut, w.actZoomAll, w.actPlay,  w.actStop,
                                     w.actLoop,   w.actRewind,  w.actForward, w.actBack,  w.actEnd,
                                     w.actPrint,  w.actSound,   w.actClose,   w.actAbout};
    };
    settings.VisibleCommands = 0;
    auto none = Make();
    for (auto* a : commands(*none))
        EXPECT_FALSE(a->Visible()) << a->Name();
    EXPECT_FALSE(none->MenuItem("mnQuality1")->Visible());
    EXPECT_FALSE(none->MenuItem("mnQuality2")->Visible());
    EXPECT_FALSE(TopMenuVisible(*none, "mnHelp"));
    for (const char* menu : {"mnFile", "mnView", "mnControl"})
        EXPECT_TRUE(TopMenuVisible(*none, menu)) << menu;
    for (auto* b : {none->btnPlay, none->btnPause, none->btnStop, none->btnForward, none->btnBack, none->btnRewind,
                    none->btnEnd, none->btnSoundOn})
        EXPECT_TRUE(b->Visible()) << b->Name();
    none.reset();

    settings.VisibleCommands = 0x3FFF;
    auto all = Make();
    for (auto* a : commands(*all))
        EXPECT_TRUE(a->Visible()) << a->Name();
    EXPECT_TRUE(all->MenuItem("mnQuality1")->Visible());
    EXPECT_TRUE(TopMenuVisible(*all, "mnHelp"));
    all.reset();

    settings.VisibleCommands = 0x3FFF & ~0x0010;  // no play bit
    auto noPlay = Make();
    EXPECT_FALSE(noPlay->actPlay->Visible());
    EXPECT_FALSE(noPlay->actStop->Visible());
    EXPECT_TRUE(noPlay->actLoop->Visible());
    EXPECT_TRUE(noPlay->btnPlay->Visible() || noPlay->btnPause->Visible());
    noPlay.reset();

    settings.VisibleCommands = 0x2000;  // only About: its menu stays, the quality menus go
    auto about = Make();
    EXPECT_TRUE(about->actAbout->Visible());
    EXPECT_FALSE(about->actClose->Visible());
    EXPECT_TRUE(TopMenuVisible(*about, "mnHelp"));
    EXPECT_FALSE(about->MenuItem("mnQuality1")->Visible());
}

TEST_F(PlayerWindow, MenusFollowTheSettings)
{
    auto none = Make();
    EXPECT_EQ(none->Menu(), nullptr);
    EXPECT_EQ(GetMenu(none->Handle()), nullptr);
    EXPECT_EQ(none->Player().PopupMenu(), nullptr);
    EXPECT_EQ(none->pnControls->PopupMenu(), nullptr);
    none.reset();

    settings.ShowMainMenu = 1;
    settings.ShowPopupMenu = 1;
    auto both = Make();
    EXPECT_EQ(both->Menu(), both->mnMain);
    EXPECT_NE(GetMenu(both->Handle()), nullptr);
    EXPECT_EQ(both->Player().PopupMenu(), both->mnPopup);
    EXPECT_EQ(both->pnControls->PopupMenu(), both->mnPopup);
}

TEST_F(PlayerWindow, CaptionModeIsAppliedAfterTheResizableFlag)
{
    struct Case {
        uint8_t resizable, captionMode;
        bool thick, caption;
    } cases[] = {{0, 0, false, true}, {1, 0, true, true}, {1, 1, true, false}, {1, 2, false, false}, {0, 2, false, false}};
    for (const auto& c : cases) {
        settings.Resizable = c.resizable;
        settings.CaptionMode = c.captionMode;
        auto w = Make();
        const LONG style = GetWindowLongA(w->Handle(), GWL_STYLE);
        EXPECT_EQ((style & WS_THICKFRAME) != 0, c.thick) << int(c.resizable) << "/" << int(c.captionMode);
        EXPECT_EQ((style & WS_CAPTION) == WS_CAPTION, c.caption) << int(c.resizable) << "/" << int(c.captionMode);
    }
}

TEST_F(PlayerWindow, WindowModesAndPositionsPlaceTheWindow)
{
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    APPBARDATA bar{};
    bar.cbSize = sizeof bar;
    SHAppBarMessage(ABM_GETTASKBARPOS, &bar);
    const int tb = bar.rc.bottom - bar.rc.top;

    settings.WindowMode = 1;
    settings.WindowPosition = 9;  // ignored by mode 1
    settings.WindowLeft = 77;
    auto full = Make();
    EXPECT_EQ(full->Left(), 0);
    EXPECT_EQ(full->Top(), 0);
    EXPECT_EQ(full->Width(), sw);
    EXPECT_EQ(full->Height(), sh - tb);
    full.reset();

    settings.WindowMode = 3;  // panel hidden: both sizes come from the settings
    settings.WindowWidth = 400;
    settings.WindowHeight = 300;
    settings.WindowLeft = -20;
    settings.WindowTop = 33;
    auto given = Make();
    RECT r{};
    GetWindowRect(given->Handle(), &r);
    EXPECT_EQ(r.left, -20);
    EXPECT_EQ(r.top, 33);
    EXPECT_EQ(r.right - r.left, 400);
    EXPECT_EQ(r.bottom - r.top, 300);
    given.reset();

    settings.ShowControls = 1;  // the panel keeps the layout's width
    settings.WindowPosition = 4;
    auto centred = Make();
    EXPECT_EQ(centred->Height(), 300);
    EXPECT_GE(centred->Width(), 656);
    EXPECT_EQ(centred->Left(), (sw - centred->Width()) / 2);
    EXPECT_EQ(centred->Top(), (sh - 300) / 2);
    EXPECT_EQ(centred->pnPlayer->Constraints().minWidth, 650);
    centred.reset();

    settings.WindowMode = 0;
    settings.WindowPosition = 8;
    auto corner = Make();
    EXPECT_EQ(corner->Left(), sw - corner->Width());
    EXPECT_EQ(corner->Top(), sh - corner->Height() - tb);
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

TEST_F(PlayerWindow, StayOnTopAndMaximisedModeTakeEffectWhenShown)
{
    settings.StayOnTop = 1;
    auto top = Make();
    EXPECT_EQ(GetWindowLongW(top->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    top->Show();
    EXPECT_TRUE(PumpUntil([&] { return GetWindowLongW(top->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST; }, 5s));
    top.reset();

    settings = ZeroSettings();
    settings.WindowMode = 2;
    auto maximised = Make();
    maximised->Show();
    EXPECT_TRUE(PumpUntil([&] { return IsZoomed(maximised->Handle()); }, 5s));
    EXPECT_EQ(GetWindowLongW(maximised->Handle(), GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME), 0);
}

TEST_F(PlayerWindow, ResizingKeepsThePlayerAreaAtItsMinimumWhileThePanelShows)
{
    settings.ShowControls = 1;
    settings.Resizable = 1;
    auto w = Make();
    w->SetBounds(w->Left(), w->Top(), w->Width(), 200);
    EXPECT_TRUE(PumpUntil([&] { return w->pnPlayer->Height() == 100; }, 5s)) << w->pnPlayer->Height();
    ASSERT_TRUE(w->Snapshot);
    EXPECT_TRUE(PumpUntil([&] {
        return w->Snapshot->Width() == w->Player().Width() && w->Snapshot->Height() == w->Player().Height();
    }, 5s)) << "the snapshot follows the player area";
}

// The object gets the layout's stored properties, in order, before any window exists; and it
// is never given a rectangle of another size than the extent it was last offered: not at
// set-up, where removing the main menu grows the player area, nor when the window is resized.
TEST_F(PlayerWindow, StoredPropertiesComeFirstAndEveryRectangleFollowsTheExtent)
{
    auto w = Make();
    w->SetBounds(w->Left(), w->Top(), w->Width() + 40, w->Height() + 30);
    // The rectangle of the new size reaches the object while the loop runs.
    const auto resized = [&] {
        for (const std::string& line : log.Lines()) {
            long verb = 0, left = 0, top = 0, right = 0, bottom = 0;
            if (sscanf(line.c_str(), "call DoVerb %ld %ld %ld %ld %ld", &verb, &left, &top, &right, &bottom) == 5 &&
                right - left == w->Player().Width() && bottom - top == w->Player().Height())
                return true;
        }
        return false;
    };
    EXPECT_TRUE(PumpUntil(resized, 5s)) << log.Dump();
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

    long cx = -1, cy = -1;
    int rectangles = 0;
    for (const std::string& line : lines) {
        long a = 0, b = 0, verb = 0, left = 0, top = 0, right = 0, bottom = 0;
        if (sscanf(line.c_str(), "call SetExtent 1 %ld %ld", &a, &b) == 2) {
            cx = a;
            cy = b;
        } else if (sscanf(line.c_str(), "call DoVerb %ld %ld %ld %ld %ld", &verb, &left, &top, &right, &bottom) == 5) {
            ++rectangles;
            EXPECT_EQ(cx, MulDiv(right - left, 2540, 96)) << line << "\n" << log.Dump();
            EXPECT_EQ(cy, MulDiv(bottom - top, 2540, 96)) << line;
        }
    }
    EXPECT_GE(rectangles, 2) << log.Dump();
}

TEST_F(PlayerWindow, HiddenTaskbarButtonAndCustomCursor)
{
    settings.HideTaskbarButton = 1;
    settings.UseCustomCursor = 1;
    auto w = Make();
    for (const auto& c : w->Components())
        if (auto* control = dynamic_cast<swfp::tk::TControl*>(c.get()))
            EXPECT_EQ(control->Cursor(), 1) << control->Name();
    EXPECT_EQ(w->Cursor(), 1);
    // As the main window, showing it would show the application's taskbar window.
    swfp::tk::Application().SetMainForm(w.get());
    w->Show();
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(w->Handle()); }, 5s));
    EXPECT_FALSE(IsWindowVisible(swfp::tk::Application().Handle()));
    swfp::tk::Application().SetMainForm(nullptr);
    w.reset();

    settings = ZeroSettings();
    auto plain = Make();
    EXPECT_EQ(plain->Player().Cursor(), 0);
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
        if (c.action == w->actLoop)
            EXPECT_EQ(w->actLoop->Checked(), c.calls.front() == "call put_Loop -1");
        if (c.action == w->actPlay)
            EXPECT_EQ(w->Player().Playing(), c.calls.front() == "call put_Playing -1");
    }
}

TEST_F(PlayerWindow, UpdateRuleShowsPauseWhilePlayingAndPlayWhileStanding)
{
    settings.AutoPlay = 1;
    auto w = MakeWith(PlainMovie(50));
    for (const bool playing : {true, false}) {
        if (!playing)
            w->Player().StopPlay();
        bool handled = false;
        w->ActionList1Update(*w->actClose, handled);
        EXPECT_TRUE(handled);
        EXPECT_EQ(w->actPlay->Checked(), playing);
        EXPECT_EQ(w->btnPause->Visible(), playing);
        EXPECT_EQ(w->btnPlay->Visible(), !playing);
    }
}

TEST_F(PlayerWindow, SoundCommandSwitchesTheSoundAndTheButtons)
{
    settings.VisibleCommands = 0x0800;
    ASSERT_TRUE(flashrt::GetFlashSoundEnabled());
    auto w = Make();
    EXPECT_TRUE(w->actSound->Checked());
    for (const bool on : {false, true}) {
        w->actSound->Execute();
        EXPECT_EQ(flashrt::GetFlashSoundEnabled(), on);
        EXPECT_EQ(w->btnSoundOn->Visible(), on);
        EXPECT_EQ(w->btnSoundOff->Visible(), !on);
    }
}

TEST_F(PlayerWindow, TimerShowsTheFrameMovesTheSliderWithoutSeekingAndRestartsAStoppedLoop)
{
    settings.Loop = 1;
    settings.ShowControls = 1;
    auto w = MakeWith(PlainMovie(1));
    // Stopped on its last frame with looping on, whatever the timer did so far:
    // the running timer starts it again from the start.
    w->Player().StopPlay();
    log.Clear();
    const auto restarted = [&] {
        const int rewind = log.FindLine("call Rewind");
        return rewind >= 0 && log.FindLine("call Play", rewind) > rewind;
    };
    EXPECT_TRUE(PumpUntil(restarted, 10s)) << log.Dump();
    EXPECT_EQ(w->lblMovieFrames->Caption(), L"1 / 1");
    EXPECT_EQ(log.FindLine("call put_FrameNum 0"), -1) << "the timer never seeks";

    // With looping off the stopped movie stays where it is.
    w->actLoop->Execute();
    w->Player().StopPlay();
    log.Clear();
    w->tmrRefresher->Tick();
    EXPECT_EQ(log.FindLine("call Play"), -1) << log.Dump();
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

TEST_F(PlayerWindow, CloseQueryStopsTheTimerAndAllowsTheClose)
{
    auto w = Make();
    ASSERT_TRUE(w->tmrRefresher->Enabled());
    EXPECT_TRUE(w->CloseQuery());
    EXPECT_FALSE(w->tmrRefresher->Enabled());
}

// ---------------------------------------------------------------- movie commands

TEST_F(PlayerWindow, QuitFromTheMovieClosesThroughTheCloseQuery)
{
    // The start state holds the first frame; the second asks to quit.
    auto w = MakeWith(SwfWriter().ShowFrame().FSCommand("quit", "").ShowFrame().Stop().Build());
    w->Show();
    ASSERT_TRUE(IsWindowVisible(w->Handle()));
    w->Player().Play();
    EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(w->Handle()); }, 10s));
    EXPECT_GE(log.FindLine("event FSCommand quit "), 0) << log.Dump();
    EXPECT_FALSE(w->tmrRefresher->Enabled());
}

// Which files the movie's commands open is decided by rules tested on their
// own; here the window resolves them against its own folder and the disk.
TEST_F(PlayerWindow, CommandsOpenOnlyExistingFilesOfTheCompanionFolderAndNoPrograms)
{
    auto w = Make();
    std::vector<std::string> opened;
    w->OpenWithShell = [&](const std::string& path) { opened.push_back(path); };
    const fs::path companions = folder.File(L"fscommand");
    fs::create_directories(companions);
    for (const fs::path& file : {companions / "notes.txt", companions / "tool.exe", folder.File(L"outside.exe"),
                                 folder.File(L"readme.txt")})
        std::ofstream(file) << "x";
    const std::string outside = folder.File(L"outside.exe").string(), readme = folder.File(L"readme.txt").string();
    const struct {
        const wchar_t* command;
        std::string argument;
        std::string opens;  // empty: nothing
    } cases[] = {
        {L"Exec", "notes.txt", ""},
        {L"QUIT", "", ""},
        {L"exec", "../notes.txt", (companions / "notes.txt").string()},
        {L"exec", "missing.txt", ""},
        {L"exec", "", ""},
        {L"exec", "./\\..", ""},
        {L"exec", "a/../../outside.exe", ""},  // would climb out of the companion folder
        {L"shellopen", outside, ""},
        {L"shellopen", outside.substr(0, outside.size() - 3) + "EXE", ""},
        {L"shellopen", folder.Path().string(), ""},  // a folder
        {L"shellopen", readme, readme},
    };
    for (const auto& c : cases) {
        opened.clear();
        w->plrFSCommand(*w, c.command, std::wstring(c.argument.begin(), c.argument.end()));
        EXPECT_EQ(opened, c.opens.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.opens})
            << fs::path(c.command).string() << " " << c.argument;
    }
    EXPECT_TRUE(IsWindowEnabled(w->Handle())) << "a QUIT in the wrong case does not close";
}

TEST_F(PlayerWindow, ExecStartsACompanionProgram)
{
    const fs::path companions = folder.File(L"fscommand");
    fs::create_directories(companions);
    fs::copy_file(ExeFolder() / "player_win_companion.exe", companions / "tool.exe");
    auto w = Make();
    w->plrFSCommand(*w, L"exec", L"\\tool.exe");
    EXPECT_TRUE(PumpUntil([&] { return fs::exists(companions / "companion_ran.txt"); }, 10s));
}

// ---------------------------------------------------------------- dragging, tray, position

TEST_F(PlayerWindow, HitTestTurnsTheClientAreaIntoACaptionOnlyWithDragAnywhere)
{
    for (const uint8_t drag : {0, 1}) {
        settings.DragAnywhere = drag;
        auto w = Make();
        POINT centre{100, 100};
        ClientToScreen(w->Handle(), &centre);
        EXPECT_EQ(SendMessageW(w->Handle(), WM_NCHITTEST, 0, MAKELPARAM(centre.x, centre.y)),
                  drag ? HTCAPTION : HTCLIENT);
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

TEST_F(PlayerWindow, TrayIconIsAddedWithTheSettingsAndRemovedAtDestruction)
{
    settings.ShowTrayIcon = 1;
    SetCountedString(settings.TrayTip, "Tip here");
    auto w = Make();
    EXPECT_EQ(w->NotifyIconData().hWnd, w->Handle());
    EXPECT_STREQ(w->NotifyIconData().szTip, "Tip here");
    // The shell knows the icon: modifying it works until the window goes.
    NOTIFYICONDATAA probe = w->NotifyIconData();
    EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &probe));
    w.reset();
    EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &probe));
}

TEST_F(PlayerWindow, TrayClicksBringTheWindowForward)
{
    settings.ShowTrayIcon = 1;
    auto w = Make();
    w->Show();
    auto other = MakePlayerWindow(ZeroSettings(), packaged);
    const auto otherInFront = [&] {
        other->Show();
        return PumpUntil([&] { return GetForegroundWindow() == other->Handle(); }, 5s);
    };
    const auto click = [&](LPARAM mouse) { SendMessageW(w->Handle(), kTrayCallbackMessage, kTrayIconId, mouse); };
    ASSERT_TRUE(otherInFront());
    // A right click with the context menu disabled brings it forward and opens nothing.
    click(WM_RBUTTONUP);
    EXPECT_EQ(GetForegroundWindow(), w->Handle());
    ASSERT_TRUE(otherInFront());
    click(WM_MOUSEMOVE);
    EXPECT_EQ(GetForegroundWindow(), other->Handle()) << "other mouse messages do nothing";
    click(WM_LBUTTONDBLCLK);
    EXPECT_EQ(GetForegroundWindow(), w->Handle());
    // A minimised or hidden player comes back restored and in front.
    for (const int hide : {SW_MINIMIZE, SW_HIDE}) {
        ShowWindow(w->Handle(), hide);
        ASSERT_TRUE(otherInFront());
        click(WM_LBUTTONDBLCLK);
        EXPECT_TRUE(PumpUntil([&] {
            return IsWindowVisible(w->Handle()) && !IsIconic(w->Handle()) && GetForegroundWindow() == w->Handle();
        }, 5s)) << hide;
    }
}

TEST_F(PlayerWindow, RememberedPositionIsSavedAtCloseAndUsedOnTheNextRun)
{
    const std::string path = packaged.string();
    const RegistryKeyRestorer key(HKEY_CURRENT_USER, fs::path(WindowPositionKey(path)).wstring());
    RegDeleteKeyA(HKEY_CURRENT_USER, WindowPositionKey(path).c_str());
    settings.RememberPosition = 1;
    settings.WindowPosition = 0;  // not applied while remembering
    auto first = Make();
    EXPECT_EQ(first->Left(), 1497);
    EXPECT_EQ(first->Top(), 152);
    first->SetBounds(123, 45, first->Width(), first->Height());
    first.reset();
    EXPECT_EQ(LoadWindowPosition(path), (StoredPosition{123, 45}));

    // Closed minimised or maximised, the window remembers its normal place.
    for (const int state : {SW_MINIMIZE, SW_MAXIMIZE}) {
        auto second = Make();
        EXPECT_EQ(second->Left(), 123);
        EXPECT_EQ(second->Top(), 45);
        second->Show();
        ShowWindow(second->Handle(), state);
        EXPECT_TRUE(PumpUntil([&] { return state == SW_MINIMIZE ? IsIconic(second->Handle()) : IsZoomed(second->Handle()); }, 5s));
        second.reset();
        EXPECT_EQ(LoadWindowPosition(path), (StoredPosition{123, 45})) << state;
    }

    // A key holding only one of the values reads as no stored position.
    HKEY stored = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, WindowPositionKey(path).c_str(), 0, KEY_SET_VALUE, &stored),
              ERROR_SUCCESS);
    RegDeleteValueA(stored, "LastTop");
    RegCloseKey(stored);
    EXPECT_FALSE(LoadWindowPosition(path));
    EXPECT_EQ(Make()->Left(), 1497);
}

// The texts themselves are formed by rules tested on their own; the window
// takes them from the settings and frames the program's icon in silver.
TEST(AboutWindow, TakesItsTextsFromTheSettingsAndFramesTheIconInSilver)
{
    g_PlayerSettings = ZeroSettings();
    SetCountedString(g_PlayerSettings.Title, "Movie Title");
    SetCountedString(g_PlayerSettings.CompanyName, "Quindo Software");
    g_PlayerSettings.FileVersion[0] = 2;
    TfrmAbout about(nullptr);
    g_PlayerSettings = ZeroSettings();
    EXPECT_EQ(about.lblApplication->Caption(), L"Movie Title");
    EXPECT_EQ(about.lblCompanyInfo->Caption(), L"Quindo Software / ");
    EXPECT_EQ(about.lblFileVer->Caption(), L"v. 2.0.0.0");

    const swfp::tk::Color32 silver = swfp::tk::MakeColor32(0xC0, 0xC0, 0xC0);
    const swfp::tk::Bitmap32& picture = about.imgIcon->Picture();
    ASSERT_EQ(picture.Width(), 48);
    ASSERT_EQ(picture.Height(), 48);
    for (int i = 0; i < 48; ++i) {
        EXPECT_EQ(picture.Pixel(0, i), silver) << "left edge " << i;
        EXPECT_EQ(picture.Pixel(i, 0), silver) << "top edge " << i;
    }
    // Without a shell icon only the framed white square shows.
    const swfp::tk::Bitmap32 blank = FramedShellIcon("Z:\\no\\such\\file.none");
    EXPECT_EQ(blank.Pixel(47, 47), silver);
    EXPECT_EQ(blank.Pixel(47, 10), silver);
    EXPECT_EQ(blank.Pixel(24, 24), swfp::tk::MakeColor32(255, 255, 255));
}

}  // namespace
