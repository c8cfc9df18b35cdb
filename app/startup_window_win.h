#pragma once
#include <windows.h>

#include <string>

// The main window the start-up creates until the full player window takes its
// place: a plain top-level window that loads the packaged movie's header,
// takes the package's title and keeps the single-instance mapping when the
// settings ask for it. It shows what it read, so a packaged player can be
// checked by eye.
class StartupWindow {
public:
    explicit StartupWindow(const std::wstring& executablePath);
    ~StartupWindow();
    StartupWindow(const StartupWindow&) = delete;
    StartupWindow& operator=(const StartupWindow&) = delete;

    HWND Handle() const { return handle_; }
    void Show(int showCommand);

private:
    static LRESULT CALLBACK WndProc(HWND, UINT, WPARAM, LPARAM);
    void Paint(HDC dc) const;

    HWND handle_ = nullptr;
    std::wstring lines_;
};
