#include "app/swf_plr_splash_win.h"

#include "app/os_error_win.h"

namespace {

constexpr wchar_t kClassName[] = L"TfrmSplash";
std::unique_ptr<TfrmSplash> g_Splash;

void RegisterSplashClass(WNDPROC proc)
{
    WNDCLASSEXW wc{sizeof wc};
    if (GetClassInfoExW(GetModuleHandleW(nullptr), kClassName, &wc))
        return;
    wc = WNDCLASSEXW{sizeof wc};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kClassName;
    if (!RegisterClassExW(&wc))
        throw EOSError("Cannot register the splash window class", GetLastError());
}

void ProcessPendingMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(int(msg.wParam));
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

} // namespace

TfrmSplash::TfrmSplash(const BgraImage& picture, HWND owner) : picture_(picture)
{
    RegisterSplashClass(&TfrmSplash::WndProc);
    const int left = (GetSystemMetrics(SM_CXSCREEN) - kClientWidth) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - kClientHeight) / 2;
    handle_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kClassName, L"frmSplash", WS_POPUP, left, top,
                              kClientWidth, kClientHeight, owner, nullptr, GetModuleHandleW(nullptr), this);
    if (!handle_)
        throw EOSError("Cannot create the splash window", GetLastError());
}

TfrmSplash::~TfrmSplash()
{
    if (handle_) {
        SetWindowLongPtrW(handle_, GWLP_USERDATA, 0);
        DestroyWindow(handle_);
    }
}

void TfrmSplash::Show()
{
    ShowWindow(handle_, SW_SHOWNOACTIVATE);
    // keep above other windows, also when another program is activated
    SetWindowPos(handle_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    UpdateWindow(handle_);
}

void TfrmSplash::Paint(HDC dc) const
{
    RECT client{0, 0, kClientWidth, kClientHeight};
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    if (picture_.pixels.empty())
        return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = picture_.width;
    info.bmiHeader.biHeight = -picture_.height; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    const int x = (kClientWidth - picture_.width) / 2;
    const int y = (kClientHeight - picture_.height) / 2;
    StretchDIBits(dc, x, y, picture_.width, picture_.height, 0, 0, picture_.width, picture_.height,
                  picture_.pixels.data(), &info, DIB_RGB_COLORS, SRCCOPY);
}

LRESULT CALLBACK TfrmSplash::WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<TfrmSplash*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        self->Paint(dc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    if (message == WM_ERASEBKGND)
        return 1;
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void ShowSplash(std::span<const uint8_t> jpeg, HWND owner)
{
    const BgraImage picture = DecodeJpeg(jpeg);
    g_Splash = std::make_unique<TfrmSplash>(picture, owner);
    g_Splash->Show();
    ProcessPendingMessages();
}

bool SplashShown() { return g_Splash != nullptr; }

void EndSplash()
{
    if (!g_Splash)
        return;
    Sleep(3000);
    g_Splash.reset();
}
