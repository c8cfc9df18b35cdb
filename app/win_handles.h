#pragma once
// Small RAII owners for the kernel and GDI handles the start-up uses.
#include <windows.h>

#include <utility>

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

private:
    Handle h_ = Traits::Invalid();
};

struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { CloseHandle(h); }
};
struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { CloseHandle(h); }
};
struct GdiObjectTraits {
    using Handle = HGDIOBJ;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { DeleteObject(h); }
};
struct IconTraits {
    using Handle = HICON;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { DestroyIcon(h); }
};

using UniqueHandle = UniqueWinHandle<KernelHandleTraits>;
using UniqueFile = UniqueWinHandle<FileHandleTraits>;
using UniqueGdiObject = UniqueWinHandle<GdiObjectTraits>;
using UniqueIcon = UniqueWinHandle<IconTraits>;
