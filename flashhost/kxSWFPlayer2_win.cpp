#include "flashhost/kxSWFPlayer2_win.h"

#include <windowsx.h>

#include <optional>

namespace flashhost {

namespace {
std::optional<FilteredMouseInput> FilterInputOf(UINT msg)
{
    switch (msg) {
    case WM_LBUTTONDOWN: return FilteredMouseInput::LeftDown;
    case WM_LBUTTONUP: return FilteredMouseInput::LeftUp;
    case WM_MOUSEMOVE: return FilteredMouseInput::Move;
    case WM_LBUTTONDBLCLK: return FilteredMouseInput::LeftDoubleClick;
    case WM_RBUTTONDOWN: return FilteredMouseInput::RightDown;
    case WM_RBUTTONUP: return FilteredMouseInput::RightUp;
    case WM_RBUTTONDBLCLK: return FilteredMouseInput::RightDoubleClick;
    default: return std::nullopt;
    }
}
}  // namespace

void TkxSWFPlayer2::WndProc(swfp::tk::Message& m)
{
    const auto input = FilterInputOf(m.msg);
    if (!input) {
        TFlashPlayerControl::WndProc(m);
        return;
    }
    const MouseFilterOutcome out =
        FilterMouseInput(*input, MouseFilterSettings{MouseInteract, StandartMenu, PopupMenu() != nullptr}, buttonHeld_);
    const int x = GET_X_LPARAM(m.lParam), y = GET_Y_LPARAM(m.lParam);

    if (out.PassOn) TFlashPlayerControl::WndProc(m);
    if (out.RaiseMouseDown) MouseDown(swfp::tk::MouseButton::Left, 0, x, y);
    if (out.RaiseMouseMove) MouseMove(0, x, y);
    // MouseUp sees the held state of the press (and raises the click from it).
    if (out.RaiseMouseUp) MouseUp(swfp::tk::MouseButton::Left, 0, x, y);
    buttonHeld_ = out.ButtonHeld;
    if (out.ShowPopupMenu) PopupAt(ClientToScreen(POINT{x, y}));
}

void TkxSWFPlayer2::MouseLeave()
{
    const MouseFilterSettings settings{MouseInteract, StandartMenu, PopupMenu() != nullptr};
    buttonHeld_ = FilterMouseInput(FilteredMouseInput::MouseLeft, settings, buttonHeld_).ButtonHeld;
    TFlashPlayerControl::MouseLeave();
}

void TkxSWFPlayer2::MouseDown(swfp::tk::MouseButton button, swfp::tk::ShiftState shift, int x, int y)
{
    if (OnMouseDown) OnMouseDown(*this, button, shift, x, y);
}

void TkxSWFPlayer2::MouseMove(swfp::tk::ShiftState shift, int x, int y)
{
    if (OnMouseMove) OnMouseMove(*this, shift, x, y);
}

void TkxSWFPlayer2::MouseUp(swfp::tk::MouseButton button, swfp::tk::ShiftState shift, int x, int y)
{
    if (OnMouseUp) OnMouseUp(*this, button, shift, x, y);
    if (buttonHeld_) Click();
}

}  // namespace flashhost
