#pragma once
// Finding a resource by type and numeric id in a mapped image.
#include <cstdint>
#include <optional>
#include <span>

#include "flashrt/pe_image.h"

namespace flashrt::pe {

enum class LanguageChoice {
    UsEnglishOrNeutral,  // the first language entry that is 0x409 or 0
    First,               // the first language entry, whatever it is
};

// The resource's bytes inside image, or nothing. Looks at the first unnamed type
// entry equal to type, in it the first unnamed entry equal to id, then a language.
std::optional<std::span<const uint8_t>> FindResource(const PeHeaders& headers, std::span<const uint8_t> image,
                                                     uint16_t type, uint16_t id, LanguageChoice language);

// The same for an image that carries its own headers (a mapped module).
std::optional<std::span<const uint8_t>> FindModuleResource(std::span<const uint8_t> image, uint16_t type, uint16_t id);

inline constexpr uint16_t kResourceCursor = 1;
inline constexpr uint16_t kResourceMenu = 4;
inline constexpr uint16_t kResourceGroupCursor = 12;
inline constexpr uint16_t kResourceVersion = 16;

}  // namespace flashrt::pe
