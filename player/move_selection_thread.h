#pragma once
// The glide of the navigator's selection towards a clicked point: a worker
// thread that steps SelectionGlide every 20 ms and hands each new centre to a
// placement callback, which runs the placement on the window's thread and
// returns when it is done. The worker changes no window state itself.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "player/navigator_math.h"

class TMoveSelectionThread {
public:
    using PlaceFn = std::function<void(NavPoint centre)>;

    TMoveSelectionThread(NavPoint start, NavPoint target, PlaceFn place,
                         std::chrono::milliseconds stepDelay = std::chrono::milliseconds(20));
    // Asks the worker to stop and joins it. The owner must keep `place`
    // callable until then (a placement waiting for a busy window deadlocks
    // here: owners on the window's thread wait with Finished() while serving it).
    ~TMoveSelectionThread();
    TMoveSelectionThread(const TMoveSelectionThread&) = delete;
    TMoveSelectionThread& operator=(const TMoveSelectionThread&) = delete;

    // Asks the worker to stop; it ends after at most the step it is in.
    // Asking a worker that has ended does nothing.
    void Terminate();
    bool Terminated() const { return stop_.load(); }
    // The worker has left its loop and makes no more placements.
    bool Finished() const { return finished_.load(); }
    void Join();

    NavPoint Target() const { return target_; }
    // Workers of the process that have not finished yet.
    static int Running() { return running_.load(); }

private:
    void Execute();

    NavPoint start_, target_;
    PlaceFn place_;
    std::chrono::milliseconds stepDelay_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> finished_{false};
    std::mutex mutex_;
    std::condition_variable wake_;
    std::thread thread_;
    static std::atomic<int> running_;
};
