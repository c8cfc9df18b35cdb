#pragma once
// The Win32 objects the package installs for the whole run.
#include <windows.h>

#include "winbase/handles_win.h"

// The application's icon from the package (large for Alt+Tab and the title
// bar, small for the caption and the notification area); null when none.
HICON ApplicationIcon(bool small);
void SetApplicationIcon(swfp::win::UniqueIcon large, swfp::win::UniqueIcon small);

// Custom cursors by number, as the windows ask for them: number 1 is the
// package's cursor. A number without a cursor gives the arrow.
HCURSOR CustomCursor(int number);
void SetCustomCursor(int number, HCURSOR cursor);
