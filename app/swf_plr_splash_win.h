#pragma once
#include <windows.h>

#include "app/jpeg_image.h"
#include "layouts/frm_splash_win.h"

#include <cstdint>
#include <span>

// The borderless, always-on-top splash window shown while the player starts,
// built from its stored layout. Its picture is drawn centred and unscaled on
// the button-face colour: a larger picture is cut at the window's edges.
class TfrmSplash : public swfp::layouts::TfrmSplashBase {
public:
    explicit TfrmSplash(swfp::tk::TComponent* owner);
    void SetPicture(const BgraImage& picture);
    void FormShow(swfp::tk::TComponent&) override;

protected:
    void MakeCreateParams(swfp::tk::CreateParams& p) override;
};

// Creates, fills and shows the splash window from a JPEG payload, then lets
// pending messages run once so that it appears before start-up goes on. The
// window is owned by the application window (the owner handle is that one).
// A picture the decoder cannot read is reported in a message box owned by
// `owner`; start-up then goes on without a splash.
void ShowSplash(std::span<const uint8_t> jpeg, HWND owner);
// Whether a splash window exists now.
bool SplashShown();
// After the player window exists: hold the splash for 3 seconds without
// processing messages, then free it. Does nothing (and does not wait) when
// there is no splash.
void EndSplash();
// Frees the splash at once, without the hold. Every message box of start-up
// calls it first: the topmost splash would otherwise cover the box and the
// program would look frozen.
void DismissSplash();
