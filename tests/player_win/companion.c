/* A harmless companion program for the movie-command tests: it leaves a
   marker file beside itself and ends. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command, int show)
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(NULL, path, MAX_PATH);
    (void)instance; (void)previous; (void)command; (void)show;
    while (n > 0 && path[n - 1] != '\\')
        --n;
    lstrcpyA(path + n, "companion_ran.txt");
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    CloseHandle(file);
    return 0;
}
