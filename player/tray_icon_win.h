#pragma once
// The notification-area icon of the player window: its data record, filled
// from the settings, and the message the shell sends back.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "app/player_settings.h"

inline constexpr UINT kTrayIconId = 57051;
inline constexpr UINT kTrayCallbackMessage = WM_USER + 100;  // 1124

// The record in the form with balloon fields and item identifier: 504 bytes
// in the 32-bit program (520 in a 64-bit build, where handles are wider).
inline constexpr DWORD kNotifyIconDataSize = DWORD(offsetof(NOTIFYICONDATAA, guidItem) + sizeof(GUID));
#if !defined(_WIN64)
static_assert(kNotifyIconDataSize == 504);
#endif

// The icon's data: tip (the tray tip, or the application title when empty),
// and with the balloon flag the info flags and the non-empty balloon texts,
// each cut to its array with a terminating zero.
NOTIFYICONDATAA MakeNotifyIconData(HWND window, HICON icon, const PlayerSettings& settings,
                                   const std::string& applicationTitle);
