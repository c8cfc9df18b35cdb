#pragma once
// Product versions: read from a module's version resource and packed into the
// one 32-bit number the player compares.
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "flashrt/pe_image.h"

namespace flashrt::pe {

struct ProductVersion {
    uint32_t ms = 0;  // major << 16 | minor
    uint32_t ls = 0;  // build << 16 | revision
    std::string ToString() const;
};

// Eight bits a part; a part above 255 carries into the next (9.0.280.0 -> 0x09011800).
uint32_t PackFlashVersion(const ProductVersion& version);

// The fixed file information of the version resource (type 16, id 1, any language).
std::optional<ProductVersion> ReadProductVersion(const PeHeaders& headers, std::span<const uint8_t> image);

}  // namespace flashrt::pe
