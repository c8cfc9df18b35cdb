#include "flashrt/moniker_win.h"

#include <atomic>


namespace flashrt {

using Microsoft::WRL::ComPtr;



namespace {
std::atomic<long> liveMonikers{0};

template <class T>
HRESULT ClearAndFail(T** out)
{
    if (out) *out = nullptr;
    return E_FAIL;
}
}  // namespace

TMyMoniker::TMyMoniker(std::string url, TakeStreamFunction takeStream)
    : URL(std::move(url)), TakeStream(std::move(takeStream))
{
    ++liveMonikers;
}

TMyMoniker::~TMyMoniker() { --liveMonikers; }

long TMyMoniker::LiveCount() { return liveMonikers; }

HRESULT STDMETHODCALLTYPE TMyMoniker::QueryInterface(REFIID riid, void** object)
{
    return swfp::win::QueryInterfaceFromTable(riid, object,
                                              {{IID_IUnknown, static_cast<IMoniker*>(this)},
                                               {IID_IMoniker, static_cast<IMoniker*>(this)},
                                               {IID_IBinding, static_cast<IBinding*>(this)},
                                               {IID_IBindStatusCallback, static_cast<IBindStatusCallback*>(this)}});
}

// ---- binding -----------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE TMyMoniker::BindToStorage(IBindCtx* bc, IMoniker*, REFIID, void**)
{
    if (!bc) return E_INVALIDARG;

    // Find the caller's status callback: registering ours hands back the one registered
    // before, which is put back at once so the bind context is left as it was.
    ComPtr<IBindStatusCallback> caller;
    if (FAILED(RegisterBindStatusCallback(bc, static_cast<IBindStatusCallback*>(this), &caller, 0))) return E_FAIL;
    if (!caller) {
        // Nobody to deliver to: take ours out again rather than leave it registered.
        RevokeBindStatusCallback(bc, static_cast<IBindStatusCallback*>(this));
        return E_FAIL;
    }
    ComPtr<IBindStatusCallback> ours;
    RegisterBindStatusCallback(bc, caller.Get(), &ours, 0);

    // A registration is served once; a later binding finds nothing and says so
    // without calling back, so the caller is not told that data is coming.
    ComPtr<IStream> stream = TakeStream ? TakeStream(URL) : nullptr;
    if (!stream) return INET_E_RESOURCE_NOT_FOUND;

    caller->OnStartBinding(0, nullptr);

    // Each chunk travels in a memory stream of the platform's, read straight into its
    // memory. A caller may keep a chunk's stream; one it let go is filled again for
    // the next chunk, since fresh memory for every mebibyte costs more than copying it.
    ComPtr<IStream> piece;
    for (;;) {
        if (piece) {
            piece->AddRef();
            if (piece->Release() != 1) piece.Reset();  // the caller holds it: leave it alone
        }
        if (!piece && FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &piece))) break;
        ULARGE_INTEGER size;
        size.QuadPart = kMovieChunkSize;
        HGLOBAL memory = nullptr;
        if (FAILED(piece->SetSize(size)) || FAILED(GetHGlobalFromStream(piece.Get(), &memory))) break;
        ULONG got = 0;
        void* data = GlobalLock(memory);
        const HRESULT read = data ? stream->Read(data, kMovieChunkSize, &got) : E_OUTOFMEMORY;
        GlobalUnlock(memory);
        if (FAILED(read) || got == 0) break;
        size.QuadPart = got;
        if (got != kMovieChunkSize) piece->SetSize(size);
        LARGE_INTEGER start{};
        piece->Seek(start, STREAM_SEEK_SET, nullptr);

        FORMATETC format{0, nullptr, DVASPECT_CONTENT, -1, TYMED_ISTREAM};
        STGMEDIUM medium{};
        medium.tymed = TYMED_ISTREAM;
        medium.pstm = piece.Get();
        medium.pUnkForRelease = nullptr;
        if (caller->OnDataAvailable(BSCF_FIRSTDATANOTIFICATION | BSCF_LASTDATANOTIFICATION, got, &format, &medium) !=
            S_OK)
            break;
    }

    caller->OnStopBinding(S_FALSE, nullptr);
    return S_OK;
}

// ---- everything else fails --------------------------------------------------------

HRESULT STDMETHODCALLTYPE TMyMoniker::GetClassID(CLSID*) { return E_FAIL; }
HRESULT STDMETHODCALLTYPE TMyMoniker::IsDirty() { return E_FAIL; }
HRESULT STDMETHODCALLTYPE TMyMoniker::Load(IStream*) { return E_FAIL; }
HRESULT STDMETHODCALLTYPE TMyMoniker::Save(IStream*, BOOL) { return E_FAIL; }
HRESULT STDMETHODCALLTYPE TMyMoniker::GetSizeMax(ULARGE_INTEGER*) { return E_FAIL; }
HRESULT STDMETHODCALLTYPE TMyMoniker::BindToObject(IBindCtx*, IMoniker*, REFIID, void**) { return E_FAIL; }
HRESULT STDMETHODCALLTYPE TMyMoniker::Reduce(IBindCtx*, DWORD, IMoniker**, IMoniker** reduced)
{
    return ClearAndFail(reduced);
}
HRESULT STDMETHODCALLTYPE TMyMoniker::ComposeWith(IMoniker*, BOOL, IMoniker** composite)
{
    return ClearAndFail(composite);
}
HRESULT STDMETHODCALLTYPE TMyMoniker::Enum(BOOL, IEnumMoniker** enumMoniker) { return ClearAndFail(enumMoniker); }
HRESULT STDMETHODCALLTYPE TMyMoniker::IsEqual(IMoniker*) { return E_FAIL; }
HRESULT STDMETHODCALLTYPE TMyMoniker::Hash(DWORD*) { return E_FAIL; }
HRESULT STDMETHODCALLTYPE TMyMoniker::IsRunning(IBindCtx*, IMoniker*, IMoniker*) { return E_FAIL; }
HRESULT STDMETHODCALLTYPE TMyMoniker::GetTimeOfLastChange(IBindCtx*, IMoniker*, FILETIME*) { return E_FAIL; }
HRESULT STDMETHODCALLTYPE TMyMoniker::Inverse(IMoniker** inverse) { return ClearAndFail(inverse); }
HRESULT STDMETHODCALLTYPE TMyMoniker::CommonPrefixWith(IMoniker*, IMoniker** prefix) { return ClearAndFail(prefix); }
HRESULT STDMETHODCALLTYPE TMyMoniker::RelativePathTo(IMoniker*, IMoniker** relative)
{
    return ClearAndFail(relative);
}
HRESULT STDMETHODCALLTYPE TMyMoniker::GetDisplayName(IBindCtx*, IMoniker*, LPOLESTR*) { return E_FAIL; }
HRESULT STDMETHODCALLTYPE TMyMoniker::ParseDisplayName(IBindCtx*, IMoniker*, LPOLESTR, ULONG*, IMoniker** out)
{
    return ClearAndFail(out);
}
HRESULT STDMETHODCALLTYPE TMyMoniker::IsSystemMoniker(DWORD*) { return E_FAIL; }

HRESULT STDMETHODCALLTYPE TMyMoniker::Abort() { return E_FAIL; }
HRESULT STDMETHODCALLTYPE TMyMoniker::Suspend() { return E_FAIL; }
HRESULT STDMETHODCALLTYPE TMyMoniker::Resume() { return E_FAIL; }
HRESULT STDMETHODCALLTYPE TMyMoniker::SetPriority(LONG) { return E_FAIL; }
HRESULT STDMETHODCALLTYPE TMyMoniker::GetPriority(LONG*) { return E_FAIL; }
HRESULT STDMETHODCALLTYPE TMyMoniker::GetBindResult(CLSID*, DWORD*, LPOLESTR*, DWORD*) { return E_FAIL; }

HRESULT STDMETHODCALLTYPE TMyMoniker::OnStartBinding(DWORD, IBinding*) { return E_FAIL; }
HRESULT STDMETHODCALLTYPE TMyMoniker::OnLowResource(DWORD) { return E_FAIL; }
HRESULT STDMETHODCALLTYPE TMyMoniker::OnProgress(ULONG, ULONG, ULONG, LPCWSTR) { return E_FAIL; }
HRESULT STDMETHODCALLTYPE TMyMoniker::OnStopBinding(HRESULT, LPCWSTR) { return E_FAIL; }
HRESULT STDMETHODCALLTYPE TMyMoniker::GetBindInfo(DWORD*, BINDINFO*) { return E_FAIL; }
HRESULT STDMETHODCALLTYPE TMyMoniker::OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) { return E_FAIL; }
HRESULT STDMETHODCALLTYPE TMyMoniker::OnObjectAvailable(REFIID, IUnknown*) { return E_FAIL; }

ComPtr<IMoniker> CreateMyMoniker(const std::string& url, TakeStreamFunction takeStream)
{
    auto* moniker = new TMyMoniker(url, std::move(takeStream));  // count 1, ours
    ComPtr<IMoniker> result(static_cast<IMoniker*>(moniker));     // count 2
    moniker->Release();                                           // count 1, the result's
    return result;
}

}  // namespace flashrt
