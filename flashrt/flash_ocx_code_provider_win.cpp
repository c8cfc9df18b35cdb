#include "flashrt/flash_ocx_code_provider_win.h"

#include <wrl/client.h>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "flashrt/fault_containment_win.h"
#include "flashrt/flash_ocx_loader_win.h"
#include "flashrt/handle_source_win.h"
#include "flashrt/pe_stream.h"
#include "flashrt/import_hooks_win.h"
#include "flashrt/pe_version.h"
#include "winbase/handles_win.h"

namespace flashrt {

namespace {

const CLSID kFlashClassId = {0xD27CDB6E, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

std::unique_ptr<TFlashOCXCodeProvider> g_provider;

// The registered module's path, read into a zero-filled buffer of bufferSize bytes;
// a value that does not fit with its terminator counts as unreadable.
std::optional<std::string> RegisteredModulePath(DWORD bufferSize)
{
    swfp::win::UniqueRegKey key;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, kFlashInprocServerKey, 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
        return std::nullopt;
    std::vector<char> buffer(bufferSize, 0);
    DWORD size = bufferSize;
    if (RegQueryValueExA(key.get(), nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    if (std::find(buffer.begin(), buffer.end(), '\0') == buffer.end()) return std::nullopt;
    return std::string(buffer.data());
}

}  // namespace

TFlashOCXCodeProviderBasedOnStream::TFlashOCXCodeProviderBasedOnStream() = default;

TFlashOCXCodeProviderBasedOnStream::TFlashOCXCodeProviderBasedOnStream(std::span<const uint8_t> moduleImage)
{
    LoadModule(moduleImage);
}

TFlashOCXCodeProviderBasedOnStream::~TFlashOCXCodeProviderBasedOnStream()
{
    entry_ = nullptr;
    loader_.reset();  // runs the module's detach and unloads it
}

TFlashOCXCodeProviderBasedOnStream::TFlashOCXCodeProviderBasedOnStream(pe::ByteSource& moduleSource)
{
    LoadModule(moduleSource);
}

void TFlashOCXCodeProviderBasedOnStream::LoadModule(std::span<const uint8_t> moduleImage)
{
    entry_ = nullptr;
    loader_.reset();
    if (moduleImage.empty()) return;
    pe::SpanSource source(moduleImage);
    LoadModule(source);
}

void TFlashOCXCodeProviderBasedOnStream::LoadModule(pe::ByteSource& moduleSource)
{
    entry_ = nullptr;
    loader_.reset();
    // A module that cannot be mapped leaves a provider without entry; the
    // failure shows later as E_FAIL from CreateInstance.
    try {
        loader_ = std::make_unique<TFlashOCXLoader>(moduleSource);
        entry_ = reinterpret_cast<DllGetClassObjectFn>(
            reinterpret_cast<void*>(loader_->GetProcAddress("DllGetClassObject")));
    } catch (...) {
        entry_ = nullptr;
    }
}

HRESULT TFlashOCXCodeProviderBasedOnStream::CreateInstance(REFIID iid, void** obj)
{
    if (!obj) return E_POINTER;
    *obj = nullptr;
    if (!entry_) return E_FAIL;
    HRESULT result = E_FAIL;
    // The module's class-object entry and its factory run contained: a module
    // that faults in them is not called again, and the player goes on without it.
    const bool returned = ContainFaults([&] {
        Microsoft::WRL::ComPtr<IClassFactory> factory;
        if (entry_(kFlashClassId, IID_IClassFactory, reinterpret_cast<void**>(factory.GetAddressOf())) != S_OK ||
            !factory)
            return;
        const HRESULT created = factory->CreateInstance(nullptr, iid, obj);
        // A factory that fails is reported as failing, never as a success without object.
        result = FAILED(created) ? created : S_OK;
    });
    if (!returned) {
        entry_ = nullptr;
        result = E_FAIL;
    }
    if (FAILED(result)) *obj = nullptr;
    return result;
}

TFlashOCXCodeProviderBasedOnSystemInstalledOCX::TFlashOCXCodeProviderBasedOnSystemInstalledOCX() = default;

HRESULT TFlashOCXCodeProviderBasedOnSystemInstalledOCX::CreateInstance(REFIID iid, void** obj)
{
    // The registered module is mapped when the first object is asked for, not
    // before: a player whose package carries its own module never maps it.
    if (!looked_) {
        looked_ = true;
        if (const auto path = RegisteredModulePath(261)) {
            // The file is read straight into the module's sections.
            const swfp::win::UniqueFile file(CreateFileA(path->c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                         OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
            if (file) {
                HandleSource source(file.get());
                LoadModule(source);
            }
        }
    }
    return TFlashOCXCodeProviderBasedOnStream::CreateInstance(iid, obj);
}

TFlashOCXCodeProvider* FlashOCXCodeProvider() { return g_provider.get(); }

void LoadFlashOCXCodeFromStream(std::span<const uint8_t> moduleImage)
{
    g_provider.reset();
    g_provider = std::make_unique<TFlashOCXCodeProviderBasedOnStream>(moduleImage);
}

void LoadFlashOCXCodeFromStream(pe::ByteSource& moduleSource)
{
    g_provider.reset();
    g_provider = std::make_unique<TFlashOCXCodeProviderBasedOnStream>(moduleSource);
}

void SetFlashOCXCodeProvider(std::unique_ptr<TFlashOCXCodeProvider> provider)
{
    g_provider.reset();
    g_provider = std::move(provider);
}

uint32_t GetInstalledFlashVersion()
{
    const auto path = RegisteredModulePath(260);
    if (!path) return 0;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path->c_str(), &ignored);
    if (size == 0) return 0;
    std::vector<uint8_t> block(size);
    if (!GetFileVersionInfoA(path->c_str(), 0, size, block.data())) return 0;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (!VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &fixedSize) || !fixed ||
        fixedSize < sizeof(VS_FIXEDFILEINFO))
        return 0;
    return pe::PackFlashVersion({fixed->dwProductVersionMS, fixed->dwProductVersionLS});
}

bool IsFlashInstalled() { return GetInstalledFlashVersion() != 0; }

FlashRuntimeUnit::FlashRuntimeUnit(ContentManagerFactory makeContentManager)
{
    StartImportHookState();
    if (makeContentManager) {
        contentManager_ = makeContentManager();
        SetContentRedirector(contentManager_.get());
    }
    g_provider = std::make_unique<TFlashOCXCodeProviderBasedOnSystemInstalledOCX>();
}

FlashRuntimeUnit::~FlashRuntimeUnit()
{
    g_provider.reset();
    SetContentRedirector(nullptr);
    contentManager_.reset();
    StopImportHookState();
}

}  // namespace flashrt
