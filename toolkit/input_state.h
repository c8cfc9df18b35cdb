#pragma once
// The mouse button and the shift set a control's mouse and key events carry.

namespace swfp::tk {

enum class MouseButton { Left, Right, Middle };

enum ShiftFlag : unsigned {
  ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64
};
using ShiftState = unsigned;

}  // namespace swfp::tk
