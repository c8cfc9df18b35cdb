#pragma once
// The runtime's stock mouse and key events carry OLE's masks (shift 1, ctrl 2,
// alt 4; left 1, right 2, middle 4); the control raises its own events with the
// toolkit's button and shift set.
#include "toolkit/input_state.h"

swfp::tk::ShiftState StockKeyShift(long shiftMask);

struct StockMouseArgs {
    swfp::tk::MouseButton button;
    swfp::tk::ShiftState shift;  // the keys and every pressed button
};
// The lowest pressed button names the event's button; with none pressed it is the left one.
StockMouseArgs StockMouse(long buttonMask, long shiftMask);
