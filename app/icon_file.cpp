#include "app/icon_file.h"

#include <tuple>

namespace {

uint16_t U16(std::span<const uint8_t> b, size_t at) { return uint16_t(b[at] | (b[at + 1] << 8)); }
uint32_t U32(std::span<const uint8_t> b, size_t at) { return U16(b, at) | (uint32_t(U16(b, at + 2)) << 16); }

} // namespace

std::optional<IconDirectory> ReadIconDirectory(std::span<const uint8_t> file)
{
    constexpr size_t kHeader = 6, kEntry = 16;
    if (file.size() < kHeader || U16(file, 0) != 0)
        return std::nullopt;
    const uint16_t type = U16(file, 2);
    if (type != 1 && type != 2)
        return std::nullopt;
    const size_t count = U16(file, 4);
    if (count == 0 || file.size() < kHeader + count * kEntry)
        return std::nullopt;

    IconDirectory directory{static_cast<IconFileType>(type), {}};
    for (size_t i = 0; i < count; ++i) {
        const size_t at = kHeader + i * kEntry;
        IconDirEntry e;
        e.width = file[at] ? file[at] : 256;
        e.height = file[at + 1] ? file[at + 1] : 256;
        e.hotspotX = U16(file, at + 4); // planes for icons, hotspot for cursors
        e.hotspotY = U16(file, at + 6);
        e.bitCount = type == 1 ? e.hotspotY : 0;
        e.imageSize = U32(file, at + 8);
        e.imageOffset = U32(file, at + 12);
        if (e.imageSize == 0 || e.imageOffset > file.size() || e.imageSize > file.size() - e.imageOffset)
            continue;
        directory.entries.push_back(e);
    }
    if (directory.entries.empty())
        return std::nullopt;
    return directory;
}

std::optional<IconDirEntry> PickIconEntry(const IconDirectory& directory, int size)
{
    const IconDirEntry* best = nullptr;
    // Ranked: exact size first, then larger sizes by closeness, then smaller ones by size; deeper colour breaks ties.
    auto rank = [size](const IconDirEntry& e) {
        const int side = e.width;
        const int group = side == size ? 0 : side > size ? 1 : 2;
        const int distance = group == 1 ? side - size : group == 2 ? size - side : 0;
        return std::make_tuple(group, distance, -e.bitCount);
    };
    for (const auto& e : directory.entries)
        if (!best || rank(e) < rank(*best))
            best = &e;
    if (!best)
        return std::nullopt;
    return *best;
}
