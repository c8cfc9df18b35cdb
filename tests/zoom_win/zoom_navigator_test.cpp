// The zoom navigator on the real player window, with the stand-in runtime:
// what the runtime is told at each refresher tick, and what the navigator
// picture shows.
//
// Geometry used throughout (worked out by hand from the stored layout):
// `plr` is 650 x 476, so the snapshot is too; `image` is 115 x 65 and draws
// the snapshot scaled to fit and centred into (13, 0) 89 x 65. The movie is
// 550 x 400 px, MovieRect (0, 0, 11000, 8000). At slider 100 the selection is
// 8900 div 200 = 44 wide and Round(44 x 476 / 650) = Round(32.2) = 32 high.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>

#include "app/swf_plr_globals.h"
#include "flashrt/stream_adapter.h"
#include "player/move_selection_thread.h"
#include "player/swf_plr_main_win.h"
#include "player/zoom_navigator_win.h"
#include "tests/support/swf_writer.h"
#include "tests/support_win/message_pump_win.h"
#include "tests/support_win/runtime_environment_win.h"
#include "tests/support_win/standin_log_win.h"
#include "tests/support_win/test_files_win.h"

using namespace swfp::tk;
using namespace std::chrono_literals;
namespace wintest = swfp::wintest;

namespace {

// The process's runtime state lives for the whole test program, as in the player.
[[maybe_unused]] const auto* const environment = wintest::AddRuntimeEnvironment();

constexpr uint32_t kShadeBgr = 7308177;

std::string ZoomCall(const RECT& r)
{
    return "call SetZoomRect " + std::to_string(r.left) + " " + std::to_string(r.top) + " " +
           std::to_string(r.right) + " " + std::to_string(r.bottom);
}

class ZoomNavigatorTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { wintest::UseRuntimeModule(L"flash_standin.dll"); }

    void SetUp() override
    {
        g_PlayerSettings = PlayerSettings{};
        g_PlayerSettings.ShowControls = 1;
        g_PlayerSettings.VisibleCommands = 0xFFFF;
        g_PlayerSettings.ShowMainMenu = 1;  // the layout's client area holds its menu bar
        form = std::make_unique<TfrmPlr>(nullptr, (wintest::ExeFolder() / L"zoom_win_tests.exe").wstring());
        // The test drives the ticks itself.
        form->tmrRefresher->SetEnabled(false);
        // A white movie with its top-left quarter red.
        const std::vector<uint8_t> movie = SwfWriter()
                                               .FrameSize(550, 400)
                                               .SetBackgroundColor({255, 255, 255})
                                               .DefineRectangle(1, 275, 200, {255, 0, 0})
                                               .PlaceObject(1, 1, 0, 0)
                                               .ShowFrame()
                                               .Build();
        flashrt::TMemoryStream stream(movie);
        form->Player().LoadMovieFromStream(stream);
        form->MovieRect = {0, 0, form->Player().MovieWidth() * 20, form->Player().MovieHeight() * 20};
        form->ZoomRect = form->MovieRect;
        form->Show();
        ASSERT_TRUE(wintest::PumpUntil([&] { return log.HasPrefix("movie frames"); }, 2s)) << log.Dump();
        navigator = dynamic_cast<TZoomNavigator*>(form->FindComponent("ZoomNavigator"));
        ASSERT_NE(navigator, nullptr);
        ASSERT_EQ(form->MovieRect.right, 11000);
        ASSERT_EQ(form->MovieRect.bottom, 8000);
        ASSERT_EQ(form->Player().Width(), 650);
        ASSERT_EQ(form->Player().Height(), 476);
    }

    void TearDown() override
    {
        form.reset();
        g_PlayerSettings = PlayerSettings{};
    }

    // One refresher tick; returns the log lines it produced.
    std::vector<std::string> Tick()
    {
        const size_t before = log.Lines().size();
        form->tmrRefresherTimer(*form);
        const auto lines = log.Lines();
        return {lines.begin() + static_cast<long>(std::min(before, lines.size())), lines.end()};
    }

    // The last zoom the runtime was given in a tick: a rectangle, or "showall".
    static std::string LastZoom(const std::vector<std::string>& lines)
    {
        std::string last;
        for (const auto& l : lines)
            if (l.rfind("call SetZoomRect", 0) == 0 || l.rfind("command 20034", 0) == 0)
                last = l;
        return last;
    }

    // Mouse input as the window system delivers it to `image`.
    void Mouse(UINT message, int x, int y)
    {
        TControl& image = *form->image;
        const int px = image.Left() + x, py = image.Top() + y;
        SendMessageW(image.Parent()->Handle(), message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON,
                     MAKELPARAM(px, py));
    }
    void Click(int x, int y)
    {
        Mouse(WM_LBUTTONDOWN, x, y);
        Mouse(WM_LBUTTONUP, x, y);
    }

    FloatRect Selection() const { return form->SelectionLayer->Location; }

    bool WaitForGlide()
    {
        return wintest::PumpUntil([&] { return navigator->MoveThread() == nullptr; }, 4s);
    }

    // Slider 100 and one tick: the selection stands at (36, 16) 44 x 32.
    void ZoomToHalf()
    {
        Tick();  // the first selection: the whole view, top-left corner
        for (int i = 0; i < 5; ++i)
            form->actZoomInExecute(*form->actZoomIn);
        ASSERT_EQ(form->zoom_slider->Position(), 100);
        Tick();
        ASSERT_EQ(Selection(), (FloatRect{36, 16, 80, 48}));
    }

    wintest::StandinLog log;
    std::unique_ptr<TfrmPlr> form;
    TZoomNavigator* navigator = nullptr;
};

TEST_F(ZoomNavigatorTest, AtSliderZeroTheTickShowsTheWholeMovieByTheFlashCommand)
{
    const auto lines = Tick();
    const NavView view = navigator->View();
    EXPECT_EQ(view.left, 13);
    EXPECT_EQ(view.top, 0);
    EXPECT_EQ(view.width, 89);
    EXPECT_EQ(view.height, 65);
    EXPECT_EQ(navigator->SelWidth, 89);
    EXPECT_EQ(navigator->SelHeight, 65);  // Round(89 x 0.7323) = Round(65.18)
    // First the whole movie for the snapshot, then the Flash command instead of a rectangle.
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "call SetZoomRect 0 0 11000 8000");
    EXPECT_EQ(LastZoom(lines), "command 20034 showall") << log.Dump();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("call SetZoomRect", 0) == 0; }), 1);

    // Before the first resize the snapshot is empty; a refit from a picture
    // without width would divide by zero.
    form->Snapshot->SetSize(0, 0);
    EXPECT_EQ(LastZoom(Tick()), "command 20034 showall");
    EXPECT_EQ(form->Snapshot->Width(), 650);
    EXPECT_EQ(form->Snapshot->Height(), 476);
    EXPECT_EQ(navigator->SelWidth, 89);
}

TEST_F(ZoomNavigatorTest, ZoomCommandsChangeTheViewOnlyAtTheNextRefresherTickAndTheSliderStopsAtItsEnds)
{
    Tick();
    const size_t before = log.Lines().size();
    for (int i = 0; i < 5; ++i)
        form->actZoomInExecute(*form->actZoomIn);
    EXPECT_EQ(form->zoom_slider->Position(), 100);
    EXPECT_EQ(log.Lines().size(), before) << "nothing reaches the runtime before the tick";
    // The centre (58, 32) of the old selection (13, 0) 89 x 65 is kept:
    // (58 - 22, 32 - 16) = (36, 16). l = Round(23 x 11000 / 89) = Round(2842.7),
    // t = Round(16 x 8000 / 65) = Round(1969.2), w = Round(11000 x 44 / 89) = 5438,
    // h = Round(8000 x 32 / 65) = 3938.
    form->tmrRefresher->SetEnabled(true);
    EXPECT_TRUE(wintest::PumpUntil([&] { return log.HasLine("call SetZoomRect 2843 1969 8281 5907"); }, 3s))
        << log.Dump();
    form->tmrRefresher->SetEnabled(false);
    EXPECT_EQ(Selection(), (FloatRect{36, 16, 80, 48}));
    EXPECT_EQ(ZoomCall(form->ZoomRect), "call SetZoomRect 2843 1969 8281 5907");

    form->actZoomAllExecute(*form->actZoomAll);
    EXPECT_EQ(form->zoom_slider->Position(), 0);
    EXPECT_EQ(LastZoom(Tick()), "command 20034 showall");
    form->actZoomOutExecute(*form->actZoomOut);
    EXPECT_EQ(form->zoom_slider->Position(), 0);
    for (int i = 0; i < 16; ++i)
        form->actZoomInExecute(*form->actZoomIn);
    EXPECT_EQ(form->zoom_slider->Position(), 300);
    Tick();
    EXPECT_EQ(navigator->SelWidth, 22);  // 8900 div 400: a quarter of the view
    EXPECT_EQ(navigator->SelHeight, 16);
    form->actZoomOutExecute(*form->actZoomOut);
    EXPECT_EQ(form->zoom_slider->Position(), 280);
}

TEST_F(ZoomNavigatorTest, WithThePanelHiddenTheCommandsUseTheRuntimesOwnZoom)
{
    form->pnControls->SetVisible(false);
    const size_t before = log.Lines().size();
    form->actZoomInExecute(*form->actZoomIn);
    form->actZoomOutExecute(*form->actZoomOut);
    form->actZoomAllExecute(*form->actZoomAll);
    const auto lines = log.Lines();
    const std::vector<std::string> calls(lines.begin() + long(before), lines.end());
    const std::vector<std::string> expected{"call Zoom 80", "call Zoom 120", "call SetZoomRect 0 0 11000 8000"};
    EXPECT_EQ(calls, expected);
    EXPECT_EQ(form->zoom_slider->Position(), 0);
}

TEST_F(ZoomNavigatorTest, ADragMovesTheSelectionStopsAtTheEdgesAndTheNextTickShowsThatPart)
{
    ZoomToHalf();
    Mouse(WM_LBUTTONDOWN, 40, 20);  // 4, 4 inside the selection
    EXPECT_TRUE(navigator->Mouse().Dragging());
    Mouse(WM_MOUSEMOVE, 60, 30);
    EXPECT_EQ(Selection(), (FloatRect{56, 26, 100, 58}));
    Mouse(WM_LBUTTONUP, 60, 30);
    EXPECT_FALSE(navigator->Mouse().Dragging());
    // l = Round(43 x 11000 / 89) = Round(5314.6), t = 26 x 8000 / 65 = 3200.
    EXPECT_EQ(LastZoom(Tick()), "call SetZoomRect 5315 3200 10753 7138");
    EXPECT_EQ(Selection(), (FloatRect{56, 26, 100, 58})) << "the refit keeps the centre";

    // Past the edges it stops there and keeps the pointer's offset.
    Mouse(WM_LBUTTONDOWN, 60, 30);
    Mouse(WM_MOUSEMOVE, 200, 200);
    EXPECT_EQ(Selection(), (FloatRect{58, 33, 102, 65}));  // against the right and bottom edges
    Mouse(WM_MOUSEMOVE, 50, 25);
    EXPECT_EQ(Selection(), (FloatRect{46, 21, 90, 53}));
    Mouse(WM_MOUSEMOVE, -300, -300);
    EXPECT_EQ(Selection(), (FloatRect{13, 0, 57, 32}));
    Mouse(WM_MOUSEMOVE, 200, 200);
    Mouse(WM_LBUTTONUP, 200, 200);
    // The part at the movie's bottom-right corner: 5562 + 5438 and 4062 + 3938 end on it.
    EXPECT_EQ(LastZoom(Tick()), "call SetZoomRect 5562 4062 11000 8000");
}

TEST_F(ZoomNavigatorTest, AClickBesideTheSelectionGlidesItThereStoppingAtTheEdgesAndANewClickReplacesTheGlide)
{
    ZoomToHalf();
    Click(60, 49);  // just below the selection; its centre can stand there
    ASSERT_NE(navigator->MoveThread(), nullptr);
    EXPECT_EQ(navigator->MoveThread()->Target(), (NavPoint{60, 49}));
    EXPECT_GT(TMoveSelectionThread::Running(), 0);
    ASSERT_TRUE(WaitForGlide());
    EXPECT_EQ(Selection(), (FloatRect{38, 33, 82, 65}));
    EXPECT_EQ(TMoveSelectionThread::Running(), 0);
    // l = Round(25 x 11000 / 89) = Round(3089.9), t = Round(33 x 8000 / 65) = Round(4061.5).
    EXPECT_EQ(LastZoom(Tick()), "call SetZoomRect 3090 4062 8528 8000");

    Click(100, 60);  // towards the corner
    ASSERT_TRUE(WaitForGlide());
    EXPECT_EQ(Selection(), (FloatRect{58, 33, 102, 65}));
    // A second glide started while the first runs takes over.
    Click(14, 1);
    Click(20, 50);
    ASSERT_NE(navigator->MoveThread(), nullptr);
    EXPECT_EQ(navigator->MoveThread()->Target(), (NavPoint{20, 50}));
    ASSERT_TRUE(WaitForGlide());
    EXPECT_EQ(Selection(), (FloatRect{13, 33, 57, 65}));
    EXPECT_TRUE(wintest::PumpUntil([] { return TMoveSelectionThread::Running() == 0; }, 2s));
}

// Channel of `shade` drawn over `base` with 192 of 255, allowing rounding.
void ExpectDimmed(Color32 seen, Color32 base, int x, int y)
{
    const Color32 shade = FromBgr(kShadeBgr);
    const auto mix = [](int b, int s) { return (s * 192 + b * 63) / 255.0; };
    EXPECT_NEAR(RedOf(seen), mix(RedOf(base), RedOf(shade)), 1.0) << x << "," << y;
    EXPECT_NEAR(GreenOf(seen), mix(GreenOf(base), GreenOf(shade)), 1.0) << x << "," << y;
    EXPECT_NEAR(BlueOf(seen), mix(BlueOf(base), BlueOf(shade)), 1.0) << x << "," << y;
}

// The snapshot (650 x 476, the movie fitted at 650 / 550) drawn into the view
// (13, 0) 89 x 65 at 89 / 650: the movie's red top-left quarter covers the view
// up to x = 13 + 275 x 89 / 550 = 57.5 and y = 200 x 89 / 550 + 0.2 = 32.6.
Color32 PictureAt(int x, int y)
{
    return x < 57 && y < 32 ? MakeColor32(255, 0, 0) : MakeColor32(255, 255, 255);
}

TEST_F(ZoomNavigatorTest, ThePictureIsDimmedOutsideUndimmedInsideWithAWhiteFrame)
{
    ZoomToHalf();
    // The snapshot shows the whole movie even while the runtime shows a part:
    // red top-left quarter, white elsewhere, no zoom border at its left edge.
    Tick();
    const Bitmap32& snapshot = *form->Snapshot;
    EXPECT_EQ(snapshot.Pixel(200, 200), MakeColor32(255, 0, 0));
    EXPECT_EQ(snapshot.Pixel(1, 300), MakeColor32(255, 255, 255));
    EXPECT_EQ(snapshot.Pixel(600, 400), MakeColor32(255, 255, 255));

    const Bitmap32 shown = form->image->Compose();
    // Inside the frame (36, 16)-(79, 47): the picture as it is, red and white.
    for (auto [x, y] : {std::pair{37, 17}, {50, 30}, {78, 46}, {60, 20}})
        EXPECT_EQ(shown.Pixel(x, y), PictureAt(x, y)) << x << "," << y;
    // The one-pixel frame.
    for (auto [x, y] : {std::pair{36, 16}, {79, 47}, {50, 16}, {50, 47}, {36, 30}, {79, 30}})
        EXPECT_EQ(shown.Pixel(x, y), MakeColor32(255, 255, 255)) << x << "," << y;
    // Just outside it and elsewhere in the view: dimmed, over red and over white.
    for (auto [x, y] : {std::pair{35, 30}, {80, 30}, {50, 15}, {50, 48}, {20, 5}, {95, 60}})
        ExpectDimmed(shown.Pixel(x, y), PictureAt(x, y), x, y);
    // The margin shows the picture control's background.
    EXPECT_EQ(shown.Pixel(5, 30), FromBgr(kShadeBgr));
    EXPECT_EQ(shown.Pixel(110, 30), FromBgr(kShadeBgr));
}

TEST_F(ZoomNavigatorTest, ClosingTheWindowDuringAGlideStopsAndWaitsForIt)
{
    ZoomToHalf();
    Click(100, 60);
    ASSERT_NE(navigator->MoveThread(), nullptr);
    // The worker is stepping once its first placement has arrived.
    const FloatRect start = Selection();
    ASSERT_TRUE(wintest::PumpUntil([&] { return Selection() != start; }, 2s));
    ASSERT_GT(TMoveSelectionThread::Running(), 0);
    // The destroy event, which runs first when the window goes, ends the glide
    // while the window and its layers still stand.
    const HWND window = form->Handle();
    form->DoDestroy();
    EXPECT_EQ(TMoveSelectionThread::Running(), 0);
    EXPECT_EQ(navigator->MoveThread(), nullptr);
    EXPECT_TRUE(IsWindow(window));
    // A glide that nobody served would hang the window's going for ever (the
    // test program's time limit catches that).
    form.reset();
    EXPECT_EQ(TMoveSelectionThread::Running(), 0);
}

TEST_F(ZoomNavigatorTest, StoppingTheGlidesServesAWorkerWaitingForThisThread)
{
    ZoomToHalf();
    Click(100, 60);
    // The worker blocks in its synchronous placement: this thread is busy.
    const auto end = std::chrono::steady_clock::now() + 2s;
    while (!(HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) && std::chrono::steady_clock::now() < end)
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_SENDMESSAGE);
    ASSERT_TRUE(HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) << "no placement is waiting";
    const FloatRect before = Selection();
    // Waiting for the worker without serving it would hang here (the program's time limit catches that).
    navigator->StopAnimations();
    EXPECT_EQ(TMoveSelectionThread::Running(), 0);
    EXPECT_EQ(navigator->MoveThread(), nullptr);
    EXPECT_EQ(Selection(), before) << "a placement served while stopping is dropped";
    // The navigator goes on working afterwards.
    Click(20, 50);
    ASSERT_TRUE(WaitForGlide());
    EXPECT_EQ(Selection(), (FloatRect{13, 33, 57, 65}));
}

}  // namespace
