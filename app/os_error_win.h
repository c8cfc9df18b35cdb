#pragma once
#include <windows.h>

#include <stdexcept>
#include <string>

// The system's own text for a Win32 error code, without its closing full stop and line
// break, or "error <code>" when the system has no text for it.
std::wstring SystemErrorText(DWORD code);

// Raised for a failed platform call: the message names what was attempted and
// carries the system's text, so the user sees one meaningful line.
class EOSError : public std::runtime_error {
public:
    EOSError(const std::string& what, DWORD code);
    DWORD code() const { return code_; }

private:
    DWORD code_;
};
