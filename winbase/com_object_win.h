#pragma once
// Reference counting and QueryInterface for the COM objects the program implements.
// The runtime may add and drop references from its own threads, so counts change
// through Interlocked* only.

#include <windows.h>
#include <unknwn.h>

#include <initializer_list>

namespace swfp::win {

// A thread-safe reference count. Objects whose lifetime belongs to someone else
// (a window control, an object on the stack) keep one without freeing at zero.
class RefCount {
public:
    explicit RefCount(LONG initial) noexcept : count_(initial) {}
    RefCount(const RefCount&) = delete;
    RefCount& operator=(const RefCount&) = delete;

    ULONG Add() noexcept { return static_cast<ULONG>(InterlockedIncrement(&count_)); }
    ULONG Drop() noexcept { return static_cast<ULONG>(InterlockedDecrement(&count_)); }
    LONG Value() const noexcept { return count_; }

private:
    volatile LONG count_;
};

// One interface an object hands out: the IID asked for and the pointer answered.
struct InterfaceEntry {
    const IID& iid;
    IUnknown* object;
};

// QueryInterface over a table: the first entry with the asked IID is answered and
// counted once more. List IID_IUnknown with one fixed cast, so that the object
// answers the same IUnknown pointer every time (COM identity).
inline HRESULT QueryInterfaceFromTable(REFIID riid, void** out, std::initializer_list<InterfaceEntry> table) noexcept
{
    if (!out) return E_POINTER;
    for (const InterfaceEntry& entry : table) {
        if (IsEqualIID(riid, entry.iid)) {
            entry.object->AddRef();
            *out = entry.object;
            return S_OK;
        }
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

// A COM object that owns itself: it starts with one reference, which its creator
// hands straight to a ComPtr, and deletes itself when the last one is released.
// The derived class answers QueryInterface, usually with QueryInterfaceFromTable.
template <class... Interfaces>
class ComObject : public Interfaces... {
public:
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    ULONG STDMETHODCALLTYPE AddRef() override { return refs_.Add(); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = refs_.Drop();
        if (left == 0) delete this;  // nothing of the object is touched after this
        return left;
    }

protected:
    ComObject() = default;
    virtual ~ComObject() = default;

private:
    RefCount refs_{1};
};

}  // namespace swfp::win
