#pragma once
// TkxSWFPlayer2: the player's own Flash control. It decides per mouse message whether
// the movie may see the user's mouse input or whether the player keeps it (to drag
// its window, to open its popup menu); see mouse_filter.h for the table.

#include "flashhost/FlashPlayerControl_win.h"
#include "flashhost/mouse_filter.h"

namespace flashhost {

class TkxSWFPlayer2 : public TFlashPlayerControl {
public:
    explicit TkxSWFPlayer2(swfp::tk::TComponent* owner) : TFlashPlayerControl(owner) {}

    // Redeclared with their own storage: raised by this class's notifications.
    swfp::tk::MouseEvent OnMouseUp;
    swfp::tk::MouseEvent OnMouseDown;
    swfp::tk::MouseMoveEvent OnMouseMove;
    swfp::tk::NotifyEvent OnClick;  // stored; the click goes to the toolkit's own Click

    bool KeybInteract = false;   // stored; keyboard input always reaches the movie
    bool MouseInteract = false;  // true lets the movie receive left clicks
    bool ButtonHeld() const { return buttonHeld_; }

    void WndProc(swfp::tk::Message& m) override;
    void MouseDown(swfp::tk::MouseButton button, swfp::tk::ShiftState shift, int x, int y) override;
    void MouseMove(swfp::tk::ShiftState shift, int x, int y) override;
    void MouseUp(swfp::tk::MouseButton button, swfp::tk::ShiftState shift, int x, int y) override;
    // The toolkit's leave notification forgets the held button; the platform's
    // WM_MOUSELEAVE itself goes on to the movie like any other message.
    void MouseLeave() override;

private:
    bool buttonHeld_ = false;
};

}  // namespace flashhost
