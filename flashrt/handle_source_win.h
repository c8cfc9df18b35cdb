#pragma once
// An open file read front to back as a ByteSource: the loader reads a module
// file straight into the sections of its image.
#include <windows.h>

#include "flashrt/pe_stream.h"

namespace flashrt {

class HandleSource : public pe::ByteSource {
public:
    explicit HandleSource(HANDLE file) : file_(file) {}  // not owned
    size_t Read(std::span<uint8_t> into) override;

private:
    HANDLE file_;
};

}  // namespace flashrt
