#include "flashhost/mouse_filter.h"

MouseFilterOutcome FilterMouseInput(FilteredMouseInput input, const MouseFilterSettings& settings, bool buttonHeld)
{
    MouseFilterOutcome out;
    out.ButtonHeld = buttonHeld;
    switch (input) {
    case FilteredMouseInput::LeftDown:
        if (settings.MouseInteract) {
            out.PassOn = true;
        } else {
            out.RaiseMouseDown = true;
            out.ButtonHeld = true;
        }
        break;
    case FilteredMouseInput::LeftUp:
        if (settings.MouseInteract) {
            out.PassOn = true;
        } else {
            out.RaiseMouseUp = true;
            out.RaiseClick = buttonHeld;  // only a press the player took completes a click
            out.ButtonHeld = false;
        }
        break;
    case FilteredMouseInput::Move:
        out.PassOn = true;
        out.RaiseMouseMove = !settings.MouseInteract;
        break;
    case FilteredMouseInput::LeftDoubleClick:
    case FilteredMouseInput::RightDoubleClick:
        break;  // dropped: no movie input, no events
    case FilteredMouseInput::RightDown:
        if (settings.StandartMenu)
            out.PassOn = true;
        else
            out.ButtonHeld = true;
        break;
    case FilteredMouseInput::RightUp:
        if (settings.PopupMenuAssigned && buttonHeld) {
            out.ButtonHeld = false;
            out.ShowPopupMenu = true;
        }
        break;
    case FilteredMouseInput::MouseLeft:
        out.ButtonHeld = false;
        break;
    case FilteredMouseInput::Other:
        out.PassOn = true;
        break;
    }
    return out;
}
