#include "player/swf_plr_about_win.h"

#include <windows.h>
#include <shellapi.h>

#include <array>

#include "app/swf_plr_globals.h"
#include "player/about_texts.h"

using namespace swfp::tk;

namespace {

constexpr int kIconBox = 48;

std::wstring AnsiToWide(const std::string& text)
{
    if (text.empty())
        return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring out(size_t(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), out.data(), n);
    return out;
}

std::string ExecutablePathAnsi()
{
    char path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, n);
}

template <class Handle, auto Free>
struct Owned {
    Handle h;
    explicit Owned(Handle handle) : h(handle) {}
    ~Owned()
    {
        if (h)
            Free(h);
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
};

}  // namespace

Bitmap32 FramedShellIcon(const std::string& executablePathAnsi)
{
    SHFILEINFOA info{};
    SHGetFileInfoA(executablePathAnsi.c_str(), 0, &info, sizeof info, SHGFI_ICON);
    Owned<HICON, DestroyIcon> icon(info.hIcon);

    // 24-bit drawing surface, top-down rows padded to 4 bytes.
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = kIconBox;
    bmi.bmiHeader.biHeight = -kIconBox;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 24;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    Owned<HDC, DeleteDC> dc(CreateCompatibleDC(nullptr));
    Owned<HBITMAP, DeleteObject> bitmap(CreateDIBSection(dc.h, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0));
    Owned<HPEN, DeleteObject> silver(CreatePen(PS_SOLID, 1, RGB(0xC0, 0xC0, 0xC0)));
    Bitmap32 out(kIconBox, kIconBox, MakeColor32(255, 255, 255));
    if (!dc.h || !bitmap.h || !bits)
        return out;
    HGDIOBJ oldBitmap = SelectObject(dc.h, bitmap.h);
    HGDIOBJ oldPen = SelectObject(dc.h, silver.h);
    HGDIOBJ oldBrush = SelectObject(dc.h, GetStockObject(WHITE_BRUSH));
    Rectangle(dc.h, 0, 0, kIconBox, kIconBox);
    if (icon.h)
        DrawIconEx(dc.h, 1, 1, icon.h, kIconBox, kIconBox, 0, nullptr, DI_NORMAL);
    GdiFlush();
    const int stride = (kIconBox * 3 + 3) & ~3;
    for (int y = 0; y < kIconBox; ++y) {
        const auto* row = static_cast<const uint8_t*>(bits) + y * stride;
        for (int x = 0; x < kIconBox; ++x)
            out.SetPixel(x, y, MakeColor32(row[x * 3 + 2], row[x * 3 + 1], row[x * 3]));
    }
    SelectObject(dc.h, oldBrush);
    SelectObject(dc.h, oldPen);
    SelectObject(dc.h, oldBitmap);
    return out;
}

TfrmAbout::TfrmAbout(TComponent* owner) : TfrmAboutBase(owner) { DoCreate(); }

TfrmAbout::~TfrmAbout() { DoDestroy(); }

void TfrmAbout::FormCreate(TComponent&)
{
    const PlayerSettings& s = g_PlayerSettings;
    imgIcon->SetPicture(FramedShellIcon(ExecutablePathAnsi()));
    lblApplication->SetCaption(AnsiToWide(AboutApplicationLine(CountedString(s.Title))));
    lblCompanyInfo->SetCaption(AnsiToWide(AboutCompanyLine(CountedString(s.CompanyName), CountedString(s.LegalCopyright))));
    lblFileVer->SetCaption(AnsiToWide(
        AboutVersionLine(std::array<int32_t, 4>{s.FileVersion[0], s.FileVersion[1], s.FileVersion[2], s.FileVersion[3]})));
}
