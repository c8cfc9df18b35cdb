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
        Sleep(5);
    }
    return true;
}

namespace {

void CALLBACK EndMenuTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    EndMenu();
}

}  // namespace

void CloseMenuWhenOpen()
{
    SetTimer(nullptr, 0, 100, EndMenuTimer);
}

}  // namespace swfp::wintest
