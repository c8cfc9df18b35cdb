#include "player/move_selection_thread.h"

std::atomic<int> TMoveSelectionThread::running_{0};

TMoveSelectionThread::TMoveSelectionThread(NavPoint start, NavPoint target, PlaceFn place,
                                           std::chrono::milliseconds stepDelay)
    : start_(start), target_(target), place_(std::move(place)), stepDelay_(stepDelay)
{
    ++running_;
    try {
        thread_ = std::thread([this] { Execute(); });
    } catch (...) {
        --running_;
        throw;
    }
}

TMoveSelectionThread::~TMoveSelectionThread()
{
    Terminate();
    Join();
}

void TMoveSelectionThread::Terminate()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
}

void TMoveSelectionThread::Join()
{
    if (thread_.joinable())
        thread_.join();
}

void TMoveSelectionThread::Execute()
{
    SelectionGlide glide(start_, target_);
    while (!stop_) {
        const NavPoint centre = glide.Step();
        try {
            place_(centre);
        } catch (...) {
            // A placement that fails ends the glide; the window stays as it was.
            stop_ = true;
        }
        if (glide.Arrived())
            stop_ = true;
        // The pause between steps, cut short when the glide is asked to stop.
        std::unique_lock lock(mutex_);
        wake_.wait_for(lock, stepDelay_, [this] { return stop_.load(); });
    }
    finished_ = true;
    --running_;
}
