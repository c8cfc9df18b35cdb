#include "player/window_placement.h"

PlacementResult PlaceWindow(const PlacementInput& in)
{
    PlacementResult out{in.left, in.top, in.width, in.height, false, {}, {}};
    if (in.rememberPosition) {
        if (in.storedLeft != -1)
            out.left = in.storedLeft;
        if (in.storedTop != -1)
            out.top = in.storedTop;
    }
    switch (in.windowMode) {
    case 0:
        break;
    case 1:
        out.left = 0;
        out.top = 0;
        out.width = in.screenWidth;
        out.height = in.screenHeight - in.taskbarHeight;
        return out;
    case 2:
        out.maximiseWithoutBorder = true;
        return out;
    case 3:
        if (!in.controlsVisible) {
            out.playerMinWidth = 0;
            out.windowMinWidth = 0;
            out.width = in.windowWidth;
        } else {
            out.playerMinWidth = kPlayerMinWidthWithControls;
        }
        out.height = in.windowHeight;
        break;
    default:
        return out;
    }
    if (in.rememberPosition)
        return out;

    // Columns and rows of the nine screen spots; C++ division truncates toward zero as required.
    const int W = out.width, H = out.height, SW = in.screenWidth, SH = in.screenHeight, tb = in.taskbarHeight;
    const int column[3] = {0, (SW - W) / 2, SW - W};
    const int row[3] = {0, (SH - H) / 2, SH - H - tb};
    if (in.windowPosition <= 8) {
        out.left = column[in.windowPosition / 3];
        out.top = row[in.windowPosition % 3];
    } else if (in.windowPosition == 9) {
        out.left = in.windowLeft;
        out.top = in.windowTop;
    }
    return out;
}
