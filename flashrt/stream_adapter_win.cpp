#include "flashrt/stream_adapter_win.h"

#include <vector>

namespace flashrt {

using Microsoft::WRL::ComPtr;



namespace {
std::atomic<long> liveSequentialAdapters{0};
constexpr ULONG kCopyChunk = 0x100000;
}  // namespace

// ---- ISequentialStream over a TStream --------------------------------------------

TISequentialStreamImplBasedOnTStream::TISequentialStreamImplBasedOnTStream(std::unique_ptr<TStream> stream)
    : Stream(std::move(stream))
{
    ++liveSequentialAdapters;
}

TISequentialStreamImplBasedOnTStream::~TISequentialStreamImplBasedOnTStream() { --liveSequentialAdapters; }

long TISequentialStreamImplBasedOnTStream::LiveCount() { return liveSequentialAdapters; }

HRESULT STDMETHODCALLTYPE TISequentialStreamImplBasedOnTStream::QueryInterface(REFIID riid, void** object)
{
    ISequentialStream* self = this;
    return swfp::win::QueryInterfaceFromTable(riid, object, {{IID_IUnknown, self}, {IID_ISequentialStream, self}});
}

HRESULT STDMETHODCALLTYPE TISequentialStreamImplBasedOnTStream::Read(void* buffer, ULONG count, ULONG* read)
{
    TLockGuard guard(Lock);
    if (!Stream) return S_FALSE;
    if (!buffer && count > 0) return STG_E_INVALIDPOINTER;
    size_t got = 0;
    try {
        got = Stream->Read(buffer, count);
    } catch (...) {
        if (read) *read = 0;
        return E_FAIL;  // an exception must not cross into the runtime
    }
    if (read) *read = static_cast<ULONG>(got);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TISequentialStreamImplBasedOnTStream::Write(const void*, ULONG, ULONG* written)
{
    // The runtime only reads movies.
    if (written) *written = 0;
    return S_FALSE;
}

// ---- IStream over an ISequentialStream -------------------------------------------

TIStreamImplBasedOnISequentialStream::TIStreamImplBasedOnISequentialStream(ISequentialStream* inner) : Inner(inner) {}

HRESULT STDMETHODCALLTYPE TIStreamImplBasedOnISequentialStream::QueryInterface(REFIID riid, void** object)
{
    IStream* self = this;
    return swfp::win::QueryInterfaceFromTable(riid, object,
                                              {{IID_IUnknown, self}, {IID_ISequentialStream, self}, {IID_IStream, self}});
}

HRESULT STDMETHODCALLTYPE TIStreamImplBasedOnISequentialStream::Read(void* buffer, ULONG count, ULONG* read)
{
    TLockGuard guard(Lock);
    return Inner->Read(buffer, count, read);
}

HRESULT STDMETHODCALLTYPE TIStreamImplBasedOnISequentialStream::Write(const void* buffer, ULONG count,
                                                                      ULONG* written)
{
    TLockGuard guard(Lock);
    return Inner->Write(buffer, count, written);
}

HRESULT STDMETHODCALLTYPE TIStreamImplBasedOnISequentialStream::Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*)
{
    return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE TIStreamImplBasedOnISequentialStream::SetSize(ULARGE_INTEGER) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE TIStreamImplBasedOnISequentialStream::Commit(DWORD) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE TIStreamImplBasedOnISequentialStream::Revert() { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE TIStreamImplBasedOnISequentialStream::LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD)
{
    return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE TIStreamImplBasedOnISequentialStream::UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD)
{
    return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE TIStreamImplBasedOnISequentialStream::Stat(STATSTG*, DWORD) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE TIStreamImplBasedOnISequentialStream::Clone(IStream** clone)
{
    if (clone) *clone = nullptr;
    return E_NOTIMPL;
}

// Copies everything up to the end, whatever count says: the runtime asks for
// "all of it" with counts that do not always match the movie.
HRESULT STDMETHODCALLTYPE TIStreamImplBasedOnISequentialStream::CopyTo(IStream* target, ULARGE_INTEGER,
                                                                       ULARGE_INTEGER* read, ULARGE_INTEGER* written)
{
    if (!target) return STG_E_INVALIDPOINTER;
    if (read) read->QuadPart = 0;
    if (written) written->QuadPart = 0;
    std::vector<uint8_t> buffer(kCopyChunk);
    TLockGuard guard(Lock);
    for (;;) {
        ULONG got = 0;
        if (FAILED(Inner->Read(buffer.data(), kCopyChunk, &got)) || got == 0) break;
        if (read) read->QuadPart += got;
        ULONG put = 0;
        const HRESULT hr = target->Write(buffer.data(), got, &put);
        if (written) written->QuadPart += put;
        if (FAILED(hr) || put == 0) break;
    }
    return S_OK;
}

// ---- construction ----------------------------------------------------------------

ComPtr<IStream> ISequentialStreamToIStream(ISequentialStream* inner)
{
    ComPtr<IStream> result;
    auto* adapter = new TIStreamImplBasedOnISequentialStream(inner);  // count 1, ours
    result = adapter;                                                  // count 2
    adapter->Release();                                                // count 1, the result's
    return result;
}

ComPtr<IStream> TStreamToIStream(std::unique_ptr<TStream> stream)
{
    auto* sequential = new TISequentialStreamImplBasedOnTStream(std::move(stream));
    ComPtr<IStream> result = ISequentialStreamToIStream(sequential);
    sequential->Release();  // the IStream adapter holds the only reference now
    return result;
}

}  // namespace flashrt
