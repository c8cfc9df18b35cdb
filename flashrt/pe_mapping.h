#pragma once
// The mapping steps that need no platform: placing headers and sections into the
// image region, applying base relocations, and choosing each section's protection.
#include <cstdint>
#include <span>
#include <vector>

#include "flashrt/pe_image.h"

namespace flashrt::pe {

// Copies SizeOfHeaders bytes, then each section in table order: VirtualSize bytes
// zero-filled, the smaller of VirtualSize and SizeOfRawData copied from the file.
// image must be at least SizeOfImage bytes.
void CopyHeadersAndSections(const PeHeaders& headers, std::span<const uint8_t> file, std::span<uint8_t> image);

// A freshly mapped copy of a file image in an ordinary buffer.
std::vector<uint8_t> MapToBuffer(const PeHeaders& headers, std::span<const uint8_t> file);

// Applies the relocation directory for a move by delta as the system loader
// does, in PE32 and PE32+ alike: HIGHLOW (32-bit word), DIR64 (64-bit word),
// HIGH and LOW (one half of a 32-bit address), HIGHADJ (high half, rounded by
// the low half held in the entry that follows it); ABSOLUTE entries are padding.
// Any other type is an error. Returns the number of fix-ups; with a delta of
// zero the table is checked and nothing is written.
size_t ApplyRelocations(const PeHeaders& headers, std::span<uint8_t> image, uint64_t delta);

inline constexpr uint32_t kSectionNotCached = 0x04000000;
inline constexpr uint32_t kSectionExecute = 0x20000000;
inline constexpr uint32_t kSectionRead = 0x40000000;
inline constexpr uint32_t kSectionWrite = 0x80000000;
inline constexpr uint32_t kPageNoCache = 0x200;

// The page protection (PAGE_* value) for a section's characteristics.
uint32_t SectionProtection(uint32_t characteristics);

}  // namespace flashrt::pe
