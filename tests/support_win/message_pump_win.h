#pragma once
// Lets this thread's queued messages (timers, posted notifications) run while a
// test waits.
#include <chrono>
#include <functional>

namespace swfp::wintest {

// Dispatches messages until done() holds or `timeout` has passed; returns whether done() held.
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

}  // namespace swfp::wintest
