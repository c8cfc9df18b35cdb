#include "app/package_reader_win.h"

#include "app/file_source_win.h"
#include "app/icon_file.h"
#include "app/module_inflate.h"
#include "app/package_block_stream.h"
#include "app/os_error_win.h"
#include "app/swf_plr_globals.h"
#include "app/swf_plr_globals_win.h"
#include "app/swf_plr_splash_win.h"
#include "flashrt/flash_ocx_code_provider_win.h"
#include "winbase/handles_win.h"

using flashrt::IsFlashInstalled;
using flashrt::LoadFlashOCXCodeFromStream;
using swfp::win::UniqueFile;
using swfp::win::UniqueIcon;

#include <vector>

namespace {

UniqueIcon IconFromFile(std::span<const uint8_t> file, const IconDirectory& directory, int size)
{
    const auto entry = PickIconEntry(directory, size);
    if (!entry)
        return UniqueIcon{};
    auto* image = const_cast<PBYTE>(file.data() + entry->imageOffset);
    return UniqueIcon(CreateIconFromResourceEx(image, entry->imageSize, TRUE, 0x00030000, size, size, LR_DEFAULTCOLOR));
}

void InstallApplicationIcon(std::span<const uint8_t> payload)
{
    const auto directory = ReadIconDirectory(payload);
    if (!directory || directory->type != IconFileType::Icon)
        throw std::runtime_error("The application icon in the player package is not an icon file");
    UniqueIcon large = IconFromFile(payload, *directory, GetSystemMetrics(SM_CXICON));
    UniqueIcon small = IconFromFile(payload, *directory, GetSystemMetrics(SM_CXSMICON));
    if (!large)
        throw EOSError("The application icon in the player package cannot be loaded", GetLastError());
    SetApplicationIcon(std::move(large), std::move(small));
}

// The cursor goes through a file because only the file loader understands
// animated and colour cursors. The file is written to the user's temporary
// folder under a unique name (the program's own folder may be read-only) and
// is deleted whether loading worked or not.
void InstallCustomCursor(std::span<const uint8_t> payload)
{
    wchar_t folder[MAX_PATH + 1] = {};
    wchar_t name[MAX_PATH + 1] = {};
    if (!GetTempPathW(MAX_PATH + 1, folder) || !GetTempFileNameW(folder, L"cur", 0, name))
        throw EOSError("Cannot create the temporary cursor file", GetLastError());
    HCURSOR cursor = nullptr;
    {
        UniqueFile file(CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr));
        if (!file) {
            const DWORD error = GetLastError();
            DeleteFileW(name);
            throw EOSError("Cannot create the temporary cursor file", error);
        }
        DWORD written = 0;
        const BOOL ok = WriteFile(file.get(), payload.data(), DWORD(payload.size()), &written, nullptr);
        const DWORD error = GetLastError();
        file.reset();
        if (!ok || written != payload.size()) {
            DeleteFileW(name);
            throw EOSError("Cannot write the temporary cursor file", error);
        }
    }
    cursor = LoadCursorFromFileW(name);
    DeleteFileW(name);
    SetCustomCursor(1, cursor);
}

void InstallRuntimeModule(std::span<const uint8_t> payload)
{
    // Inflated straight into the module's sections as the loader maps it. A
    // damaged block is still an error of the package, not only a module that
    // fails to map.
    InflateSource source(payload);
    LoadFlashOCXCodeFromStream(source);
    source.Finish();
}

// Returns false when the warning was shown and start-up must end.
bool CheckRuntimeRequired(std::span<const uint8_t> payload, HWND owner)
{
    if (IsFlashInstalled())
        return true;
    g_RuntimeWarningText.assign(payload.begin(), payload.end());
    DismissSplash();
    MessageBoxA(owner, g_RuntimeWarningText.c_str(), "Warning!", MB_ICONEXCLAMATION | MB_OK);
    return false;
}

} // namespace

bool ReadPlayerPackage(const std::wstring& executablePath, HWND owner)
{
    const FilePackageSource source(executablePath);
    const PlayerPackageLayout layout = WalkPlayerPackage(source);
    for (const PackageBlock& block : layout.blocks) {
        const std::vector<uint8_t> payload = ReadBlockPayload(source, block);
        switch (static_cast<PackageBlockKind>(block.kind)) {
        case PackageBlockKind::Settings:
            LoadPlayerSettings(payload, g_PlayerSettings);
            break;
        case PackageBlockKind::ApplicationIcon:
            InstallApplicationIcon(payload);
            break;
        case PackageBlockKind::Cursor:
            InstallCustomCursor(payload);
            break;
        case PackageBlockKind::RuntimeModule:
            InstallRuntimeModule(payload);
            break;
        case PackageBlockKind::RuntimeWarning:
            if (!CheckRuntimeRequired(payload, owner))
                return false;
            break;
        case PackageBlockKind::SplashImage:
            ShowSplash(payload, owner);
            break;
        case PackageBlockKind::MovieInformation:
            g_MovieInformation = ParseMovieInformation(payload);
            break;
        default:
            break; // a kind this player does not know: skipped
        }
    }
    return true;
}

bool ReadPlayerPackage() { return ReadPlayerPackage(ExecutablePath(), nullptr); }

void LoadPackagedMovie(const std::wstring& executablePath,
                       const std::function<void(std::unique_ptr<flashrt::TStream>)>& loadMovie)
{
    auto source = std::make_shared<const FilePackageSource>(executablePath);
    const PlayerPackageLayout layout = WalkPlayerPackage(*source);
    if (!layout.movie)
        return;
    loadMovie(std::make_unique<PackageBlockStream>(source, *layout.movie));
}
