#pragma once
#include <windows.h>

#include <string>

namespace swfp::win {

// The system's own text for an error code (a Win32 code or an HRESULT), without
// the trailing line break; empty when the system has no text for it, so each
// caller can word its own fallback.
std::wstring SystemMessage(DWORD code);

}  // namespace swfp::win
