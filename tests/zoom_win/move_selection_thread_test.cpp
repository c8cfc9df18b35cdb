#include "player/move_selection_thread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
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

// Polls until done() holds or `limit` has passed; returns whether it held.
bool Within(std::chrono::milliseconds limit, const std::function<bool()>& done)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(1ms);
    return done();
}

}  // namespace

TEST(MoveSelectionThread, PlacesEveryEasedStepOnAWorkerAndEndsOnTheTarget)
{
    // Six steps stand still while the divisor falls from 10 to 5, then four one-pixel steps.
    const std::vector<NavPoint> expected{{0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0},
                                         {0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}};
    Placements seen;
    const int before = TMoveSelectionThread::Running();
    TMoveSelectionThread glide({0, 0}, {4, 0}, [&](NavPoint p) { seen.Add(p); }, 1ms);
    ASSERT_TRUE(Within(5s, [&] { return glide.Finished(); }));
    EXPECT_EQ(seen.points, expected);
    EXPECT_NE(seen.caller, std::this_thread::get_id());
    EXPECT_TRUE(glide.Terminated());  // a glide that arrives asks itself to stop
    EXPECT_EQ(TMoveSelectionThread::Running(), before);
}

TEST(MoveSelectionThread, AskedToStopEndsAfterAtMostTheStepItIsIn)
{
    Placements seen;
    const int before = TMoveSelectionThread::Running();
    // A long way and a ten-second pause: only the stop request can end it within two.
    TMoveSelectionThread glide({0, 0}, {100000, 0}, [&](NavPoint p) { seen.Add(p); }, 10s);
    ASSERT_TRUE(Within(2s, [&] { return seen.Count() > 0; }));
    EXPECT_EQ(TMoveSelectionThread::Running(), before + 1);
    glide.Terminate();
    ASSERT_TRUE(Within(2s, [&] { return glide.Finished(); }));
    EXPECT_LE(seen.Count(), 2u);
    EXPECT_EQ(TMoveSelectionThread::Running(), before);
    glide.Terminate();  // asking an ended glide does nothing
    glide.Join();
    EXPECT_TRUE(glide.Finished());
}

TEST(MoveSelectionThread, AFailingPlacementEndsTheGlide)
{
    int calls = 0;
    TMoveSelectionThread glide({0, 0}, {500, 500}, [&](NavPoint) {
        ++calls;
        throw std::runtime_error("window gone");
    }, 1ms);
    ASSERT_TRUE(Within(2s, [&] { return glide.Finished(); }));
    EXPECT_EQ(calls, 1);
}
