#include "flashhost/stock_events.h"

using namespace swfp::tk;

ShiftState StockKeyShift(long shiftMask)
{
    ShiftState s = 0;
    if (shiftMask & 1) s |= ssShift;
    if (shiftMask & 2) s |= ssCtrl;
    if (shiftMask & 4) s |= ssAlt;
    return s;
}

StockMouseArgs StockMouse(long buttonMask, long shiftMask)
{
    StockMouseArgs args{MouseButton::Left, StockKeyShift(shiftMask)};
    if (buttonMask & 1) args.button = MouseButton::Left;
    else if (buttonMask & 2) args.button = MouseButton::Right;
    else if (buttonMask & 4) args.button = MouseButton::Middle;
    if (buttonMask & 1) args.shift |= ssLeft;
    if (buttonMask & 2) args.shift |= ssRight;
    if (buttonMask & 4) args.shift |= ssMiddle;
    return args;
}
