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
        // The first selection is the whole view; the runtime shows all by the Flash command.
        ASSERT_EQ(LastZoom(Tick()), "command 20034 showall");
        const size_t before = log.Lines().size();
        for (int i = 0; i < 5; ++i)
            form->actZoomInExecute(*form->actZoomIn);
        ASSERT_EQ(form->zoom_slider->Position(), 100);
        ASSERT_EQ(log.Lines().size(), before) << "nothing reaches the runtime before the tick";
        Tick();
        ASSERT_EQ(Selection(), (FloatRect{36, 16, 80, 48}));
    }

    wintest::StandinLog log;
    std::unique_ptr<TfrmPlr> form;
    TZoomNavigator* navigator = nullptr;
};

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

// The destroy event, which runs first when the window goes, ends the glide while
// the window and its layers still stand; a worker waiting in its synchronous
// placement for this thread is served (waiting for it without serving it would
// hang here: the program's time limit catches that) and its placement dropped.
TEST_F(ZoomNavigatorTest, ClosingTheWindowDuringAGlideServesAndStopsTheWorker)
{
    ZoomToHalf();
    Click(100, 60);
    ASSERT_NE(navigator->MoveThread(), nullptr);
    const auto end = std::chrono::steady_clock::now() + 2s;
    while (!(HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) && std::chrono::steady_clock::now() < end)
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_SENDMESSAGE);
    ASSERT_TRUE(HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) << "no placement is waiting";
    ASSERT_GT(TMoveSelectionThread::Running(), 0);
    const FloatRect before = Selection();
    const HWND window = form->Handle();
    form->DoDestroy();
    EXPECT_EQ(TMoveSelectionThread::Running(), 0);
    EXPECT_EQ(navigator->MoveThread(), nullptr);
    EXPECT_EQ(Selection(), before) << "a placement served while stopping is dropped";
    EXPECT_TRUE(IsWindow(window));
    form.reset();
    EXPECT_EQ(TMoveSelectionThread::Running(), 0);
}

}  // namespace
