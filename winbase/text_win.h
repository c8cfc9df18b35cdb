#pragma once
// Conversions between the program's 8-bit texts and the system's wide texts.
// The ANSI pair uses the system code page (the runtime's and the package's texts);
// the UTF-8 pair is for texts the program writes itself (layouts, messages).
#include <string>
#include <string_view>

namespace swfp::win {

std::wstring AnsiToWide(std::string_view text);
std::string WideToAnsi(std::wstring_view text);
std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);

}  // namespace swfp::win
