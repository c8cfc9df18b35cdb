// The program's main routine: refuse a second start while a player of the same
// file name starts or a single-instance player runs, read the package, create
// the player window, retire the splash and run the message loop.
#include <windows.h>
#include <ole2.h>

#include "app/file_source_win.h"
#include "app/instance_name.h"
#include "app/os_error_win.h"
#include "app/package_reader_win.h"
#include "app/runtime_notice.h"
#include "app/swf_plr_globals_win.h"
#include "app/swf_plr_splash_win.h"
#include "flashrt/content_manager_win.h"
#include "flashrt/flash_ocx_code_provider_win.h"
#include "player/swf_plr_main_win.h"
#include "toolkit/application_win.h"
#include "winbase/handles_win.h"
#include "winbase/text_win.h"

#include <memory>
#include <optional>
#include <string>

namespace {

// Before anything else can load a library (the static constructors included):
// libraries named without a path come from the system folder only, never from
// the executable's folder, where a downloaded player may have company. The
// libraries that are not on the system's known-DLL list are delay-loaded for
// this reason (see app/CMakeLists.txt). Looked up, not imported: a system
// without it (Windows 7 before KB2533623) still starts the player.
__attribute__((constructor(101))) void SearchTheSystemFolderOnly()
{
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const auto set = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (set)
        set(LOAD_LIBRARY_SEARCH_SYSTEM32);
    else
        SetDllDirectoryW(L""); // at least not the current folder
}

constexpr DWORD kInstanceMappingSize = 1024;
constexpr wchar_t kApplicationTitle[] = L"Tavolin";

// The Flash object lives in a single-threaded apartment with OLE's clipboard
// and drag-and-drop services; undone after every COM object is gone.
class OleSession {
public:
    OleSession() : ok_(SUCCEEDED(OleInitialize(nullptr))) {}
    ~OleSession()
    {
        if (ok_)
            OleUninitialize();
    }
    OleSession(const OleSession&) = delete;
    OleSession& operator=(const OleSession&) = delete;

private:
    bool ok_;
};

// Whether the active provider mapped a runtime module, from the package or the registration.
bool RuntimeModuleFound()
{
    const auto* provider = dynamic_cast<const flashrt::TFlashOCXCodeProviderBasedOnStream*>(
        flashrt::FlashOCXCodeProvider());
    return provider && provider->HasEntry();
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    OleSession ole;
    // The runtime unit first: its shared state, the content manager and the
    // default module provider exist before anything else runs, and go after
    // everything else.
    std::optional<flashrt::FlashRuntimeUnit> runtime;
    std::wstring startupError;
    try {
        runtime.emplace(&flashrt::MakeContentManager);
    } catch (const std::exception& e) {
        startupError = swfp::win::Utf8ToWide(e.what());
    }

    std::wstring executablePath;
    try {
        executablePath = ExecutablePath();
    } catch (const std::exception& e) {
        MessageBoxW(nullptr, swfp::win::Utf8ToWide(e.what()).c_str(), kApplicationTitle, MB_ICONSTOP | MB_OK);
        return 1;
    }

    swfp::win::UniqueHandle instanceMapping(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                                               kInstanceMappingSize,
                                                               InstanceMappingName(executablePath).c_str()));
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        MessageBoxA(nullptr, "One instance of Flash player already exists", "Information", MB_ICONEXCLAMATION | MB_OK);
        return 0;
    }

    swfp::tk::TApplication& application = swfp::tk::Application();
    std::unique_ptr<TfrmPlr> mainWindow;
    std::optional<RuntimeNotice> runtimeNotice;
    if (startupError.empty()) {
        try {
            if (ReadPlayerPackage(executablePath, application.Handle())) {
                application.SetTitle(kApplicationTitle);
                if (HICON icon = ApplicationIcon(false))
                    application.SetIcon(icon);
                swfp::tk::Screen().SetCursor(1, CustomCursor(1));
                mainWindow = std::make_unique<TfrmPlr>(nullptr, executablePath);
                application.SetMainForm(mainWindow.get());
                runtimeNotice = RuntimeNoticeFor(mainWindow->Player().HasOleObject(), RuntimeModuleFound());
                if (!runtimeNotice)
                    EndSplash();
            }
        } catch (const std::exception& e) {
            startupError = swfp::win::Utf8ToWide(e.what());
        }
    }
    instanceMapping.reset();

    if (!startupError.empty()) {
        DismissSplash();
        application.SetMainForm(nullptr);
        mainWindow.reset();
        MessageBoxW(nullptr, startupError.c_str(), kApplicationTitle, MB_ICONSTOP | MB_OK);
        return 1;
    }
    if (runtimeNotice) {
        DismissSplash();
        application.SetMainForm(nullptr);
        mainWindow.reset();
        MessageBoxW(nullptr, swfp::win::Utf8ToWide(runtimeNotice->text).c_str(), kApplicationTitle,
                    (runtimeNotice->exitCode ? MB_ICONSTOP : MB_ICONEXCLAMATION) | MB_OK);
        return runtimeNotice->exitCode;
    }
    if (!mainWindow)
        return 0; // the runtime-required warning ended start-up in an orderly way
    application.Run();
    // The window goes first (it saves its position and removes its tray icon),
    // then the runtime it was using.
    application.SetMainForm(nullptr);
    mainWindow.reset();
    return 0;
}
