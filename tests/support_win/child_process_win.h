#pragma once
// A program started by a test and watched from outside, through its top-level
// windows and its exit code. It is ended when the object goes.
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <initializer_list>
#include <string>

namespace swfp::wintest {

class ChildProcess {
public:
    // Starts `exe` in its own folder with no arguments; throws when it cannot start.
    // The child inherits this process's environment (a live StandinLog included).
    explicit ChildProcess(const std::filesystem::path& exe);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The first visible top-level window of the process with that class, or null.
    HWND FindWindowOf(const wchar_t* className) const;
    // The same, waiting up to `timeout`; gives up early once the process has ended.
    HWND WaitForWindow(const wchar_t* className,
                       std::chrono::milliseconds timeout = std::chrono::seconds(20)) const;
    // The first window of any of these classes to show, waiting as WaitForWindow does.
    HWND WaitForAnyWindow(std::initializer_list<const wchar_t*> classNames,
                          std::chrono::milliseconds timeout = std::chrono::seconds(20)) const;
    // The exit code once the process has ended, or -1 while it still runs after `timeout`.
    long WaitForExit(std::chrono::milliseconds timeout = std::chrono::seconds(20)) const;
    // Asks `window` to close and waits for the exit code as WaitForExit does.
    long CloseAndWait(HWND window, std::chrono::milliseconds timeout = std::chrono::seconds(20)) const;

private:
    PROCESS_INFORMATION info_{};
};

// The window classes of a player's windows as another process sees them.
inline constexpr wchar_t kPlayerWindow[] = L"TfrmPlr";
inline constexpr wchar_t kSplashWindow[] = L"TfrmSplash";
inline constexpr wchar_t kMessageBox[] = L"#32770";

// A window's title.
std::wstring WindowText(HWND window);
// The message of a message box (the text of its static control).
std::wstring MessageBoxText(HWND box);

}  // namespace swfp::wintest
