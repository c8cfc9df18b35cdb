#include "flashrt/pe_mapping.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace flashrt::pe {

namespace {
// The image is little-endian; so is every host this builds for, but say so once.
constexpr bool kBigEndianHost = std::endian::native == std::endian::big;
uint16_t LittleEndian16(uint16_t v) { return kBigEndianHost ? uint16_t(v >> 8 | v << 8) : v; }
uint32_t LittleEndian32(uint32_t v) { return kBigEndianHost ? __builtin_bswap32(v) : v; }
uint64_t LittleEndian64(uint64_t v) { return kBigEndianHost ? __builtin_bswap64(v) : v; }
}  // namespace

void CopyHeadersAndSections(const PeHeaders& h, std::span<const uint8_t> file, std::span<uint8_t> image)
{
    if (image.size() < h.sizeOfImage) throw PeError("image region is smaller than SizeOfImage");
    CheckRange(0, h.sizeOfHeaders, file.size(), "headers");
    std::memcpy(image.data(), file.data(), h.sizeOfHeaders);
    for (const Section& s : h.sections) {
        // Sizes compare unsigned: a raw size with its top bit set must not turn
        // into a negative count that copies nothing or everything. Only the part
        // the copy leaves is zeroed: touching every page twice costs time.
        const uint32_t copied = s.CopiedSize();
        if (copied != 0) {
            CheckRange(s.pointerToRawData, copied, file.size(), "raw data of a section");
            std::memcpy(image.data() + s.virtualAddress, file.data() + s.pointerToRawData, copied);
        }
        std::memset(image.data() + s.virtualAddress + copied, 0, s.virtualSize - copied);
    }
}

std::vector<uint8_t> MapToBuffer(const PeHeaders& h, std::span<const uint8_t> file)
{
    std::vector<uint8_t> image(h.sizeOfImage);
    CopyHeadersAndSections(h, file, image);
    return image;
}

size_t ApplyRelocations(const PeHeaders& h, std::span<uint8_t> image, uint64_t delta)
{
    const DataDirectory& dir = h.Directory(kRelocationDirectory);
    if (dir.size == 0) return 0;
    CheckRange(dir.rva, dir.size, image.size(), "relocation directory");
    const uint64_t end = uint64_t(dir.rva) + dir.size;
    const uint16_t expected = h.is64 ? 10 : 3;  // DIR64 : HIGHLOW
    size_t changed = 0;
    uint64_t block = dir.rva;
    while (block < end) {
        if (end - block < 8) throw PeError("relocation block header at " + Hex(block) + " runs past its directory");
        const uint32_t page = ReadU32(image, block, "relocation block");
        const uint32_t blockSize = ReadU32(image, block + 4, "relocation block");
        if (blockSize < 8)
            throw PeError("relocation block at " + Hex(block) + " has size " + std::to_string(blockSize));
        if (blockSize > end - block) throw PeError("relocation block at " + Hex(block) + " runs past its directory");
        const uint32_t count = (blockSize - 8) / 2;
        // When every possible target of the block lies inside the image the
        // words are patched without a check each: large modules carry millions.
        const bool wholePageInside = uint64_t(page) + 0xFFF + h.PointerSize() <= image.size();
        const uint8_t* entries = image.data() + block + 8;
        for (uint32_t i = 0; i < count; ++i) {
            uint16_t entry;
            std::memcpy(&entry, entries + 2 * i, 2);
            entry = uint16_t(LittleEndian16(entry));
            const uint16_t type = entry >> 12;
            if (type == 0) continue;
            const uint64_t target = uint64_t(page) + (entry & 0xFFF);
            if (type != expected)
                throw PeError("unsupported relocation type " + std::to_string(type) + " at " + Hex(target));
            if (!wholePageInside) CheckRange(target, h.PointerSize(), image.size(), "relocation target");
            uint8_t* word = image.data() + target;
            // At the preferred base the table is still checked, but no page is touched.
            if (delta == 0) {
                ++changed;
                continue;
            }
            if (h.is64) {
                uint64_t value;
                std::memcpy(&value, word, 8);
                value = LittleEndian64(LittleEndian64(value) + delta);
                std::memcpy(word, &value, 8);
            } else {
                uint32_t value;
                std::memcpy(&value, word, 4);
                value = LittleEndian32(LittleEndian32(value) + uint32_t(delta));
                std::memcpy(word, &value, 4);
            }
            ++changed;
        }
        block += 8 + 2 * uint64_t(count);
    }
    return changed;
}

uint32_t SectionProtection(uint32_t c)
{
    // Indexed by execute, read, write.
    static const uint32_t table[2][2][2] = {
        {{0x01, 0x08}, {0x02, 0x04}},
        {{0x10, 0x80}, {0x20, 0x40}},
    };
    uint32_t p = table[(c & kSectionExecute) ? 1 : 0][(c & kSectionRead) ? 1 : 0][(c & kSectionWrite) ? 1 : 0];
    if (c & kSectionNotCached) p |= kPageNoCache;
    return p;
}

}  // namespace flashrt::pe
