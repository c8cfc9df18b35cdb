#pragma once
// The TLS directory of a mapped, relocated image: where the per-thread template
// lies, where the module keeps its TLS index and which callbacks it has. Every
// address is checked to lie inside the image before it is returned as an offset.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "flashrt/pe_image.h"

namespace flashrt::pe {

struct TlsLayout {
    uint32_t templateRva = 0;    // initial data copied into every thread's block
    uint32_t templateSize = 0;
    uint32_t zeroFill = 0;       // zero bytes after the template
    uint32_t indexRva = 0;       // the module's 32-bit TLS index
    uint32_t alignment = 1;      // of the block, from the directory's characteristics
    std::vector<uint32_t> callbackRvas;  // in call order
    uint64_t BlockSize() const { return uint64_t(templateSize) + zeroFill; }
};

// Far above what a module keeps per thread; a damaged directory must not make
// every thread allocate gigabytes.
inline constexpr uint32_t kMaxTlsBlock = 16u << 20;
// Enough for any real module; a damaged list without its terminator stops here.
inline constexpr size_t kMaxTlsCallbacks = 1024;

// Reads the TLS directory of image, mapped at base and already relocated there.
// No directory: nullopt. A damaged directory raises PeError.
std::optional<TlsLayout> ReadTlsDirectory(const PeHeaders& headers, std::span<const uint8_t> image, uint64_t base);

}  // namespace flashrt::pe
