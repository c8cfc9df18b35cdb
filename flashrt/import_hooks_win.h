#pragma once
// The seven routines that replace imports of the mapped Flash runtime module, and
// the process-wide state they consult: the window-class map, the sound switch and
// the seam through which the content manager answers URL and file requests.
#include <windows.h>
#include <objidl.h>

#include <memory>

namespace flashrt {

class TMapString2String;

// Answers the runtime's URL-moniker and file-open requests. Returning false lets
// the request go to the platform with its arguments unchanged.
struct ContentRedirector {
    virtual ~ContentRedirector() = default;
    virtual bool TryCreateURLMoniker(IMoniker* context, LPCWSTR url, IMoniker** moniker, HRESULT* result) = 0;
    virtual bool TryCreateFileA(LPCSTR fileName, DWORD access, DWORD shareMode,
                                LPSECURITY_ATTRIBUTES securityAttributes, DWORD creationDisposition,
                                DWORD flagsAndAttributes, HANDLE templateFile, HANDLE* result) = 0;
};

// Installs (or, with nullptr, removes) the redirector; not owned.
void SetContentRedirector(ContentRedirector* redirector);
ContentRedirector* GetContentRedirector();

// The sound switch: on at start, shared with the runtime's audio threads.
void SetFlashSoundEnabled(bool enabled);
bool GetFlashSoundEnabled();

// Requested window-class name -> name registered for the host instance.
// Null before StartImportHookState and after StopImportHookState.
TMapString2String* WindowClassMap();

// Creates the class map, then the sound switch with its lock; Stop frees them
// in the reverse order. FlashRuntimeUnit calls these.
void StartImportHookState();
void StopImportHookState();

// The instance handle of the module holding this code: windows and classes of
// the mapped module are registered under it.
HINSTANCE HostInstance();

// The name every class of the mapped module is registered under in this process.
const char* FlashWindowClassName();

// The substitute for an import, or nullptr when the import resolves normally.
// Ordinal imports (procName below 0x10000) are never substituted.
FARPROC FlashImportSubstitute(LPCSTR libraryName, LPCSTR procName);

}  // namespace flashrt
