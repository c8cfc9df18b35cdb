#pragma once
#include <windows.h>

#include "app/jpeg_image.h"
#include "app/win_handles.h"

#include <cstdint>
#include <memory>
#include <span>

// The borderless, always-on-top splash window shown while the player starts.
// Its picture is drawn centred and unscaled on the button-face colour: a
// larger picture is cut at the window's edges.
class TfrmSplash {
public:
    static constexpr int kClientWidth = 447;
    static constexpr int kClientHeight = 252;

    TfrmSplash(const BgraImage& picture, HWND owner);
    ~TfrmSplash();
    TfrmSplash(const TfrmSplash&) = delete;
    TfrmSplash& operator=(const TfrmSplash&) = delete;

    HWND Handle() const { return handle_; }
    void Show();

private:
    static LRESULT CALLBACK WndProc(HWND, UINT, WPARAM, LPARAM);
    void Paint(HDC dc) const;

    HWND handle_ = nullptr;
    BgraImage picture_;
};

// Creates, fills and shows the splash window from a JPEG payload, then lets
// pending messages run once so that it appears before start-up goes on.
void ShowSplash(std::span<const uint8_t> jpeg, HWND owner);
// Whether a splash window exists now.
bool SplashShown();
// After the player window exists: hold the splash for 3 seconds without
// processing messages, then free it. Does nothing (and does not wait) when
// there is no splash.
void EndSplash();
