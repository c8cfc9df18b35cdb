#pragma once
// The moniker the content manager gives the runtime for a movie held in memory.
// Binding it pushes the registered stream to the caller's status callback in 1 MiB
// chunks; every other moniker operation fails.

#include <windows.h>
#include <urlmon.h>
#include <wrl/client.h>

#include <functional>
#include <string>

#include "winbase/com_object_win.h"

namespace flashrt {

// Hands out the registered stream of a URL once (nullptr when there is none).
using TakeStreamFunction = std::function<Microsoft::WRL::ComPtr<IStream>(const std::string& url)>;

inline constexpr ULONG kMovieChunkSize = 0x100000;

class TMyMoniker final : public swfp::win::ComObject<IMoniker, IBinding, IBindStatusCallback> {
public:
    TMyMoniker(std::string url, TakeStreamFunction takeStream);

    // IUnknown (shared by the three interfaces)
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;

    // IPersist / IPersistStream
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* classId) override;
    HRESULT STDMETHODCALLTYPE IsDirty() override;
    HRESULT STDMETHODCALLTYPE Load(IStream* stream) override;
    HRESULT STDMETHODCALLTYPE Save(IStream* stream, BOOL clearDirty) override;
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;

    // IMoniker
    HRESULT STDMETHODCALLTYPE BindToObject(IBindCtx* bc, IMoniker* left, REFIID riid, void** result) override;
    HRESULT STDMETHODCALLTYPE BindToStorage(IBindCtx* bc, IMoniker* left, REFIID riid, void** object) override;
    HRESULT STDMETHODCALLTYPE Reduce(IBindCtx* bc, DWORD howFar, IMoniker** toLeft, IMoniker** reduced) override;
    HRESULT STDMETHODCALLTYPE ComposeWith(IMoniker* right, BOOL onlyIfNotGeneric, IMoniker** composite) override;
    HRESULT STDMETHODCALLTYPE Enum(BOOL forward, IEnumMoniker** enumMoniker) override;
    HRESULT STDMETHODCALLTYPE IsEqual(IMoniker* other) override;
    HRESULT STDMETHODCALLTYPE Hash(DWORD* hash) override;
    HRESULT STDMETHODCALLTYPE IsRunning(IBindCtx* bc, IMoniker* left, IMoniker* newlyRunning) override;
    HRESULT STDMETHODCALLTYPE GetTimeOfLastChange(IBindCtx* bc, IMoniker* left, FILETIME* time) override;
    HRESULT STDMETHODCALLTYPE Inverse(IMoniker** inverse) override;
    HRESULT STDMETHODCALLTYPE CommonPrefixWith(IMoniker* other, IMoniker** prefix) override;
    HRESULT STDMETHODCALLTYPE RelativePathTo(IMoniker* other, IMoniker** relative) override;
    HRESULT STDMETHODCALLTYPE GetDisplayName(IBindCtx* bc, IMoniker* left, LPOLESTR* name) override;
    HRESULT STDMETHODCALLTYPE ParseDisplayName(IBindCtx* bc, IMoniker* left, LPOLESTR name, ULONG* eaten,
                                               IMoniker** out) override;
    HRESULT STDMETHODCALLTYPE IsSystemMoniker(DWORD* kind) override;

    // IBinding
    HRESULT STDMETHODCALLTYPE Abort() override;
    HRESULT STDMETHODCALLTYPE Suspend() override;
    HRESULT STDMETHODCALLTYPE Resume() override;
    HRESULT STDMETHODCALLTYPE SetPriority(LONG priority) override;
    // Shared by IBinding and IBindStatusCallback (same signature).
    HRESULT STDMETHODCALLTYPE GetPriority(LONG* priority) override;
    HRESULT STDMETHODCALLTYPE GetBindResult(CLSID* protocol, DWORD* result, LPOLESTR* text, DWORD* reserved) override;

    // IBindStatusCallback
    HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD reserved, IBinding* binding) override;
    HRESULT STDMETHODCALLTYPE OnLowResource(DWORD reserved) override;
    HRESULT STDMETHODCALLTYPE OnProgress(ULONG progress, ULONG max, ULONG status, LPCWSTR text) override;
    HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT result, LPCWSTR error) override;
    HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD* flags, BINDINFO* info) override;
    HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD flags, DWORD size, FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID riid, IUnknown* object) override;

    const std::string& Url() const { return URL; }
    static long LiveCount();

private:
    ~TMyMoniker() override;
    std::string URL;
    TakeStreamFunction TakeStream;
};

// A new moniker for url as IMoniker; the result holds the one reference.
Microsoft::WRL::ComPtr<IMoniker> CreateMyMoniker(const std::string& url, TakeStreamFunction takeStream);

}  // namespace flashrt
