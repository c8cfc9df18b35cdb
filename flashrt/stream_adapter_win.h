#pragma once
// COM streams over the player's own streams, handed to the runtime. Readers may run
// on the runtime's threads, so every call of both adapters holds the adapter's lock
// and the reference counts change atomically.

#include <windows.h>
#include <objidl.h>
#include <wrl/client.h>

#include <atomic>
#include <memory>

#include "flashrt/stream_adapter.h"
#include "winbase/com_object_win.h"

namespace flashrt {

// A critical section that lives and dies with its owner.
class TCriticalSection {
public:
    TCriticalSection() { InitializeCriticalSection(&cs_); }
    ~TCriticalSection() { DeleteCriticalSection(&cs_); }
    TCriticalSection(const TCriticalSection&) = delete;
    TCriticalSection& operator=(const TCriticalSection&) = delete;
    void Enter() { EnterCriticalSection(&cs_); }
    void Leave() { LeaveCriticalSection(&cs_); }

private:
    CRITICAL_SECTION cs_;
};

class TLockGuard {
public:
    explicit TLockGuard(TCriticalSection& lock) : lock_(lock) { lock_.Enter(); }
    ~TLockGuard() { lock_.Leave(); }
    TLockGuard(const TLockGuard&) = delete;
    TLockGuard& operator=(const TLockGuard&) = delete;

private:
    TCriticalSection& lock_;
};

// ISequentialStream over a TStream that it owns; the stream dies with the adapter.
// Starts with one reference, held by its creator.
class TISequentialStreamImplBasedOnTStream final : public swfp::win::ComObject<ISequentialStream> {
public:
    explicit TISequentialStreamImplBasedOnTStream(std::unique_ptr<TStream> stream);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG count, ULONG* read) override;
    HRESULT STDMETHODCALLTYPE Write(const void* buffer, ULONG count, ULONG* written) override;

    // Live adapters in the process, so tests can see that the last release frees.
    static long LiveCount();

private:
    ~TISequentialStreamImplBasedOnTStream() override;
    TCriticalSection Lock;
    std::unique_ptr<TStream> Stream;
};

// IStream over an ISequentialStream: reading and writing only; the random-access
// members answer E_NOTIMPL. Starts with one reference, held by its creator.
class TIStreamImplBasedOnISequentialStream final : public swfp::win::ComObject<IStream> {
public:
    explicit TIStreamImplBasedOnISequentialStream(ISequentialStream* inner);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG count, ULONG* read) override;
    HRESULT STDMETHODCALLTYPE Write(const void* buffer, ULONG count, ULONG* written) override;
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) override;
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER newSize) override;
    HRESULT STDMETHODCALLTYPE CopyTo(IStream* target, ULARGE_INTEGER count, ULARGE_INTEGER* read,
                                     ULARGE_INTEGER* written) override;
    HRESULT STDMETHODCALLTYPE Commit(DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Revert() override;
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER count, DWORD type) override;
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER count, DWORD type) override;
    HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Clone(IStream** clone) override;

private:
    ~TIStreamImplBasedOnISequentialStream() override = default;
    TCriticalSection Lock;
    Microsoft::WRL::ComPtr<ISequentialStream> Inner;
};

// Wraps an IStream around a sequential stream; the result holds the one reference.
Microsoft::WRL::ComPtr<IStream> ISequentialStreamToIStream(ISequentialStream* inner);
// Wraps an IStream around a TStream, taking ownership of it.
Microsoft::WRL::ComPtr<IStream> TStreamToIStream(std::unique_ptr<TStream> stream);

}  // namespace flashrt
