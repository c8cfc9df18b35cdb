#include "app/startup_window_win.h"

#include "app/instance_name.h"
#include "app/os_error_win.h"
#include "app/package_reader_win.h"
#include "app/swf_plr_globals.h"
#include "app/swf_plr_globals_win.h"
#include "flashhost/movie_info.h"

#include <cstdio>

namespace {

constexpr wchar_t kClassName[] = L"TfrmPlr";
constexpr wchar_t kLayoutCaption[] = L"Quindo Flash Player";

std::wstring AnsiToWide(const std::string& text)
{
    if (text.empty())
        return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring out(size_t(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), out.data(), n);
    return out;
}

std::wstring DescribeMovie(const SwfHeaderInfo& info, bool loaded)
{
    if (!loaded)
        return L"No movie in this player.";
    wchar_t text[256];
    std::swprintf(text, 256, L"Movie: %d x %d px, %.2f fps, Flash version %d, %ls, %u bytes", info.MovieWidth(),
                  info.MovieHeight(), double(info.FrameRate), int(info.Version),
                  info.Compressed ? L"compressed" : L"not compressed", unsigned(info.MovieSize));
    return text;
}

} // namespace

StartupWindow::StartupWindow(const std::wstring& executablePath)
{
    WNDCLASSEXW wc{sizeof wc};
    if (!GetClassInfoExW(GetModuleHandleW(nullptr), kClassName, &wc)) {
        wc = WNDCLASSEXW{sizeof wc};
        wc.lpfnWndProc = &StartupWindow::WndProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hIcon = ApplicationIcon(false) ? ApplicationIcon(false) : LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
        wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        wc.lpszClassName = kClassName;
        if (!RegisterClassExW(&wc))
            throw EOSError("Cannot register the player window class", GetLastError());
    }
    RECT frame{0, 0, 650, 609};
    AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
    handle_ = CreateWindowExW(0, kClassName, kLayoutCaption, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                              frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                              GetModuleHandleW(nullptr), this);
    if (!handle_)
        throw EOSError("Cannot create the player window", GetLastError());
    if (HICON small = ApplicationIcon(true))
        SendMessageW(handle_, WM_SETICON, ICON_SMALL, LPARAM(small));
    if (HICON large = ApplicationIcon(false))
        SendMessageW(handle_, WM_SETICON, ICON_BIG, LPARAM(large));

    SwfHeaderInfo info;
    bool loaded = false;
    LoadPackagedMovie(executablePath, [&](std::span<const uint8_t> movie) {
        info = ReadSwfHeaderInfo(LocateMovieBlock(movie));
        loaded = true;
    });

    const std::string title = CountedString(g_PlayerSettings.Title);
    if (!title.empty())
        SetWindowTextW(handle_, AnsiToWide(title).c_str());

    if (g_PlayerSettings.SingleInstance) {
        // Deliberately never closed: the mapping refuses further starts of this
        // executable name until the process ends.
        CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 1024,
                           InstanceMappingName(executablePath).c_str());
    }
    lines_ = DescribeMovie(info, loaded);
}

StartupWindow::~StartupWindow()
{
    if (handle_) {
        SetWindowLongPtrW(handle_, GWLP_USERDATA, 0);
        DestroyWindow(handle_);
    }
}

void StartupWindow::Show(int showCommand)
{
    ShowWindow(handle_, showCommand);
    UpdateWindow(handle_);
}

void StartupWindow::Paint(HDC dc) const
{
    RECT client;
    GetClientRect(handle_, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    SetBkMode(dc, TRANSPARENT);
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    RECT text = client;
    InflateRect(&text, -16, -16);
    DrawTextW(dc, lines_.c_str(), -1, &text, DT_LEFT | DT_TOP | DT_WORDBREAK);
}

LRESULT CALLBACK StartupWindow::WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<StartupWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (message) {
    case WM_PAINT:
        if (self) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            self->Paint(dc);
            EndPaint(hwnd, &ps);
            return 0;
        }
        break;
    case WM_DESTROY:
        if (self) {
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            self->handle_ = nullptr;
        }
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
