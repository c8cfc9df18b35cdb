#include "tests/support_win/message_pump_win.h"

#include <windows.h>

namespace swfp::wintest {

namespace {

using Clock = std::chrono::steady_clock;

// Dispatches one waiting message, or waits up to `wait` for one to arrive.
// One message at a time: a timer whose handler takes longer than its interval
// would otherwise keep a "dispatch everything waiting" loop busy for ever.
void DispatchOneOrWait(std::chrono::milliseconds wait)
{
    MSG msg;
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    } else {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(wait.count()), QS_ALLINPUT);
    }
}

}  // namespace

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    const auto end = Clock::now() + timeout;
    while (!done()) {
        if (Clock::now() >= end)
            return false;
        DispatchOneOrWait(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace swfp::wintest
