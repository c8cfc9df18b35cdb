#include "flashrt/import_hooks_win.h"

#include <mmsystem.h>
#include <urlmon.h>

#include <cstring>
#include <stdexcept>
#include <string>

#include "flashrt/import_names.h"
#include "flashrt/pe_resources.h"
#include "flashrt/string_map.h"

namespace flashrt {

namespace {

// Its address names the window classes of this program image: two modules of one
// process that both contain this code get different names.
char g_classNameAnchor;

class CriticalSection {
public:
    CriticalSection() { InitializeCriticalSection(&cs_); }
    ~CriticalSection() { DeleteCriticalSection(&cs_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;
    void Enter() { EnterCriticalSection(&cs_); }
    void Leave() { LeaveCriticalSection(&cs_); }

private:
    CRITICAL_SECTION cs_;
};

class Locked {
public:
    explicit Locked(CriticalSection& cs) : cs_(cs) { cs_.Enter(); }
    ~Locked() { cs_.Leave(); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    CriticalSection& cs_;
};

struct SoundSwitch {
    CriticalSection SoundLock;
    bool FlashSoundEnabled = true;
};

std::unique_ptr<TMapString2String> g_windowClassMap;
std::unique_ptr<SoundSwitch> g_sound;
ContentRedirector* g_redirector = nullptr;

// The module's instance handle is where its image starts; the resource lookup
// reads that image's own headers.
std::span<const uint8_t> ImageAt(HINSTANCE instance)
{
    MEMORY_BASIC_INFORMATION info{};
    if (!VirtualQuery(instance, &info, sizeof info) || info.State != MEM_COMMIT || info.AllocationBase != instance)
        throw pe::PeError("not the start of a mapped image");
    const auto* base = reinterpret_cast<const uint8_t*>(instance);
    const std::span<const uint8_t> headerPage(base, info.RegionSize < 0x1000 ? info.RegionSize : 0x1000);
    const uint32_t nt = pe::ReadU32(headerPage, 0x3C, "e_lfanew");
    const uint32_t sizeOfImage = pe::ReadU32(headerPage, uint64_t(nt) + 0x50, "SizeOfImage");
    return {base, sizeOfImage};
}

std::optional<std::span<const uint8_t>> ResourceOf(HINSTANCE instance, uint16_t type, LPCSTR name)
{
    if (!instance || !IS_INTRESOURCE(name)) return std::nullopt;  // named resources are never in the image
    try {
        return pe::FindModuleResource(ImageAt(instance), type, static_cast<uint16_t>(reinterpret_cast<uintptr_t>(name)));
    } catch (const pe::PeError&) {
        return std::nullopt;
    }
}

HRESULT WINAPI SubstituteCreateURLMoniker(IMoniker* context, LPCWSTR url, IMoniker** moniker)
{
    if (moniker) *moniker = nullptr;
    HRESULT result = E_FAIL;
    if (g_redirector && g_redirector->TryCreateURLMoniker(context, url, moniker, &result)) return result;
    return CreateURLMoniker(context, url, moniker);
}

HANDLE WINAPI SubstituteCreateFileA(LPCSTR fileName, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                                    DWORD disposition, DWORD flags, HANDLE templateFile)
{
    HANDLE result = INVALID_HANDLE_VALUE;
    if (g_redirector &&
        g_redirector->TryCreateFileA(fileName, access, shareMode, security, disposition, flags, templateFile, &result))
        return result;
    return CreateFileA(fileName, access, shareMode, security, disposition, flags, templateFile);
}

ATOM WINAPI SubstituteRegisterClassExA(const WNDCLASSEXA* requested)
{
    if (!requested) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    WNDCLASSEXA copy = *requested;
    copy.hInstance = HostInstance();
    const char* newName = FlashWindowClassName();
    if (g_windowClassMap) {
        // A class given by atom has no text to dereference; it is remembered by number.
        std::string key = IS_INTRESOURCE(requested->lpszClassName)
                              ? "#" + std::to_string(reinterpret_cast<uintptr_t>(requested->lpszClassName))
                              : std::string(requested->lpszClassName);
        g_windowClassMap->Add(std::move(key), newName);
    }
    UnregisterClassA(newName, copy.hInstance);
    copy.lpszClassName = newName;
    return RegisterClassExA(&copy);
}

HWND WINAPI SubstituteCreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                                      int width, int height, HWND parent, HMENU menu, HINSTANCE, LPVOID param)
{
    std::string mapped;
    if (!IS_INTRESOURCE(className) && g_windowClassMap && g_windowClassMap->Find(className, mapped))
        className = mapped.c_str();
    return CreateWindowExA(exStyle, className, windowName, style, x, y, width, height, parent, menu, HostInstance(),
                           param);
}

HCURSOR WINAPI SubstituteLoadCursorA(HINSTANCE instance, LPCSTR name)
{
    if (!instance) return LoadCursorA(nullptr, name);
    if (auto group = ResourceOf(instance, pe::kResourceGroupCursor, name)) {
        const int id = LookupIconIdFromDirectoryEx(const_cast<PBYTE>(group->data()), FALSE, 0, 0, LR_DEFAULTCOLOR);
        if (id > 0 && id <= 0xFFFF) {
            if (auto cursor = ResourceOf(instance, pe::kResourceCursor, MAKEINTRESOURCEA(id))) {
                HICON created = CreateIconFromResource(const_cast<PBYTE>(cursor->data()),
                                                       static_cast<DWORD>(cursor->size()), FALSE, 0x30000);
                if (created) return created;
            }
        }
    }
    return LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
}

HMENU WINAPI SubstituteLoadMenuA(HINSTANCE instance, LPCSTR name)
{
    if (auto menu = ResourceOf(instance, pe::kResourceMenu, name)) return LoadMenuIndirectA(menu->data());
    return nullptr;
}

MMRESULT WINAPI SubstituteWaveOutWrite(HWAVEOUT device, LPWAVEHDR header, UINT headerSize)
{
    if (!g_sound) return waveOutWrite(device, header, headerSize);
    Locked lock(g_sound->SoundLock);
    // Silenced at submission: buffers already queued play out.
    if (!g_sound->FlashSoundEnabled && header && header->lpData) std::memset(header->lpData, 0, header->dwBufferLength);
    return waveOutWrite(device, header, headerSize);
}

// Function pointers of different types convert through a plain address.
template <typename F>
FARPROC AsFarProc(F function)
{
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(function));
}

}  // namespace

void SetContentRedirector(ContentRedirector* redirector) { g_redirector = redirector; }
ContentRedirector* GetContentRedirector() { return g_redirector; }

void SetFlashSoundEnabled(bool enabled)
{
    if (!g_sound) throw std::logic_error("the sound switch does not exist before the runtime unit starts");
    Locked lock(g_sound->SoundLock);
    g_sound->FlashSoundEnabled = enabled;
}

bool GetFlashSoundEnabled()
{
    if (!g_sound) return true;
    Locked lock(g_sound->SoundLock);
    return g_sound->FlashSoundEnabled;
}

TMapString2String* WindowClassMap() { return g_windowClassMap.get(); }

void StartImportHookState()
{
    g_windowClassMap = std::make_unique<TMapString2String>();
    g_sound = std::make_unique<SoundSwitch>();
}

void StopImportHookState()
{
    g_windowClassMap.reset();
    g_sound.reset();
}

HINSTANCE HostInstance()
{
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&g_classNameAnchor), &module);
    return module;
}

const char* FlashWindowClassName()
{
    static const std::string name =
        "FlashPlayerControl_" + std::to_string(reinterpret_cast<intptr_t>(&g_classNameAnchor));
    return name.c_str();
}

FARPROC FlashImportSubstitute(LPCSTR, LPCSTR procName)
{
    if (IsOrdinalName(procName)) return nullptr;
    switch (ClassifyImport(procName)) {
    case InterceptedImport::CreateURLMoniker: return AsFarProc(&SubstituteCreateURLMoniker);
    case InterceptedImport::RegisterClassExA: return AsFarProc(&SubstituteRegisterClassExA);
    case InterceptedImport::CreateWindowExA: return AsFarProc(&SubstituteCreateWindowExA);
    case InterceptedImport::LoadCursorA: return AsFarProc(&SubstituteLoadCursorA);
    case InterceptedImport::LoadMenuA: return AsFarProc(&SubstituteLoadMenuA);
    case InterceptedImport::waveOutWrite: return AsFarProc(&SubstituteWaveOutWrite);
    case InterceptedImport::CreateFileA: return AsFarProc(&SubstituteCreateFileA);
    case InterceptedImport::None: break;
    }
    return nullptr;
}

}  // namespace flashrt
