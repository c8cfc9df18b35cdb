#include "flashrt/handle_source_win.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace flashrt {

size_t HandleSource::Read(std::span<uint8_t> into)
{
    DWORD read = 0;
    const DWORD want = static_cast<DWORD>(std::min<size_t>(into.size(), 1u << 30));
    if (!ReadFile(file_, into.data(), want, &read, nullptr))
        throw std::runtime_error("reading the module file failed (error " + std::to_string(GetLastError()) + ")");
    return read;
}

}  // namespace flashrt
