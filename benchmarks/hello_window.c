/* The yardstick of the start-up benchmark: the smallest Win32 program that
   shows a window and paints it, in the colour the benchmark looks for. */
#include <windows.h>

static LRESULT CALLBACK HelloProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam)
{
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        HBRUSH brush = CreateSolidBrush(RGB(20, 90, 140));
        FillRect(dc, &ps.rcPaint, brush);
        DeleteObject(brush);
        EndPaint(window, &ps);
        return 0;
    }
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, msg, wparam, lparam);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR commandLine, int show)
{
    (void)previous;
    (void)commandLine;
    WNDCLASSW wc = {0};
    wc.lpfnWndProc = HelloProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_ARROW);
    wc.lpszClassName = L"HelloWindow";
    RegisterClassW(&wc);
    HWND window = CreateWindowW(L"HelloWindow", L"Hello", WS_OVERLAPPEDWINDOW, 0, 0, 600, 450, NULL, NULL, instance, NULL);
    ShowWindow(window, show);
    UpdateWindow(window);
    MSG msg;
    while (GetMessageW(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
