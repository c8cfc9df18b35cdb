#include "flashrt/pe_version.h"

#include "flashrt/pe_resources.h"

namespace flashrt::pe {

std::string ProductVersion::ToString() const
{
    return std::to_string(ms >> 16) + "." + std::to_string(ms & 0xFFFF) + "." + std::to_string(ls >> 16) + "." +
           std::to_string(ls & 0xFFFF);
}

uint32_t PackFlashVersion(const ProductVersion& v)
{
    const uint32_t major = v.ms >> 16, minor = v.ms & 0xFFFF, build = v.ls >> 16, revision = v.ls & 0xFFFF;
    return ((major * 256 + minor) * 256 + build) * 256 + revision;
}

std::optional<ProductVersion> ReadProductVersion(const PeHeaders& h, std::span<const uint8_t> image)
{
    const auto block = FindResource(h, image, kResourceVersion, 1, LanguageChoice::First);
    if (!block) return std::nullopt;
    // VS_VERSIONINFO: three words, the key "VS_VERSION_INFO" in UTF-16 with its
    // terminator (32 bytes), padding to a 4-byte boundary, then the fixed part.
    constexpr size_t fixedAt = 40;
    if (block->size() < fixedAt + 52) return std::nullopt;
    if (ReadU32(*block, fixedAt, "version information") != 0xFEEF04BD) return std::nullopt;
    ProductVersion v;
    v.ms = ReadU32(*block, fixedAt + 16, "version information");
    v.ls = ReadU32(*block, fixedAt + 20, "version information");
    return v;
}

}  // namespace flashrt::pe
