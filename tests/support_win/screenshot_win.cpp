#include "tests/support_win/screenshot_win.h"

#include <windows.h>

#include <fstream>
#include <stdexcept>

#include "winbase/handles_win.h"

namespace swfp::wintest {

void SaveScreenshot(const std::filesystem::path& bmpFile)
{
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    struct ScreenDC {
        HDC dc = GetDC(nullptr);
        ~ScreenDC() { ReleaseDC(nullptr, dc); }
    } screen;
    swfp::win::UniqueDC memory(CreateCompatibleDC(screen.dc));
    BITMAPINFO bmi{};
    bmi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB};
    void* bits = nullptr;
    swfp::win::UniqueGdiObject<HBITMAP> bitmap(CreateDIBSection(screen.dc, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!memory || !bitmap)
        throw std::runtime_error("cannot make the screenshot's bitmap");
    const HGDIOBJ old = SelectObject(memory.get(), bitmap.get());
    BitBlt(memory.get(), 0, 0, w, h, screen.dc, 0, 0, SRCCOPY);
    SelectObject(memory.get(), old);
    GdiFlush();

    // Rows are padded to four bytes; the headers come straight before them.
    const DWORD size = DWORD((w * 3 + 3) & ~3) * DWORD(h);
    const DWORD headers = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    const BITMAPFILEHEADER file{0x4D42, headers + size, 0, 0, headers};
    std::filesystem::create_directories(bmpFile.parent_path());
    std::ofstream out(bmpFile, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&bmi.bmiHeader), sizeof bmi.bmiHeader);
    out.write(static_cast<const char*>(bits), size);
    if (!out)
        throw std::runtime_error("cannot write " + bmpFile.string());
}

}  // namespace swfp::wintest
