#include "player/swf_plr_about_win.h"

#include <windows.h>
#include <shellapi.h>

#include <array>

#include "app/swf_plr_globals.h"
#include "player/about_texts.h"
#include "winbase/handles_win.h"
#include "winbase/text_win.h"

using namespace swfp::tk;
using swfp::win::AnsiToWide;
using swfp::win::UniqueDC;
using swfp::win::UniqueGdiObject;
using swfp::win::UniqueIcon;

namespace {

constexpr int kIconBox = 48;

std::string ExecutablePathAnsi()
{
    char path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, n);
}

}  // namespace

Bitmap32 FramedShellIcon(const std::string& executablePathAnsi)
{
    SHFILEINFOA info{};
    SHGetFileInfoA(executablePathAnsi.c_str(), 0, &info, sizeof info, SHGFI_ICON);
    const UniqueIcon icon(info.hIcon);

    // 24-bit drawing surface, top-down rows padded to 4 bytes.
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = kIconBox;
    bmi.bmiHeader.biHeight = -kIconBox;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 24;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const UniqueDC dc(CreateCompatibleDC(nullptr));
    const UniqueGdiObject<HBITMAP> bitmap(CreateDIBSection(dc.get(), &bmi, DIB_RGB_COLORS, &bits, nullptr, 0));
    const UniqueGdiObject<HPEN> silver(CreatePen(PS_SOLID, 1, RGB(0xC0, 0xC0, 0xC0)));
    Bitmap32 out(kIconBox, kIconBox, MakeColor32(255, 255, 255));
    if (!dc || !bitmap || !bits)
        return out;
    HGDIOBJ oldBitmap = SelectObject(dc.get(), bitmap.get());
    HGDIOBJ oldPen = SelectObject(dc.get(), silver.get());
    HGDIOBJ oldBrush = SelectObject(dc.get(), GetStockObject(WHITE_BRUSH));
    Rectangle(dc.get(), 0, 0, kIconBox, kIconBox);
    if (icon)
        DrawIconEx(dc.get(), 1, 1, icon.get(), kIconBox, kIconBox, 0, nullptr, DI_NORMAL);
    GdiFlush();
    const int stride = (kIconBox * 3 + 3) & ~3;
    for (int y = 0; y < kIconBox; ++y) {
        const auto* row = static_cast<const uint8_t*>(bits) + y * stride;
        for (int x = 0; x < kIconBox; ++x)
            out.SetPixel(x, y, MakeColor32(row[x * 3 + 2], row[x * 3 + 1], row[x * 3]));
    }
    SelectObject(dc.get(), oldBrush);
    SelectObject(dc.get(), oldPen);
    SelectObject(dc.get(), oldBitmap);
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
