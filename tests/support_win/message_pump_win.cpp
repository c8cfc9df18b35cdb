#include "tests/support_win/message_pump_win.h"

#include <windows.h>

namespace swfp::wintest {

namespace {

void DispatchWaiting()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace

void Pump(int milliseconds)
{
    const DWORD start = GetTickCount();
    do {
        DispatchWaiting();
        Sleep(5);
    } while (GetTickCount() - start < static_cast<DWORD>(milliseconds));
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > static_cast<DWORD>(timeout.count()))
            return false;
        DispatchWaiting();
        // Wakes for the next message, or after a little while to look at done() again.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    return true;
}

}  // namespace swfp::wintest
