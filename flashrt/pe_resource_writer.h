#pragma once
// Rewriting the resources of an executable file: the whole resource tree is
// read into a flat list, changed, and written into a new section at the end
// of the image. The headers that describe the image (section count and table,
// SizeOfImage, SizeOfInitializedData, the resource directory) follow, so the
// loader and resource tools see one consistent image.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "flashrt/pe_image.h"

namespace flashrt::pe {

// A type, name or language key: a number, or a text when text is not empty.
struct ResourceName {
    uint16_t id = 0;
    std::u16string text;

    bool IsText() const { return !text.empty(); }
    bool operator==(const ResourceName&) const = default;
};

struct ResourceItem {
    ResourceName type;
    ResourceName name;
    uint16_t language = 0;
    uint32_t codePage = 0;
    std::vector<uint8_t> data;
};

inline constexpr uint16_t kResourceIcon = 3;
inline constexpr uint16_t kResourceGroupIcon = 14;
inline constexpr uint16_t kResourceManifest = 24;

// Every resource of an image file, in the order of the tree (type, name, language).
std::vector<ResourceItem> ReadResourceItems(std::span<const uint8_t> file);

// The bytes of a resource section that holds items, to be placed at sectionRva.
// Entries are ordered as the loader's binary search needs: text names first
// (by code unit), then numbers ascending. Throws PeError for two items with
// the same type, name and language.
std::vector<uint8_t> BuildResourceSection(const std::vector<ResourceItem>& items, uint32_t sectionRva);

// A copy of the executable file whose resources are items. The new section is
// appended after the last one; the old resource section stays in place,
// unreferenced. A certificate table (a signature the change would break) is
// removed. The checksum field is left for WritePeChecksum. Throws PeError when
// the file is damaged or its headers leave no room for another section header.
std::vector<uint8_t> ReplaceResources(std::span<const uint8_t> file, const std::vector<ResourceItem>& items);

// The PE checksum of the whole file (as the loader's image checker computes
// it: 16-bit one's-complement sum with the checksum field taken as zero, plus
// the file length), written into the optional header.
uint32_t PeChecksum(std::span<const uint8_t> file);
void WritePeChecksum(std::span<uint8_t> file);

}  // namespace flashrt::pe
