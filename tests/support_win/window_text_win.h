#pragma once
// What a test reads off a window it did not create: a message box's title and message.
#include <windows.h>

#include <string>

namespace swfp::wintest {

inline constexpr wchar_t kMessageBox[] = L"#32770";

inline std::wstring WindowText(HWND window)
{
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

// The message of a message box (the text of its static control).
inline std::wstring MessageBoxText(HWND box)
{
    wchar_t text[1024] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 1024);
    return text;
}

}  // namespace swfp::wintest
