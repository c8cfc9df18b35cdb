#pragma once
// What the player control does with each mouse message before the movie may see it:
// with mouse interaction off, left clicks are kept from the movie and become the
// control's own events; the right button belongs to the player's popup menu unless
// the runtime's standard menu is allowed; double clicks never reach the movie.

enum class FilteredMouseInput {
    LeftDown, LeftUp, Move, LeftDoubleClick, RightDown, RightUp, RightDoubleClick,
    MouseLeft,  // the toolkit noticed the mouse leave the control (not the platform message)
    Other,
};

struct MouseFilterSettings {
    bool MouseInteract = false;
    bool StandartMenu = false;
    bool PopupMenuAssigned = false;
};

struct MouseFilterOutcome {
    bool PassOn = false;          // continue into the hosting control's window procedure
    bool RaiseMouseDown = false;  // left button, no shift keys, at the message's point
    bool RaiseMouseMove = false;  // after passing on
    bool RaiseMouseUp = false;    // left button, no shift keys
    bool RaiseClick = false;      // after MouseUp, because the player held the button
    bool ShowPopupMenu = false;   // at the message's point in screen coordinates
    bool ButtonHeld = false;      // the held-button state afterwards
    bool operator==(const MouseFilterOutcome&) const = default;
};

MouseFilterOutcome FilterMouseInput(FilteredMouseInput input, const MouseFilterSettings& settings, bool buttonHeld);
