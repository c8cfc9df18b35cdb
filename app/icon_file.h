#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// The directory of a Windows icon (.ico) or cursor (.cur) file. Only entries
// whose image lies inside the file are returned, so a caller can hand the
// image bytes to the platform without further checks.
struct IconDirEntry {
    int width = 0;        // pixels; a stored 0 means 256
    int height = 0;
    int bitCount = 0;     // 0 when the file leaves it open (palette images)
    uint32_t imageOffset = 0;
    uint32_t imageSize = 0;
    uint16_t hotspotX = 0; // cursor files only
    uint16_t hotspotY = 0;
};

enum class IconFileType : uint16_t { Icon = 1, Cursor = 2 };

struct IconDirectory {
    IconFileType type = IconFileType::Icon;
    std::vector<IconDirEntry> entries;
};

// Empty optional when the bytes are not an icon or cursor file.
std::optional<IconDirectory> ReadIconDirectory(std::span<const uint8_t> file);

// The entry that looks best at `size` pixels: the exact size with the deepest
// colours, else the smallest larger one (scaled down looks better than up),
// else the largest. Empty when there are no entries.
std::optional<IconDirEntry> PickIconEntry(const IconDirectory& directory, int size);
