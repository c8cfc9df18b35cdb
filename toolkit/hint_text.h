// What a control's tooltip says: its own hint, else the name of the command
// (action) it runs. Portable so the rule is tested natively.
#pragma once

#include <string>

namespace swfp::tk {

// Empty (no tooltip) unless hints are wanted for the control (it or a window
// holding it has ShowHint). The action's caption loses the '&' of its access
// key ("&&" stays one '&') and any shortcut text after a tab.
std::wstring HintToShow(bool hintsWanted, const std::wstring& hint, const std::wstring& actionCaption);

}  // namespace swfp::tk
