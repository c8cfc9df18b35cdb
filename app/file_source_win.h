#pragma once
#include "app/player_package.h"
#include "winbase/handles_win.h"

#include <string>

// The player's own executable (or any file) as a source of package bytes.
// Opened with wide-character APIs and shared with every other reader and
// writer, so a player in a folder whose name the ANSI code page cannot spell,
// or one that is being copied at the time, still reads its package.
class FilePackageSource final : public PackageSource {
public:
    explicit FilePackageSource(const std::wstring& path);
    uint64_t Size() const override { return size_; }
    void Read(uint64_t offset, void* into, size_t count) const override;

private:
    swfp::win::UniqueFile file_;
    uint64_t size_ = 0;
};

// Full path of the running executable, however long.
std::wstring ExecutablePath();
