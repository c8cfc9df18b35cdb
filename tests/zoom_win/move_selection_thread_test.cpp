#include "player/move_selection_thread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

// Records the placements a glide hands over, as the window's thread would see them.
struct Placements {
    std::mutex mutex;
    std::vector<NavPoint> points;
    std::thread::id caller;
    void Add(NavPoint p)
    {
        std::lock_guard lock(mutex);
        points.push_back(p);
        caller = std::this_thread::get_id();
    }
    size_t Count()
    {
        std::lock_guard lock(mutex);
        return points.size();
    }
};

bool WaitUntil(const TMoveSelectionThread& t, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!t.Finished() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(1ms);
    return t.Finished();
}

}  // namespace

TEST(MoveSelectionThread, PlacesEveryEasedStepOnAWorkerAndEndsOnTheTarget)
{
    const NavPoint start{20, 30}, target{75, 12};
    std::vector<NavPoint> expected;
    for (SelectionGlide g(start, target); !g.Arrived();)
        expected.push_back(g.Step());

    Placements seen;
    const int before = TMoveSelectionThread::Running();
    TMoveSelectionThread glide(start, target, [&](NavPoint p) { seen.Add(p); }, 1ms);
    ASSERT_TRUE(WaitUntil(glide, 5s));
    EXPECT_EQ(seen.points, expected);
    EXPECT_EQ(seen.points.back(), target);
    EXPECT_NE(seen.caller, std::this_thread::get_id());
    EXPECT_TRUE(glide.Terminated());  // a glide that arrives asks itself to stop
    EXPECT_EQ(TMoveSelectionThread::Running(), before);
}

TEST(MoveSelectionThread, StepsAreTwentyMillisecondsApart)
{
    Placements seen;
    const auto begin = std::chrono::steady_clock::now();
    TMoveSelectionThread glide({0, 0}, {4, 0}, [&](NavPoint p) { seen.Add(p); });
    ASSERT_TRUE(WaitUntil(glide, 5s));
    const auto took = std::chrono::steady_clock::now() - begin;
    // Six steps stand still while the divisor falls from 10 to 5, then four
    // one-pixel steps, with the pause between steps.
    ASSERT_EQ(seen.points.size(), 10u);
    EXPECT_EQ(seen.points[5], (NavPoint{0, 0}));
    EXPECT_EQ(seen.points[6], (NavPoint{1, 0}));
    EXPECT_GE(took, 9 * 20ms - 5ms);
}

TEST(MoveSelectionThread, AskedToStopEndsAfterAtMostTheStepItIsIn)
{
    Placements seen;
    const int before = TMoveSelectionThread::Running();
    // A long way and a long pause: only the stop request can end it soon.
    TMoveSelectionThread glide({0, 0}, {100000, 0}, [&](NavPoint p) { seen.Add(p); }, 10s);
    while (seen.Count() == 0)
        std::this_thread::sleep_for(1ms);
    EXPECT_EQ(TMoveSelectionThread::Running(), before + 1);
    const auto asked = std::chrono::steady_clock::now();
    glide.Terminate();
    ASSERT_TRUE(WaitUntil(glide, 2s));
    EXPECT_LT(std::chrono::steady_clock::now() - asked, 1s);
    EXPECT_LE(seen.Count(), 2u);
    EXPECT_EQ(TMoveSelectionThread::Running(), before);
    glide.Terminate();  // asking an ended glide does nothing
    glide.Join();
    EXPECT_TRUE(glide.Finished());
}

TEST(MoveSelectionThread, DestroyingARunningGlideStopsAndJoinsIt)
{
    Placements seen;
    const int before = TMoveSelectionThread::Running();
    {
        TMoveSelectionThread glide({0, 0}, {100000, 100000}, [&](NavPoint p) { seen.Add(p); }, 5ms);
        while (seen.Count() < 3)
            std::this_thread::sleep_for(1ms);
    }
    EXPECT_EQ(TMoveSelectionThread::Running(), before);
    const size_t after = seen.Count();
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(seen.Count(), after);  // nothing is placed once the owner has it back
}

TEST(MoveSelectionThread, AFailingPlacementEndsTheGlide)
{
    int calls = 0;
    TMoveSelectionThread glide({0, 0}, {500, 500}, [&](NavPoint) {
        ++calls;
        throw std::runtime_error("window gone");
    }, 1ms);
    ASSERT_TRUE(WaitUntil(glide, 2s));
    EXPECT_EQ(calls, 1);
}

TEST(MoveSelectionThread, AGlideToWhereItStandsPlacesOnceAndEnds)
{
    Placements seen;
    TMoveSelectionThread glide({7, 9}, {7, 9}, [&](NavPoint p) { seen.Add(p); }, 1ms);
    ASSERT_TRUE(WaitUntil(glide, 2s));
    ASSERT_EQ(seen.points.size(), 1u);
    EXPECT_EQ(seen.points[0], (NavPoint{7, 9}));
}
