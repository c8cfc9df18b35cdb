#include "flashrt/pe_mapping.h"

#include <algorithm>
#include <cstring>

namespace flashrt::pe {

void CopyHeadersAndSections(const PeHeaders& h, std::span<const uint8_t> file, std::span<uint8_t> image)
{
    if (image.size() < h.sizeOfImage) throw PeError("image region is smaller than SizeOfImage");
    CheckRange(0, h.sizeOfHeaders, file.size(), "headers");
    std::memcpy(image.data(), file.data(), h.sizeOfHeaders);
    for (const Section& s : h.sections) {
        // Sizes compare unsigned: a raw size with its top bit set must not turn
        // into a negative count that copies nothing or everything.
        std::memset(image.data() + s.virtualAddress, 0, s.virtualSize);
        const uint32_t copied = s.CopiedSize();
        if (copied == 0) continue;
        CheckRange(s.pointerToRawData, copied, file.size(), "raw data of a section");
        std::memcpy(image.data() + s.virtualAddress, file.data() + s.pointerToRawData, copied);
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
        for (uint32_t i = 0; i < count; ++i) {
            const uint16_t entry = ReadU16(image, block + 8 + 2 * i, "relocation entry");
            const uint16_t type = entry >> 12;
            if (type == 0) continue;
            const uint64_t target = uint64_t(page) + (entry & 0xFFF);
            if (type != expected)
                throw PeError("unsupported relocation type " + std::to_string(type) + " at " + Hex(target));
            if (h.is64)
                WriteU64(image, target, ReadU64(image, target, "relocation target") + delta, "relocation target");
            else
                WriteU32(image, target, ReadU32(image, target, "relocation target") + uint32_t(delta),
                         "relocation target");
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
