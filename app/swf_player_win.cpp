// The program's main routine: refuse a second start while a player of the same
// file name starts or a single-instance player runs, read the package, create
// the player window, retire the splash and run the message loop.
#include <windows.h>

#include "app/file_source_win.h"
#include "app/instance_name.h"
#include "app/os_error_win.h"
#include "app/package_reader_win.h"
#include "app/startup_window_win.h"
#include "app/swf_plr_splash_win.h"
#include "flashrt/flash_ocx_code_provider_win.h"

#include <memory>
#include <optional>
#include <string>

namespace {

constexpr DWORD kInstanceMappingSize = 1024;
std::wstring g_ApplicationTitle = L"Tavolin";

int RunMessageLoop()
{
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand)
{
    // The runtime unit first: its shared state and the default module provider
    // exist before anything else runs, and go after everything else.
    std::optional<flashrt::FlashRuntimeUnit> runtime;
    std::wstring startupError;
    try {
        runtime.emplace();
    } catch (const std::exception& e) {
        startupError = Utf8ToWide(e.what());
    }

    std::wstring executablePath;
    try {
        executablePath = ExecutablePath();
    } catch (const std::exception& e) {
        MessageBoxW(nullptr, Utf8ToWide(e.what()).c_str(), g_ApplicationTitle.c_str(), MB_ICONSTOP | MB_OK);
        return 1;
    }

    UniqueHandle instanceMapping(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                                    kInstanceMappingSize,
                                                    InstanceMappingName(executablePath).c_str()));
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        MessageBoxA(nullptr, "One instance of Flash player already exists", "Information", MB_ICONEXCLAMATION | MB_OK);
        return 0;
    }

    std::unique_ptr<StartupWindow> mainWindow;
    if (startupError.empty()) {
        try {
            if (ReadPlayerPackage(executablePath, nullptr)) {
                mainWindow = std::make_unique<StartupWindow>(executablePath);
                EndSplash();
            }
        } catch (const std::exception& e) {
            startupError = Utf8ToWide(e.what());
        }
    }
    instanceMapping.reset();

    if (!startupError.empty()) {
        mainWindow.reset();
        MessageBoxW(nullptr, startupError.c_str(), g_ApplicationTitle.c_str(), MB_ICONSTOP | MB_OK);
        return 1;
    }
    if (!mainWindow)
        return 0; // the runtime-required warning ended start-up in an orderly way
    mainWindow->Show(showCommand);
    return RunMessageLoop();
}
