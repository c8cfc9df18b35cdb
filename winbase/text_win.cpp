#include "winbase/text_win.h"

#include <windows.h>

#include <climits>
#include <stdexcept>

namespace swfp::win {

namespace {

// The conversion APIs count in int; a longer text is refused rather than cut short.
int ApiLength(size_t size)
{
    if (size > size_t(INT_MAX)) throw std::length_error("Text too long to convert");
    return int(size);
}

std::wstring ToWide(UINT codePage, std::string_view text)
{
    if (text.empty()) return {};
    const int length = ApiLength(text.size());
    const int n = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    std::wstring out(size_t(n), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), length, out.data(), n);
    return out;
}

std::string FromWide(UINT codePage, std::wstring_view text)
{
    if (text.empty()) return {};
    const int length = ApiLength(text.size());
    const int n = WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), length, out.data(), n, nullptr, nullptr);
    return out;
}

}  // namespace

std::wstring AnsiToWide(std::string_view text) { return ToWide(CP_ACP, text); }
std::string WideToAnsi(std::wstring_view text) { return FromWide(CP_ACP, text); }
std::wstring Utf8ToWide(std::string_view text) { return ToWide(CP_UTF8, text); }
std::string WideToUtf8(std::wstring_view text) { return FromWide(CP_UTF8, text); }

}  // namespace swfp::win
