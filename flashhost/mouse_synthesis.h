#pragma once
// The hosting control raises its own mouse events for every mouse message the
// runtime's window receives (the toolkit's own synthesis is switched off), and
// decides whether the runtime's window sees the message at all. This is the order
// of those steps per message.

#include <vector>

enum class HostMouseInput {
    LeftDown, RightDown, MiddleDown,
    LeftDoubleClick, RightDoubleClick, MiddleDoubleClick,
    Move,
    LeftUp, RightUp, MiddleUp,
};

enum class HostMouseStep {
    MouseDown,       // with the message's button
    MouseDownDouble, // with the message's button, shift set plus "double"
    MouseMove,
    MouseUp,
    Base,            // the base handling: the message continues to the runtime's window
    CancelModes,     // other controls leave their modes (menus, captures)
    Capture,
    ReleaseCapture,
    Click,           // only when the point lies in the client rectangle
    DblClick,
};

struct HostMouseSettings {
    bool IgnoreMouse = false;
    bool StandartMenu = false;
    bool CaptureStyle = false;  // the control style asks for capture on a press
};

std::vector<HostMouseStep> HostMouseSteps(HostMouseInput input, const HostMouseSettings& settings);
