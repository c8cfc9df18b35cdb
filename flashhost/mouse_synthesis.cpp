#include "flashhost/mouse_synthesis.h"

using S = HostMouseStep;

std::vector<HostMouseStep> HostMouseSteps(HostMouseInput input, const HostMouseSettings& settings)
{
    switch (input) {
    case HostMouseInput::LeftDown: {
        // The event comes first, so the player can drag its window even when the
        // movie never sees the press.
        std::vector<S> steps{S::MouseDown};
        if (!settings.IgnoreMouse) {
            steps.push_back(S::CancelModes);
            steps.push_back(S::Base);
            if (settings.CaptureStyle) steps.push_back(S::Capture);
        }
        return steps;
    }
    case HostMouseInput::RightDown:
        // The runtime shows its own context menu only when the standard menu is allowed.
        if (settings.StandartMenu) return {S::Base, S::MouseDown};
        return {S::MouseDown};
    case HostMouseInput::MiddleDown:
        return {S::MouseDown, S::Base};
    case HostMouseInput::LeftDoubleClick:
        return {S::CancelModes, S::Base, S::Capture, S::DblClick, S::MouseDownDouble};
    case HostMouseInput::RightDoubleClick:
    case HostMouseInput::MiddleDoubleClick:
        return {S::Base, S::MouseDownDouble};
    case HostMouseInput::Move:
        return {S::Base, S::MouseMove};
    case HostMouseInput::LeftUp:
        return {S::Base, S::ReleaseCapture, S::Click, S::MouseUp};
    case HostMouseInput::RightUp:
    case HostMouseInput::MiddleUp:
        return {S::Base, S::MouseUp};
    }
    return {};
}
