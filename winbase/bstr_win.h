#pragma once
// Owner of a BSTR, the counted wide string COM interfaces pass texts in.
#include <windows.h>
#include <oleauto.h>

#include <string>
#include <utility>

namespace swfp::win {

class Bstr {
public:
    Bstr() = default;
    explicit Bstr(const std::wstring& text) : b_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    ~Bstr() { SysFreeString(b_); }
    Bstr(Bstr&& o) noexcept : b_(std::exchange(o.b_, nullptr)) {}
    Bstr& operator=(Bstr&& o) noexcept
    {
        if (this != &o) { SysFreeString(b_); b_ = std::exchange(o.b_, nullptr); }
        return *this;
    }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;

    BSTR get() const { return b_; }
    // Passed straight to an interface member that takes a BSTR in.
    operator BSTR() const { return b_; }
    // For a member that hands a new string back: whatever was owned is freed first.
    BSTR* out()
    {
        SysFreeString(std::exchange(b_, nullptr));
        return &b_;
    }
    // The text, embedded nulls included; a null BSTR is the empty text.
    std::wstring str() const { return b_ ? std::wstring(b_, SysStringLen(b_)) : std::wstring(); }

private:
    BSTR b_ = nullptr;
};

}  // namespace swfp::win
