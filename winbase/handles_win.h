#pragma once
// Owners for Win32 handles: one template, and one traits type for each way a
// kind of handle is given back to the system.
#include <windows.h>

#include <utility>

namespace swfp::win {

template <typename Traits>
class UniqueWinHandle {
public:
    using Handle = typename Traits::Handle;
    UniqueWinHandle() = default;
    explicit UniqueWinHandle(Handle h) : h_(h) {}
    ~UniqueWinHandle() { reset(); }
    UniqueWinHandle(UniqueWinHandle&& o) noexcept : h_(std::exchange(o.h_, Traits::Invalid())) {}
    UniqueWinHandle& operator=(UniqueWinHandle&& o) noexcept
    {
        if (this != &o) { reset(); h_ = std::exchange(o.h_, Traits::Invalid()); }
        return *this;
    }
    UniqueWinHandle(const UniqueWinHandle&) = delete;
    UniqueWinHandle& operator=(const UniqueWinHandle&) = delete;

    Handle get() const { return h_; }
    explicit operator bool() const { return h_ != Traits::Invalid(); }
    Handle release() { return std::exchange(h_, Traits::Invalid()); }
    void reset(Handle h = Traits::Invalid())
    {
        if (h_ != Traits::Invalid()) Traits::Close(h_);
        h_ = h;
    }
    // For APIs that hand a new handle back through a pointer (RegOpenKeyEx):
    // whatever was owned is given back first.
    Handle* put()
    {
        reset();
        return &h_;
    }

private:
    Handle h_ = Traits::Invalid();
};

// Most kinds of handle use null for "none".
template <typename H>
struct NullIsNone {
    using Handle = H;
    static Handle Invalid() { return nullptr; }
};

struct KernelHandleTraits : NullIsNone<HANDLE> {
    static void Close(Handle h) { CloseHandle(h); }
};
// CreateFile reports failure with INVALID_HANDLE_VALUE, not null.
struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { CloseHandle(h); }
};
template <typename H = HGDIOBJ>
struct GdiObjectTraits : NullIsNone<H> {
    static void Close(H h) { DeleteObject(h); }
};
struct DeviceContextTraits : NullIsNone<HDC> {
    static void Close(Handle h) { DeleteDC(h); }
};
struct IconTraits : NullIsNone<HICON> {
    static void Close(Handle h) { DestroyIcon(h); }
};
struct CursorTraits : NullIsNone<HCURSOR> {
    static void Close(Handle h) { DestroyCursor(h); }
};
struct RegistryKeyTraits : NullIsNone<HKEY> {
    static void Close(Handle h) { RegCloseKey(h); }
};

using UniqueHandle = UniqueWinHandle<KernelHandleTraits>;
using UniqueFile = UniqueWinHandle<FileHandleTraits>;
template <typename H = HGDIOBJ>
using UniqueGdiObject = UniqueWinHandle<GdiObjectTraits<H>>;
using UniqueDC = UniqueWinHandle<DeviceContextTraits>;
using UniqueIcon = UniqueWinHandle<IconTraits>;
using UniqueCursor = UniqueWinHandle<CursorTraits>;
using UniqueRegKey = UniqueWinHandle<RegistryKeyTraits>;

}  // namespace swfp::win
