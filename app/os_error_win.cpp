#include "app/os_error_win.h"

#include "winbase/system_error_win.h"
#include "winbase/text_win.h"

std::wstring SystemErrorText(DWORD code)
{
    std::wstring text = swfp::win::SystemMessage(code);
    if (text.empty())
        text = L"error " + std::to_wstring(code);
    // The text ends a sentence the caller writes, so its own full stop goes.
    while (!text.empty() && (text.back() == L' ' || text.back() == L'.'))
        text.pop_back();
    return text;
}

EOSError::EOSError(const std::string& what, DWORD code)
    : std::runtime_error(what + ": " + swfp::win::WideToUtf8(SystemErrorText(code))), code_(code)
{
}
