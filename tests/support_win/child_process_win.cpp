#include "tests/support_win/child_process_win.h"

#include <cwchar>
#include <stdexcept>
#include <string>

namespace swfp::wintest {

namespace {

struct WindowSearch {
    DWORD pid;
    const wchar_t* className;
    HWND found;
};

// A lambda has no stdcall conversion on 32-bit, so the callback is a plain function.
BOOL CALLBACK VisitWindow(HWND hwnd, LPARAM param)
{
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    if (pid == search->pid && IsWindowVisible(hwnd) && wcscmp(cls, search->className) == 0) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

ChildProcess::ChildProcess(const std::filesystem::path& exe)
{
    STARTUPINFOW si{};
    si.cb = sizeof si;
    std::wstring command = L"\"" + exe.wstring() + L"\"";
    if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        exe.parent_path().c_str(), &si, &info_))
        throw std::runtime_error("cannot start " + exe.string() + ": error " + std::to_string(GetLastError()));
}

ChildProcess::~ChildProcess()
{
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT)
        TerminateProcess(info_.hProcess, 99);
    CloseHandle(info_.hProcess);
    CloseHandle(info_.hThread);
}

HWND ChildProcess::FindWindowOf(const wchar_t* className) const
{
    WindowSearch search{info_.dwProcessId, className, nullptr};
    EnumWindows(&VisitWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND ChildProcess::WaitForWindow(const wchar_t* className, std::chrono::milliseconds timeout) const
{
    return WaitForAnyWindow({className}, timeout);
}

HWND ChildProcess::WaitForAnyWindow(std::initializer_list<const wchar_t*> classNames,
                                    std::chrono::milliseconds timeout) const
{
    const auto until = std::chrono::steady_clock::now() + timeout;
    for (bool ended = false;;) {
        for (const wchar_t* className : classNames)
            if (HWND found = FindWindowOf(className))
                return found;
        if (ended || std::chrono::steady_clock::now() >= until)
            return nullptr;
        // One more look after the end: the window may have come just before.
        ended = WaitForSingleObject(info_.hProcess, 50) == WAIT_OBJECT_0;
    }
}

long ChildProcess::WaitForExit(std::chrono::milliseconds timeout) const
{
    if (WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return static_cast<long>(code);
}

long ChildProcess::CloseAndWait(HWND window, std::chrono::milliseconds timeout) const
{
    PostMessageW(window, WM_CLOSE, 0, 0);
    return WaitForExit(timeout);
}

std::wstring WindowText(HWND window)
{
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

std::wstring MessageBoxText(HWND box)
{
    wchar_t text[1024] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 1024);
    return text;
}

}  // namespace swfp::wintest
