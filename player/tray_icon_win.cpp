#include "player/tray_icon_win.h"

#include <algorithm>
#include <cstring>

namespace {

// Copies text into a fixed array, cut so that a terminating zero still fits.
template <size_t N>
void CopyCut(CHAR (&target)[N], const std::string& text)
{
    const size_t n = std::min(text.size(), N - 1);
    std::memcpy(target, text.data(), n);
    target[n] = '\0';
}

}  // namespace

NOTIFYICONDATAA MakeNotifyIconData(HWND window, HICON icon, const PlayerSettings& settings,
                                   const std::string& applicationTitle)
{
    NOTIFYICONDATAA data{};
    data.cbSize = kNotifyIconDataSize;
    data.hWnd = window;
    data.uID = kTrayIconId;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kTrayCallbackMessage;
    data.hIcon = icon;
    const std::string tip = CountedString(settings.TrayTip);
    CopyCut(data.szTip, tip.empty() ? applicationTitle : tip);
    if (settings.ShowTrayBalloon) {
        data.uFlags |= NIF_INFO;
        data.dwInfoFlags = NIIF_INFO;
        const std::string text = CountedString(settings.BalloonText);
        const std::string title = CountedString(settings.BalloonTitle);
        if (!text.empty())
            CopyCut(data.szInfo, text);
        if (!title.empty())
            CopyCut(data.szInfoTitle, title);
    }
    return data;
}
