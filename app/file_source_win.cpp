#include "app/file_source_win.h"

#include "app/os_error_win.h"
#include "winbase/text_win.h"

#include <algorithm>

FilePackageSource::FilePackageSource(const std::wstring& path)
    : file_(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))
{
    if (!file_)
        throw EOSError("Cannot open file \"" + swfp::win::WideToUtf8(path) + "\"", GetLastError());
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file_.get(), &size))
        throw EOSError("Cannot read the size of \"" + swfp::win::WideToUtf8(path) + "\"", GetLastError());
    size_ = static_cast<uint64_t>(size.QuadPart);
}

void FilePackageSource::Read(uint64_t offset, void* into, size_t count) const
{
    auto* out = static_cast<uint8_t*>(into);
    while (count > 0) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        const DWORD piece = static_cast<DWORD>(std::min<size_t>(count, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(file_.get(), out, piece, &got, &at))
            throw EOSError("Stream read error", GetLastError());
        if (got == 0)
            throw std::runtime_error("Stream read error: the file ends before the package data does");
        out += got;
        offset += got;
        count -= got;
    }
}

std::wstring ExecutablePath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (n == 0)
            throw EOSError("Cannot find the program's own file", GetLastError());
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}
